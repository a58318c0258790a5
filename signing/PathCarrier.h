// Whether a path survives the trip through the tool's command line.
#pragma once

#include <string>

// True when Path, placed on the signing tool's command line, reaches the tool
// as it stands. Windows paths always do; elsewhere a double quote, or a
// backslash before the closing quote, would make the tool receive a
// different path under the Windows command-line rules.
bool CommandLineCarriesPath(const std::string& Path);
