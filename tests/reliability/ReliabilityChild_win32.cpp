#include "tests/reliability/ReliabilityChild.h"

#include <windows.h>

unsigned long CurrentProcessId() {
    return GetCurrentProcessId();
}

// A real fault would bring up the system's crash reporting (winedbg under
// Wine); what the parent sees of a crash is this exit code.
void CrashNow() {
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(EXCEPTION_ACCESS_VIOLATION));
    ExitProcess(3); // not reached
}

void SleepForever() {
    for (;;)
        Sleep(INFINITE);
}
