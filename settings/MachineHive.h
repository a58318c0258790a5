// The machine hive an installation carries on Linux: the "Tandrel Quorvel"
// uninstaller entry under HKEY_LOCAL_MACHINE, which makes the program count
// as installed. The build writes it with the tool quorvel_write_machine_hive
// <file>; the install step puts it in /etc/xdg/quorvel/, where every copy on
// the machine reads it.
#pragma once

#include <string>

// The hive file's text with the uninstaller entry.
std::string MachineHiveText();
// Adds the entry to the hive file at Path (made when missing), keeping what
// else it holds; EOSError when it cannot be written.
void WriteMachineHive(const std::string& Path);
