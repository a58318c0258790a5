// The platform's version calls. The primary string reading parses the block
// GetFileVersionInfoW hands back, since only a parser sees the tables in
// their stored order; everything else asks the system.
#include "update/FileVersion.h"

#include <windows.h>

namespace {

std::wstring WidePath(const std::string& Path) {
    if (Path.empty())
        return {};
    const int Count =
        MultiByteToWideChar(CP_ACP, 0, Path.data(), static_cast<int>(Path.size()), nullptr, 0);
    std::wstring Wide(static_cast<std::size_t>(Count > 0 ? Count : 0), L'\0');
    if (Count > 0)
        MultiByteToWideChar(CP_ACP, 0, Path.data(), static_cast<int>(Path.size()), Wide.data(),
                            Count);
    return Wide;
}

class TAnsiBlockQuery : public IVersionQuery {
public:
    explicit TAnsiBlockQuery(std::vector<char> Block) : Block(std::move(Block)) {}
    std::optional<std::uint32_t> FirstTranslation() const override {
        void* Value = nullptr;
        UINT Length = 0;
        if (!VerQueryValueA(Block.data(), "\\VarFileInfo\\Translation", &Value, &Length) ||
            Value == nullptr || Length < 4)
            return std::nullopt;
        const auto* Words = static_cast<const WORD*>(Value);
        return std::uint32_t{Words[0]} | (std::uint32_t{Words[1]} << 16);
    }
    std::optional<std::string> QueryString(const std::string& SubBlock) const override {
        void* Value = nullptr;
        UINT Length = 0;
        if (!VerQueryValueA(Block.data(), SubBlock.c_str(), &Value, &Length) || Value == nullptr)
            return std::nullopt;
        // The value is a NUL-terminated text inside the block.
        const char* Text = static_cast<const char*>(Value);
        std::size_t Size = 0;
        while (Size < Length && Text[Size] != '\0')
            ++Size;
        return std::string(Text, Size);
    }

private:
    std::vector<char> Block;
};

} // namespace

bool VersionFileExists(const std::string& Path) {
    const DWORD Attributes = GetFileAttributesW(WidePath(Path).c_str());
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::string& Path) {
    const std::wstring Wide = WidePath(Path);
    DWORD Handle = 0;
    const DWORD Size = GetFileVersionInfoSizeW(Wide.c_str(), &Handle);
    if (Size == 0)
        return std::nullopt;
    std::vector<std::uint8_t> Block(Size);
    if (!GetFileVersionInfoW(Wide.c_str(), 0, Size, Block.data()))
        return std::nullopt;
    return Block;
}

std::unique_ptr<IVersionQuery> OpenVersionQuery(const std::string& Path) {
    DWORD Handle = 0;
    const DWORD Size = GetFileVersionInfoSizeA(Path.c_str(), &Handle);
    if (Size == 0)
        return nullptr;
    std::vector<char> Block(Size);
    if (!GetFileVersionInfoA(Path.c_str(), 0, Size, Block.data()))
        return nullptr;
    return std::make_unique<TAnsiBlockQuery>(std::move(Block));
}

TPeKind ReadFileImageKind(const std::string& Path) {
    const auto Source = OpenFileByteSource(Path);
    return Source ? ReadPeKind(*Source) : TPeKind::NotPe;
}

std::string VersionTextToAnsi(std::u16string_view Text) {
    if (Text.empty())
        return {};
    const auto* Wide = reinterpret_cast<const wchar_t*>(Text.data());
    const int Count = WideCharToMultiByte(CP_ACP, 0, Wide, static_cast<int>(Text.size()), nullptr,
                                          0, nullptr, nullptr);
    std::string Out(static_cast<std::size_t>(Count > 0 ? Count : 0), '\0');
    if (Count > 0)
        WideCharToMultiByte(CP_ACP, 0, Wide, static_cast<int>(Text.size()), Out.data(), Count,
                            nullptr, nullptr);
    return Out;
}

std::string GetFileVersionText(const std::string& Path) {
    if (!VersionFileExists(Path))
        return "File not found";
    const std::wstring Wide = WidePath(Path);
    DWORD Handle = 0;
    const DWORD Size = GetFileVersionInfoSizeW(Wide.c_str(), &Handle);
    if (Size == 0)
        return "";
    std::vector<std::uint8_t> Block(Size);
    void* Value = nullptr;
    UINT Length = 0;
    if (!GetFileVersionInfoW(Wide.c_str(), 0, Size, Block.data()) ||
        !VerQueryValueA(Block.data(), "\\", &Value, &Length) || Value == nullptr ||
        Length < sizeof(VS_FIXEDFILEINFO))
        return "";
    const auto* Fixed = static_cast<const VS_FIXEDFILEINFO*>(Value);
    TFixedFileInfo Info;
    Info.FileVersionMS = Fixed->dwFileVersionMS;
    Info.FileVersionLS = Fixed->dwFileVersionLS;
    return FormatFileVersion(Info);
}
