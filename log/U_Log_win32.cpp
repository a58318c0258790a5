#include "log/U_Log.h"

#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"

#include <algorithm>
#include <windows.h>

TLogTime LocalLogTime() {
    SYSTEMTIME Now{};
    GetLocalTime(&Now);
    return {Now.wYear, Now.wMonth, Now.wDay, Now.wHour, Now.wMinute, Now.wSecond};
}

char LocaleTimeSeparator() {
    char Buffer[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, Buffer, sizeof Buffer) > 1)
        return Buffer[0];
    return ':';
}

std::string LogFolderOf(const std::string& FileName) {
    const auto Delimiter = FileName.find_last_of("\\:/");
    return Delimiter == std::string::npos ? std::string() : FileName.substr(0, Delimiter + 1);
}

bool LogFolderExists(const std::string& Folder) {
    if (Folder.empty())
        return false;
    const DWORD Attributes = GetFileAttributesA(Folder.c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteLogFileText(const std::string& FileName, const std::string& Text) {
    Win32::TFileHandle File(CreateFileA(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!File)
        RaiseLastOSError();
    std::size_t Done = 0;
    while (Done < Text.size()) {
        const DWORD Chunk = static_cast<DWORD>(std::min<std::size_t>(Text.size() - Done, 1 << 20));
        DWORD Written = 0;
        if (!WriteFile(File.get(), Text.data() + Done, Chunk, &Written, nullptr) || Written == 0)
            RaiseLastOSError();
        Done += Written;
    }
}

bool ReadLogFileText(const std::string& FileName, std::string& Text) {
    Win32::TFileHandle File(CreateFileA(FileName.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!File)
        return false;
    Text.clear();
    char Buffer[65536];
    for (;;) {
        DWORD Read = 0;
        if (!ReadFile(File.get(), Buffer, sizeof Buffer, &Read, nullptr))
            return false;
        if (Read == 0)
            return true;
        Text.append(Buffer, Read);
    }
}
