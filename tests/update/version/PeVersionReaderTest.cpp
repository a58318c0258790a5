// Our reader of the version resource: round trips through the writer, PE
// images made in memory and, where the cross compiler was found, real
// executables carrying the program's own resource script.
#include "update/PeVersionReader.h"
#include "tests/update/version/PeFixture.h"
#include "update/FileVersion.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::vector<std::uint8_t> OwnBlock() {
    return BuildVersionInfoBlock(OwnVersionInfo());
}

std::optional<std::string> QueryAnsi(const std::vector<std::uint8_t>& Block, const char* Path) {
    const auto Text = QueryVersionString(Block, Path);
    return Text ? std::optional<std::string>(Utf16ToCp1252(*Text)) : std::nullopt;
}

// The values of the program's resource, as the update request relies on them.
void ExpectOwnResource(const std::vector<std::uint8_t>& Block) {
    const auto Info = ParseVersionInfoBlock(Block);
    ASSERT_TRUE(Info);
    ASSERT_TRUE(Info->Fixed);
    EXPECT_EQ(Info->Fixed->Signature, 0xFEEF04BDu);
    EXPECT_EQ(FormatFileVersion(*Info->Fixed), "2.1.1.20");
    EXPECT_EQ(Info->Fixed->ProductVersionMS, 0x00020001u);
    EXPECT_EQ(Info->Fixed->ProductVersionLS, 0x00010014u);
    EXPECT_EQ(Info->Fixed->FileFlagsMask, 0x3Fu);
    EXPECT_EQ(Info->Fixed->FileFlags, 0u);
    EXPECT_EQ(Info->Fixed->FileOS, 0x4u);
    EXPECT_EQ(Info->Fixed->FileType, 0x1u);
    EXPECT_EQ(Info->Fixed->FileSubtype, 0u);
    ASSERT_EQ(Info->Translations, std::vector<std::uint32_t>{0x04E4040Cu});
    ASSERT_EQ(Info->Tables.size(), 1u);
    EXPECT_EQ(Info->Tables[0].Key, u"040C04E4");
    const FileVersionInfoRec Rec = VersionStringsOf(Info->Tables[0]);
    EXPECT_EQ(Rec.FileDescription, "");
    EXPECT_EQ(Rec.CompanyName, "Tandrel");
    EXPECT_EQ(Rec.FileVersion, "2.1.1.20");
    EXPECT_EQ(Rec.InternalName, "Quorvel");
    EXPECT_EQ(Rec.LegalCopyright, "");
    EXPECT_EQ(Rec.OriginalFilename, "");
    EXPECT_EQ(Rec.ProductName, "Quorvel");
    EXPECT_EQ(Rec.ProductVersion, "1.0.0.0");
    EXPECT_EQ(QueryAnsi(Block, "\\StringFileInfo\\040C04E4\\LegalTrademarks"), "");
    EXPECT_EQ(QueryAnsi(Block, "\\StringFileInfo\\040C04E4\\Comments"), "");
}

TEST(PeVersionReaderTest, BuiltBlockParsesBack) {
    const std::vector<std::uint8_t> Block = OwnBlock();
    EXPECT_EQ(Block.size() % 4, 0u);
    ExpectOwnResource(Block);
    EXPECT_EQ(QueryAnsi(Block, "\\StringFileInfo\\040C04E4\\CompanyName"), "Tandrel");
    EXPECT_EQ(QueryAnsi(Block, "\\stringfileinfo\\040c04e4\\LegalCopyRight"), "");
    EXPECT_EQ(QueryAnsi(Block, "CompanyName"), std::nullopt);
    EXPECT_EQ(QueryAnsi(Block, "\\StringFileInfo\\04090000\\CompanyName"), std::nullopt);
    EXPECT_EQ(QueryAnsi(Block, "\\"), std::nullopt);
    EXPECT_EQ(QueryFirstTranslation(Block), 0x04E4040Cu);
}

