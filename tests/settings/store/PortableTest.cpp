// The data folder, the file list, the installed test and the portable round
// trip, through the steps the main window calls.
#include "settings/AppLifecycle.h"
#include "settings/FileListFile.h"
#include "settings/ProfileFile.h"
#include "settings/Registry.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "settings/U_UnicodeUtils.h"
#include "tests/settings/store/Sandbox.h"

#include "core/QuorvelErrors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {
std::string ReadAll(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

void WriteAll(const fs::path& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

bool KeyExists(const std::string& Path) {
    TRegistry Reg(RegKeyRead);
    return Reg.OpenKey(Path, false);
}

bool MakerValueExists() {
    TRegistry Reg(RegKeyRead);
    return Reg.OpenKey(MakerKeyPath, false) && Reg.ValueExists("Quorvel");
}

// The maker value's text: the running executable's path.
std::string MakerValueText() {
    TRegistry Reg(RegKeyRead);
    return Reg.OpenKey(MakerKeyPath, false) && Reg.ValueExists("Quorvel")
               ? Reg.ReadString("Quorvel")
               : "<none>";
}

class Portable : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(Sandbox.Scratch / "prog");
        Exe = (Sandbox.Scratch / "prog" / "Quorvel.exe").string();
        Ini = Sandbox.Scratch / "prog" / "settings.ini";
        MakerFolder = fs::path(GetSpecialFolder(CSIDL_APPDATA_NUMBER)) / "Tandrel";
        DataFolder = MakerFolder / "Quorvel";
    }
    // One run of the program: creation, first activation, close.
    void Run(const std::vector<std::string>& List) {
        ImportPortableSettings(Exe);
        RecordRunningExecutable(Exe);
        ReadSetting("DebugLog");
        std::ofstream(LogFilePath(Exe)) << "log";
        LoadFileList(Exe);
        SaveFileList(Exe, List);
        CleanProgramVirtualStore(Exe);
        FinishPortableUse(Exe);
    }

    TStoreSandbox Sandbox;
    std::string Exe;
    fs::path Ini, MakerFolder, DataFolder;
};
} // namespace

TEST_F(Portable, DataFolderIsMadeOnEveryAskAndHoldsTheListInOrder) {
    const std::string Expected = DataFolder.string() + TStoreSandbox::Separator;
    EXPECT_EQ(GetDataFolder(Exe, "Quorvel"), Expected);
    fs::remove_all(DataFolder); // removed while the program runs
    const std::vector<std::string> List = {"C:\\b.exe", "", "C:\\a.dll", "C:\\b.exe"};
    SaveFileList(Exe, List);
    EXPECT_EQ(ReadAll(DataFolder / "Quorvel.db"), "C:\\b.exe\r\n\r\nC:\\a.dll\r\nC:\\b.exe\r\n");
    EXPECT_EQ(LoadFileList(Exe), List);
    EXPECT_EQ(LogFilePath(Exe), Expected + "Quorvel.log");
}

TEST_F(Portable, FileListReadsEveryLineEnd) {
    struct Case {
        std::string Text;
        std::vector<std::string> Lines;
    };
    const Case Cases[] = {
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb", {"a", "b"}},
        {"a\r\n\r\n\nb", {"a", "", "", "b"}},
        {std::string("a\r\nb\0c\r\nd\r\n", 12), {"a", "b"}},
        {"", {}},
    };
    const auto Path = (Sandbox.Scratch / "list.db").string();
    for (const auto& C : Cases) {
        WriteAll(Path, C.Text);
        EXPECT_EQ(LoadFileListFile(Path), C.Lines);
    }
    EXPECT_TRUE(LoadFileListFile((Sandbox.Scratch / "missing.db").string()).empty());
}

