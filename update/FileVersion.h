// Reading the version resource of an executable file: the fixed file version
// as text, and the raw pieces the own-version resolution works on. On Windows
// these are the platform's version calls; elsewhere our PE reader answers,
// and the running program's own executable, which is no PE image there,
// answers with the values compiled in from the one place that also makes the
// Windows resource.
#pragma once

#include "update/PeVersionReader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The eight version strings of a file, 8-bit text, empty when absent.
struct FileVersionInfoRec {
    std::string FileDescription;
    std::string CompanyName;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;
};

// The fixed file version as "a.b.c.d"; "File not found" for a missing file;
// empty when there is no version resource or its fixed part is empty.
std::string GetFileVersionText(const std::string& Path);

// The program's own resource as built from cmake/Version.cmake.
TVersionInfo OwnVersionInfo();

// The eight strings of one string table, by name (A to Z folded).
FileVersionInfoRec VersionStringsOf(const TVersionStringTable& Table);

// "\StringFileInfo\<lang><cp>\<name>" for the first translation entry, or
// the bare name when there is none; the names as the key-by-key reading asks.
std::vector<std::string> VersionQueryPaths(std::optional<std::uint32_t> Translation);

// Key-by-key queries of one file's version resource (VerQueryValueA and its
// counterpart on our reader).
class IVersionQuery {
public:
    virtual ~IVersionQuery() = default;
    virtual std::optional<std::uint32_t> FirstTranslation() const = 0;
    // The text value of a sub-block in the system's 8-bit code page.
    virtual std::optional<std::string> QueryString(const std::string& SubBlock) const = 0;
};

// The eight strings read through Query, empty where a query fails.
FileVersionInfoRec ReadVersionStringsByKey(const IVersionQuery& Query);

// Platform pieces (FileVersion_win32.cpp / FileVersion_posix.cpp).
bool VersionFileExists(const std::string& Path);
// The whole VS_VERSIONINFO block; nullopt without a version resource.
std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::string& Path);
// nullptr when the file has no version resource.
std::unique_ptr<IVersionQuery> OpenVersionQuery(const std::string& Path);
// The kind of PE image a file is.
TPeKind ReadFileImageKind(const std::string& Path);
// A version string in the system's 8-bit code page.
std::string VersionTextToAnsi(std::u16string_view Text);
