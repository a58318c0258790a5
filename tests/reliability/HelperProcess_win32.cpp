#include "tests/reliability/HelperProcess.h"

#include "tests/helpers/ChildProc.h"

#include <stdexcept>
#include <windows.h>

std::string ReliabilityChildPath() {
    return PathForTestPlatform(QUORVEL_RELIABILITY_CHILD_PATH);
}

THelperProcess::THelperProcess(const std::vector<std::string>& Args) {
    // The tests pass no argument with a blank or a quote.
    std::string CommandLine = "\"" + ReliabilityChildPath() + "\"";
    for (const auto& Arg : Args)
        CommandLine += " \"" + Arg + "\"";
    STARTUPINFOA Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Info{};
    if (!CreateProcessA(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Info))
        throw std::runtime_error("cannot start " + CommandLine);
    CloseHandle(Info.hThread);
    Process = reinterpret_cast<std::uintptr_t>(Info.hProcess);
}

THelperProcess::~THelperProcess() {
    Kill();
}

void THelperProcess::Kill() {
    if (Reaped)
        return;
    const auto Handle = reinterpret_cast<HANDLE>(Process);
    TerminateProcess(Handle, 1);
    WaitForSingleObject(Handle, INFINITE);
    CloseHandle(Handle);
    Reaped = true;
}
