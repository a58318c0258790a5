// The runner against the helper child: what comes back through the pipe, and
// in which order, for each way a child can behave.
#include "core/QuorvelErrors.h"
#include "signing/CommandRunner.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/helpers/ChildProc.h"
#include "tests/signing/runner/LeakProbe.h"

#include <filesystem>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

std::uint32_t RunChild(const std::string& Arguments, std::string& Output) {
    return RunAndCapture(ChildProcCommandLine(Arguments), Output);
}

TEST(RunAndCapture, ReturnsTheChildsExitCode) {
    for (const std::uint32_t Code : {0u, 1u, 2u, 42u, 255u}) {
        std::string Output = "before";
        EXPECT_EQ(RunChild("out x exit " + std::to_string(Code), Output), Code);
        EXPECT_EQ(Output, "beforex");
    }
}

TEST(RunAndCapture, AppendsBothStreamsInWriteOrderWithNormalisedBreaks) {
    std::string Output = "earlier text|";
    EXPECT_EQ(RunChild("out \"one \" err \"two \" out three err four exit 3", Output), 3u);
    EXPECT_EQ(Output, "earlier text|one two threefour");

    Output = "";
    EXPECT_EQ(RunChild("outhex 6f75740a err e1 outhex 0d0a6f32 err \"e2 \" outhex 0a", Output), 0u);
    EXPECT_EQ(Output, "out\r\ne1\r\no2e2 \r\n");
}

TEST(RunAndCapture, KeepsEveryByteIncludingNul) {
    std::string Output = "x";
    EXPECT_EQ(RunChild("outhex 00610062000a00ff", Output), 0u);
    EXPECT_EQ(Output, std::string("x\0a\0b\0\r\n\0\xff", 10));
}

TEST(RunAndCapture, ANullOutputLeavesTheTextAsItWas) {
    std::string Output = "keep me";
    EXPECT_EQ(RunChild("", Output), 0u);
    EXPECT_EQ(Output, "keep me");
    EXPECT_EQ(RunChild("exit 7", Output), 7u);
    EXPECT_EQ(Output, "keep me");
}

TEST(RunAndCapture, CarriesTenMegabytesIntact) {
    const std::size_t Size = 10 * 1024 * 1024 + 17;
    const std::string Expected = NormalizeLineBreaks(ChildBigOutput(Size));
    std::string Output;
    EXPECT_EQ(RunChild("big " + std::to_string(Size) + " err end", Output), 0u);
    ASSERT_EQ(Output.size(), Expected.size() + 3);
    EXPECT_TRUE(Output.compare(0, Expected.size(), Expected) == 0);
    EXPECT_EQ(Output.substr(Expected.size()), "end");
}

// A run on a thread of its own, waited for at most Bound. The run itself
// should end with the child; the bound only turns a runner that waits for a
// grandchild (an hour) into a failure of its own test instead of a hang of
// the whole program. Nothing when the run has not ended by then: its thread
// is left to end with the program.
struct TBoundedRun {
    std::mutex Mutex;
    std::condition_variable Ended;
    bool Done = false;
    std::uint32_t Code = 0;
    std::string Output, Error;
};

std::shared_ptr<TBoundedRun> RunChildWithin(const std::string& Arguments,
                                            std::chrono::seconds Bound) {
    auto Run = std::make_shared<TBoundedRun>();
    std::thread([Run, Arguments] {
        std::string Output, Error;
        std::uint32_t Code = 0;
        try {
            Code = RunChild(Arguments, Output);
        } catch (const std::exception& Failure) {
            Error = Failure.what();
        }
        std::lock_guard<std::mutex> Lock(Run->Mutex);
        Run->Code = Code;
        Run->Output = std::move(Output);
        Run->Error = std::move(Error);
        Run->Done = true;
        Run->Ended.notify_all();
    }).detach();
    std::unique_lock<std::mutex> Lock(Run->Mutex);
    if (!Run->Ended.wait_for(Lock, Bound, [&] { return Run->Done; }))
        return nullptr;
    return Run;
}

