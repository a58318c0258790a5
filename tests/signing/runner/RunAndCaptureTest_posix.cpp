// What a run must not leave behind on POSIX systems: descriptors and zombies.
#include "ChildProc.h"
#include "CommandRunner.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <fstream>

namespace {

std::size_t OpenDescriptors() {
    std::size_t Count = 0;
    for ([[maybe_unused]] const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++Count;
    return Count;
}

void ExpectNoZombie() {
    int Status = 0;
    const pid_t Found = ::waitpid(-1, &Status, WNOHANG);
    EXPECT_TRUE(Found == 0 || (Found < 0 && errno == ECHILD)) << "reaped a stray child " << Found;
}

TEST(RunAndCapturePosix, LeavesNoDescriptorAndNoZombie) {
    TTempFolder Folder;
    const std::filesystem::path Plain = Folder.Path / "plain";
    std::ofstream(Plain) << "not a program\n";
    const std::filesystem::path Script = Folder.Path / "no-interpreter";
    std::ofstream(Script) << "echo this has no #! line\n";
    ::chmod(Script.c_str(), 0755);
    const std::string CommandLines[] = {
        (Folder.Path / "missing").string(),
        Folder.Path.string(),
        Plain.string(),
        Script.string(),
    };

    const std::size_t Before = OpenDescriptors();
    for (const std::string& CommandLine : CommandLines)
        for (int I = 0; I < 200; ++I) {
            std::string Output;
            ASSERT_EQ(RunAndCapture(CommandLine + " sign", Output), 0xFFFFFFFFu) << CommandLine;
            ASSERT_EQ(Output, "");
        }
    for (int I = 0; I < 50; ++I) {
        std::string Output;
        ASSERT_EQ(RunAndCapture(ChildProcCommandLine("out x err y exit 1"), Output), 1u);
    }
    EXPECT_EQ(OpenDescriptors(), Before);
    ExpectNoZombie();
}

TEST(RunAndCapturePosix, FindsABareProgramNameOnTheSearchPath) {
    std::string Output;
    EXPECT_EQ(RunAndCapture("true", Output), 0u);
    EXPECT_EQ(RunAndCapture("sh -c \"echo found; exit 9\"", Output), 9u);
    EXPECT_EQ(Output, "found\r\n");
}

TEST(RunAndCapturePosix, AChildEndedBySignalReportsIt) {
    std::string Output;
    EXPECT_EQ(RunAndCapture("sh -c \"kill -9 $$\"", Output), 128u + 9u);
}

// A child must not inherit what this thread blocks or this program ignores.
TEST(RunAndCapturePosix, TheChildStartsWithDefaultSignals) {
    sigset_t Block, Previous;
    sigemptyset(&Block);
    sigaddset(&Block, SIGTERM);
    sigaddset(&Block, SIGUSR1);
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &Block, &Previous), 0);
    const auto OldPipe = std::signal(SIGPIPE, SIG_IGN);

    std::string Output;
    const std::uint32_t Code = RunAndCapture(ChildProcCommandLine("signals"), Output);

    std::signal(SIGPIPE, OldPipe);
    ::pthread_sigmask(SIG_SETMASK, &Previous, nullptr);
    EXPECT_EQ(Code, 0u);
    EXPECT_EQ(Output, "blocked=0 pipe=default");
}

} // namespace
