// Where the hive files live on Linux, and how they are changed safely.
//
//   HKEY_CURRENT_USER   $XDG_CONFIG_HOME/quorvel/HKEY_CURRENT_USER.reg
//                       ($XDG_CONFIG_HOME defaults to ~/.config)
//   HKEY_LOCAL_MACHINE  <dir>/quorvel/HKEY_LOCAL_MACHINE.reg, <dir> the first folder of
//                       $XDG_CONFIG_DIRS (default /etc/xdg) that holds one, else the
//                       first folder: one machine-wide place that every copy of the
//                       program reads, as every copy on Windows reads HKLM
//
// Beside each hive: "<hive>.lock", locked with flock for every
// read-modify-write so that two running copies never lose each other's
// changes, and "store-notices.txt", the report of repairs (TakeStoreNotices).
#pragma once

#include "settings/RegHive.h"
#include "settings/Registry.h"

#include <functional>
#include <string>

std::string HiveRootName(TRegRoot Root);
std::string HiveFilePath(TRegRoot Root);

// Reads the hive without locking (a replace is atomic, so a reader always
// sees a whole file). A damaged file is moved aside, noted, and reads empty.
void LoadHiveFile(const std::string& Path, THive& Hive);

// Runs Change on the hive under the file's lock and saves the result when
// Change answers true: atomically, or by removing the file when the hive
// holds no key. Throws EOSError when the hive cannot be locked or saved.
void UpdateHiveFile(const std::string& Path, THive& Hive,
                    const std::function<bool(THive&)>& Change);
