// What only POSIX systems have: programs found on the search path, scripts,
// signals.
#include "signing/CommandRunner.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/helpers/ChildProc.h"
#include "tests/signing/runner/LeakProbe.h"

#include <filesystem>
#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <fstream>

namespace {

// Executable, but nothing the kernel can start: no "#!" line.
TEST(RunAndCapturePosix, AFileWithoutInterpreterCannotStart) {
    TTempFolder Folder;
    const std::filesystem::path Script = std::filesystem::path(Folder.Path()) / "no-interpreter";
    std::ofstream(Script) << "echo this has no #! line\n";
    ::chmod(Script.c_str(), 0755);
    const std::size_t HandlesBefore = OpenHandleCount();
    for (int I = 0; I < 200; ++I) {
        std::string Output;
        ASSERT_EQ(RunAndCapture(Script.string() + " sign", Output), 0xFFFFFFFFu);
        ASSERT_EQ(Output, "");
    }
    EXPECT_EQ(OpenHandleCount(), HandlesBefore);
    EXPECT_FALSE(HasZombieChild());
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