// Far below the grandchild's hour, far above any run on a loaded machine.
constexpr std::chrono::seconds GrandchildBound{120};

// The grandchild holds the pipe for an hour; the run must end with the
// child, while the grandchild still sleeps.
TEST(RunAndCapture, EndsWithTheChildWhileAGrandchildHoldsThePipe) {
    const auto Run = RunChildWithin("out start grandchild out end exit 5", GrandchildBound);
    ASSERT_TRUE(Run) << "the run waited for the grandchild instead of ending with the child";
    ASSERT_EQ(Run->Error, "");
    EXPECT_EQ(Run->Code, 5u);
    const std::string& Output = Run->Output;
    const std::size_t At = Output.find("grandchild ");
    ASSERT_NE(At, std::string::npos) << Output;
    const unsigned long Grandchild = std::stoul(Output.substr(At + 11));
    EXPECT_TRUE(ProcessIsRunning(Grandchild)) << "the run ended only when the grandchild did";
    EndProcess(Grandchild);
    EXPECT_EQ(Output.substr(0, 5), "start");
    EXPECT_EQ(Output.substr(Output.size() - 5), "\r\nend");
}

// The same with a grandchild that never stops writing: the drain takes what
// the pipe holds when the child has ended and does not chase the rest. The
// grandchild writes until the pipe is gone, so the run ending at all shows it.
TEST(RunAndCapture, EndsWithTheChildWhileAGrandchildKeepsWriting) {
    const auto Run = RunChildWithin("floodgrandchild exit 6", GrandchildBound);
    ASSERT_TRUE(Run) << "the run chased the grandchild's output instead of ending with the child";
    ASSERT_EQ(Run->Error, "");
    EXPECT_EQ(Run->Code, 6u);
    const std::size_t At = Run->Output.find("grandchild ");
    ASSERT_NE(At, std::string::npos) << Run->Output.substr(0, 200);
    EndProcess(std::stoul(Run->Output.substr(At + 11)));
}

// Runs on several threads at once each get their own pipe and their own
// child's text.
TEST(RunAndCapture, RunsOnSeveralThreadsKeepTheirOutputsApart) {
    constexpr int Threads = 4, RunsPerThread = 10;
    std::vector<std::string> Failures(Threads);
    {
        std::vector<std::jthread> Workers;
        for (int T = 0; T < Threads; ++T)
            Workers.emplace_back([T, &Failures] {
                for (int I = 0; I < RunsPerThread; ++I) {
                    const std::string Text =
                        "thread" + std::to_string(T) + "run" + std::to_string(I);
                    std::string Output;
                    const std::uint32_t Code = RunChild("out " + Text + " big 3000 exit 9", Output);
                    if (Code != 9 || Output.substr(0, Text.size()) != Text ||
                        Output.size() != Text.size() + 3030)
                        Failures[T] +=
                            Text + ": " + std::to_string(Code) + " " + Output.substr(0, 40) + "\n";
                }
            });
    }
    for (const std::string& Failure : Failures)
        EXPECT_EQ(Failure, "");
}

// A child that cannot be started, many times over: no exception, the text as
// it was, the platform's error from the failed start, and nothing left open.
TEST(RunAndCapture, AChildThatCannotStartGivesAllOnesAndLeavesNothingBehind) {
    TTempFolder Folder;
    const std::filesystem::path Plain = std::filesystem::path(Folder.Path()) / "plain.exe";
    std::ofstream(Plain) << "not a program\n";
    const std::filesystem::path Dir = std::filesystem::path(Folder.Path()) / "a folder";
    std::filesystem::create_directory(Dir);
    const std::string CommandLines[] = {
        "\"" + (std::filesystem::path(Folder.Path()) / "missing program").string() + "\" sign x",
        "\"" + Dir.string() + "\" sign x",
        "\"" + Plain.string() + "\" sign x",
    };

    const std::size_t HandlesBefore = OpenHandleCount();
    for (const std::string& CommandLine : CommandLines)
        for (int I = 0; I < 200; ++I) {
            std::string Output = "untouched";
            std::uint32_t Result = 0;
            ASSERT_NO_THROW(Result = RunAndCapture(CommandLine, Output)) << CommandLine;
            ASSERT_EQ(Result, 0xFFFFFFFFu) << CommandLine;
            ASSERT_NE(GetLastOSErrorCode(), 0u) << CommandLine;
            ASSERT_EQ(Output, "untouched") << CommandLine;
        }
    EXPECT_EQ(OpenHandleCount(), HandlesBefore);
    EXPECT_FALSE(HasZombieChild());
}

