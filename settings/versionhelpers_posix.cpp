#include "settings/versionhelpers.h"

// There is no workstation service to ask, and a kernel release is no Windows
// version: the naming answers "Unknown" here. The Linux system text is made
// from the kernel and the distribution instead (GetOSName).
std::optional<TNTVersion> QueryWorkstationVersion() {
    return std::nullopt;
}
