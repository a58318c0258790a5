#include "core/ChildProcess_posix.h"

#include "core/UniqueFd.h"
#include "tests/helpers/ChildProc.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TSpawnRequest ChildProc(std::vector<std::string> Args) {
    TSpawnRequest Request;
    Request.Program = ChildProcPath();
    Request.Argv = {Request.Program};
    Request.Argv.insert(Request.Argv.end(), Args.begin(), Args.end());
    return Request;
}

bool ProcessExists(pid_t Pid) {
    return ::kill(Pid, 0) == 0 || errno != ESRCH;
}

} // namespace

TEST(ChildProcess, ExitCodesAndSignalsReadOneWay) {
    struct TCase {
        std::vector<std::string> Args;
        int Signal; // sent once the child runs, 0 for none
        int Expected;
    };
    const TCase Cases[] = {
        {{}, 0, 0},
        {{"exit", "3"}, 0, 3},
        {{"exit", "255"}, 0, 255},
        {{"sleep", "60"}, SIGTERM, 128 + SIGTERM},
        {{"sleep", "60"}, SIGKILL, 128 + SIGKILL},
    };
    for (const TCase& Case : Cases) {
        TChildProcess Child;
        ASSERT_EQ(SpawnProcess(ChildProc(Case.Args), Child), 0);
        if (Case.Signal)
            ::kill(Child.Pid(), Case.Signal);
        const std::optional<int> Status = Child.Wait();
        ASSERT_TRUE(Status.has_value());
        EXPECT_EQ(ExitCodeOf(*Status), Case.Expected) << Case.Expected;
        EXPECT_FALSE(Child.Running());
    }
}

TEST(ChildProcess, AMissingProgramGivesItsErrorAndNoChild) {
    for (const bool Search : {false, true}) {
        TSpawnRequest Request;
        Request.Program = Search ? "quorvel-no-such-program" : "/nonexistent/quorvel-program";
        Request.Argv = {Request.Program};
        Request.SearchPath = Search;
        TChildProcess Child;
        EXPECT_EQ(SpawnProcess(Request, Child), ENOENT) << Request.Program;
        EXPECT_FALSE(Child.Running());
    }
}

// The child starts with no signal blocked and SIGPIPE at its default even
// when the spawning thread blocks signals and the program ignores SIGPIPE.
TEST(ChildProcess, StartsWithDefaultSignals) {
    sigset_t Blocked, Old;
    sigemptyset(&Blocked);
    sigaddset(&Blocked, SIGUSR1);
    sigaddset(&Blocked, SIGTERM);
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &Blocked, &Old), 0);
    struct sigaction Ignore {
    }, OldPipe{};
    Ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(sigaction(SIGPIPE, &Ignore, &OldPipe), 0);

    int Fds[2];
    ASSERT_EQ(::pipe2(Fds, O_CLOEXEC), 0);
    TUniqueFd Read(Fds[0]), Write(Fds[1]);
    TSpawnActions Actions;
    Actions.Dup2(Write.Get(), STDOUT_FILENO);
    TSpawnRequest Request = ChildProc({"signals"});
    Request.Actions = &Actions;
    TChildProcess Child;
    const int Started = SpawnProcess(Request, Child);
    pthread_sigmask(SIG_SETMASK, &Old, nullptr);
    sigaction(SIGPIPE, &OldPipe, nullptr);
    ASSERT_EQ(Started, 0);
    Write.Close();
    std::string Output;
    ASSERT_EQ(ReadAllFromFd(Read.Get(), Output), 0);
    EXPECT_EQ(Output.substr(0, Output.find_first_of("\r\n")), "blocked=0 pipe=default");
    ASSERT_TRUE(Child.Wait().has_value());
}

// A signal handler installed without SA_RESTART interrupts waitpid again and
// again; the wait goes on and still gives the child's own code.
TEST(ChildProcess, WaitGoesOnAfterInterruptions) {
    struct sigaction Tick {
    }, OldTick{};
    Tick.sa_handler = [](int) {};
    ASSERT_EQ(sigaction(SIGALRM, &Tick, &OldTick), 0);
    itimerval Every{{0, 5000}, {0, 5000}}, Off{};
    ASSERT_EQ(setitimer(ITIMER_REAL, &Every, nullptr), 0);

    TChildProcess Child;
    const int Started = SpawnProcess(ChildProc({"sleep", "1", "exit", "7"}), Child);
    const std::optional<int> Status = Started == 0 ? Child.Wait() : std::nullopt;
    setitimer(ITIMER_REAL, &Off, nullptr);
    sigaction(SIGALRM, &OldTick, nullptr);
    ASSERT_EQ(Started, 0);
    ASSERT_TRUE(Status.has_value());
    EXPECT_EQ(ExitCodeOf(*Status), 7);
}

// Dropping a child that still runs ends it and reaps it: no stray process and
// no zombie is left.
TEST(ChildProcess, DestructionKillsAndReapsARunningChild) {
    pid_t Pid = 0;
    {
        TChildProcess Child;
        ASSERT_EQ(SpawnProcess(ChildProc({"sleep", "60"}), Child), 0);
        Pid = Child.Pid();
        EXPECT_FALSE(Child.WaitIfEnded().has_value());
        EXPECT_TRUE(Child.Running());
    }
    EXPECT_FALSE(ProcessExists(Pid));
}

TEST(ChildProcess, WaitIfEndedReapsAnEndedChildOnce) {
    TChildProcess Child;
    ASSERT_EQ(SpawnProcess(ChildProc({"exit", "5"}), Child), 0);
    const pid_t Pid = Child.Pid();
    std::optional<int> Status;
    // The child ends on its own; a generous bound stands in for "soon".
    for (int Try = 0; Try < 3000 && !Status; ++Try) {
        Status = Child.WaitIfEnded();
        if (!Status)
            ::usleep(10000);
    }
    ASSERT_TRUE(Status.has_value());
    EXPECT_EQ(ExitCodeOf(*Status), 5);
    EXPECT_FALSE(Child.Running());
    EXPECT_FALSE(ProcessExists(Pid));
}