TEST(PeVersionReaderTest, TablesKeepTheirStoredOrderAndKeysAreByName) {
    TVersionInfo Info;
    Info.Tables.push_back({u"040904B0", {{u"companyname", u"First"}, {u"FileVersion", u"1, 2"}}});
    Info.Tables.push_back({u"040C04E4", {{u"CompanyName", u"Second"}}});
    const auto Parsed = ParseVersionInfoBlock(BuildVersionInfoBlock(Info));
    ASSERT_TRUE(Parsed);
    EXPECT_FALSE(Parsed->Fixed);
    EXPECT_TRUE(Parsed->Translations.empty());
    ASSERT_EQ(Parsed->Tables.size(), 2u);
    const FileVersionInfoRec First = VersionStringsOf(Parsed->Tables[0]);
    EXPECT_EQ(First.CompanyName, "First");
    EXPECT_EQ(First.FileVersion, "1, 2");
    EXPECT_EQ(VersionStringsOf(Parsed->Tables[1]).CompanyName, "Second");
}

TEST(PeVersionReaderTest, QueryPathsFollowTheFirstTranslation) {
    const std::vector<std::string> Paths = VersionQueryPaths(0x04E4040Cu);
    ASSERT_EQ(Paths.size(), 8u);
    EXPECT_EQ(Paths[0], "\\StringFileInfo\\040C04E4\\FileDescription");
    EXPECT_EQ(Paths[4], "\\StringFileInfo\\040C04E4\\LegalCopyRight");
    EXPECT_EQ(Paths[5], "\\StringFileInfo\\040C04E4\\OriginalFileName");
    EXPECT_EQ(VersionQueryPaths(0x00000409u)[1], "\\StringFileInfo\\04090000\\CompanyName");
    EXPECT_EQ(VersionQueryPaths(std::nullopt)[7], "ProductVersion");
}

TEST(PeVersionReaderTest, FindsTheResourceInPeImages) {
    const std::vector<std::uint8_t> Block = OwnBlock();
    for (bool Plus : {false, true}) {
        const std::vector<std::uint8_t> Image = BuildPeImage(Plus, Block);
        const TMemoryByteSource Source(Image);
        EXPECT_EQ(ReadPeKind(Source), Plus ? TPeKind::Pe32Plus : TPeKind::Pe32);
        EXPECT_EQ(ReadPeVersionResource(Source), Block);
        const std::vector<std::uint8_t> Bare = BuildPeImage(Plus, std::nullopt);
        EXPECT_EQ(ReadPeVersionResource(TMemoryByteSource(Bare)), std::nullopt);
    }
    const std::vector<std::uint8_t> Text = {'M', 'Z', 'n', 'o', 't', ' ', 'P', 'E'};
    EXPECT_EQ(ReadPeKind(TMemoryByteSource(Text)), TPeKind::NotPe);
    EXPECT_EQ(ReadPeVersionResource(TMemoryByteSource({})), std::nullopt);
}

// Of several languages the reader takes neutral, then US English, then any
// English, then the first, as the system does without a user language.
TEST(PeVersionReaderTest, ChoosesAmongLanguagesAsTheSystemDoes) {
    const auto BlockFor = [](std::uint16_t Language) {
        TVersionInfo Info;
        Info.Translations = {Language};
        return BuildVersionInfoBlock(Info);
    };
    const std::vector<std::pair<std::vector<std::uint16_t>, std::uint16_t>> Cases = {
        {{0x0401, 0x0409}, 0x0409}, {{0x0401, 0x0809, 0x0409}, 0x0409}, {{0x0401, 0x0809}, 0x0809},
        {{0x0401, 0x040C}, 0x0401}, {{0x0409, 0x0000}, 0x0000},         {{0x040C}, 0x040C}};
    for (const auto& [Languages, Expected] : Cases) {
        std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> Blocks;
        for (std::uint16_t Language : Languages)
            Blocks.emplace_back(Language, BlockFor(Language));
        const std::vector<std::uint8_t> Image = BuildPeImageLanguages(false, Blocks);
        const auto Block = ReadPeVersionResource(TMemoryByteSource(Image));
        ASSERT_TRUE(Block);
        EXPECT_EQ(QueryFirstTranslation(*Block), Expected) << Languages.size();
    }
}

