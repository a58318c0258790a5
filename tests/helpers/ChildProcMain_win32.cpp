#include "tests/helpers/ChildProcMain.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>

void WriteTo(TStream Stream, std::string_view Bytes) {
    const HANDLE Handle =
        GetStdHandle(Stream == TStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    while (!Bytes.empty()) {
        DWORD Done = 0;
        const DWORD Size = static_cast<DWORD>(std::min<std::size_t>(Bytes.size(), 1 << 20));
        if (!WriteFile(Handle, Bytes.data(), Size, &Done, nullptr))
            std::exit(124);
        Bytes.remove_prefix(Done);
    }
}

unsigned long StartGrandchild(bool Flood) {
    char Self[MAX_PATH];
    const DWORD Length = GetModuleFileNameA(nullptr, Self, MAX_PATH);
    if (Length == 0 || Length >= MAX_PATH)
        std::exit(123);
    std::string CommandLine =
        "\"" + std::string(Self, Length) + (Flood ? "\" flood" : "\" sleep 3600");
    STARTUPINFOA Startup{};
    Startup.cb = sizeof(Startup);
    Startup.dwFlags = STARTF_USESTDHANDLES;
    Startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    Startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    Startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION Process{};
    if (!CreateProcessA(nullptr, CommandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &Startup, &Process))
        std::exit(123);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return Process.dwProcessId;
}

void SleepSeconds(unsigned Seconds) {
    Sleep(Seconds * 1000);
}

std::string SignalState() {
    return "signals n/a";
}
