#include "settings/EnvProbe.h"

#include "core/QuorvelErrors.h"
#include "settings/U_QuorvelFct.h"
#include "settings/versionhelpers.h"

#include <windows.h>

#include <vector>

namespace {

std::optional<TOSVersion> QueryOSVersion() {
    OSVERSIONINFOA Info{};
    Info.dwOSVersionInfoSize = sizeof Info; // 148
    if (!GetVersionExA(&Info))
        return std::nullopt;
    return TOSVersion{Info.dwPlatformId, Info.dwMajorVersion, Info.dwMinorVersion,
                      Info.szCSDVersion};
}

struct TRegKey {
    HKEY H = nullptr;
    ~TRegKey() {
        if (H)
            RegCloseKey(H);
    }
};

struct THandle {
    HANDLE H = nullptr;
    ~THandle() {
        if (H)
            CloseHandle(H);
    }
};

struct TSid {
    PSID P = nullptr;
    ~TSid() {
        if (P)
            FreeSid(P);
    }
};

} // namespace

std::string GetOSName() {
    return WindowsOSNameOf(QueryOSVersion(),
                           [] { return GetNTVersionName(BuildNumberOf(GetCurrentBuildNumber())); });
}

std::string GetCurrentBuildNumber() {
    TRegKey Key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_READ, &Key.H) != ERROR_SUCCESS)
        return {};
    DWORD Type = 0, Size = 0;
    if (RegQueryValueExA(Key.H, "CurrentBuildNumber", nullptr, &Type, nullptr, &Size) !=
            ERROR_SUCCESS ||
        (Type != REG_SZ && Type != REG_EXPAND_SZ))
        return {};
    std::vector<char> Buffer(Size + 1, '\0');
    if (RegQueryValueExA(Key.H, "CurrentBuildNumber", nullptr, &Type,
                         reinterpret_cast<LPBYTE>(Buffer.data()), &Size) != ERROR_SUCCESS)
        return {};
    return std::string(Buffer.data()); // up to the first NUL
}

bool Is64BitSystem() {
    return Is64BitWindows();
}

bool RunsAsAdministrator() {
    const auto Version = QueryOSVersion();
    if (Version && Version->PlatformId != VER_PLATFORM_WIN32_NT)
        return true;
    THandle Token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &Token.H)) {
        if (GetLastError() != ERROR_NO_TOKEN ||
            !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &Token.H))
            return false;
    }
    SID_IDENTIFIER_AUTHORITY NtAuthority = SECURITY_NT_AUTHORITY;
    TSid Administrators;
    if (!AllocateAndInitializeSid(&NtAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &Administrators.P))
        RaiseLastOSError();
    DWORD Size = 0;
    GetTokenInformation(Token.H, TokenGroups, nullptr, 0, &Size);
    if (Size == 0)
        RaiseLastOSError();
    // DWORD-aligned storage for the TOKEN_GROUPS record.
    std::vector<DWORD> Buffer((Size + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (!GetTokenInformation(Token.H, TokenGroups, Buffer.data(),
                             static_cast<DWORD>(Buffer.size() * sizeof(DWORD)), &Size))
        RaiseLastOSError();
    const auto* Groups = reinterpret_cast<const TOKEN_GROUPS*>(Buffer.data());
    for (DWORD I = 0; I < Groups->GroupCount; ++I)
        if (EqualSid(Groups->Groups[I].Sid, Administrators.P))
            return (Groups->Groups[I].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0;
    return false;
}
