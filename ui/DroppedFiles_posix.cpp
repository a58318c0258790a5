#include "ui/DroppedFiles.h"

#include <dirent.h>
#include <sys/stat.h>

#include <memory>

bool IsDropFolder(const std::string& Path) {
    struct stat Info {};
    return ::stat(Path.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

std::vector<TFolderEntry> ListDropFolder(const std::string& Folder) {
    std::vector<TFolderEntry> Entries;
    const std::unique_ptr<DIR, int (*)(DIR*)> Dir(::opendir(Folder.c_str()), &::closedir);
    if (!Dir)
        return Entries;
    while (const dirent* Entry = ::readdir(Dir.get())) {
        const std::string Name = Entry->d_name;
        if (Name == "." || Name == "..")
            continue;
        struct stat Info {};
        // lstat: a link is seen as the link, never as what it points to.
        if (::lstat((Folder + "/" + Name).c_str(), &Info) != 0)
            continue;
        Entries.push_back({Name, S_ISDIR(Info.st_mode), S_ISLNK(Info.st_mode)});
    }
    return Entries;
}

char DropPathSeparator() {
    return '/';
}
