#include "settings/versionhelpers.h"

#include <windows.h>

#include <lm.h>

namespace {

struct TNetBuffer {
    LPBYTE P = nullptr;
    ~TNetBuffer() {
        if (P)
            NetApiBufferFree(P);
    }
};

} // namespace

std::optional<TNTVersion> QueryWorkstationVersion() {
    TNetBuffer Buffer;
    if (NetWkstaGetInfo(nullptr, 100, &Buffer.P) != NERR_Success || !Buffer.P)
        return std::nullopt;
    const auto* Info = reinterpret_cast<const WKSTA_INFO_100*>(Buffer.P);
    return TNTVersion{static_cast<int>(Info->wki100_ver_major),
                      static_cast<int>(Info->wki100_ver_minor)};
}
