#include "update/PeVersionReader.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

// The version resource's own length field is 16-bit, so nothing larger is
// ever read, whatever a resource entry claims.
constexpr std::uint32_t MaxVersionResource = 0x10000;
// VS_VERSIONINFO nests four levels deep; anything deeper is hostile.
constexpr int MaxNodeDepth = 6;
constexpr std::uint32_t RtVersion = 16;
constexpr std::uint32_t VsVersionInfoId = 1;
constexpr std::size_t FixedFileInfoSize = 52;

std::uint16_t Le16(const std::uint8_t* P) {
    return static_cast<std::uint16_t>(P[0] | (P[1] << 8));
}

std::uint32_t Le32(const std::uint8_t* P) {
    return static_cast<std::uint32_t>(P[0]) | (static_cast<std::uint32_t>(P[1]) << 8) |
           (static_cast<std::uint32_t>(P[2]) << 16) | (static_cast<std::uint32_t>(P[3]) << 24);
}

bool Read16(const IByteSource& S, std::uint64_t Offset, std::uint16_t& Value) {
    std::uint8_t B[2];
    if (!S.ReadAt(Offset, B, sizeof B))
        return false;
    Value = Le16(B);
    return true;
}

bool Read32(const IByteSource& S, std::uint64_t Offset, std::uint32_t& Value) {
    std::uint8_t B[4];
    if (!S.ReadAt(Offset, B, sizeof B))
        return false;
    Value = Le32(B);
    return true;
}

class TFileByteSource : public IByteSource {
public:
    TFileByteSource(std::ifstream Stream, std::uint64_t Length)
        : Stream(std::move(Stream)), Length(Length) {}
    std::uint64_t Size() const override { return Length; }
    bool ReadAt(std::uint64_t Offset, void* Dest, std::size_t Count) const override {
        if (Offset > Length || Count > Length - Offset)
            return false;
        Stream.clear();
        Stream.seekg(static_cast<std::streamoff>(Offset));
        Stream.read(static_cast<char*>(Dest), static_cast<std::streamsize>(Count));
        return Stream.gcount() == static_cast<std::streamsize>(Count);
    }

private:
    mutable std::ifstream Stream;
    std::uint64_t Length;
};

struct TPeLayout {
    TPeKind Kind = TPeKind::NotPe;
    // The section headers (40 bytes each), read once; empty when the table
    // runs past the end of the image.
    std::vector<std::uint8_t> Sections;
    std::uint32_t ResourceRva = 0;
    std::uint32_t ResourceSize = 0;
};

TPeLayout ReadPeLayout(const IByteSource& Image) {
    TPeLayout Layout;
    std::uint16_t Mz = 0;
    std::uint32_t PeOffset = 0, PeSignature = 0;
    if (!Read16(Image, 0, Mz) || Mz != 0x5A4D || !Read32(Image, 0x3C, PeOffset) ||
        !Read32(Image, PeOffset, PeSignature) || PeSignature != 0x00004550)
        return Layout;
    const std::uint64_t Coff = std::uint64_t{PeOffset} + 4;
    std::uint16_t OptionalSize = 0, Magic = 0;
    std::uint16_t SectionCount = 0;
    if (!Read16(Image, Coff + 2, SectionCount) || !Read16(Image, Coff + 16, OptionalSize))
        return Layout;
    const std::uint64_t Optional = Coff + 20;
    if (!Read16(Image, Optional, Magic))
        return Layout;
    std::uint64_t DirectoryCountAt = 0;
    if (Magic == 0x10B) {
        DirectoryCountAt = 92;
    } else if (Magic == 0x20B) {
        DirectoryCountAt = 108;
    } else {
        return Layout;
    }
    Layout.Kind = Magic == 0x20B ? TPeKind::Pe32Plus : TPeKind::Pe32;
    Layout.Sections.resize(std::size_t{SectionCount} * 40);
    if (!Image.ReadAt(Optional + OptionalSize, Layout.Sections.data(), Layout.Sections.size()))
        Layout.Sections.clear();
    // The resource directory is data directory 2 (8 bytes each, after the count).
    const std::uint64_t ResourceEntry = DirectoryCountAt + 4 + 2 * 8;
    std::uint32_t DirectoryCount = 0;
    if (ResourceEntry + 8 <= OptionalSize &&
        Read32(Image, Optional + DirectoryCountAt, DirectoryCount) && DirectoryCount > 2) {
        Read32(Image, Optional + ResourceEntry, Layout.ResourceRva);
        Read32(Image, Optional + ResourceEntry + 4, Layout.ResourceSize);
    }
    return Layout;
}

