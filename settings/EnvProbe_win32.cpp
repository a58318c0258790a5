#include "settings/EnvProbe.h"

#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"
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

} // namespace

std::string GetOSName() {
    return WindowsOSNameOf(QueryOSVersion(),
                           [] { return GetNTVersionName(BuildNumberOf(GetCurrentBuildNumber())); });
}

std::string GetCurrentBuildNumber() {
    Win32::TRegistryKey Key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_READ, Key.put()) != ERROR_SUCCESS)
        return {};
    DWORD Type = 0, Size = 0;
    if (RegQueryValueExA(Key.get(), "CurrentBuildNumber", nullptr, &Type, nullptr, &Size) !=
            ERROR_SUCCESS ||
        (Type != REG_SZ && Type != REG_EXPAND_SZ))
        return {};
    std::vector<char> Buffer(Size + 1, '\0');
    if (RegQueryValueExA(Key.get(), "CurrentBuildNumber", nullptr, &Type,
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
    Win32::TKernelHandle Token;
    if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, Token.put())) {
        if (GetLastError() != ERROR_NO_TOKEN ||
            !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, Token.put()))
            return false;
    }
    SID_IDENTIFIER_AUTHORITY NtAuthority = SECURITY_NT_AUTHORITY;
    Win32::TSid Administrators;
    if (!AllocateAndInitializeSid(&NtAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, Administrators.put()))
        RaiseLastOSError();
    DWORD Size = 0;
    GetTokenInformation(Token.get(), TokenGroups, nullptr, 0, &Size);
    if (Size == 0)
        RaiseLastOSError();
    // DWORD-aligned storage for the TOKEN_GROUPS record.
    std::vector<DWORD> Buffer((Size + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (!GetTokenInformation(Token.get(), TokenGroups, Buffer.data(),
                             static_cast<DWORD>(Buffer.size() * sizeof(DWORD)), &Size))
        RaiseLastOSError();
    const auto* Groups = reinterpret_cast<const TOKEN_GROUPS*>(Buffer.data());
    for (DWORD I = 0; I < Groups->GroupCount; ++I)
        if (EqualSid(Groups->Groups[I].Sid, Administrators.get()))
            return (Groups->Groups[I].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) == 0;
    return false;
}
