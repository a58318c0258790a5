#include "signing/SignToolDiscovery.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

namespace {
struct TDirCloser {
    void operator()(DIR* Dir) const { closedir(Dir); }
};
} // namespace

std::string SignToolSdkFolder(const std::string& ExePath) {
    const std::string::size_type Slash = ExePath.rfind('/');
    const std::string ExeFolder =
        Slash == std::string::npos ? std::string("./") : ExePath.substr(0, Slash + 1);
    return ExeFolder + "../lib/quorvel/sdk/";
}

std::string SignToolBelowEntry() {
    return "/bin/signtool";
}

std::string SignToolFileName() {
    return "signtool";
}

std::vector<std::string> ListFolderEntries(const std::string& Folder) {
    std::vector<std::string> Entries;
    std::unique_ptr<DIR, TDirCloser> Dir(opendir(Folder.c_str()));
    if (!Dir)
        return Entries;
    while (const dirent* Entry = readdir(Dir.get()))
        Entries.emplace_back(Entry->d_name);
    return Entries;
}

bool IsExistingFile(const std::string& Path) {
    struct stat Info {};
    return !Path.empty() && stat(Path.c_str(), &Info) == 0 && !S_ISDIR(Info.st_mode);
}
