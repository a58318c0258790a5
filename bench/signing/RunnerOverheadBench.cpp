// What RunAndCapture adds to running one trivial child, against the least a
// program can do: posix_spawn, read the pipe to its end, wait.
#include "signing/CommandRunner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

extern char** environ;

namespace {

constexpr const char* Program = "/bin/true";
constexpr int Runs = 400;
constexpr double Target = 1.10;

using TClock = std::chrono::steady_clock;

void BareRun() {
    int Ends[2];
    if (::pipe2(Ends, O_CLOEXEC) != 0)
        std::perror("pipe2"), std::exit(1);
    posix_spawn_file_actions_t Actions;
    ::posix_spawn_file_actions_init(&Actions);
    ::posix_spawn_file_actions_adddup2(&Actions, Ends[1], 1);
    ::posix_spawn_file_actions_adddup2(&Actions, Ends[1], 2);
    char* Argv[] = {const_cast<char*>(Program), nullptr};
    pid_t Pid = 0;
    if (::posix_spawn(&Pid, Program, &Actions, nullptr, Argv, environ) != 0)
        std::perror("posix_spawn"), std::exit(1);
    ::posix_spawn_file_actions_destroy(&Actions);
    ::close(Ends[1]);
    char Buffer[65536];
    while (::read(Ends[0], Buffer, sizeof Buffer) > 0) {
    }
    ::close(Ends[0]);
    int Status = 0;
    ::waitpid(Pid, &Status, 0);
}

void RunnerRun() {
    std::string Output;
    if (RunAndCapture(Program, Output) != 0)
        std::fprintf(stderr, "%s did not end with 0\n", Program), std::exit(1);
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

template <typename F> double TimeUs(F Run) {
    const auto Start = TClock::now();
    Run();
    return std::chrono::duration<double, std::micro>(TClock::now() - Start).count();
}

} // namespace

int main() {
    // Warm the page cache and the dynamic loader for both ways first.
    for (int I = 0; I < 20; ++I) {
        BareRun();
        RunnerRun();
    }
    std::vector<double> Bare, Runner;
    // Alternating keeps slow drifts of a shared machine out of the ratio.
    for (int I = 0; I < Runs; ++I) {
        Bare.push_back(TimeUs(BareRun));
        Runner.push_back(TimeUs(RunnerRun));
    }
    const double BareMedian = Median(Bare), RunnerMedian = Median(Runner);
    const double Ratio = RunnerMedian / BareMedian;
    std::printf("runner overhead: %s, median of %d runs\n", Program, Runs);
    std::printf("  bare posix_spawn + read + wait: %8.1f us\n", BareMedian);
    std::printf("  RunAndCapture:                  %8.1f us\n", RunnerMedian);
    std::printf("  ratio %.3f (target <= %.2f): %s\n", Ratio, Target,
                Ratio <= Target ? "met" : "NOT met");
    return 0;
}