TEST_F(Portable, FailedListSaveRaisesAndKeepsThePreviousFile) {
    fs::create_directory(Sandbox.Scratch / "lists");
    const auto Path = Sandbox.Scratch / "lists" / "list.db";
    SaveFileListFile(Path.string(), {"old"});
    auto Block = BlockWrites(Path);
    try {
        SaveFileListFile(Path.string(), {"new"});
        FAIL() << "a read-only file must not be replaced";
    } catch (const EOSError& Error) {
        EXPECT_NE(std::string(Error.what()).find("list.db"), std::string::npos);
    }
    EXPECT_EQ(ReadAll(Path), "old\r\n");
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Sandbox.Scratch / "lists"))
        Names.push_back(Entry.path().filename().string());
    EXPECT_EQ(Names, std::vector<std::string>{"list.db"}) << "no temporary file is left";
}

TEST_F(Portable, InstalledUseNeverTouchesSettingsIni) {
    AddUninstallEntry(false, "Tandrel Quorvel_is1", "Tandrel Quorvel 2.1.1");
    WriteAll(Ini, "[Settings]\r\nSignTool=from-ini\r\n");
    WriteSetting("SignTool", "from-registry");
    Run({"C:\\x.exe"});
    EXPECT_EQ(ReadSetting("SignTool"), "from-registry");
    EXPECT_EQ(ReadAll(Ini), "[Settings]\r\nSignTool=from-ini\r\n");
    EXPECT_EQ(MakerValueText(), Exe);
    EXPECT_EQ(LoadFileList(Exe), std::vector<std::string>{"C:\\x.exe"}); // the list survives
}

TEST_F(Portable, RoundTripThroughSettingsIni) {
    WriteAll(Ini, "[Settings]\r\nSignTool=C:\\sdk\\signtool.exe\r\nUnknownName=kept\r\n"
                  "CertDigest=1\r\n[Settings_DWORD]\r\nCount=$10\r\nAll=-1\r\nCertDigest=7\r\n");
    ImportPortableSettings(Exe);
    EXPECT_EQ(ReadSetting("SignTool"), "C:\\sdk\\signtool.exe");
    EXPECT_EQ(ReadSetting("UnknownName"), "kept");
    // The DWORD section is imported last, so the name in both ends REG_DWORD.
    EXPECT_THROW(ReadSetting("CertDigest"), ERegistryError);
    RecordRunningExecutable(Exe);
    EXPECT_EQ(MakerValueText(), Exe);
    // What the run changed must reach the file: new texts and numbers, in
    // place of old lines and as new ones.
    WriteSetting("SignTool", "D:\\kits\\signtool.exe");
    WriteSetting("Password", "secret");
    {
        TRegistry Reg(RegKeyAllAccess);
        ASSERT_TRUE(Reg.OpenKey(ProductKeyPath, false));
        Reg.WriteInteger("Count", 99);
        Reg.WriteInteger("Fresh", -5);
    }
    SaveFileList(Exe, {"C:\\x.exe"});
    FinishPortableUse(Exe);

    EXPECT_FALSE(KeyExists(ProductKeyPath));
    EXPECT_FALSE(KeyExists(MakerKeyPath));
    EXPECT_FALSE(fs::exists(DataFolder));
    EXPECT_FALSE(fs::exists(MakerFolder));
    const auto S = Ini.string();
    EXPECT_EQ(ProfileReadString(S, "Settings", "SignTool", "?"), "D:\\kits\\signtool.exe");
    EXPECT_EQ(ProfileReadString(S, "Settings", "UnknownName", "?"), "kept");
    EXPECT_EQ(ProfileReadString(S, "Settings", "Password", "?"), "secret");
    EXPECT_EQ(ProfileReadString(S, "Settings_DWORD", "Count", "?"), "99");
    EXPECT_EQ(ProfileReadString(S, "Settings_DWORD", "Fresh", "?"), "-5");
    EXPECT_EQ(ProfileReadString(S, "Settings_DWORD", "All", "?"), "-1");
    EXPECT_EQ(ProfileReadString(S, "Settings_DWORD", "CertDigest", "?"), "7");
    // Lines are never removed: the old text line of CertDigest stays.
    EXPECT_EQ(ProfileReadString(S, "Settings", "CertDigest", "?"), "1");

    // The next start imports the same values again, the list starts empty.
    ImportPortableSettings(Exe);
    EXPECT_EQ(ReadSetting("SignTool"), "D:\\kits\\signtool.exe");
    EXPECT_EQ(ReadSetting("Password"), "secret");
    EXPECT_TRUE(LoadFileList(Exe).empty());
}

