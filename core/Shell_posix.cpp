#include "core/Shell.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
// Starts the desktop's opener detached: the intermediate child exits at once
// and is reaped here, so the opener never becomes our zombie. Its exit status
// tells whether the opener started; what the opener does then is its own.
bool SpawnDetachedOpener(const std::string& Target) {
    const pid_t Child = fork();
    if (Child < 0)
        return false;
    if (Child == 0) {
        setsid();
        pid_t Opener;
        char* Argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(Target.c_str()), nullptr};
        _exit(posix_spawnp(&Opener, "xdg-open", nullptr, nullptr, Argv, environ) == 0 ? 0 : 1);
    }
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(Status) && WEXITSTATUS(Status) == 0;
}
} // namespace

void ShellOpen(void*, const std::string& Address) {
    SpawnDetachedOpener(Address);
}

bool ShellOpenEx(const std::string& Target) {
    return SpawnDetachedOpener(Target);
}
