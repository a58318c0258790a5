#include "update/OpenSslLoader.h"

#include "core/Win32Handles.h"

#include <windows.h>

#include <lm.h>

TLibraryOpener PlatformLibraryOpener() {
    return {
        // The application folder and System32 only: a DLL planted in the
        // current folder or on PATH is never picked up.
        [](const std::string& Name) -> void* {
            return LoadLibraryExA(Name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        },
        [](void* Library, const char* Symbol) -> void* {
            return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(Library), Symbol));
        },
        [](void* Library) { FreeLibrary(static_cast<HMODULE>(Library)); },
    };
}

std::vector<TOpenSslNames> PlatformOpenSslNames() {
    std::vector<TOpenSslNames> Names = {{"libcrypto-3.dll", "libssl-3.dll"},
                                        {"libcrypto-1_1.dll", "libssl-1_1.dll"}};
    // The official 64-bit builds carry an -x64 suffix.
    if (sizeof(void*) == 8) {
        Names.push_back({"libcrypto-3-x64.dll", "libssl-3-x64.dll"});
        Names.push_back({"libcrypto-1_1-x64.dll", "libssl-1_1-x64.dll"});
    }
    return Names;
}

bool PlatformAllowsTls() {
    Win32::TNetBuffer Buffer;
    if (NetWkstaGetInfo(nullptr, 100, Buffer.put()) != NERR_Success || !Buffer)
        return false;
    return reinterpret_cast<const WKSTA_INFO_100*>(Buffer.get())->wki100_ver_major >= 6;
}
