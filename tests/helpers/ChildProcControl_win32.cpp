#include "tests/helpers/ChildProc.h"

std::string PathForTestPlatform(std::string Path) {
    if (!Path.empty() && Path.front() == '/') {
        for (char& C : Path)
            if (C == '/')
                C = '\\';
        Path = "Z:" + Path;
    }
    return Path;
}

std::string ChildProcPath() {
    return PathForTestPlatform(QUORVEL_CHILDPROC_PATH);
}

#include <windows.h>

void EndProcess(unsigned long Pid) {
    if (HANDLE Process = OpenProcess(PROCESS_TERMINATE, FALSE, Pid)) {
        TerminateProcess(Process, 1);
        CloseHandle(Process);
    }
}
