#include "tests/signing/runner/LeakProbe.h"

#include <windows.h>

// Wine answers 0 here, so under Wine the handle comparison holds trivially;
// on Windows it counts.
std::size_t OpenHandleCount() {
    DWORD Count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &Count);
    return Count;
}

// An ended Windows process lingers only while a handle to it is open, which
// OpenHandleCount sees.
bool HasZombieChild() {
    return false;
}

bool ProcessIsRunning(unsigned long Pid) {
    const HANDLE Process = OpenProcess(SYNCHRONIZE, FALSE, Pid);
    if (!Process)
        return false;
    const bool Running = WaitForSingleObject(Process, 0) == WAIT_TIMEOUT;
    CloseHandle(Process);
    return Running;
}
