// What the end-to-end tests read and tidy in the Wine prefix: registry values
// in the native view, special folders and files. Everything that deletes
// first makes sure it runs in the build's own Wine prefix: on a real Windows,
// or in a user's prefix, it would destroy an installed copy's data.
#pragma once

#include <windows.h>

#include <shlobj.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

namespace Sandbox {

inline constexpr REGSAM Native = KEY_WOW64_64KEY;
inline constexpr const char* MakerKey = "SOFTWARE\\Tandrel";
inline constexpr const char* ProductKey = "SOFTWARE\\Tandrel\\Quorvel";
inline constexpr const char* UninstallKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The file the prefix fixture (cmake/wine-init.sh.in) writes into the prefix
// it makes, holding that prefix's path.
inline constexpr const char* PrefixMarker = "C:\\quorvel-test-prefix.txt";

// True only under Wine, in a prefix whose marker names the prefix this
// process runs in.
inline bool InOwnWinePrefix() {
    const HMODULE Ntdll = GetModuleHandleA("ntdll.dll");
    if (!Ntdll || !GetProcAddress(Ntdll, "wine_get_version"))
        return false;
    char Prefix[4096] = {};
    const DWORD Length = GetEnvironmentVariableA("WINEPREFIX", Prefix, sizeof Prefix);
    if (Length == 0 || Length >= sizeof Prefix)
        return false;
    std::ifstream Marker(PrefixMarker, std::ios::binary);
    std::string Line;
    return std::getline(Marker, Line) && Line == Prefix;
}

// Throws (so the test stops before it changes anything) outside the build's
// own Wine prefix.
inline void RequireOwnWinePrefix() {
    if (!InOwnWinePrefix())
        throw std::runtime_error(
            "Refusing to run: this test deletes the program's registry keys and data folders, "
            "and runs only in the Wine prefix the build makes for its tests (its marker " +
            std::string(PrefixMarker) + " names it).");
}

inline std::optional<std::string> RegText(HKEY Root, const std::string& Key,
                                          const std::string& Name) {
    HKEY Handle = nullptr;
    if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ | Native, &Handle) != ERROR_SUCCESS)
        return std::nullopt;
    char Buffer[4096] = {};
    DWORD Size = sizeof(Buffer) - 1, Type = 0;
    const LONG Result = RegQueryValueExA(Handle, Name.c_str(), nullptr, &Type,
                                         reinterpret_cast<BYTE*>(Buffer), &Size);
    RegCloseKey(Handle);
    if (Result != ERROR_SUCCESS || Type != REG_SZ)
        return std::nullopt;
    return std::string(Buffer);
}

inline bool KeyExists(HKEY Root, const std::string& Key) {
    HKEY Handle = nullptr;
    if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_READ | Native, &Handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(Handle);
    return true;
}

inline void WriteRegText(HKEY Root, const std::string& Key, const std::string& Name,
                         const std::string& Text) {
    HKEY Handle = nullptr;
    if (RegCreateKeyExA(Root, Key.c_str(), 0, nullptr, 0, KEY_WRITE | Native, nullptr, &Handle,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(Handle, Name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(Text.c_str()),
                   static_cast<DWORD>(Text.size() + 1));
    RegCloseKey(Handle);
}

inline void DeleteRegValue(HKEY Root, const std::string& Key, const std::string& Name) {
    RequireOwnWinePrefix();
    HKEY Handle = nullptr;
    if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_WRITE | Native, &Handle) != ERROR_SUCCESS)
        return;
    RegDeleteValueA(Handle, Name.c_str());
    RegCloseKey(Handle);
}

inline void DeleteKeyTree(HKEY Root, const std::string& Key) {
    RequireOwnWinePrefix();
    HKEY Handle = nullptr;
    if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_ALL_ACCESS | Native, &Handle) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(Handle, nullptr);
    RegCloseKey(Handle);
    RegDeleteKeyExA(Root, Key.c_str(), Native, 0);
}

inline std::string SpecialFolder(int Csidl) {
    char Path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, Csidl, nullptr, SHGFP_TYPE_CURRENT, Path);
    return Path;
}

// %APPDATA%\Tandrel\Quorvel
inline std::filesystem::path DataFolder() {
    return std::filesystem::path(SpecialFolder(CSIDL_APPDATA)) / "Tandrel" / "Quorvel";
}

inline std::string ReadAll(const std::filesystem::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::ostringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

inline void WriteAll(const std::filesystem::path& Path, const std::string& Text) {
    std::filesystem::create_directories(Path.parent_path());
    std::ofstream(Path, std::ios::binary) << Text;
}

// Leaves no trace of a run of the program for the user of the prefix.
inline void ForgetProgram() {
    RequireOwnWinePrefix();
    DeleteKeyTree(HKEY_CURRENT_USER, ProductKey);
    DeleteRegValue(HKEY_CURRENT_USER, MakerKey, "Quorvel");
    std::error_code Ignored;
    std::filesystem::remove_all(DataFolder(), Ignored);
}

} // namespace Sandbox
