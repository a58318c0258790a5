// Starting quorvel_reliability_child from a test and ending it hard, as a
// crash or a power cut would: SIGKILL on Linux, TerminateProcess on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Full path of quorvel_reliability_child, as the running test's platform names it.
std::string ReliabilityChildPath();

class THelperProcess {
public:
    // Starts the helper with Args; it inherits this process's environment.
    explicit THelperProcess(const std::vector<std::string>& Args);
    ~THelperProcess(); // kills and reaps a helper still running
    THelperProcess(const THelperProcess&) = delete;
    THelperProcess& operator=(const THelperProcess&) = delete;

    // Ends the helper without warning, wherever it is, and reaps it.
    void Kill();

private:
    std::uintptr_t Process = 0; // pid or process handle
    bool Reaped = false;
};
