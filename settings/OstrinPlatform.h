// The file-system pieces of U_OstrinUtils that differ between platforms
// (U_OstrinUtils_win32.cpp / U_OstrinUtils_posix.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// '\' on Windows, '/' elsewhere.
extern const char PathDelim;
// How much of a program folder names its drive: "C:\" on Windows, "/" elsewhere.
extern const std::size_t DrivePrefixLength;

std::string IncludeTrailingPathDelimiter(const std::string& Path);
// Names of every entry of Folder except "." and "..".
std::vector<std::string> ListFolderNames(const std::string& Folder);
// Removes an empty folder; false otherwise.
bool RemoveFolder(const std::string& Folder);