// File offset of an RVA whose Count bytes lie in one section's raw data.
std::optional<std::uint64_t> RvaToOffset(const TPeLayout& Layout, std::uint64_t Rva,
                                         std::uint64_t Count) {
    for (std::size_t At = 0; At + 40 <= Layout.Sections.size(); At += 40) {
        const std::uint8_t* Header = &Layout.Sections[At];
        const std::uint64_t VirtualSize = Le32(Header + 8);
        const std::uint64_t VirtualAddress = Le32(Header + 12);
        const std::uint64_t RawSize = Le32(Header + 16);
        const std::uint64_t RawPointer = Le32(Header + 20);
        const std::uint64_t Span = VirtualSize > RawSize ? VirtualSize : RawSize;
        if (Rva < VirtualAddress || Rva - VirtualAddress >= Span)
            continue;
        const std::uint64_t Delta = Rva - VirtualAddress;
        if (Delta + Count > RawSize)
            return std::nullopt;
        return RawPointer + Delta;
    }
    return std::nullopt;
}

struct TDirEntry {
    std::uint32_t Name = 0;   // high bit: named entry
    std::uint32_t Offset = 0; // high bit: subdirectory
};

// Reads the entries of the resource directory at Offset (relative to the
// resource section) without following anything.
bool ReadDirectory(const IByteSource& Image, const TPeLayout& Layout, std::uint32_t Offset,
                   std::vector<TDirEntry>& Entries) {
    const auto Header = RvaToOffset(Layout, std::uint64_t{Layout.ResourceRva} + Offset, 16);
    std::uint16_t Named = 0, Ids = 0;
    if (!Header || !Read16(Image, *Header + 12, Named) || !Read16(Image, *Header + 14, Ids))
        return false;
    const std::uint64_t Count = std::uint64_t{Named} + Ids;
    const auto Table =
        RvaToOffset(Layout, std::uint64_t{Layout.ResourceRva} + Offset + 16, Count * 8);
    if (!Table)
        return false;
    std::vector<std::uint8_t> Raw(Count * 8);
    if (Count > 0 && !Image.ReadAt(*Table, Raw.data(), Raw.size()))
        return false;
    Entries.clear();
    for (std::uint64_t I = 0; I < Count; ++I)
        Entries.push_back({Le32(&Raw[I * 8]), Le32(&Raw[I * 8 + 4])});
    return true;
}

std::optional<TDirEntry> FindId(const std::vector<TDirEntry>& Entries, std::uint32_t Id) {
    for (const TDirEntry& E : Entries)
        if ((E.Name & 0x80000000u) == 0 && E.Name == Id)
            return E;
    return std::nullopt;
}

bool IsSubdirectory(const TDirEntry& E) {
    return (E.Offset & 0x80000000u) != 0;
}

std::uint32_t SubdirectoryOffset(const TDirEntry& E) {
    return E.Offset & 0x7FFFFFFFu;
}

// One node of a VS_VERSIONINFO block: header, key, value, children.
struct TNode {
    std::u16string Key;
    std::uint16_t Type = 0;
    std::size_t ValueOffset = 0;
    std::size_t ValueBytes = 0;
    std::vector<TNode> Children;
};

std::size_t Align4(std::size_t Offset) {
    return (Offset + 3) & ~std::size_t{3};
}

// Parses the node at Offset that must end by Limit; nullopt when malformed.
std::optional<TNode> ParseNode(std::span<const std::uint8_t> Block, std::size_t Offset,
                               std::size_t Limit, int Depth) {
    if (Depth > MaxNodeDepth || Offset > Limit || Limit - Offset < 6)
        return std::nullopt;
    const std::size_t Length = Le16(&Block[Offset]);
    const std::size_t ValueLength = Le16(&Block[Offset + 2]);
    TNode Node;
    Node.Type = Le16(&Block[Offset + 4]);
    if (Length < 6)
        return std::nullopt;
    // A node that claims more than its parent holds is cut to what is there.
    const std::size_t End = Length > Limit - Offset ? Limit : Offset + Length;
    std::size_t P = Offset + 6;
    for (;;) {
        if (End - P < 2)
            return std::nullopt; // key without its NUL
        const char16_t C = static_cast<char16_t>(Le16(&Block[P]));
        P += 2;
        if (C == 0)
            break;
        Node.Key.push_back(C);
    }
    P = Align4(P);
    if (P > End)
        P = End;
    // Text values count characters, binary values bytes.
    const std::size_t WantedBytes = Node.Type == 1 ? ValueLength * 2 : ValueLength;
    Node.ValueOffset = P;
    Node.ValueBytes = WantedBytes < End - P ? WantedBytes : End - P;
    P = Align4(P + Node.ValueBytes);
    while (P < End && End - P >= 6) {
        auto Child = ParseNode(Block, P, End, Depth + 1);
        if (!Child)
            break;
        const std::size_t ChildLength = Le16(&Block[P]);
        Node.Children.push_back(std::move(*Child));
        P = Align4(P + ChildLength);
    }
    return Node;
}

