// Minimal PE images made in memory: headers, one .rsrc section and, when
// given, an RT_VERSION resource holding the block. Enough for our reader and
// for the system's loader-free version calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One RT_VERSION resource per language, in the order given.
std::vector<std::uint8_t> BuildPeImageLanguages(
    bool Pe32Plus, const std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>>& Blocks);

std::vector<std::uint8_t> BuildPeImage(bool Pe32Plus,
                                       const std::optional<std::vector<std::uint8_t>>& VersionBlock,
                                       std::uint16_t Language = 0x040C);

// Writes Bytes to Path, replacing the file; throws on failure.
void WriteBinaryFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes);
std::vector<std::uint8_t> ReadBinaryFile(const std::string& Path);

// A fresh, empty folder under the system's temporary folder, removed again by
// the destructor.
class TTempFolder {
public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;
    std::string File(const std::string& Name) const;

private:
    std::string Path;
};
