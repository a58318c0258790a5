// Whole-file reading and replacing. A replace writes a temporary file in the
// same folder, flushes it to the disk and renames it over the old one, so a
// crash or a full disk leaves either the old file or the new one, never a
// truncated one. A file marked read-only is refused, as the platform would
// refuse to overwrite it in place.
#pragma once

#include <string>
#include <string_view>

// Throws EOSError naming the file; the previous file is then intact. A new
// file PrivateToUser is readable by its owner only (Linux; it may hold a
// password); otherwise a replaced file keeps its permissions.
void ReplaceFileAtomically(const std::string& Path, std::string_view Content,
                           bool PrivateToUser = false);

// False when the file does not exist; EOSError naming the file when it
// exists but cannot be read.
bool ReadFileText(const std::string& Path, std::string& Content);
