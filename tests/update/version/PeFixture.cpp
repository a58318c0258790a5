#include "tests/update/version/PeFixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

void Put16(std::vector<std::uint8_t>& Out, std::size_t At, std::uint32_t Value) {
    Out[At] = static_cast<std::uint8_t>(Value & 0xFF);
    Out[At + 1] = static_cast<std::uint8_t>((Value >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t>& Out, std::size_t At, std::uint32_t Value) {
    Put16(Out, At, Value & 0xFFFF);
    Put16(Out, At + 2, Value >> 16);
}

constexpr std::size_t PeHeader = 0x40;
constexpr std::size_t RawStart = 0x200;
constexpr std::uint32_t SectionRva = 0x1000;

} // namespace

std::vector<std::uint8_t> BuildPeImage(bool Pe32Plus,
                                       const std::optional<std::vector<std::uint8_t>>& VersionBlock,
                                       std::uint16_t Language) {
    if (!VersionBlock)
        return BuildPeImageLanguages(Pe32Plus, {});
    return BuildPeImageLanguages(Pe32Plus, {{Language, *VersionBlock}});
}

std::vector<std::uint8_t> BuildPeImageLanguages(
    bool Pe32Plus, const std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>>& Blocks) {
    // Resource section: type and name directories with one entry each, the
    // language directory, the data entries, the blocks.
    const std::size_t Count = Blocks.size();
    const std::size_t DataEntries = 0x40 + 8 * Count;
    std::vector<std::uint8_t> Rsrc(DataEntries + 16 * Count, 0);
    if (Count > 0) {
        Put16(Rsrc, 0x0E, 1);
        Put32(Rsrc, 0x10, 16);
        Put32(Rsrc, 0x14, 0x80000000u | 0x18);
        Put16(Rsrc, 0x18 + 0x0E, 1);
        Put32(Rsrc, 0x18 + 0x10, 1);
        Put32(Rsrc, 0x18 + 0x14, 0x80000000u | 0x30);
        Put16(Rsrc, 0x30 + 0x0E, static_cast<std::uint32_t>(Count));
        for (std::size_t I = 0; I < Count; ++I) {
            const std::size_t Entry = 0x40 + 8 * I;
            const std::size_t Data = DataEntries + 16 * I;
            Put32(Rsrc, Entry, Blocks[I].first);
            Put32(Rsrc, Entry + 4, static_cast<std::uint32_t>(Data));
            while (Rsrc.size() % 4 != 0)
                Rsrc.push_back(0);
            Put32(Rsrc, Data, SectionRva + static_cast<std::uint32_t>(Rsrc.size()));
            Put32(Rsrc, Data + 4, static_cast<std::uint32_t>(Blocks[I].second.size()));
            Rsrc.insert(Rsrc.end(), Blocks[I].second.begin(), Blocks[I].second.end());
        }
    }
    const std::size_t RawSize = (Rsrc.size() + 0x1FF) & ~std::size_t{0x1FF};
    std::vector<std::uint8_t> Image(RawStart + RawSize, 0);
    Image[0] = 'M';
    Image[1] = 'Z';
    Put32(Image, 0x3C, PeHeader);
    Image[PeHeader] = 'P';
    Image[PeHeader + 1] = 'E';
    const std::size_t Coff = PeHeader + 4;
    const std::uint32_t OptionalSize = Pe32Plus ? 240 : 224;
    Put16(Image, Coff, Pe32Plus ? 0x8664 : 0x14C);
    Put16(Image, Coff + 2, 1);
    Put16(Image, Coff + 16, OptionalSize);
    Put16(Image, Coff + 18, Pe32Plus ? 0x0022 : 0x0102);
    const std::size_t Optional = Coff + 20;
    Put16(Image, Optional, Pe32Plus ? 0x20B : 0x10B);
    const std::size_t Directories = Optional + (Pe32Plus ? 112 : 96);
    Put32(Image, Optional + (Pe32Plus ? 32 : 32), 0x1000); // section alignment
    Put32(Image, Optional + 36, 0x200);                    // file alignment
    Put32(Image, Optional + 56, SectionRva + 0x1000);      // size of image
    Put32(Image, Optional + 60, RawStart);                 // size of headers
    Put16(Image, Optional + 68, 2);                        // subsystem: GUI
    Put32(Image, Directories - 4, 16);
    if (Count > 0) {
        Put32(Image, Directories + 16, SectionRva);
        Put32(Image, Directories + 20, static_cast<std::uint32_t>(Rsrc.size()));
    }
    const std::size_t Section = Optional + OptionalSize;
    const char Name[] = ".rsrc";
    for (std::size_t I = 0; I < 5; ++I)
        Image[Section + I] = static_cast<std::uint8_t>(Name[I]);
    Put32(Image, Section + 8, static_cast<std::uint32_t>(Rsrc.size()));
    Put32(Image, Section + 12, SectionRva);
    Put32(Image, Section + 16, static_cast<std::uint32_t>(RawSize));
    Put32(Image, Section + 20, RawStart);
    Put32(Image, Section + 36, 0x40000040u); // initialised data, readable
    std::copy(Rsrc.begin(), Rsrc.end(), Image.begin() + RawStart);
    return Image;
}

void WriteBinaryFile(const std::string& Path, const std::vector<std::uint8_t>& Bytes) {
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Bytes.data()),
              static_cast<std::streamsize>(Bytes.size()));
    if (!Out)
        throw std::runtime_error("cannot write " + Path);
}

std::vector<std::uint8_t> ReadBinaryFile(const std::string& Path) {
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        throw std::runtime_error("cannot read " + Path);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

TTempFolder::TTempFolder() {
    const auto Stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto Self = reinterpret_cast<std::uintptr_t>(this);
    const std::filesystem::path Folder =
        std::filesystem::temp_directory_path() /
        ("quorvel-version-" + std::to_string(Stamp) + "-" + std::to_string(Self));
    std::filesystem::create_directories(Folder);
    Path = Folder.string();
}

TTempFolder::~TTempFolder() {
    std::error_code Error;
    std::filesystem::remove_all(Path, Error);
}

std::string TTempFolder::File(const std::string& Name) const {
    return (std::filesystem::path(Path) / Name).string();
}
