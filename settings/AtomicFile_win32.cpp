#include "settings/AtomicFile.h"

#include "core/QuorvelErrors.h"
#include "core/Win32Handles.h"

#include <windows.h>

namespace {
[[noreturn]] void RaiseFileError(DWORD Code, const std::string& What, const std::string& Path) {
    throw EOSError(Code, What + " \"" + Path + "\": " + SysErrorMessage(Code));
}

struct TTempFile {
    std::string Path;
    bool Kept = false;
    explicit TTempFile(std::string Path) : Path(std::move(Path)) {}
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile() {
        if (Kept)
            return;
        // DeleteFileA refuses a read-only file, and a copy of a read-only
        // file is one.
        SetFileAttributesA(Path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(Path.c_str());
    }
};

bool IsReadOnly(const std::string& Path) {
    const DWORD Attributes = GetFileAttributesA(Path.c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_READONLY);
}
} // namespace

void ReplaceFileAtomically(const std::string& Path, std::string_view Content, bool) {
    if (IsReadOnly(Path))
        RaiseFileError(ERROR_ACCESS_DENIED, "Cannot write", Path);
    TTempFile Temp{Path + ".new" + std::to_string(GetCurrentProcessId())};
    {
        Win32::TFileHandle File(CreateFileA(Temp.Path.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!File) {
            const DWORD Code = GetLastError();
            Temp.Kept = true; // nothing was made
            RaiseFileError(Code, "Cannot create a file beside", Path);
        }
        std::size_t Done = 0;
        while (Done < Content.size()) {
            const DWORD Chunk = static_cast<DWORD>(
                Content.size() - Done > (1u << 20) ? (1u << 20) : Content.size() - Done);
            DWORD Written = 0;
            if (!WriteFile(File.get(), Content.data() + Done, Chunk, &Written, nullptr) ||
                Written == 0)
                RaiseFileError(GetLastError(), "Cannot write", Path);
            Done += Written;
        }
        if (!FlushFileBuffers(File.get()))
            RaiseFileError(GetLastError(), "Cannot write", Path);
    }
    if (!MoveFileExA(Temp.Path.c_str(), Path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseFileError(GetLastError(), "Cannot replace", Path);
    Temp.Kept = true;
}

void ChangeFileThroughCopy(const std::string& Path,
                           const std::function<bool(const std::string& CopyPath)>& Change) {
    // A read-only file would not be replaced at the end anyway: refused before
    // any copy is made.
    if (IsReadOnly(Path))
        RaiseFileError(ERROR_ACCESS_DENIED, "Cannot write", Path);
    TTempFile Copy{Path + ".new" + std::to_string(GetCurrentProcessId())};
    if (GetFileAttributesA(Path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!CopyFileA(Path.c_str(), Copy.Path.c_str(), FALSE))
            RaiseFileError(GetLastError(), "Cannot copy", Path);
    } else {
        DeleteFileA(Copy.Path.c_str());
    }
    if (!Change(Copy.Path) || GetFileAttributesA(Copy.Path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    {
        Win32::TFileHandle File(CreateFileA(Copy.Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
        if (!File || !FlushFileBuffers(File.get()))
            RaiseFileError(GetLastError(), "Cannot write", Path);
    }
    if (!MoveFileExA(Copy.Path.c_str(), Path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseFileError(GetLastError(), "Cannot replace", Path);
    Copy.Kept = true;
}

bool ReadFileText(const std::string& Path, std::string& Content) {
    Win32::TFileHandle File(CreateFileA(Path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!File) {
        const DWORD Code = GetLastError();
        if (Code == ERROR_FILE_NOT_FOUND || Code == ERROR_PATH_NOT_FOUND)
            return false;
        RaiseFileError(Code, "Cannot read", Path);
    }
    Content.clear();
    char Buffer[65536];
    for (;;) {
        DWORD Read = 0;
        if (!ReadFile(File.get(), Buffer, sizeof Buffer, &Read, nullptr))
            RaiseFileError(GetLastError(), "Cannot read", Path);
        if (Read == 0)
            return true;
        Content.append(Buffer, Read);
    }
}