std::optional<TNode> ParseRoot(std::span<const std::uint8_t> Block) {
    return ParseNode(Block, 0, Block.size(), 0);
}

char16_t FoldAZ(char16_t C) {
    return (C >= u'A' && C <= u'Z') ? static_cast<char16_t>(C + 32) : C;
}

bool SameKey(std::u16string_view A, std::u16string_view B) {
    if (A.size() != B.size())
        return false;
    for (std::size_t I = 0; I < A.size(); ++I)
        if (FoldAZ(A[I]) != FoldAZ(B[I]))
            return false;
    return true;
}

const TNode* FindChild(const TNode& Parent, std::u16string_view Key) {
    for (const TNode& Child : Parent.Children)
        if (SameKey(Child.Key, Key))
            return &Child;
    return nullptr;
}

std::u16string ValueText(std::span<const std::uint8_t> Block, const TNode& Node) {
    std::u16string Text;
    for (std::size_t I = 0; I + 1 < Node.ValueBytes; I += 2) {
        const char16_t C = static_cast<char16_t>(Le16(&Block[Node.ValueOffset + I]));
        if (C == 0)
            break;
        Text.push_back(C);
    }
    return Text;
}

const TNode* FindPath(const TNode& Root, std::string_view SubBlock) {
    const TNode* Node = &Root;
    std::size_t Start = 0;
    while (Start <= SubBlock.size()) {
        std::size_t Slash = SubBlock.find('\\', Start);
        if (Slash == std::string_view::npos)
            Slash = SubBlock.size();
        const std::string_view Name = SubBlock.substr(Start, Slash - Start);
        if (!Name.empty()) {
            Node = FindChild(*Node, AsciiToUtf16(Name));
            if (!Node)
                return nullptr;
        }
        Start = Slash + 1;
    }
    return Node;
}

// windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves a hole, which
// Windows maps to the C1 control of the same number.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCp1252(char16_t C) {
    if (C < 0x80 || (C >= 0xA0 && C <= 0xFF))
        return static_cast<char>(C);
    for (std::size_t I = 0; I < Cp1252High.size(); ++I) {
        const char16_t Mapped = Cp1252High[I] ? Cp1252High[I] : static_cast<char16_t>(0x80 + I);
        if (Mapped == C)
            return static_cast<char>(0x80 + I);
    }
    return '?';
}

void PutLe16(std::vector<std::uint8_t>& Out, std::size_t At, std::uint16_t Value) {
    Out[At] = static_cast<std::uint8_t>(Value & 0xFF);
    Out[At + 1] = static_cast<std::uint8_t>(Value >> 8);
}

void Append16(std::vector<std::uint8_t>& Out, std::uint16_t Value) {
    Out.push_back(static_cast<std::uint8_t>(Value & 0xFF));
    Out.push_back(static_cast<std::uint8_t>(Value >> 8));
}

void Append32(std::vector<std::uint8_t>& Out, std::uint32_t Value) {
    Append16(Out, static_cast<std::uint16_t>(Value & 0xFFFF));
    Append16(Out, static_cast<std::uint16_t>(Value >> 16));
}

void Pad4(std::vector<std::uint8_t>& Out) {
    while (Out.size() % 4 != 0)
        Out.push_back(0);
}

// Writes a node header and key; returns where the node starts.
std::size_t BeginNode(std::vector<std::uint8_t>& Out, std::u16string_view Key,
                      std::uint16_t ValueLength, std::uint16_t Type) {
    Pad4(Out);
    const std::size_t Start = Out.size();
    Append16(Out, 0);
    Append16(Out, ValueLength);
    Append16(Out, Type);
    for (char16_t C : Key)
        Append16(Out, C);
    Append16(Out, 0);
    Pad4(Out);
    return Start;
}

