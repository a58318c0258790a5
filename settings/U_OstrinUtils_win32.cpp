#include "core/Win32Handles.h"
#include "settings/OstrinPlatform.h"
#include "settings/U_OstrinUtils.h"

#include <shlobj.h>
#include <windows.h>

const char PathDelim = '\\';
const std::size_t DrivePrefixLength = 3;

namespace {
bool IsDotEntry(const char* Name) {
    return (Name[0] == '.' && Name[1] == 0) || (Name[0] == '.' && Name[1] == '.' && Name[2] == 0);
}
} // namespace

std::string IncludeTrailingPathDelimiter(const std::string& Path) {
    return !Path.empty() && Path.back() == '\\' ? Path : Path + '\\';
}

std::string ProgramFolderOf(const std::string& ExePath) {
    const auto Delimiter = ExePath.find_last_of("\\:");
    return Delimiter == std::string::npos ? std::string() : ExePath.substr(0, Delimiter + 1);
}

std::string GetSpecialFolder(int Csidl) {
    Win32::TCoTaskMemory<ITEMIDLIST> List;
    if (SHGetSpecialFolderLocation(nullptr, Csidl, List.put()) != S_OK || !List)
        return {};
    char Path[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(List.get(), Path))
        return {};
    return Path;
}

std::vector<std::string> ListFolderNames(const std::string& Folder) {
    std::vector<std::string> Names;
    WIN32_FIND_DATAA Data;
    Win32::TFindHandle Find(
        FindFirstFileA((IncludeTrailingPathDelimiter(Folder) + "*.*").c_str(), &Data));
    if (!Find)
        return Names;
    do {
        if (!IsDotEntry(Data.cFileName))
            Names.push_back(Data.cFileName);
    } while (FindNextFileA(Find.get(), &Data));
    return Names;
}

bool RemoveFolder(const std::string& Folder) {
    return RemoveDirectoryA(Folder.c_str()) != FALSE;
}

bool DeleteFilesByExtension(const std::string& Folder, const std::string& Extension) {
    {
        WIN32_FIND_DATAA Data;
        Win32::TFindHandle Find(FindFirstFileA((Folder + "\\*." + Extension).c_str(), &Data));
        if (Find) {
            do {
                if (IsDotEntry(Data.cFileName))
                    continue;
                const std::string Path = IncludeTrailingPathDelimiter(Folder) + Data.cFileName;
                if (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    // A junction or folder link is removed as a link, never
                    // entered: its target lies outside this folder.
                    if (Data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                        RemoveDirectoryA(Path.c_str());
                    else
                        DeleteFilesByExtension(Path, Extension);
                    continue;
                }
                if (Data.dwFileAttributes != FILE_ATTRIBUTE_ARCHIVE)
                    SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_ARCHIVE);
                DeleteFileA(Path.c_str());
            } while (FindNextFileA(Find.get(), &Data));
        }
    } // the listing is closed before the folder is removed
    RemoveDirectoryA(Folder.c_str());
    return true;
}