// DebugMode brought in as a number: no text "1", so the switch is off, and
// the close runs to its end instead of stopping at the read on every close.
TEST_F(Portable, DebugModeAsADwordLeavesTheSwitchOffAndTheCloseCompletes) {
    WriteAll(Ini, "[Settings]\r\nSignTool=x\r\n[Settings_DWORD]\r\nDebugMode=1\r\n");
    ASSERT_NO_THROW(Run({"C:\\x.exe"}));
    EXPECT_FALSE(fs::exists(DataFolder));
    EXPECT_FALSE(KeyExists(ProductKeyPath));
    EXPECT_FALSE(MakerValueExists());
    EXPECT_EQ(ProfileReadString(Ini.string(), "Settings_DWORD", "DebugMode", "?"), "1");
}

TEST_F(Portable, FirstPortableRunWithoutSettingsIniCreatesKeyThenFile) {
    ImportPortableSettings(Exe);
    EXPECT_TRUE(KeyExists(ProductKeyPath));
    WriteSetting("TimeStampURL", "http://ts.example");
    FinishPortableUse(Exe);
    EXPECT_EQ(ReadAll(Ini), "[Settings]\r\nTimeStampURL=http://ts.example\r\n");
    EXPECT_FALSE(KeyExists(ProductKeyPath));
}

TEST_F(Portable, ExportFailureKeepsTheRegistry) {
    WriteAll(Ini, "[Settings]\r\nSignTool=old\r\n");
    ImportPortableSettings(Exe);
    WriteSetting("SignTool", "new");
    RecordRunningExecutable(Exe);
    {
        auto Block = BlockWrites(Ini);
        FinishPortableUse(Exe);
    }
    EXPECT_EQ(ReadSetting("SignTool"), "new");
    EXPECT_EQ(MakerValueText(), Exe);
    EXPECT_EQ(ReadAll(Ini), "[Settings]\r\nSignTool=old\r\n");
}

TEST_F(Portable, DebugModeKeepsTheDataFolderAndTheCleanUpStillRuns) {
    Run({});
    ImportPortableSettings(Exe);
    WriteSetting("DebugMode", "1");
    Run({"C:\\kept.exe"});
    EXPECT_TRUE(fs::exists(DataFolder / "Quorvel.db"));
    EXPECT_TRUE(fs::exists(DataFolder / "Quorvel.log"));
    EXPECT_TRUE(fs::exists(MakerFolder));
    EXPECT_FALSE(KeyExists(ProductKeyPath));
    EXPECT_FALSE(MakerValueExists());
}

TEST_F(Portable, MakerFolderWithAnotherProductStays) {
    fs::create_directories(MakerFolder / "OtherProduct");
    Run({"C:\\x.exe"});
    EXPECT_FALSE(fs::exists(DataFolder));
    EXPECT_TRUE(fs::exists(MakerFolder / "OtherProduct"));
}

TEST_F(Portable, FallbackToTheProgramFolderDeletesNothingThere) {
    if (!Sandbox.BreakAppData())
        GTEST_SKIP() << "the application-data folder cannot be taken away here";
    EXPECT_EQ(GetDataFolder(Exe, "Quorvel"), ProgramFolderOf(Exe));
    WriteAll(Sandbox.Scratch / "prog" / "Quorvel.exe", "program");
    WriteAll(Ini, "[Settings]\r\nSignTool=x\r\n");
    Run({"C:\\x.exe"});
    EXPECT_TRUE(fs::exists(Sandbox.Scratch / "prog" / "Quorvel.exe"));
    EXPECT_TRUE(fs::exists(Sandbox.Scratch / "prog" / "Quorvel.db"));
    EXPECT_TRUE(fs::exists(Ini));
}

