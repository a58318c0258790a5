// What a run could leave behind in the test process.
#pragma once

#include <cstddef>

// Open descriptors (POSIX) or handles (Windows) of this process.
std::size_t OpenHandleCount();

// True when a child of this process has ended and was never waited for.
bool HasZombieChild();

// True while the process Pid (a grandchild a run left behind) has not ended.
bool ProcessIsRunning(unsigned long Pid);
