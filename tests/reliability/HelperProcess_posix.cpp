#include "tests/reliability/HelperProcess.h"

#include "core/ChildProcess_posix.h"

#include <stdexcept>

std::string ReliabilityChildPath() {
    return QUORVEL_RELIABILITY_CHILD_PATH;
}

THelperProcess::THelperProcess(const std::vector<std::string>& Args) {
    TSpawnRequest Request;
    Request.Program = ReliabilityChildPath();
    Request.Argv = {Request.Program};
    Request.Argv.insert(Request.Argv.end(), Args.begin(), Args.end());
    TChildProcess Child;
    if (SpawnProcess(Request, Child) != 0)
        throw std::runtime_error("cannot start " + Request.Program);
    Process = static_cast<std::uintptr_t>(Child.Release());
}

THelperProcess::~THelperProcess() {
    Kill();
}

void THelperProcess::Kill() {
    if (Reaped)
        return;
    TChildProcess(static_cast<pid_t>(Process)).Kill();
    Reaped = true;
}
