#include "Shell.h"

#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
// Starts the desktop's opener detached: the intermediate child exits at once
// and is reaped here, so the opener never becomes our zombie.
void SpawnDetachedOpener(const std::string& Target) {
    const pid_t Child = fork();
    if (Child < 0)
        return;
    if (Child == 0) {
        setsid();
        pid_t Opener;
        char* Argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(Target.c_str()), nullptr};
        posix_spawnp(&Opener, "xdg-open", nullptr, nullptr, Argv, environ);
        _exit(0);
    }
    int Status = 0;
    while (waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
    }
}
} // namespace

void ShellOpen(void*, const std::string& Address) {
    SpawnDetachedOpener(Address);
}

void ShellOpenEx(const std::string& Target) {
    SpawnDetachedOpener(Target);
}
