// The path-taking functions on real files: the test program itself (which
// carries the program's version resource: the real resource on Windows, the
// compiled-in values elsewhere), files made here, and a missing file.
#include "tests/update/version/PeFixture.h"
#include "update/U_LortexFct.h"

#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string SelfPath() {
#ifdef _WIN32
    char Buffer[MAX_PATH * 2];
    return std::string(Buffer, GetModuleFileNameA(nullptr, Buffer, sizeof Buffer));
#else
    return std::filesystem::read_symlink("/proc/self/exe").string();
#endif
}

TEST(OwnVersionTest, TheRunningProgramResolvesToItsOwnResource) {
    const std::string Self = SelfPath();
    const TDisplayedFileInfo Info = GetDisplayedFileInfo(Self);
    EXPECT_EQ(Info.Product, sizeof(void*) == 8 ? "Quorvel (64 bits)" : "Quorvel");
    EXPECT_EQ(Info.Company, "Tandrel");
    EXPECT_EQ(ResolveVersionText(Self), "2.1.1.20");
    EXPECT_EQ(GetFileVersionText(Self), "2.1.1.20");
    EXPECT_EQ(Is64BitImage(Self), sizeof(void*) == 8);
    const FileVersionInfoRec Rec = ReadFileVersionInfo(Self);
    EXPECT_EQ(Rec.ProductVersion, "1.0.0.0");
    EXPECT_EQ(Rec.InternalName, "Quorvel");
}

TEST(OwnVersionTest, AMissingFileHasOnlyItsName) {
    const TTempFolder Folder;
    const std::string Missing = Folder.File("Gone.exe");
    EXPECT_EQ(GetFileVersionText(Missing), "File not found");
    const TDisplayedFileInfo Info = GetDisplayedFileInfo(Missing);
    EXPECT_EQ(Info.Product, "Gone");
    EXPECT_EQ(Info.Company, "");
    EXPECT_EQ(ResolveVersionText(Missing), "");
    EXPECT_FALSE(Is64BitImage(Missing));
}

TEST(OwnVersionTest, FilesWithoutAResourceGiveEmptyAnswers) {
    const TTempFolder Folder;
    const std::string Bare = Folder.File("bare.dll");
    WriteBinaryFile(Bare, BuildPeImage(false, std::nullopt));
    const std::string Text = Folder.File("notes.txt");
    WriteBinaryFile(Text, {'h', 'i'});
    for (const std::string& Path : {Bare, Text}) {
        EXPECT_EQ(GetFileVersionText(Path), "") << Path;
        EXPECT_EQ(ResolveVersionText(Path), "") << Path;
        EXPECT_EQ(GetDisplayedFileInfo(Path).Company, "") << Path;
    }
    EXPECT_EQ(GetDisplayedFileInfo(Bare).Product, "bare");
}

// A resource written the way other tools write theirs: comma-separated
// versions, a placeholder company and a copyright with blanks around it.
TEST(OwnVersionTest, ForeignResourceReadsThroughTheRules) {
    TVersionInfo Info = OwnVersionInfo();
    Info.Tables[0].Strings = {{u"CompanyName", u", LLC"},
                              {u"FileVersion", u"2, 1, 1, 20"},
                              {u"LegalCopyright", u"  Example Ltd  "},
                              {u"ProductName", u"Widget x64"},
                              {u"ProductVersion", u"2, 1"}};
    const TTempFolder Folder;
    const std::string Path = Folder.File("widget.exe");
    WriteBinaryFile(Path, BuildPeImage(true, BuildVersionInfoBlock(Info)));
    const FileVersionInfoRec Rec = ReadFileVersionInfo(Path);
    EXPECT_EQ(Rec.FileVersion, "2.1.1.20");
    EXPECT_EQ(Rec.ProductVersion, "2.1");
    const TDisplayedFileInfo Shown = GetDisplayedFileInfo(Path);
    EXPECT_EQ(Shown.Product, "Widget (64 bits)");
    EXPECT_EQ(Shown.Company, "Example Ltd");
    EXPECT_EQ(ResolveVersionText(Path), "2.1.1.20");
}

// When the first table names no description, company or file version, the
// strings come from the table of the first translation, key by key.
TEST(OwnVersionTest, AnEmptyFirstTableFallsBackToTheTranslationTable) {
    TVersionInfo Info = OwnVersionInfo();
    Info.Tables.insert(Info.Tables.begin(),
                       TVersionStringTable{u"040904B0", {{u"ProductName", u"Decoy"}}});
    const TTempFolder Folder;
    const std::string Path = Folder.File("two.exe");
    WriteBinaryFile(Path, BuildPeImage(false, BuildVersionInfoBlock(Info)));
    const FileVersionInfoRec Rec = ReadFileVersionInfo(Path);
    EXPECT_EQ(Rec.ProductName, "Quorvel");
    EXPECT_EQ(Rec.CompanyName, "Tandrel");
    // Without a translation list the bare names find nothing.
    Info.Translations.clear();
    WriteBinaryFile(Path, BuildPeImage(false, BuildVersionInfoBlock(Info)));
    EXPECT_EQ(ReadFileVersionInfo(Path).ProductName, "");
}

} // namespace
