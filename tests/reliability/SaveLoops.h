// What the crash tests save, shared by the helper program that saves and the
// tests that kill it: two whole contents per file, so that whatever is on
// disk afterwards can be told apart from a mix or a truncation.
#pragma once

#include <string>
#include <vector>

// The file list of version 0 or 1: many long lines, so that one save takes
// several writes.
std::vector<std::string> FileListVersion(int Version);

// The one large setting that the hive test rewrites: 48 KiB of version 0 or 1.
std::string HiveValueVersion(int Version);

// Puts the settings of version 0 or 1 into the product key, one WriteSetting
// per value.
void WriteSettingsVersion(int Version);

// The product key of version Version exported to Ini.
void ExportSettingsVersion(int Version, const std::string& Ini);
