#include "settings/AtomicFile.h"

#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {
[[noreturn]] void RaiseFileError(int Code, const std::string& What, const std::string& Path) {
    throw EOSError(static_cast<std::uint32_t>(Code),
                   What + " \"" + Path +
                       "\": " + SysErrorMessage(static_cast<std::uint32_t>(Code)));
}

// Removes the temporary file unless it was renamed into place.
struct TTempFile {
    std::string Path;
    bool Kept = false;
    TTempFile() = default;
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile() {
        if (!Kept && !Path.empty())
            unlink(Path.c_str());
    }
};

// Makes Temp a new, empty file in Path's folder, where a rename onto Path
// stays on one file system. Mode goes through open(), so the umask applies
// (mkstemp would make every file owner-only, and a fixed fchmod would
// override the umask).
TUniqueFd CreateBeside(const std::string& Path, TTempFile& Temp, mode_t Mode) {
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device Random;
    std::uniform_int_distribution<std::size_t> Pick(0, sizeof Letters - 2);
    for (int Attempt = 0; Attempt < 100; ++Attempt) {
        std::string Name = Path + ".XXXXXX";
        for (std::size_t I = Name.size() - 6; I < Name.size(); ++I)
            Name[I] = Letters[Pick(Random)];
        TUniqueFd File{open(Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode)};
        if (File.IsOpen()) {
            Temp.Path = std::move(Name);
            return File;
        }
        if (errno != EEXIST)
            break;
    }
    RaiseFileError(errno, "Cannot create a file beside", Path);
}
} // namespace

void ReplaceFileAtomically(const std::string& Path, std::string_view Content, bool PrivateToUser) {
    struct stat Old {};
    const bool Exists = stat(Path.c_str(), &Old) == 0;
    if (Exists) {
        // No write bit at all stands for the read-only attribute, which also
        // binds an administrator.
        if ((Old.st_mode & 0222) == 0 || access(Path.c_str(), W_OK) != 0)
            RaiseFileError(EACCES, "Cannot write", Path);
    }
    TTempFile Temp;
    const TUniqueFd File = CreateBeside(Path, Temp, PrivateToUser ? 0600 : 0666);
    if (const int Code = WriteAllToFd(File.Get(), Content))
        RaiseFileError(Code, "Cannot write", Path);
    if (Exists && fchmod(File.Get(), Old.st_mode & 07777) != 0)
        RaiseFileError(errno, "Cannot write", Path);
    if (fsync(File.Get()) != 0)
        RaiseFileError(errno, "Cannot write", Path);
    if (rename(Temp.Path.c_str(), Path.c_str()) != 0)
        RaiseFileError(errno, "Cannot replace", Path);
    Temp.Kept = true;
}

void ChangeFileThroughCopy(const std::string& Path,
                           const std::function<bool(const std::string& CopyPath)>& Change) {
    TTempFile Copy;
    {
        const TUniqueFd File = CreateBeside(Path, Copy, 0600);
        std::string Old;
        struct stat Info {};
        if (!ReadFileText(Path, Old) || stat(Path.c_str(), &Info) != 0) {
            // Nothing to copy: Change makes the file as it would make Path.
            unlink(Copy.Path.c_str());
        } else {
            if (const int Code = WriteAllToFd(File.Get(), Old))
                RaiseFileError(Code, "Cannot write", Path);
            if (fchmod(File.Get(), Info.st_mode & 07777) != 0)
                RaiseFileError(errno, "Cannot write", Path);
        }
    }
    if (!Change(Copy.Path) || access(Copy.Path.c_str(), F_OK) != 0)
        return;
    {
        TUniqueFd File{open(Copy.Path.c_str(), O_RDONLY | O_CLOEXEC)};
        if (!File.IsOpen() || fsync(File.Get()) != 0)
            RaiseFileError(errno, "Cannot write", Path);
    }
    if (rename(Copy.Path.c_str(), Path.c_str()) != 0)
        RaiseFileError(errno, "Cannot replace", Path);
    Copy.Kept = true;
}

bool ReadFileText(const std::string& Path, std::string& Content) {
    TUniqueFd File{open(Path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (!File.IsOpen()) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        RaiseFileError(errno, "Cannot read", Path);
    }
    if (const int Code = ReadAllFromFd(File.Get(), Content))
        RaiseFileError(Code, "Cannot read", Path);
    return true;
}
