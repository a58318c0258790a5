#include "core/QuorvelErrors.h"

void RaiseLastOSError() {
    RaiseOSError(GetLastOSErrorCode());
}

void RaiseOSError(std::uint32_t ErrorCode) {
    throw EOSError(ErrorCode, "System Error.  Code: " + std::to_string(ErrorCode) + ".\n" +
                                  SysErrorMessage(ErrorCode));
}
