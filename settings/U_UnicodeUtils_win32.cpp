#include "settings/U_UnicodeUtils.h"

#include "core/Win32Handles.h"

#include <windows.h>

namespace {
std::wstring Widened(const std::string& Text) {
    const int Length =
        MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring Wide(static_cast<std::size_t>(Length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, Text.data(), static_cast<int>(Text.size()), Wide.data(), Length);
    return Wide;
}

// Asked at each use rather than remembered: the answer never changes within a
// run, and a test costs one directory listing.
bool WideFileCallsAvailable() {
    char Windows[1024] = {};
    const UINT Length = GetWindowsDirectoryA(Windows, sizeof Windows);
    if (Length == 0 || Length >= sizeof Windows)
        return false;
    std::string Pattern(Windows, Length);
    if (Pattern.back() != '\\')
        Pattern += '\\';
    Pattern += "*.*";
    WIN32_FIND_DATAW Data;
    Win32::TFindHandle Find(FindFirstFileW(Widened(Pattern).c_str(), &Data));
    return static_cast<bool>(Find);
}

bool IsBareDrive(const std::string& Path) {
    const bool Letter =
        !Path.empty() && ((Path[0] >= 'A' && Path[0] <= 'Z') || (Path[0] >= 'a' && Path[0] <= 'z'));
    return Letter && Path.size() >= 2 && Path[1] == ':' &&
           (Path.size() == 2 || (Path.size() == 3 && Path[2] == '\\'));
}
} // namespace

bool WideDirectoryExists(const std::string& Path) {
    if (Path.empty())
        return false;
    if (IsBareDrive(Path)) {
        // DRIVE_NO_ROOT_DIR is the system's answer for a letter with no drive.
        const UINT Type = GetDriveTypeA(Path.substr(0, 2).append("\\").c_str());
        return Type != DRIVE_UNKNOWN && Type != DRIVE_NO_ROOT_DIR;
    }
    // The find calls fail for a path that ends with a separator, which every
    // folder the program forms does; the folder itself is what is asked for.
    std::string Folder = Path;
    while (Folder.size() > 1 && (Folder.back() == '\\' || Folder.back() == '/'))
        Folder.pop_back();
    DWORD Attributes;
    if (WideFileCallsAvailable()) {
        WIN32_FIND_DATAW Data;
        Win32::TFindHandle Find(FindFirstFileW(Widened(Folder).c_str(), &Data));
        if (!Find)
            return false;
        Attributes = Data.dwFileAttributes;
    } else {
        WIN32_FIND_DATAA Data;
        Win32::TFindHandle Find(FindFirstFileA(Folder.c_str(), &Data));
        if (!Find)
            return false;
        Attributes = Data.dwFileAttributes;
    }
    return (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WideCreateDirectory(const std::string& Path) {
    if (!WideFileCallsAvailable())
        return CreateDirectoryA(Path.c_str(), nullptr) != FALSE;
    const std::string LongForm =
        Path.rfind("\\\\", 0) == 0 ? "\\\\?\\UNC\\" + Path.substr(2) : "\\\\?\\" + Path;
    return CreateDirectoryW(Widened(LongForm).c_str(), nullptr) != FALSE;
}
