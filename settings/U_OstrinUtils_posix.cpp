#include "settings/OstrinPlatform.h"
#include "settings/U_OstrinUtils.h"

#include "core/AnsiText.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

const char PathDelim = '/';
const std::size_t DrivePrefixLength = 1;

namespace {
struct TDirCloser {
    void operator()(DIR* D) const { closedir(D); }
};
using TDir = std::unique_ptr<DIR, TDirCloser>;

std::string HomeFolder() {
    if (const char* Home = getenv("HOME"); Home && *Home)
        return Home;
    if (const passwd* User = getpwuid(getuid()); User && User->pw_dir)
        return User->pw_dir;
    return {};
}

// An XDG base folder, made (0700, as the XDG rules ask) when missing, as
// the shell's folders always exist on Windows.
std::string XdgFolder(const char* Variable, const char* Fallback) {
    std::string Folder;
    if (const char* Value = getenv(Variable); Value && *Value == '/')
        Folder = Value;
    else if (const std::string Home = HomeFolder(); !Home.empty())
        Folder = Home + Fallback;
    else
        return {};
    for (std::size_t Slash = 0; Slash != std::string::npos;) {
        Slash = Folder.find('/', Slash + 1);
        mkdir(Folder.substr(0, Slash).c_str(), 0700);
    }
    struct stat Info {};
    return stat(Folder.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode) ? Folder : std::string();
}

bool Matches(const std::string& Name, const std::string& Extension) {
    if (Extension == "*")
        return true;
    const std::string Suffix = "." + Extension;
    return Name.size() >= Suffix.size() &&
           SameTextAZ(std::string_view(Name).substr(Name.size() - Suffix.size()), Suffix);
}
} // namespace

std::string IncludeTrailingPathDelimiter(const std::string& Path) {
    return !Path.empty() && Path.back() == '/' ? Path : Path + '/';
}

std::string ProgramFolderOf(const std::string& ExePath) {
    const auto Slash = ExePath.rfind('/');
    return Slash == std::string::npos ? std::string() : ExePath.substr(0, Slash + 1);
}

std::string GetSpecialFolder(int Csidl) {
    switch (Csidl) {
    case CSIDL_APPDATA_NUMBER:
        return XdgFolder("XDG_DATA_HOME", "/.local/share");
    case CSIDL_LOCAL_APPDATA_NUMBER:
        return XdgFolder("XDG_STATE_HOME", "/.local/state");
    case CSIDL_SYSTEM_NUMBER:
        return "/usr/lib";
    default:
        return {};
    }
}

std::vector<std::string> ListFolderNames(const std::string& Folder) {
    std::vector<std::string> Names;
    TDir Dir(opendir(Folder.c_str()));
    if (!Dir)
        return Names;
    while (const dirent* Entry = readdir(Dir.get())) {
        const std::string Name = Entry->d_name;
        if (Name != "." && Name != "..")
            Names.push_back(Name);
    }
    return Names;
}

bool RemoveFolder(const std::string& Folder) {
    return rmdir(Folder.c_str()) == 0;
}

bool DeleteFilesByExtension(const std::string& Folder, const std::string& Extension) {
    const std::string Base = IncludeTrailingPathDelimiter(Folder);
    for (const auto& Name : ListFolderNames(Base)) {
        if (!Matches(Name, Extension))
            continue;
        const std::string Path = Base + Name;
        struct stat Info {};
        if (lstat(Path.c_str(), &Info) != 0)
            continue;
        // lstat: a link to a folder is removed as a link, never entered.
        if (S_ISDIR(Info.st_mode))
            DeleteFilesByExtension(Path, Extension);
        else
            unlink(Path.c_str());
    }
    RemoveFolder(Folder);
    return true;
}
