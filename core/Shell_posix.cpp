#include "core/Shell.h"

#include "core/ChildProcess_posix.h"

#include <system_error>
#include <thread>

namespace {
// Starts the desktop's opener, xdg-open, in a session of its own, so it
// outlives us and keeps none of our terminal. Starting it is the answer: what
// it does then is its own. It is started straight from this thread (no fork
// of a program whose other threads may hold locks) and reaped by a detached
// thread, since xdg-open may run as long as the program it opens and the
// caller is a window that must not block; a reaper still waiting when the
// program ends goes with it, and init reaps the opener.
bool SpawnDetachedOpener(const std::string& Target) {
    TSpawnRequest Request;
    Request.Program = "xdg-open";
    Request.Argv = {"xdg-open", Target};
    Request.SearchPath = true;
    Request.NewSession = true;
    TChildProcess Opener;
    if (SpawnProcess(Request, Opener) != 0)
        return false;
    const pid_t Pid = Opener.Release();
    try {
        std::thread([Pid] { TChildProcess(Pid).Wait(); }).detach();
    } catch (const std::system_error&) {
        // No thread to reap it: it is left running rather than killed, and
        // init reaps it when we end.
    }
    return true;
}
} // namespace

void ShellOpen(void*, const std::string& Address) {
    SpawnDetachedOpener(Address);
}

bool ShellOpenEx(const std::string& Target) {
    return SpawnDetachedOpener(Target);
}
