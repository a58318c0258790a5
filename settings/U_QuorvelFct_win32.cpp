#include "settings/U_QuorvelFct.h"

#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"

#include <windows.h>

bool Is64BitWindows() {
    Win32::TModule Kernel(LoadLibraryA("kernel32.dll"));
    if (!Kernel)
        RaiseLastOSError();
    using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto IsWow64 = reinterpret_cast<TIsWow64Process>(
        reinterpret_cast<void*>(GetProcAddress(Kernel.get(), "IsWow64Process")));
    if (!IsWow64)
        return false; // older Windows: no WOW64 at all
    BOOL Flag = FALSE;
    if (!IsWow64(GetCurrentProcess(), &Flag))
        RaiseLastOSError();
    return Flag != FALSE;
}
