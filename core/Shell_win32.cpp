#include "core/Shell.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

void ShellOpen(void* OwnerWindow, const std::string& Address) {
    ShellExecuteA(static_cast<HWND>(OwnerWindow), nullptr, Address.c_str(), "", "", SW_SHOWNORMAL);
}

bool ShellOpenEx(const std::string& Target) {
    SHELLEXECUTEINFOA Info{};
    Info.cbSize = sizeof(Info);
    Info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_DOENVSUBST;
    Info.lpFile = Target.c_str();
    Info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExA(&Info) != FALSE;
}
