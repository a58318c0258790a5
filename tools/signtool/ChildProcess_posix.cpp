#include "tools/signtool/ChildProcess.h"

#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int SecretFd = 3;

[[noreturn]] void RaiseErrno() {
    RaiseOSError(static_cast<std::uint32_t>(errno));
}

void Check(int SpawnResult) {
    if (SpawnResult != 0)
        RaiseOSError(static_cast<std::uint32_t>(SpawnResult));
}

struct TPipe {
    TUniqueFd Read, Write;
};

// Both ends close on exec, and neither sits on 0 to 3, where the child's
// own descriptors are being set up from them.
TPipe MakePipe() {
    int Fds[2];
    if (::pipe2(Fds, O_CLOEXEC) != 0)
        RaiseErrno();
    TPipe Pipe{TUniqueFd(Fds[0]), TUniqueFd(Fds[1])};
    for (TUniqueFd* End : {&Pipe.Read, &Pipe.Write})
        if (End->Get() <= SecretFd) {
            const int Moved = ::fcntl(End->Get(), F_DUPFD_CLOEXEC, SecretFd + 1);
            if (Moved < 0)
                RaiseErrno();
            *End = TUniqueFd(Moved);
        }
    return Pipe;
}

// The secret is written before the child starts, so the pipe must hold all
// of it; the write end is closed at once, so the child reads it to its end.
TUniqueFd SecretPipe(const std::string& Secret) {
    if (Secret.size() > MaxSecretSize)
        RaiseOSError(static_cast<std::uint32_t>(E2BIG));
    TPipe Pipe = MakePipe();
    std::size_t Done = 0;
    while (Done < Secret.size()) {
        const ssize_t Wrote = ::write(Pipe.Write.Get(), Secret.data() + Done, Secret.size() - Done);
        if (Wrote < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno();
        }
        Done += static_cast<std::size_t>(Wrote);
    }
    return std::move(Pipe.Read);
}

class TSpawnActions {
public:
    TSpawnActions() { Check(::posix_spawn_file_actions_init(&Actions)); }
    TSpawnActions(const TSpawnActions&) = delete;
    TSpawnActions& operator=(const TSpawnActions&) = delete;
    ~TSpawnActions() { ::posix_spawn_file_actions_destroy(&Actions); }
    posix_spawn_file_actions_t* Get() { return &Actions; }

private:
    posix_spawn_file_actions_t Actions;
};

// A started child is always reaped; one left behind by an error is killed
// first.
class TChild {
public:
    explicit TChild(pid_t Pid) : Pid(Pid) {}
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;
    ~TChild() {
        if (!Reaped) {
            ::kill(Pid, SIGKILL);
            Wait();
        }
    }
    int Wait() {
        int Status = 0;
        pid_t Got;
        do
            Got = ::waitpid(Pid, &Status, 0);
        while (Got < 0 && errno == EINTR);
        Reaped = true;
        if (Got < 0)
            RaiseErrno();
        if (WIFEXITED(Status))
            return WEXITSTATUS(Status);
        if (WIFSIGNALED(Status))
            return 128 + WTERMSIG(Status);
        return -1;
    }

private:
    pid_t Pid;
    bool Reaped = false;
};

} // namespace

TChildResult RunChild(const std::vector<std::string>& Argv, const std::string& Secret,
                      std::size_t OutputLimit) {
    TChildResult Result;
    TUniqueFd SecretRead;
    if (!Secret.empty())
        SecretRead = SecretPipe(Secret);
    TPipe Output = MakePipe();

    TSpawnActions Actions;
    Check(
        ::posix_spawn_file_actions_addopen(Actions.Get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0));
    Check(::posix_spawn_file_actions_adddup2(Actions.Get(), Output.Write.Get(), STDOUT_FILENO));
    Check(::posix_spawn_file_actions_adddup2(Actions.Get(), Output.Write.Get(), STDERR_FILENO));
    if (SecretRead.IsOpen())
        Check(::posix_spawn_file_actions_adddup2(Actions.Get(), SecretRead.Get(), SecretFd));
    // Whatever else our own caller let us inherit stays with us.
    Check(::posix_spawn_file_actions_addclosefrom_np(
        Actions.Get(), SecretRead.IsOpen() ? SecretFd + 1 : SecretFd));

    std::vector<char*> Args;
    Args.reserve(Argv.size() + 1);
    for (const std::string& Arg : Argv)
        Args.push_back(const_cast<char*>(Arg.c_str()));
    Args.push_back(nullptr);

    pid_t Pid = 0;
    // glibc reports a failed exec as the result of posix_spawnp itself.
    if (const int Error =
            ::posix_spawnp(&Pid, Args[0], Actions.Get(), nullptr, Args.data(), environ)) {
        Result.StartError = Error;
        return Result;
    }
    TChild Child(Pid);
    Result.Started = true;
    Output.Write.Close();
    SecretRead.Close();

    char Buffer[4096];
    for (;;) {
        const ssize_t Got = ::read(Output.Read.Get(), Buffer, sizeof Buffer);
        if (Got == 0)
            break;
        if (Got < 0) {
            if (errno == EINTR)
                continue;
            RaiseErrno();
        }
        const std::size_t Room = OutputLimit - std::min(OutputLimit, Result.Output.size());
        Result.Output.append(Buffer, std::min(Room, static_cast<std::size_t>(Got)));
    }
    Result.ExitStatus = Child.Wait();
    return Result;
}
