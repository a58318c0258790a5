// quorvel_write_machine_hive <path>: writes the uninstaller entry into the
// machine hive of an installation (see MachineHive.h).
#include "settings/MachineHive.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>/HKEY_LOCAL_MACHINE.reg\n", argv[0]);
        return 2;
    }
    try {
        WriteMachineHive(argv[1]);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "%s\n", Error.what());
        return 1;
    }
    return 0;
}
