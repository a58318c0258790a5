#include "settings/EnvProbe.h"

#include <fstream>
#include <iterator>
#include <sys/utsname.h>
#include <unistd.h>

std::string GetOSName() {
    utsname Name{};
    if (uname(&Name) != 0)
        return "Unknown";
    std::string OsRelease;
    for (const char* Path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream In(Path, std::ios::binary);
        if (In) {
            OsRelease.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
            break;
        }
    }
    return LinuxOSNameOf(Name.sysname, Name.release, OsRelease);
}

std::string GetCurrentBuildNumber() {
    return {};
}

bool Is64BitSystem() {
    if (sizeof(void*) == 8)
        return true; // only a 64-bit kernel runs a 64-bit program
    utsname Name{};
    return uname(&Name) == 0 && Is64BitMachineName(Name.machine);
}

bool RunsAsAdministrator() {
    return geteuid() == 0;
}
