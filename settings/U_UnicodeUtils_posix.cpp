#include "settings/U_UnicodeUtils.h"

#include <sys/stat.h>

bool WideDirectoryExists(const std::string& Path) {
    struct stat Info {};
    return !Path.empty() && stat(Path.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode);
}

bool WideCreateDirectory(const std::string& Path) {
    return !Path.empty() && mkdir(Path.c_str(), 0777) == 0;
}
