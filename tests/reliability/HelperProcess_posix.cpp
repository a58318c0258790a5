#include "tests/reliability/HelperProcess.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>

extern char** environ;

std::string ReliabilityChildPath() {
    return QUORVEL_RELIABILITY_CHILD_PATH;
}

THelperProcess::THelperProcess(const std::vector<std::string>& Args) {
    std::vector<std::string> Argv{ReliabilityChildPath()};
    Argv.insert(Argv.end(), Args.begin(), Args.end());
    std::vector<char*> Pointers;
    for (auto& Arg : Argv)
        Pointers.push_back(Arg.data());
    Pointers.push_back(nullptr);
    pid_t Pid = 0;
    if (::posix_spawn(&Pid, Argv[0].c_str(), nullptr, nullptr, Pointers.data(), environ) != 0)
        throw std::runtime_error("cannot start " + Argv[0]);
    Process = static_cast<std::uintptr_t>(Pid);
}

THelperProcess::~THelperProcess() {
    Kill();
}

void THelperProcess::Kill() {
    if (Reaped)
        return;
    const auto Pid = static_cast<pid_t>(Process);
    ::kill(Pid, SIGKILL);
    int Status = 0;
    while (::waitpid(Pid, &Status, 0) < 0 && errno == EINTR) {
    }
    Reaped = true;
}
