// Start-up time of Quorvel.exe: from process creation to the main window shown,
// and to the end of the start-up sequence (the caption carries the version and
// the window answers again). Ten runs; prints the medians, targets and ratios.
// Built and run by startup.sh; a Windows program, so it runs under Wine here.
#include "tests/ui/win32/ProgramWindow.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration Span) {
    return std::chrono::duration<double, std::milli>(Span).count();
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    const std::size_t Half = Values.size() / 2;
    return Values.size() % 2 ? Values[Half] : (Values[Half - 1] + Values[Half]) / 2;
}

// One run; false when the program did not come up within a minute.
bool RunOnce(const std::string& Exe, double& Shown, double& Started) {
    STARTUPINFOA Startup{};
    Startup.cb = sizeof(Startup);
    PROCESS_INFORMATION Process{};
    std::string Line = "\"" + Exe + "\"";
    const Clock::time_point Begin = Clock::now();
    if (!CreateProcessA(Exe.c_str(), Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process))
        return false;
    HWND Window = nullptr;
    bool Ok = false;
    Shown = Started = 0;
    while (Clock::now() - Begin < std::chrono::minutes(1)) {
        if (!Window)
            Window = FindProgramWindow(Process.dwProcessId);
        if (Window && Shown == 0 && IsWindowVisible(Window))
            Shown = Ms(Clock::now() - Begin);
        char Caption[128] = {};
        if (Window && GetWindowTextA(Window, Caption, sizeof(Caption)) &&
            std::string(Caption).find(" v") != std::string::npos) {
            // The caption is set early in the sequence; the window answers
            // again once the whole sequence has run.
            DWORD_PTR Ignored = 0;
            SendMessageTimeoutA(Window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &Ignored);
            Started = Ms(Clock::now() - Begin);
            Ok = true;
            break;
        }
        Sleep(1);
    }
    if (Window)
        PostMessageA(Window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(Process.hProcess, 60000) != WAIT_OBJECT_0)
        TerminateProcess(Process.hProcess, 1);
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return Ok;
}

} // namespace

int main(int Count, char** Arguments) {
    if (Count < 2) {
        std::fprintf(stderr, "usage: StartupBench <path of Quorvel.exe> [runs]\n");
        return 2;
    }
    const int Runs = Count > 2 ? std::max(1, std::atoi(Arguments[2])) : 10;
    std::vector<double> Shown, Started;
    // One run first, not counted: Wine's own first-start costs are not ours.
    double First = 0, FirstDone = 0;
    RunOnce(Arguments[1], First, FirstDone);
    for (int Run = 0; Run < Runs; ++Run) {
        double S = 0, D = 0;
        if (!RunOnce(Arguments[1], S, D)) {
            std::fprintf(stderr, "run %d: the program did not finish its start-up\n", Run + 1);
            return 1;
        }
        Shown.push_back(S);
        Started.push_back(D);
    }
    const double ShownTarget = 1000, StartedTarget = 1500;
    std::printf("runs: %d (after one warm-up run)\n", Runs);
    std::printf("window shown:           median %7.1f ms  target %6.0f ms  ratio %.2f\n",
                Median(Shown), ShownTarget, Median(Shown) / ShownTarget);
    std::printf("start-up sequence done: median %7.1f ms  target %6.0f ms  ratio %.2f\n",
                Median(Started), StartedTarget, Median(Started) / StartedTarget);
    return 0;
}
