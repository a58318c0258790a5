// Finding Quorvel's main window from outside its process, for the tests and
// the start-up benchmark that run Quorvel.exe as a user would.
#pragma once

#include <windows.h>

#include <cstring>

namespace ProgramWindowDetail {
struct TSearch {
    DWORD ProcessId;
    HWND Window;
};

inline BOOL CALLBACK Visit(HWND Window, LPARAM Param) {
    auto* Search = reinterpret_cast<TSearch*>(Param);
    DWORD Owner = 0;
    GetWindowThreadProcessId(Window, &Owner);
    char Class[64] = {};
    GetClassNameA(Window, Class, sizeof(Class));
    if (Owner != Search->ProcessId || std::strcmp(Class, "QuorvelMainWindow") != 0)
        return TRUE;
    Search->Window = Window;
    return FALSE;
}
} // namespace ProgramWindowDetail

// The main window of process ProcessId, or nullptr while it has none.
inline HWND FindProgramWindow(DWORD ProcessId) {
    ProgramWindowDetail::TSearch Search{ProcessId, nullptr};
    EnumWindows(ProgramWindowDetail::Visit, reinterpret_cast<LPARAM>(&Search));
    return Search.Window;
}
