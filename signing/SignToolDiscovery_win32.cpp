#include "signing/SignToolDiscovery.h"

#include "core/Win32Handles.h"

#include <windows.h>

std::string SignToolSdkFolder(const std::string&) {
    return "C:\\Program Files\\Microsoft SDKs\\Windows\\";
}

std::string SignToolBelowEntry() {
    return "\\bin\\signtool.exe";
}

std::string SignToolFileName() {
    return "signtool.exe";
}

std::vector<std::string> ListFolderEntries(const std::string& Folder) {
    std::vector<std::string> Entries;
    WIN32_FIND_DATAA Data{};
    // FindFirstFileA returns entries of every attribute, so nothing is left out.
    Win32::TFindHandle Find(FindFirstFileA((Folder + "*").c_str(), &Data));
    if (!Find)
        return Entries;
    do {
        Entries.emplace_back(Data.cFileName);
    } while (FindNextFileA(Find.get(), &Data));
    return Entries;
}

bool IsExistingFile(const std::string& Path) {
    if (Path.empty())
        return false;
    const DWORD Attributes = GetFileAttributesA(Path.c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