void EndNode(std::vector<std::uint8_t>& Out, std::size_t Start) {
    PutLe16(Out, Start, static_cast<std::uint16_t>(Out.size() - Start));
}

} // namespace

bool TMemoryByteSource::ReadAt(std::uint64_t Offset, void* Dest, std::size_t Count) const {
    if (Offset > Bytes.size() || Count > Bytes.size() - Offset)
        return false;
    if (Count > 0)
        std::memcpy(Dest, Bytes.data() + Offset, Count);
    return true;
}

std::unique_ptr<IByteSource> OpenFileByteSource(const std::string& Path) {
    std::ifstream Stream(Path, std::ios::binary);
    if (!Stream)
        return nullptr;
    Stream.seekg(0, std::ios::end);
    const std::streamoff Length = Stream.tellg();
    if (Length < 0)
        return nullptr;
    return std::make_unique<TFileByteSource>(std::move(Stream), static_cast<std::uint64_t>(Length));
}

TPeKind ReadPeKind(const IByteSource& Image) {
    return ReadPeLayout(Image).Kind;
}

std::optional<std::vector<std::uint8_t>> ReadPeVersionResource(const IByteSource& Image) {
    const TPeLayout Layout = ReadPeLayout(Image);
    if (Layout.Kind == TPeKind::NotPe || Layout.ResourceRva == 0)
        return std::nullopt;
    // Three fixed levels (type, name, language): walked, never recursed.
    std::vector<TDirEntry> Entries;
    if (!ReadDirectory(Image, Layout, 0, Entries))
        return std::nullopt;
    const auto Type = FindId(Entries, RtVersion);
    if (!Type || !IsSubdirectory(*Type) ||
        !ReadDirectory(Image, Layout, SubdirectoryOffset(*Type), Entries))
        return std::nullopt;
    const auto Name = FindId(Entries, VsVersionInfoId);
    if (!Name || !IsSubdirectory(*Name) ||
        !ReadDirectory(Image, Layout, SubdirectoryOffset(*Name), Entries) || Entries.empty())
        return std::nullopt;
    // The system's own order where no user language is known: neutral, US
    // English, any English, then whatever comes first.
    auto Language = FindId(Entries, 0x0000);
    if (!Language)
        Language = FindId(Entries, 0x0409);
    for (const TDirEntry& E : Entries)
        if (!Language && (E.Name & 0x800003FFu) == 0x09)
            Language = E;
    if (!Language)
        Language = Entries.front();
    if (IsSubdirectory(*Language))
        return std::nullopt;
    const auto DataEntry =
        RvaToOffset(Layout, std::uint64_t{Layout.ResourceRva} + Language->Offset, 16);
    std::uint32_t DataRva = 0, DataSize = 0;
    if (!DataEntry || !Read32(Image, *DataEntry, DataRva) ||
        !Read32(Image, *DataEntry + 4, DataSize))
        return std::nullopt;
    if (DataSize > MaxVersionResource)
        DataSize = MaxVersionResource;
    const auto Data = RvaToOffset(Layout, DataRva, DataSize);
    if (!Data || DataSize == 0)
        return std::nullopt;
    std::vector<std::uint8_t> Block(DataSize);
    if (!Image.ReadAt(*Data, Block.data(), Block.size()))
        return std::nullopt;
    return Block;
}

std::optional<TVersionInfo> ParseVersionInfoBlock(std::span<const std::uint8_t> Block) {
    const auto Root = ParseRoot(Block);
    if (!Root)
        return std::nullopt;
    TVersionInfo Info;
    if (Root->ValueBytes >= FixedFileInfoSize) {
        std::array<std::uint32_t, 13> F{};
        for (std::size_t I = 0; I < F.size(); ++I)
            F[I] = Le32(&Block[Root->ValueOffset + I * 4]);
        Info.Fixed = TFixedFileInfo{F[0], F[1], F[2], F[3],  F[4],  F[5], F[6],
                                    F[7], F[8], F[9], F[10], F[11], F[12]};
    }
    for (const TNode& Section : Root->Children) {
        if (SameKey(Section.Key, u"StringFileInfo")) {
            for (const TNode& Table : Section.Children) {
                TVersionStringTable T{Table.Key, {}};
                for (const TNode& S : Table.Children)
                    T.Strings.push_back({S.Key, ValueText(Block, S)});
                Info.Tables.push_back(std::move(T));
            }
        } else if (SameKey(Section.Key, u"VarFileInfo")) {
            if (const TNode* Var = FindChild(Section, u"Translation"))
                for (std::size_t I = 0; I + 4 <= Var->ValueBytes; I += 4)
                    Info.Translations.push_back(Le32(&Block[Var->ValueOffset + I]));
        }
    }
    return Info;
}

