// The runner on POSIX systems: the one command line is split into a program
// and its arguments as Windows would split it, the child is started with
// posix_spawn, and the pipe and the child's end are watched together with
// poll on a pidfd.
#include "core/ChildProcess_posix.h"
#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"
#include "signing/CommandLineSplit.h"
#include "signing/CommandRunner.h"
#include "signing/CommandRunnerOutput.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

extern char** environ;

namespace {

constexpr std::uint32_t NotStarted = 0xFFFFFFFF;
constexpr int PollIntervalMs = 20;

// A started child that is always reaped: on an error path it is killed first,
// so no run leaves a zombie or a stray process behind.
class TChild {
public:
    explicit TChild(TChildProcess Process) : Process(std::move(Process)) {}
    const std::optional<std::uint32_t>& Ended() const { return ExitCode; }

    // Reaps the child (Block: waiting; otherwise only if it has ended). A
    // child ended by a signal gives 128 plus the signal number.
    void Wait(bool Block) {
        const std::optional<int> Status = Block ? Process.Wait() : Process.WaitIfEnded();
        if (Status) {
            const int Code = ExitCodeOf(*Status);
            ExitCode = Code < 0 ? NotStarted : static_cast<std::uint32_t>(Code);
        } else if (!Process.Running()) {
            ExitCode = NotStarted;
        }
    }
    void Kill() { Process.Kill(); }

private:
    TChildProcess Process;
    std::optional<std::uint32_t> ExitCode;
};

// Windows looks a program up in the folders of the search path when its name
// holds no folder; a name with a folder is taken as it stands.
std::optional<std::string> LocateProgram(const std::string& Name) {
    auto IsFile = [](const std::string& Path) {
        struct stat Info {};
        return !Path.empty() && ::stat(Path.c_str(), &Info) == 0 && S_ISREG(Info.st_mode);
    };
    if (Name.find('/') != std::string::npos)
        return IsFile(Name) ? std::optional<std::string>(Name) : std::nullopt;
    if (Name.empty())
        return std::nullopt;
    const char* SearchPath = std::getenv("PATH");
    std::string_view Folders = SearchPath ? SearchPath : "/usr/bin:/bin";
    while (true) {
        const std::size_t Colon = Folders.find(':');
        std::string Folder(Folders.substr(0, Colon));
        const std::string Candidate = (Folder.empty() ? std::string(".") : Folder) + "/" + Name;
        if (IsFile(Candidate))
            return Candidate;
        if (Colon == std::string_view::npos)
            return std::nullopt;
        Folders.remove_prefix(Colon + 1);
    }
}

// Standard output and standard error both go to WriteEnd; standard input is
// the program's own. An empty child when it could not be started (errno set).
TChildProcess StartChild(const std::string& Program, const std::vector<std::string>& Args,
                         int WriteEnd, char* const* Environment) {
    TSpawnActions Actions;
    Actions.Dup2(WriteEnd, STDOUT_FILENO);
    Actions.Dup2(WriteEnd, STDERR_FILENO);
    TSpawnRequest Request;
    Request.Program = Program;
    Request.Argv = Args;
    Request.Actions = &Actions;
    Request.Environment = Environment;
    TChildProcess Child;
    if (const int Error = SpawnProcess(Request, Child))
        errno = Error;
    return Child;
}

TUniqueFd OpenPidFd(pid_t Pid) {
#ifdef SYS_pidfd_open
    return TUniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, Pid, 0)));
#else
    (void)Pid;
    errno = ENOSYS;
    return TUniqueFd();
#endif
}

// An unexpected failure once the child runs: the child is ended and reaped
// before the error is raised.
[[noreturn]] void FailRun(TChild& Child) {
    const int Error = errno;
    if (!Child.Ended())
        Child.Kill();
    RaiseOSError(static_cast<std::uint32_t>(Error));
}

// Reads at most Limit bytes into Collected and gives their number: 0 at the
// pipe's end (every writer gone) or, on a non-blocking pipe, when nothing is
// there.
std::size_t ReadChunk(int Fd, std::vector<char>& Buffer, std::size_t Limit,
                      TCollectedOutput& Collected, TChild& Child) {
    for (;;) {
        const ssize_t Got = ::read(Fd, Buffer.data(), std::min(Limit, Buffer.size()));
        if (Got > 0) {
            Collected.Take(Buffer.data(), static_cast<std::size_t>(Got));
            return static_cast<std::size_t>(Got);
        }
        if (Got == 0 || errno == EAGAIN)
            return 0;
        if (errno != EINTR)
            FailRun(Child);
    }
}

