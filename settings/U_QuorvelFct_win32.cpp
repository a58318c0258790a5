#include "settings/U_QuorvelFct.h"

#include "core/QuorvelErrors.h"

#include <windows.h>

namespace {
struct TLibrary {
    HMODULE H;
    ~TLibrary() {
        if (H)
            FreeLibrary(H);
    }
};
} // namespace

bool Is64BitWindows() {
    TLibrary Kernel{LoadLibraryA("kernel32.dll")};
    if (!Kernel.H)
        RaiseLastOSError();
    using TIsWow64Process = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto IsWow64 = reinterpret_cast<TIsWow64Process>(
        reinterpret_cast<void*>(GetProcAddress(Kernel.H, "IsWow64Process")));
    if (!IsWow64)
        return false; // older Windows: no WOW64 at all
    BOOL Flag = FALSE;
    if (!IsWow64(GetCurrentProcess(), &Flag))
        RaiseLastOSError();
    return Flag != FALSE;
}