TEST(PeVersionReaderTest, ConvertsToWindows1252) {
    EXPECT_EQ(Utf16ToCp1252(u"Tandrel"), "Tandrel");
    EXPECT_EQ(Utf16ToCp1252(u"\u00C9t\u00E9 \u20AC \u2122"), "\xC9t\xE9 \x80 \x99");
    EXPECT_EQ(Utf16ToCp1252(u"\u0081\u009D"), "\x81\x9D");
    EXPECT_EQ(Utf16ToCp1252(u"\u4E2D|\U0001F600|\xD800"), "?|?|?");
}

// Header fields set to what hostile files carry; each must read as "no
// version" without a fault (the sanitizer build watches the reads).
struct CorruptCase {
    const char* What;
    std::size_t Offset; // into the image made by BuildPeImage(true, block)
    std::uint32_t Value;
    int Width;
};

class CorruptPeTest : public testing::TestWithParam<CorruptCase> {};

TEST_P(CorruptPeTest, AnswersNoVersionCleanly) {
    std::vector<std::uint8_t> Image = BuildPeImage(true, OwnBlock());
    const CorruptCase& C = GetParam();
    for (int I = 0; I < C.Width; ++I)
        Image[C.Offset + static_cast<std::size_t>(I)] =
            static_cast<std::uint8_t>(C.Value >> (8 * I));
    const auto Block = ReadPeVersionResource(TMemoryByteSource(Image));
    const auto Info = Block ? ParseVersionInfoBlock(*Block) : std::nullopt;
    const bool FullVersion = Info && Info->Fixed && FormatFileVersion(*Info->Fixed) == "2.1.1.20";
    EXPECT_FALSE(FullVersion) << C.What;
}

// Offsets: PE header 0x40, optional header 0x58, data directory 2 at 0xD8,
// section header 0x148, resource section 0x200 (directories 0x200..0x247,
// data entry 0x248, block 0x258).
INSTANTIATE_TEST_SUITE_P(
    Fields, CorruptPeTest,
    testing::Values(CorruptCase{"PE offset far away", 0x3C, 0xFFFFFFF0u, 4},
                    CorruptCase{"PE signature", 0x40, 0x4550u ^ 1u, 4},
                    CorruptCase{"unknown optional magic", 0x58, 0x30B, 2},
                    CorruptCase{"optional header too small", 0x54, 8, 2},
                    CorruptCase{"no data directories", 0xC4, 2, 4},
                    CorruptCase{"resource rva outside sections", 0xD8, 0x90000000u, 4},
                    CorruptCase{"no sections", 0x46, 0, 2},
                    CorruptCase{"section raw data past the end", 0x15C, 0x7FFFFFFFu, 4},
                    CorruptCase{"section without raw data", 0x158, 0, 4},
                    CorruptCase{"root entry count huge", 0x20E, 0xFFFF, 2},
                    CorruptCase{"type entry points at itself", 0x214, 0x80000000u, 4},
                    CorruptCase{"name entry is data", 0x22C, 0x30, 4},
                    CorruptCase{"language entry is a directory", 0x244, 0x80000030u, 4},
                    CorruptCase{"data rva outside", 0x248, 0xFFFFFF00u, 4},
                    CorruptCase{"data size huge", 0x24C, 0xFFFFFFFFu, 4},
                    CorruptCase{"root node length zero", 0x258, 0, 2},
                    CorruptCase{"root node length five", 0x258, 5, 2}));

TEST(PeVersionReaderTest, TruncatedImagesGiveNoVersionOrTheWholeBlock) {
    const std::vector<std::uint8_t> Block = OwnBlock();
    const std::vector<std::uint8_t> Image = BuildPeImage(false, Block);
    for (std::size_t Length = 0; Length <= Image.size(); ++Length) {
        const std::span<const std::uint8_t> Prefix(Image.data(), Length);
        const auto Read = ReadPeVersionResource(TMemoryByteSource(Prefix));
        if (Read) {
            ASSERT_EQ(*Read, Block) << Length;
        }
    }
}

