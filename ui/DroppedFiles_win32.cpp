#include "ui/DroppedFiles.h"

#include <windows.h>

bool IsDropFolder(const std::string& Path) {
    const DWORD Attributes = ::GetFileAttributesA(Path.c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::vector<TFolderEntry> ListDropFolder(const std::string& Folder) {
    std::vector<TFolderEntry> Entries;
    std::string Pattern = Folder;
    if (Pattern.empty() || (Pattern.back() != '\\' && Pattern.back() != '/'))
        Pattern += '\\';
    Pattern += '*';
    WIN32_FIND_DATAA Data{};
    const HANDLE Find = ::FindFirstFileA(Pattern.c_str(), &Data);
    if (Find == INVALID_HANDLE_VALUE)
        return Entries;
    do {
        const std::string Name = Data.cFileName;
        if (Name == "." || Name == "..")
            continue;
        // Symbolic links and junctions are both reparse points.
        Entries.push_back({Name, (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                           (Data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
    } while (::FindNextFileA(Find, &Data));
    ::FindClose(Find);
    return Entries;
}

char DropPathSeparator() {
    return '\\';
}
