#include "settings/U_QuorvelFct.h"

#include "core/QuorvelErrors.h"

#include <string_view>
#include <sys/utsname.h>

bool Is64BitWindows() {
    if (sizeof(void*) != 4)
        return false; // a 64-bit build is not the 32-bit program on 64 bits
    utsname Name{};
    if (uname(&Name) != 0)
        RaiseLastOSError();
    const std::string_view Machine = Name.machine;
    return Machine == "x86_64" || Machine == "aarch64" ||
           Machine.find("64") != std::string_view::npos;
}
