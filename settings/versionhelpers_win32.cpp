#include "settings/versionhelpers.h"

#include "core/Win32Handles.h"

#include <windows.h>

#include <lm.h>

std::optional<TNTVersion> QueryWorkstationVersion() {
    Win32::TNetBuffer Buffer;
    if (NetWkstaGetInfo(nullptr, 100, Buffer.put()) != NERR_Success || !Buffer)
        return std::nullopt;
    const auto* Info = reinterpret_cast<const WKSTA_INFO_100*>(Buffer.get());
    return TNTVersion{static_cast<int>(Info->wki100_ver_major),
                      static_cast<int>(Info->wki100_ver_minor)};
}
