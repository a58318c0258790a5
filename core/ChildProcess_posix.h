// Starting and reaping child processes on POSIX systems, one way for every
// caller: the runner, the signtool stand-in, the shell's opener and tests.
#pragma once

#include <spawn.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// What the child's descriptors become. A failure to record an action raises
// EOSError.
class TSpawnActions {
public:
    TSpawnActions();
    TSpawnActions(const TSpawnActions&) = delete;
    TSpawnActions& operator=(const TSpawnActions&) = delete;
    ~TSpawnActions();

    // glibc clears close-on-exec when From equals To, so a pipe end that
    // already sits on To is passed on too.
    void Dup2(int From, int To);
    void Open(int Fd, const char* Path, int Flags);
    // Closes every descriptor from Lowest up, so nothing else is inherited.
    void CloseFrom(int Lowest);
    const posix_spawn_file_actions_t* Get() const { return &Actions; }

private:
    posix_spawn_file_actions_t Actions;
};

// A started child. It is reaped exactly once: by Wait or WaitIfEnded, or on
// destruction, which kills a child still running (SIGKILL) and then reaps it,
// so no owner ever leaves a zombie or a stray process behind.
class TChildProcess {
public:
    TChildProcess() = default;
    explicit TChildProcess(pid_t Pid) : ProcessId(Pid) {}
    TChildProcess(TChildProcess&& Other) noexcept;
    TChildProcess& operator=(TChildProcess&& Other) noexcept;
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;
    ~TChildProcess();

    pid_t Pid() const { return ProcessId; }
    // Started and not yet reaped.
    bool Running() const { return ProcessId > 0; }

    // Waits until the child ends and gives its wait status; nothing with
    // errno set when waitpid fails (the child then counts as gone).
    std::optional<int> Wait();
    // The wait status when the child has ended, without blocking; nothing
    // while it runs, or when waitpid fails (Running() then turns false).
    std::optional<int> WaitIfEnded();
    // Ends the child at once and reaps it; errno is kept.
    void Kill();
    // Gives up ownership without reaping, for a caller that reaps elsewhere.
    pid_t Release();

private:
    std::optional<int> Reap(int Options);
    pid_t ProcessId = 0;
};

struct TSpawnRequest {
    std::string Program;           // a path, or a name to look up on PATH
    std::vector<std::string> Argv; // argv[0] included
    bool SearchPath = false;       // look Program up on PATH when it holds no "/"
    const TSpawnActions* Actions = nullptr;
    char* const* Environment = nullptr; // nullptr: this program's own
    bool NewSession = false;            // the child leads a session of its own
};

// Starts the child with every signal at its default and none blocked,
// whatever this thread blocks or this program ignores. 0 with Child owning
// the new process, or the errno value when it could not start (glibc reports
// a failed exec here and reaps the short-lived child itself).
int SpawnProcess(const TSpawnRequest& Request, TChildProcess& Child);

// The code a wait status stands for: the exit code, 128 plus the number of
// the signal that ended the child (as shells report it), or -1 otherwise.
int ExitCodeOf(int WaitStatus);
