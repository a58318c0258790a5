// Folder test and folder creation that cope with long and non-ANSI paths on
// Windows (through the wide calls and the "\\?\" form).
#pragma once

#include <string>

// An empty path does not exist; a bare drive ("C:" or "C:\") exists when
// the system knows a drive there.
bool WideDirectoryExists(const std::string& Path);
// One folder level, default security; false when it was not made (an
// existing folder included).
bool WideCreateDirectory(const std::string& Path);
