#include "tests/reliability/ReliabilityChild.h"

#include <csignal>
#include <unistd.h>

unsigned long CurrentProcessId() {
    return static_cast<unsigned long>(::getpid());
}

void CrashNow() {
    std::signal(SIGSEGV, SIG_DFL);
    ::raise(SIGSEGV);
    ::_exit(3); // not reached
}

void SleepForever() {
    for (;;)
        ::pause();
}
