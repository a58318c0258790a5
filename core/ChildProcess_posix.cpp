#include "core/ChildProcess_posix.h"

#include "core/QuorvelErrors.h"

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <utility>

extern char** environ;

namespace {

void Check(int Error) {
    if (Error != 0)
        RaiseOSError(static_cast<std::uint32_t>(Error));
}

class TSpawnAttributes {
public:
    explicit TSpawnAttributes(bool NewSession) {
        Check(::posix_spawnattr_init(&Attributes));
        sigset_t None, All;
        sigemptyset(&None);
        sigfillset(&All);
        short Flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (NewSession)
            Flags |= POSIX_SPAWN_SETSID;
        if (int Error = ::posix_spawnattr_setsigmask(&Attributes, &None))
            Fail(Error);
        if (int Error = ::posix_spawnattr_setsigdefault(&Attributes, &All))
            Fail(Error);
        if (int Error = ::posix_spawnattr_setflags(&Attributes, Flags))
            Fail(Error);
    }
    TSpawnAttributes(const TSpawnAttributes&) = delete;
    TSpawnAttributes& operator=(const TSpawnAttributes&) = delete;
    ~TSpawnAttributes() { ::posix_spawnattr_destroy(&Attributes); }
    const posix_spawnattr_t* Get() const { return &Attributes; }

private:
    [[noreturn]] void Fail(int Error) {
        ::posix_spawnattr_destroy(&Attributes);
        RaiseOSError(static_cast<std::uint32_t>(Error));
    }
    posix_spawnattr_t Attributes;
};

} // namespace

TSpawnActions::TSpawnActions() {
    Check(::posix_spawn_file_actions_init(&Actions));
}

TSpawnActions::~TSpawnActions() {
    ::posix_spawn_file_actions_destroy(&Actions);
}

void TSpawnActions::Dup2(int From, int To) {
    Check(::posix_spawn_file_actions_adddup2(&Actions, From, To));
}

void TSpawnActions::Open(int Fd, const char* Path, int Flags) {
    Check(::posix_spawn_file_actions_addopen(&Actions, Fd, Path, Flags, 0));
}

void TSpawnActions::CloseFrom(int Lowest) {
    Check(::posix_spawn_file_actions_addclosefrom_np(&Actions, Lowest));
}

TChildProcess::TChildProcess(TChildProcess&& Other) noexcept
    : ProcessId(std::exchange(Other.ProcessId, 0)) {}

TChildProcess& TChildProcess::operator=(TChildProcess&& Other) noexcept {
    if (this != &Other) {
        Kill();
        ProcessId = std::exchange(Other.ProcessId, 0);
    }
    return *this;
}

TChildProcess::~TChildProcess() {
    Kill();
}

std::optional<int> TChildProcess::Reap(int Options) {
    if (!Running()) {
        errno = ECHILD;
        return std::nullopt;
    }
    int Status = 0;
    pid_t Result;
    do
        Result = ::waitpid(ProcessId, &Status, Options);
    while (Result < 0 && errno == EINTR);
    if (Result == 0)
        return std::nullopt;
    ProcessId = 0;
    if (Result < 0)
        return std::nullopt;
    return Status;
}

std::optional<int> TChildProcess::Wait() {
    return Reap(0);
}

std::optional<int> TChildProcess::WaitIfEnded() {
    return Reap(WNOHANG);
}

void TChildProcess::Kill() {
    if (!Running())
        return;
    const int Saved = errno;
    ::kill(ProcessId, SIGKILL);
    Reap(0);
    errno = Saved;
}

pid_t TChildProcess::Release() {
    return std::exchange(ProcessId, 0);
}

int SpawnProcess(const TSpawnRequest& Request, TChildProcess& Child) {
    const TSpawnAttributes Attributes(Request.NewSession);
    std::vector<char*> Argv;
    Argv.reserve(Request.Argv.size() + 1);
    for (const std::string& Arg : Request.Argv)
        Argv.push_back(const_cast<char*>(Arg.c_str()));
    Argv.push_back(nullptr);
    char* const* Environment = Request.Environment ? Request.Environment : environ;
    const posix_spawn_file_actions_t* Actions = Request.Actions ? Request.Actions->Get() : nullptr;
    auto* Spawn = Request.SearchPath ? ::posix_spawnp : ::posix_spawn;
    pid_t Pid = 0;
    if (const int Error = Spawn(&Pid, Request.Program.c_str(), Actions, Attributes.Get(),
                                Argv.data(), Environment))
        return Error;
    Child = TChildProcess(Pid);
    return 0;
}

int ExitCodeOf(int WaitStatus) {
    if (WIFEXITED(WaitStatus))
        return WEXITSTATUS(WaitStatus);
    if (WIFSIGNALED(WaitStatus))
        return 128 + WTERMSIG(WaitStatus);
    return -1;
}
