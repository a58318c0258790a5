// Without the platform's version calls, our PE reader answers them.
#include "update/FileVersion.h"

#include <filesystem>

namespace {

// The program's own executable is an ELF file here: it answers with the
// resource compiled in and the bitness of this build, as the Windows build
// of the same bitness would.
bool IsRunningExecutable(const std::string& Path) {
    std::error_code Error;
    return std::filesystem::equivalent(Path, "/proc/self/exe", Error) && !Error;
}

class TBlockQuery : public IVersionQuery {
public:
    explicit TBlockQuery(std::vector<std::uint8_t> Block) : Block(std::move(Block)) {}
    std::optional<std::uint32_t> FirstTranslation() const override {
        return QueryFirstTranslation(Block);
    }
    std::optional<std::string> QueryString(const std::string& SubBlock) const override {
        const auto Text = QueryVersionString(Block, SubBlock);
        if (!Text)
            return std::nullopt;
        return VersionTextToAnsi(*Text);
    }

private:
    std::vector<std::uint8_t> Block;
};

} // namespace

bool VersionFileExists(const std::string& Path) {
    std::error_code Error;
    const auto Status = std::filesystem::status(Path, Error);
    return !Error && std::filesystem::exists(Status) && !std::filesystem::is_directory(Status);
}

std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::string& Path) {
    const auto Source = OpenFileByteSource(Path);
    if (!Source)
        return std::nullopt;
    if (ReadPeKind(*Source) != TPeKind::NotPe)
        return ReadPeVersionResource(*Source);
    if (IsRunningExecutable(Path))
        return BuildVersionInfoBlock(OwnVersionInfo());
    return std::nullopt;
}

std::unique_ptr<IVersionQuery> OpenVersionQuery(const std::string& Path) {
    auto Block = ReadVersionBlock(Path);
    if (!Block)
        return nullptr;
    return std::make_unique<TBlockQuery>(std::move(*Block));
}

TPeKind ReadFileImageKind(const std::string& Path) {
    const auto Source = OpenFileByteSource(Path);
    if (!Source)
        return TPeKind::NotPe;
    const TPeKind Kind = ReadPeKind(*Source);
    if (Kind == TPeKind::NotPe && IsRunningExecutable(Path))
        return sizeof(void*) == 8 ? TPeKind::Pe32Plus : TPeKind::Pe32;
    return Kind;
}

std::string VersionTextToAnsi(std::u16string_view Text) {
    return Utf16ToCp1252(Text);
}

std::string GetFileVersionText(const std::string& Path) {
    if (!VersionFileExists(Path))
        return "File not found";
    const auto Block = ReadVersionBlock(Path);
    if (!Block)
        return "";
    const auto Info = ParseVersionInfoBlock(*Block);
    if (!Info || !Info->Fixed)
        return "";
    return FormatFileVersion(*Info->Fixed);
}
