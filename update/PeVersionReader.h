// A reader of the Windows version resource (VS_VERSIONINFO) that needs no
// Windows: it finds RT_VERSION in a PE image and parses the block. Every read
// is bounds-checked; malformed input yields "no version", never a fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Random access to the bytes of an image, so that large files are never read
// whole.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // False when [Offset, Offset + Count) is not wholly inside the source.
    virtual bool ReadAt(std::uint64_t Offset, void* Dest, std::size_t Count) const = 0;
};

class TMemoryByteSource : public IByteSource {
public:
    explicit TMemoryByteSource(std::span<const std::uint8_t> Bytes) : Bytes(Bytes) {}
    std::uint64_t Size() const override { return Bytes.size(); }
    bool ReadAt(std::uint64_t Offset, void* Dest, std::size_t Count) const override;

private:
    std::span<const std::uint8_t> Bytes;
};

// A file opened for reading; nullptr when it cannot be opened.
std::unique_ptr<IByteSource> OpenFileByteSource(const std::string& Path);

enum class TPeKind { NotPe, Pe32, Pe32Plus };

// The kind of the optional header (magic 0x10B or 0x20B) of a PE image.
TPeKind ReadPeKind(const IByteSource& Image);

// The RT_VERSION resource of a PE image (name 1; of its languages neutral,
// then US English, then any English, then the first), at most 64 KiB;
// nullopt when there is none.
std::optional<std::vector<std::uint8_t>> ReadPeVersionResource(const IByteSource& Image);

struct TFixedFileInfo {
    std::uint32_t Signature = 0, StrucVersion = 0;
    std::uint32_t FileVersionMS = 0, FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0, ProductVersionLS = 0;
    std::uint32_t FileFlagsMask = 0, FileFlags = 0, FileOS = 0, FileType = 0, FileSubtype = 0;
    std::uint32_t FileDateMS = 0, FileDateLS = 0;
};

struct TVersionString {
    std::u16string Name;
    std::u16string Value; // up to the first NUL
};

struct TVersionStringTable {
    std::u16string Key; // language and code page, "040C04E4"
    std::vector<TVersionString> Strings;
};

struct TVersionInfo {
    std::optional<TFixedFileInfo> Fixed;     // absent when the root value is empty
    std::vector<TVersionStringTable> Tables; // in stored order
    std::vector<std::uint32_t> Translations; // language in the low word
};

// Parses a VS_VERSIONINFO block; nullopt when its root node is unreadable.
std::optional<TVersionInfo> ParseVersionInfoBlock(std::span<const std::uint8_t> Block);

// The inverse of ParseVersionInfoBlock, laid out as the resource compiler does.
std::vector<std::uint8_t> BuildVersionInfoBlock(const TVersionInfo& Info);

// VerQueryValue-style lookup of a text value by its sub-block path
// ("\StringFileInfo\040C04E4\CompanyName"), names compared with A to Z folded.
std::optional<std::u16string> QueryVersionString(std::span<const std::uint8_t> Block,
                                                 std::string_view SubBlock);
// The first entry of "\VarFileInfo\Translation".
std::optional<std::uint32_t> QueryFirstTranslation(std::span<const std::uint8_t> Block);

// "a.b.c.d" of the fixed file version.
std::string FormatFileVersion(const TFixedFileInfo& Fixed);

// UTF-16 to windows-1252; what it cannot hold becomes "?".
std::string Utf16ToCp1252(std::u16string_view Text);
std::u16string AsciiToUtf16(std::string_view Text);
