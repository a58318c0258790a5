// Naming of NT-family Windows versions for the start-up log.
#pragma once

#include <optional>
#include <string>

struct TNTVersion {
    int Major = 0;
    int Minor = 0;
};

// The name of the running system from the workstation's version and the
// given build number ("10.0.19045 (Windows10)", "6.1 (Seven)", "5.2").
std::string GetNTVersionName(int Build);

// The naming itself; Version is absent when the workstation query failed.
std::string NTVersionNameOf(const std::optional<TNTVersion>& Version, int Build);

// Platform piece: NetWkstaGetInfo at level 100 on Windows; the kernel's
// release numbers elsewhere.
std::optional<TNTVersion> QueryWorkstationVersion();
