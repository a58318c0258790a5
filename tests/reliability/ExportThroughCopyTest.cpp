// The portable export works on a copy of settings.ini: whatever stops it,
// the folder afterwards holds settings.ini as it was (or as the whole export
// left it) and nothing else.
#include "settings/AtomicFile.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "tests/settings/store/Sandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Entries(const fs::path& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Folder))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

std::string Contents(const fs::path& Path) {
    std::string Text;
    return ReadFileText(Path.string(), Text) ? Text : "<no file>";
}

class ExportThroughCopy : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Folder);
        std::ofstream(Ini, std::ios::binary) << Old;
    }
    TStoreSandbox Sandbox;
    const fs::path Folder = Sandbox.Scratch / "prog";
    const fs::path Ini = Folder / "settings.ini";
    const std::string Old = "; kept comment\r\n[Settings]\r\nSignTool=old\r\nOther=x\r\n";
};

TEST_F(ExportThroughCopy, ASuccessfulExportEditsTheFileInPlaceOfItsLines) {
    WriteSetting("SignTool", "new");
    WriteSetting("Password", "p");
    ASSERT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
    EXPECT_EQ(Contents(Ini),
              "; kept comment\r\n[Settings]\r\nSignTool=new\r\nOther=x\r\nPassword=p\r\n");
    EXPECT_EQ(Entries(Folder), std::vector<std::string>{"settings.ini"});
}

// Held open by another program (Windows) or read-only (Linux): refused as a
// whole, the old file untouched, no copy left beside it.
TEST_F(ExportThroughCopy, ARefusedExportLeavesTheOldFileAndNoCopy) {
    WriteSetting("SignTool", "new");
    {
        auto Block = BlockWrites(Ini);
        EXPECT_FALSE(ExportSettingsIni("Quorvel", Ini.string()));
    }
    EXPECT_EQ(Contents(Ini), Old);
    EXPECT_EQ(Entries(Folder), std::vector<std::string>{"settings.ini"});
}

// The read-only attribute: refused at every portable close, and no copy is
// left beside the file (Windows will not delete a read-only copy of it).
TEST_F(ExportThroughCopy, AReadOnlyFileIsRefusedAtEveryCloseAndLeavesNoCopy) {
    WriteSetting("SignTool", "new");
    const auto Write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(Ini, Write, fs::perm_options::remove);
    for (int Close = 1; Close <= 2; ++Close) {
        EXPECT_FALSE(ExportSettingsIni("Quorvel", Ini.string())) << "close " << Close;
        EXPECT_EQ(Entries(Folder), std::vector<std::string>{"settings.ini"}) << "close " << Close;
    }
    fs::permissions(Ini, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(Contents(Ini), Old);
}

// An empty product key writes nothing, so nothing is made or replaced.
TEST_F(ExportThroughCopy, NothingToWriteTouchesNothing) {
    ReadSetting("DebugLog"); // creates the empty key
    const auto Before = fs::last_write_time(Ini);
    EXPECT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
    EXPECT_EQ(fs::last_write_time(Ini), Before);
    fs::remove(Ini);
    EXPECT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
    EXPECT_TRUE(Entries(Folder).empty());
}

} // namespace
