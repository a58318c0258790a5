#include "ChildProc.h"

// Cross-built tests run under Wine, whose drive Z: is the build machine's
// root folder.
std::string ChildProcPath() {
    std::string Path = QUORVEL_CHILDPROC_PATH;
    if (!Path.empty() && Path.front() == '/') {
        for (char& C : Path)
            if (C == '/')
                C = '\\';
        Path = "Z:" + Path;
    }
    return Path;
}

#include <windows.h>

void EndProcess(unsigned long Pid) {
    if (HANDLE Process = OpenProcess(PROCESS_TERMINATE, FALSE, Pid)) {
        TerminateProcess(Process, 1);
        CloseHandle(Process);
    }
}
