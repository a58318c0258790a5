#include "settings/HiveFiles.h"

#include "core/QuorvelErrors.h"
#include "core/UniqueFd.h"
#include "log/TextLines.h"
#include "settings/AtomicFile.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string FolderOf(const std::string& Path) {
    const auto Slash = Path.rfind('/');
    return Slash == std::string::npos ? std::string(".") : Path.substr(0, Slash);
}

std::string HomeFolder() {
    if (const char* Home = getenv("HOME"); Home && *Home)
        return Home;
    if (const passwd* User = getpwuid(getuid()); User && User->pw_dir)
        return User->pw_dir;
    return "/";
}

std::string XdgFolder(const char* Variable, const char* Fallback) {
    // The XDG rules: a relative path in the variable is ignored.
    if (const char* Value = getenv(Variable); Value && *Value == '/')
        return Value;
    return HomeFolder() + Fallback;
}

// The machine hive in the XDG configuration folders, where the install step
// puts it: the first folder that holds one wins, as XDG lookups go.
std::string MachineHivePath() {
    const char* Value = getenv("XDG_CONFIG_DIRS");
    const std::string Dirs = Value && *Value ? Value : "/etc/xdg";
    std::string First;
    for (std::size_t Start = 0; Start <= Dirs.size();) {
        std::size_t End = Dirs.find(':', Start);
        if (End == std::string::npos)
            End = Dirs.size();
        const std::string Dir = Dirs.substr(Start, End - Start);
        Start = End + 1;
        if (Dir.empty() || Dir[0] != '/')
            continue; // the XDG rules ignore relative entries
        const std::string Path = Dir + "/quorvel/HKEY_LOCAL_MACHINE.reg";
        if (access(Path.c_str(), F_OK) == 0)
            return Path;
        if (First.empty())
            First = Path;
    }
    return First.empty() ? "/etc/xdg/quorvel/HKEY_LOCAL_MACHINE.reg" : First;
}

void MakeFolders(const std::string& Folder) {
    for (std::size_t Slash = 1; Slash != std::string::npos;) {
        Slash = Folder.find('/', Slash + 1);
        const std::string Part = Folder.substr(0, Slash);
        if (mkdir(Part.c_str(), 0700) != 0 && errno != EEXIST)
            RaiseOSError(static_cast<std::uint32_t>(errno));
    }
}

// Held for the whole read-modify-write of one hive.
class THiveLock {
public:
    explicit THiveLock(const std::string& HivePath) {
        MakeFolders(FolderOf(HivePath));
        const std::string LockPath = HivePath + ".lock";
        File = TUniqueFd(open(LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
        if (!File.IsOpen())
            RaiseLastOSError();
        while (flock(File.Get(), LOCK_EX) != 0)
            if (errno != EINTR)
                RaiseLastOSError();
    }

private:
    TUniqueFd File; // closing it releases the lock
};

std::string NoticesPath(const std::string& HivePath) {
    return FolderOf(HivePath) + "/store-notices.txt";
}

// Moves a damaged hive aside so that nothing in it is lost, and notes it.
// The caller holds the hive's lock.
void SetAsideDamaged(const std::string& Path, const std::string& Why) {
    char Stamp[32];
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    std::strftime(Stamp, sizeof Stamp, "%Y%m%d-%H%M%S", &Local);
    std::string Aside = Path + ".damaged-" + Stamp;
    for (int N = 2; access(Aside.c_str(), F_OK) == 0; ++N)
        Aside = Path + ".damaged-" + Stamp + "-" + std::to_string(N);
    if (rename(Path.c_str(), Aside.c_str()) != 0)
        RaiseLastOSError(); // never go on to overwrite what could not be saved
    std::string Notices;
    try {
        ReadFileText(NoticesPath(Path), Notices);
        Notices += "The settings store \"" + Path + "\" was damaged (" + Why +
                   "); it was moved to \"" + Aside + "\" and an empty store replaces it.\n";
        ReplaceFileAtomically(NoticesPath(Path), Notices, true);
    } catch (const EOSError&) {
        // The damaged file itself is safe; the note is a courtesy.
    }
}

// Reads and parses; false when the file is damaged (Why says how).
bool TryLoad(const std::string& Path, THive& Hive, std::string& Why) {
    std::string Text;
    if (!ReadFileText(Path, Text)) {
        Hive.Parse("");
        return true;
    }
    try {
        Hive.Parse(Text);
        return true;
    } catch (const EHiveDamaged& Error) {
        Why = Error.what();
        Hive.Parse("");
        return false;
    }
}

void LoadLocked(const std::string& Path, THive& Hive) {
    std::string Why;
    if (!TryLoad(Path, Hive, Why))
        SetAsideDamaged(Path, Why);
}
} // namespace

std::string HiveRootName(TRegRoot Root) {
    return Root == TRegRoot::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::string HiveFilePath(TRegRoot Root) {
    if (Root == TRegRoot::LocalMachine)
        return MachineHivePath();
    return XdgFolder("XDG_CONFIG_HOME", "/.config") + "/quorvel/HKEY_CURRENT_USER.reg";
}

void LoadHiveFile(const std::string& Path, THive& Hive) {
    std::string Why;
    try {
        if (TryLoad(Path, Hive, Why))
            return;
        // Damaged: repair under the lock, where no writer can interfere.
        THiveLock Lock(Path);
        LoadLocked(Path, Hive);
    } catch (const EOSError&) {
        // Unreadable or not repairable from here (a machine hive we may not
        // change): it reads as holding no key.
        Hive.Parse("");
    }
}

void UpdateHiveFile(const std::string& Path, THive& Hive,
                    const std::function<bool(THive&)>& Change) {
    THiveLock Lock(Path);
    LoadLocked(Path, Hive);
    if (!Change(Hive))
        return;
    if (Hive.Empty()) {
        if (unlink(Path.c_str()) != 0 && errno != ENOENT)
            RaiseLastOSError();
        return;
    }
    ReplaceFileAtomically(Path, Hive.Serialize(), true);
}

std::vector<std::string> TakeStoreNotices() {
    std::vector<std::string> Notices;
    for (const auto Root : {TRegRoot::CurrentUser, TRegRoot::LocalMachine}) {
        const std::string Hive = HiveFilePath(Root);
        const std::string Path = NoticesPath(Hive);
        if (access(Path.c_str(), F_OK) != 0)
            continue;
        try {
            THiveLock Lock(Hive);
            std::string Text;
            if (ReadFileText(Path, Text) && unlink(Path.c_str()) == 0)
                for (auto& Line : SplitTextLines(Text))
                    Notices.push_back(std::move(Line));
        } catch (const EOSError&) {
        }
    }
    return Notices;
}
