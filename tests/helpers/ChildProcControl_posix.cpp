#include "tests/helpers/ChildProc.h"

std::string PathForTestPlatform(std::string BuildPath) {
    return BuildPath;
}

std::string ChildProcPath() {
    return QUORVEL_CHILDPROC_PATH;
}

#include <csignal>

void EndProcess(unsigned long Pid) {
    ::kill(static_cast<pid_t>(Pid), SIGKILL);
}
