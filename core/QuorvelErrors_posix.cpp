#include "core/QuorvelErrors.h"

#include <cerrno>
#include <cstring>

std::string SysErrorMessage(std::uint32_t ErrorCode) {
    return std::strerror(static_cast<int>(ErrorCode));
}

std::uint32_t GetLastOSErrorCode() {
    return static_cast<std::uint32_t>(errno);
}
