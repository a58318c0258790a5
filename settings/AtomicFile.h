// Whole-file reading and replacing. A replace writes a temporary file in the
// same folder, flushes it to the disk and renames it over the old one, so a
// crash or a full disk leaves either the old file or the new one, never a
// truncated one. A file marked read-only is refused, as the platform would
// refuse to overwrite it in place.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Throws EOSError naming the file; the previous file is then intact. On
// Linux a new file PrivateToUser (it may hold a password) is made owner-only,
// any other new file as the umask allows (0666 less the umask); a replaced
// file keeps its permissions.
void ReplaceFileAtomically(const std::string& Path, std::string_view Content,
                           bool PrivateToUser = false);

// Lets Change edit a copy of Path made beside it (no copy when Path does not
// exist; Change may then create it), then puts the copy in Path's place in
// one step when Change answers true. For editors that rewrite a file in place
// piece by piece, such as the Windows profile calls: Path is afterwards
// either as it was or as the whole of Change left it. EOSError naming the
// file when the copy or the replace fails; an error from Change passes on.
// Either way the copy is removed and Path is as it was.
void ChangeFileThroughCopy(const std::string& Path,
                           const std::function<bool(const std::string& CopyPath)>& Change);

// False when the file does not exist; EOSError naming the file when it
// exists but cannot be read.
bool ReadFileText(const std::string& Path, std::string& Content);