std::vector<std::uint8_t> BuildVersionInfoBlock(const TVersionInfo& Info) {
    std::vector<std::uint8_t> Out;
    const std::size_t Root =
        BeginNode(Out, u"VS_VERSION_INFO", Info.Fixed ? FixedFileInfoSize : 0, 0);
    if (Info.Fixed) {
        const TFixedFileInfo& F = *Info.Fixed;
        for (std::uint32_t V :
             {F.Signature, F.StrucVersion, F.FileVersionMS, F.FileVersionLS, F.ProductVersionMS,
              F.ProductVersionLS, F.FileFlagsMask, F.FileFlags, F.FileOS, F.FileType, F.FileSubtype,
              F.FileDateMS, F.FileDateLS})
            Append32(Out, V);
    }
    if (!Info.Tables.empty()) {
        const std::size_t Section = BeginNode(Out, u"StringFileInfo", 0, 1);
        for (const TVersionStringTable& Table : Info.Tables) {
            const std::size_t T = BeginNode(Out, Table.Key, 0, 1);
            for (const TVersionString& S : Table.Strings) {
                const std::size_t N =
                    BeginNode(Out, S.Name, static_cast<std::uint16_t>(S.Value.size() + 1), 1);
                for (char16_t C : S.Value)
                    Append16(Out, C);
                Append16(Out, 0);
                EndNode(Out, N);
            }
            EndNode(Out, T);
        }
        EndNode(Out, Section);
    }
    if (!Info.Translations.empty()) {
        const std::size_t Section = BeginNode(Out, u"VarFileInfo", 0, 1);
        const std::size_t Var = BeginNode(
            Out, u"Translation", static_cast<std::uint16_t>(Info.Translations.size() * 4), 0);
        for (std::uint32_t T : Info.Translations)
            Append32(Out, T);
        EndNode(Out, Var);
        EndNode(Out, Section);
    }
    EndNode(Out, Root);
    return Out;
}

std::optional<std::u16string> QueryVersionString(std::span<const std::uint8_t> Block,
                                                 std::string_view SubBlock) {
    const auto Root = ParseRoot(Block);
    if (!Root)
        return std::nullopt;
    const TNode* Node = FindPath(*Root, SubBlock);
    if (!Node || Node == &*Root)
        return std::nullopt;
    return ValueText(Block, *Node);
}

std::optional<std::uint32_t> QueryFirstTranslation(std::span<const std::uint8_t> Block) {
    const auto Root = ParseRoot(Block);
    if (!Root)
        return std::nullopt;
    const TNode* Var = FindPath(*Root, "\\VarFileInfo\\Translation");
    if (!Var || Var->ValueBytes < 4)
        return std::nullopt;
    return Le32(&Block[Var->ValueOffset]);
}

std::string FormatFileVersion(const TFixedFileInfo& Fixed) {
    char Buffer[48];
    std::snprintf(Buffer, sizeof Buffer, "%u.%u.%u.%u",
                  static_cast<unsigned>(Fixed.FileVersionMS >> 16),
                  static_cast<unsigned>(Fixed.FileVersionMS & 0xFFFF),
                  static_cast<unsigned>(Fixed.FileVersionLS >> 16),
                  static_cast<unsigned>(Fixed.FileVersionLS & 0xFFFF));
    return Buffer;
}

std::string Utf16ToCp1252(std::u16string_view Text) {
    std::string Out;
    Out.reserve(Text.size());
    for (std::size_t I = 0; I < Text.size(); ++I) {
        const char16_t C = Text[I];
        // A surrogate pair is one character, shown as one "?".
        if (C >= 0xD800 && C <= 0xDBFF && I + 1 < Text.size() && Text[I + 1] >= 0xDC00 &&
            Text[I + 1] <= 0xDFFF)
            ++I;
        Out.push_back(ToCp1252(C));
    }
    return Out;
}

std::u16string AsciiToUtf16(std::string_view Text) {
    std::u16string Out;
    Out.reserve(Text.size());
    for (char C : Text)
        Out.push_back(static_cast<char16_t>(static_cast<unsigned char>(C)));
    return Out;
}
