#include "tools/signtool/ChildProcess.h"

#include "core/ChildProcess_posix.h"
#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"

#include <algorithm>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace {

constexpr int SecretFd = 3;

[[noreturn]] void RaiseErrno() {
    RaiseOSError(static_cast<std::uint32_t>(errno));
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

} // namespace

TChildResult RunChild(const std::vector<std::string>& Argv, const std::string& Secret,
                      std::size_t OutputLimit) {
    TChildResult Result;
    TUniqueFd SecretRead;
    if (!Secret.empty())
        SecretRead = SecretPipe(Secret);
    TPipe Output = MakePipe();

    TSpawnActions Actions;
    Actions.Open(STDIN_FILENO, "/dev/null", O_RDONLY);
    Actions.Dup2(Output.Write.Get(), STDOUT_FILENO);
    Actions.Dup2(Output.Write.Get(), STDERR_FILENO);
    if (SecretRead.IsOpen())
        Actions.Dup2(SecretRead.Get(), SecretFd);
    // Whatever else our own caller let us inherit stays with us.
    Actions.CloseFrom(SecretRead.IsOpen() ? SecretFd + 1 : SecretFd);

    TSpawnRequest Request;
    Request.Program = Argv.at(0);
    Request.Argv = Argv;
    Request.SearchPath = true;
    Request.Actions = &Actions;
    TChildProcess Child;
    if (const int Error = SpawnProcess(Request, Child)) {
        Result.StartError = Error;
        return Result;
    }
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
    const std::optional<int> Status = Child.Wait();
    if (!Status)
        RaiseErrno();
    Result.ExitStatus = ExitCodeOf(*Status);
    return Result;
}
