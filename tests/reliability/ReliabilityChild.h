// The platform side of quorvel_reliability_child.
#pragma once

#include <string>

unsigned long CurrentProcessId();
// Ends this process the way a crash does: by SIGSEGV on Linux; on Windows
// with the exit code of an access violation.
[[noreturn]] void CrashNow();
[[noreturn]] void SleepForever();