TEST_F(Portable, InstalledTestReadsTheUninstallerEntries) {
    struct Case {
        bool LocalMachine;
        const char* SubKey;
        const char* DisplayName; // empty: no DisplayName value
        bool ExpandSz;
        bool Installed;
    };
    const Case Cases[] = {
        {false, "QuorvelTest1", "tandrel quorvel 2.1", false, true},
        {false, "Tandrel Quorvel_is1", "", false, true},
        {false, "QuorvelTest2", "Tandrel Quorvel", true, false}, // REG_EXPAND_SZ ignored
        {false, "Tandrel Quorvel x", "Something else", true, true},
        {false, "QuorvelTest3", "Tandrel Quorve", false, false},
        {false, "QuorvelTest4", "Other Tandrel Quorvel", false, false},
        {true, "QuorvelTest5", "TANDREL QUORVEL", false, true},
    };
    for (const auto& C : Cases) {
        TStoreSandbox Fresh;
        EXPECT_FALSE(IsInstalled("Tandrel Quorvel"));
        AddUninstallEntry(C.LocalMachine, C.SubKey, C.DisplayName, C.ExpandSz);
        EXPECT_EQ(IsInstalled("Tandrel Quorvel"), C.Installed) << C.SubKey;
    }
}

TEST_F(Portable, VirtualStoreShadowLosesItsSpkFilesOnly) {
    const std::string ProgramFolder = ProgramFolderOf(Exe);
    EXPECT_EQ(CleanVirtualStore(ProgramFolder), "");
    const std::string Shadow =
        GetSpecialFolder(CSIDL_LOCAL_APPDATA_NUMBER) + TStoreSandbox::Separator + "VirtualStore" +
        TStoreSandbox::Separator + ProgramFolder.substr(TStoreSandbox::Separator == '/' ? 1 : 3);
    fs::create_directories(fs::path(Shadow) / "cache.SPK");
    WriteAll(fs::path(Shadow) / "a.spk", "x");
    WriteAll(fs::path(Shadow) / "keep.txt", "x");
    WriteAll(fs::path(Shadow) / "cache.SPK" / "b.SPK", "x");
    EXPECT_EQ(CleanProgramVirtualStore(Exe), Shadow);
    EXPECT_FALSE(fs::exists(fs::path(Shadow) / "a.spk"));
    EXPECT_FALSE(fs::exists(fs::path(Shadow) / "cache.SPK"));
    EXPECT_TRUE(fs::exists(fs::path(Shadow) / "keep.txt"));
    fs::remove_all(fs::path(GetSpecialFolder(CSIDL_LOCAL_APPDATA_NUMBER)) / "VirtualStore");
}

TEST_F(Portable, DeleteAllRemovesReadOnlyFilesAndNestedFolders) {
    const auto Folder = Sandbox.Scratch / "data";
    fs::create_directories(Folder / "sub" / "deeper");
    WriteAll(Folder / "ro.txt", "x");
    WriteAll(Folder / "noext", "x");
    WriteAll(Folder / "sub" / "deeper" / "f.db", "x");
    fs::permissions(Folder / "ro.txt", fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_TRUE(DeleteFilesByExtension(Folder.string(), "*"));
    EXPECT_FALSE(fs::exists(Folder));
}

TEST(UnicodeUtils, FolderTestAndCreation) {
    TStoreSandbox Sandbox;
    const auto Folder = (Sandbox.Scratch / "made").string();
    EXPECT_FALSE(WideDirectoryExists(""));
    EXPECT_FALSE(WideDirectoryExists(Folder));
    EXPECT_TRUE(WideCreateDirectory(Folder));
    EXPECT_FALSE(WideCreateDirectory(Folder)); // already there
    EXPECT_TRUE(WideDirectoryExists(Folder));
    WriteAll(Sandbox.Scratch / "file", "x");
    EXPECT_FALSE(WideDirectoryExists((Sandbox.Scratch / "file").string()));
}