// Takes what is in the pipe once the child has ended, bounded by what was
// there when the drain began, so a grandchild that goes on writing cannot
// hold the run.
void Drain(int Fd, std::vector<char>& Buffer, TCollectedOutput& Collected, TChild& Child) {
    int Available = 0;
    const int Flags = ::fcntl(Fd, F_GETFL);
    if (Flags < 0 || ::fcntl(Fd, F_SETFL, Flags | O_NONBLOCK) != 0 ||
        ::ioctl(Fd, FIONREAD, &Available) != 0)
        FailRun(Child);
    std::size_t Remaining = static_cast<std::size_t>(Available);
    while (Remaining > 0) {
        const std::size_t Got = ReadChunk(Fd, Buffer, Remaining, Collected, Child);
        if (Got == 0)
            break;
        Remaining -= Got;
    }
}

} // namespace

std::uint32_t RunAndCapture(const std::string& CommandLine, std::string& Output) {
    return RunAndCaptureWith(CommandLine, Output, TRunOptions{});
}

std::uint32_t RunAndCaptureWith(const std::string& CommandLine, std::string& Output,
                                const TRunOptions& Options) {
    // The inherited environment is used as it stands unless something is added.
    std::vector<std::string> Entries;
    std::vector<char*> Environment;
    if (!Options.Environment.empty()) {
        std::vector<std::string> Inherited;
        for (char** Entry = environ; Entry && *Entry; ++Entry)
            Inherited.emplace_back(*Entry);
        std::optional<std::vector<std::string>> Merged =
            MergeEnvironment(Inherited, Options.Environment, false);
        if (!Merged) {
            errno = EINVAL;
            return NotStarted;
        }
        Entries = std::move(*Merged);
        for (std::string& Entry : Entries)
            Environment.push_back(Entry.data());
        Environment.push_back(nullptr);
    }

    const std::optional<TCommandLineProgram> Program =
        ResolveCommandLine(CommandLine, LocateProgram);
    if (!Program) {
        errno = ENOENT;
        return NotStarted;
    }

    int Ends[2];
    if (::pipe2(Ends, O_CLOEXEC) != 0)
        return static_cast<std::uint32_t>(errno);
    TUniqueFd ReadEnd(Ends[0]);
    TUniqueFd WriteEnd(Ends[1]);

    TChildProcess Started = StartChild(Program->File, Program->Args, WriteEnd.Get(),
                                       Environment.empty() ? environ : Environment.data());
    if (!Started.Running())
        return NotStarted;
    const pid_t Pid = Started.Pid();
    TChild Child(std::move(Started));
    WriteEnd.Close();

    TCollectedOutput Collected;
    std::vector<char> Buffer(64 * 1024);

    // The run ends with the child, not with the pipe: a grandchild may hold
    // the write end for as long as it lives. Where pidfds are missing (kernels
    // before 5.3) or filtered out, the child's end is polled for instead.
    TUniqueFd ChildEnd = OpenPidFd(Pid);
    if (!ChildEnd.IsOpen() && errno != ENOSYS && errno != EPERM)
        FailRun(Child);
    bool PipeOpen = true;
    while (PipeOpen) {
        pollfd Watch[2] = {{ReadEnd.Get(), POLLIN, 0}, {ChildEnd.Get(), POLLIN, 0}};
        const bool HavePidFd = ChildEnd.IsOpen();
        if (::poll(Watch, HavePidFd ? 2 : 1, HavePidFd ? -1 : PollIntervalMs) < 0) {
            if (errno == EINTR)
                continue;
            FailRun(Child);
        }
        if (!HavePidFd)
            Child.Wait(false);
        if (Child.Ended() || Watch[1].revents != 0)
            break;
        if (Watch[0].revents != 0)
            PipeOpen = ReadChunk(ReadEnd.Get(), Buffer, Buffer.size(), Collected, Child) > 0;
    }
    // Either the child has ended or every writer is gone; in the latter case
    // only the child's end is left to wait for.
    if (!Child.Ended())
        Child.Wait(true);
    if (PipeOpen)
        Drain(ReadEnd.Get(), Buffer, Collected, Child);
    Collected.DeliverTo(Output);
    return *Child.Ended();
}