TEST(RunAndCapture, ARunLeavesNothingOpen) {
    std::string Output;
    RunChild("", Output); // lets lazily made system objects exist before counting
    const std::size_t HandlesBefore = OpenHandleCount();
    for (int I = 0; I < 50; ++I)
        ASSERT_EQ(RunChild("out x err y exit 1", Output), 1u);
    EXPECT_EQ(OpenHandleCount(), HandlesBefore);
    EXPECT_FALSE(HasZombieChild());
}

} // namespace

namespace {

// Sets (or, without a value, removes) a variable of this process.
void SetVariable(const char* Name, const char* Value) {
#ifdef _WIN32
    SetEnvironmentVariableA(Name, Value);
#else
    if (Value)
        ::setenv(Name, Value, 1);
    else
        ::unsetenv(Name);
#endif
}

// Variables given for one run reach the child, replace inherited ones of the
// same name, and stay out of this process and of later runs.
TEST(RunAndCaptureEnvironment, AddsAndReplacesVariablesForTheChildOnly) {
    SetVariable("QUORVEL_TEST_INHERITED", "from parent");
    SetVariable("QUORVEL_TOKEN_PIN", "stale");
    TRunOptions Options;
    Options.Environment = {{"QUORVEL_TOKEN_PIN", "12 34=\"x\""}, {"QUORVEL_TEST_EMPTY", ""}};
    std::string Output;
    EXPECT_EQ(
        RunAndCaptureWith(ChildProcCommandLine("env QUORVEL_TOKEN_PIN env "
                                               "QUORVEL_TEST_EMPTY env QUORVEL_TEST_INHERITED"),
                          Output, Options),
        0u);
    EXPECT_EQ(Output, "QUORVEL_TOKEN_PIN=" + HexEncode("12 34=\"x\"") +
                          "\r\nQUORVEL_TEST_EMPTY=\r\nQUORVEL_TEST_INHERITED=" +
                          HexEncode("from parent") + "\r\n");

    Output.clear();
    SetVariable("QUORVEL_TOKEN_PIN", nullptr);
    EXPECT_EQ(RunAndCapture(ChildProcCommandLine("env QUORVEL_TOKEN_PIN @argv"), Output), 0u);
    for (const std::string& Arg : ParseReportedArgv(Output))
        EXPECT_EQ(Arg.find("12 34"), std::string::npos) << "the value is no argument";
    Output.clear();
    EXPECT_EQ(RunAndCapture(ChildProcCommandLine("env QUORVEL_TOKEN_PIN"), Output), 0u);
    EXPECT_EQ(Output, "QUORVEL_TOKEN_PIN unset\r\n");
    SetVariable("QUORVEL_TEST_INHERITED", nullptr);
}

TEST(RunAndCaptureEnvironment, RefusesANameThatCannotBePassed) {
    for (const char* Name : {"", "A=B"}) {
        TRunOptions Options;
        Options.Environment = {{Name, "x"}};
        std::string Output = "kept";
        EXPECT_EQ(RunAndCaptureWith(ChildProcCommandLine("out ran"), Output, Options), 0xFFFFFFFFu);
        EXPECT_EQ(Output, "kept");
    }
}

} // namespace