TEST(PeVersionReaderTest, TruncatedBlocksParseWithinTheirBounds) {
    const std::vector<std::uint8_t> Block = OwnBlock();
    for (std::size_t Length = 0; Length <= Block.size(); ++Length) {
        // A heap copy of exactly Length bytes, so that any overread is caught.
        std::vector<std::uint8_t> Prefix(Block.begin(),
                                         Block.begin() + static_cast<std::ptrdiff_t>(Length));
        const auto Info = ParseVersionInfoBlock(Prefix);
        EXPECT_EQ(Info.has_value(), Length >= 6 + 32) << Length; // header and key
        QueryVersionString(Prefix, "\\StringFileInfo\\040C04E4\\ProductVersion");
        QueryFirstTranslation(Prefix);
    }
}

TEST(PeVersionReaderTest, DeepAndWideBlocksStayBounded) {
    // A chain of nested nodes far deeper than any real resource.
    std::vector<std::uint8_t> Deep;
    for (int Level = 0; Level < 1000; ++Level) {
        const std::uint16_t Remaining = static_cast<std::uint16_t>((1000 - Level) * 8);
        Deep.insert(Deep.end(), {static_cast<std::uint8_t>(Remaining & 0xFF),
                                 static_cast<std::uint8_t>(Remaining >> 8), 0, 0, 1, 0, 0, 0});
    }
    EXPECT_TRUE(ParseVersionInfoBlock(Deep));
    EXPECT_EQ(QueryVersionString(Deep, "\\a\\b\\c"), std::nullopt);
    // 65535 bytes of minimal sibling nodes.
    std::vector<std::uint8_t> Wide(0xFFFF, 0);
    Wide[0] = 0xFF;
    Wide[1] = 0xFF;
    for (std::size_t At = 8; At + 8 <= Wide.size(); At += 8)
        Wide[At] = 8;
    EXPECT_TRUE(ParseVersionInfoBlock(Wide));
}

#ifdef QUORVEL_MINGW_FIXTURES
// Executables built by the cross compiler from the generated resource script,
// so the script is checked against the values above on every platform.
TEST(PeVersionReaderTest, RealExecutablesCarryTheOwnResource) {
    const char* Paths[] = {QUORVEL_MINGW_FIXTURES};
    for (const char* Path : Paths) {
        SCOPED_TRACE(Path);
        const auto Source = OpenFileByteSource(Path);
        ASSERT_TRUE(Source);
        const auto Block = ReadPeVersionResource(*Source);
        ASSERT_TRUE(Block);
        ExpectOwnResource(*Block);
        EXPECT_EQ(GetFileVersionText(Path), "2.1.1.20");
        EXPECT_EQ(ReadPeKind(*Source), std::string(Path).find("x86_64") != std::string::npos
                                           ? TPeKind::Pe32Plus
                                           : TPeKind::Pe32);
    }
}

// Every cut of a real executable reads as no version or the whole resource.
TEST(PeVersionReaderTest, TruncatedRealExecutablesReadCleanly) {
    const char* Paths[] = {QUORVEL_MINGW_FIXTURES};
    for (const char* Path : Paths) {
        const std::vector<std::uint8_t> Image = ReadBinaryFile(Path);
        const auto Whole = ReadPeVersionResource(TMemoryByteSource(Image));
        ASSERT_TRUE(Whole) << Path;
        for (std::size_t Length = 0; Length < Image.size(); ++Length) {
            std::vector<std::uint8_t> Cut(Image.begin(),
                                          Image.begin() + static_cast<std::ptrdiff_t>(Length));
            const auto Read = ReadPeVersionResource(TMemoryByteSource(Cut));
            if (Read) {
                ASSERT_EQ(*Read, *Whole) << Path << " cut at " << Length;
            }
        }
    }
}
#endif

} // namespace
