// The program's own product name, company name and version, resolved from the
// version resource of its executable for the update request. The rules work
// on the texts a reader yields (the *Of functions), so they are tested with
// texts supplied directly; the path-taking functions read the file and apply
// them.
#pragma once

#include "update/FileVersion.h"

#include <string>
#include <string_view>

struct TDisplayedFileInfo {
    std::string Product;
    std::string Company;
};

// Product and company of a file.
TDisplayedFileInfo GetDisplayedFileInfo(const std::string& Path);
// The version of a file, normalised to "a.b.c.d" when it is valid.
std::string ResolveVersionText(const std::string& Path);
// The eight version strings: the first string table, or, when that yields no
// description, company or file version, the key-by-key queries.
FileVersionInfoRec ReadFileVersionInfo(const std::string& Path);
// A path under the system folder read by a 32-bit program on 64-bit Windows
// goes through "\sysnative\" so that the real file is read.
std::string AdjustSystemPath(const std::string& Path);
bool Is64BitImage(const std::string& Path);

// The rules themselves.
std::string AdjustSystemPathFor(const std::string& Path, bool Is64BitWindows,
                                const std::string& SystemFolder);
std::string ResolveProductName(const FileVersionInfoRec& Info, bool Is64BitImage,
                               const std::string& Path);
std::string ResolveCompanyName(const FileVersionInfoRec& Info);
TDisplayedFileInfo DisplayedFileInfoOf(const FileVersionInfoRec& Info, bool Is64BitImage,
                                       const std::string& Path);
// FixedVersionText is what GetFileVersionText answered for the file.
std::string ResolveVersionTextOf(const std::string& FixedVersionText,
                                 const FileVersionInfoRec& Info);

// The leading run of "0123456789., " with "," made "." and blanks dropped.
std::string CleanVersionText(std::string_view Text);
// Only digits and "."; true for the empty text.
bool IsVersionDigits(std::string_view Text);
// Not empty and valid once parsed.
bool IsValidVersionText(std::string_view Text);
// The file name without folder and without its last extension.
std::string FileBaseName(std::string_view Path);
