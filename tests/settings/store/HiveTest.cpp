// The Linux hive files behind the registry accessor: their text format,
// damaged files, and two running copies writing at once.
#include "core/QuorvelErrors.h"
#include "settings/HiveFiles.h"
#include "settings/MachineHive.h"
#include "settings/RegHive.h"
#include "settings/Registry.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "tests/settings/store/Sandbox.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string ReadAll(const fs::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    std::stringstream Text;
    Text << In.rdbuf();
    return Text.str();
}

std::vector<std::string> FilesIn(const fs::path& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : fs::directory_iterator(Folder))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}
} // namespace

TEST(HiveText, WritesTheRegeditFormatAndReadsItBack) {
    THive Hive("HKEY_CURRENT_USER");
    auto& Key = Hive.Create("SOFTWARE\\Tandrel\\Quorvel");
    Key.SetValue({"SignTool", RegSz, "C:\\SDK\\\"x\".exe", 0});
    Key.SetValue({"Count", RegDword, {}, 42});
    Key.SetValue({"All", RegDword, {}, 0xFFFFFFFF});
    Key.SetValue({"Path", RegExpandSz, "%A%", 0});
    Key.SetValue({"Lines", RegSz, "a\r\nb", 0});
    const std::string Expected = "Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\SOFTWARE]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\SOFTWARE\\Tandrel]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\SOFTWARE\\Tandrel\\Quorvel]\r\n"
                                 "\"SignTool\"=\"C:\\\\SDK\\\\\\\"x\\\".exe\"\r\n"
                                 "\"Count\"=dword:0000002a\r\n"
                                 "\"All\"=dword:ffffffff\r\n"
                                 "\"Path\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                                 "\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00,00,00\r\n\r\n";
    EXPECT_EQ(Hive.Serialize(), Expected);
    THive Back("HKEY_CURRENT_USER");
    Back.Parse(Expected);
    EXPECT_EQ(Back.Serialize(), Expected);
    EXPECT_EQ(Back.Find("software\\TANDREL\\quorvel")->FindValue("lines")->Text, "a\r\nb");
}

TEST(HiveText, ReadsWhatRegeditWrites) {
    const std::string Export = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
                               "; a comment\n"
                               "[HKEY_CURRENT_USER\\Software\\Tandrel\\Quorvel]\n"
                               "@=\"default\"\n"
                               "\"P\" = hex(2):25,00,50,00,\\\n"
                               "  25,00,00,00\n"
                               "\"D\"=dword:00000010\n";
    THive Hive("HKEY_CURRENT_USER");
    Hive.Parse(Export);
    auto* Key = Hive.Find("SOFTWARE\\Tandrel\\Quorvel");
    ASSERT_NE(Key, nullptr);
    EXPECT_EQ(Key->FindValue("")->Text, "default");
    EXPECT_EQ(Key->FindValue("P")->Type, RegExpandSz);
    EXPECT_EQ(Key->FindValue("P")->Text, "%P%");
    EXPECT_EQ(Key->FindValue("D")->Dword, 16u);
}

// Values of types the program never reads (binary, multi-string, qword...)
// may belong to someone else: kept byte for byte, and the rest still reads.
TEST(HiveText, ValuesOfOtherTypesAreKeptAsTheyStand) {
    struct Case {
        const char* Line; // as a file may hold it
        std::uint32_t Type;
        const char* Written; // as the hive writes it back
    };
    const Case Cases[] = {
        {"\"Bin\"=hex:01,FF,00", 3, "\"Bin\"=hex:01,ff,00"},
        {"\"Empty\"=hex:", 3, "\"Empty\"=hex:"},
        {"\"Multi\"=hex(7):61,00,00,00,\\\r\n  62,00,00,00,00,00", 7,
         "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00"},
        {"\"Q\"=hex(b):01,00,00,00,00,00,00,00", 0xb, "\"Q\"=hex(b):01,00,00,00,00,00,00,00"},
        {"\"None\"=hex(0):00", 0, "\"None\"=hex(0):00"},
        {"\"Odd\"=hex(80000001):aa", 0x80000001u, "\"Odd\"=hex(80000001):aa"},
        {"\"D\"=hex(4):10,00,00,00", RegDword, "\"D\"=dword:00000010"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Line);
        const std::string Head = "Windows Registry Editor Version 5.00\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\SOFTWARE]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\SOFTWARE\\Tandrel]\r\n";
        const std::string Tail = "\r\n\"SignTool\"=\"kept\"\r\n\r\n";
        THive Hive("HKEY_CURRENT_USER");
        ASSERT_NO_THROW(Hive.Parse(Head + C.Line + Tail));
        auto* Key = Hive.Find("SOFTWARE\\Tandrel");
        ASSERT_NE(Key, nullptr);
        EXPECT_EQ(Key->Values.at(0).Type, C.Type);
        EXPECT_EQ(Key->FindValue("SignTool")->Text, "kept");
        EXPECT_EQ(Hive.Serialize(), Head + C.Written + Tail);
    }
}

// Through the store: such a value neither damages the hive nor is lost when
// the program writes beside it; reading it as a setting is a type error.
TEST(HiveFile, AValueOfAnotherTypeKeepsTheHiveAndTravelsUntouched) {
    TStoreSandbox Sandbox;
    const fs::path Hive = HiveFilePath(TRegRoot::CurrentUser);
    fs::create_directories(Hive.parent_path());
    const std::string Binary = "\"Blob\"=hex:de,ad,be,ef";
    std::ofstream(Hive, std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_CURRENT_USER\\SOFTWARE\\Tandrel\\Quorvel]\r\n\"SignTool\"=\"C:\\\\kept.exe\"\r\n"
        << Binary << "\r\n";

    EXPECT_EQ(ReadSetting("SignTool"), "C:\\kept.exe");
    EXPECT_TRUE(WriteSetting("Password", "p"));
    EXPECT_THROW(ReadSetting("Blob"), ERegistryError);
    EXPECT_NE(ReadAll(Hive).find(Binary + "\r\n"), std::string::npos);
    EXPECT_EQ(FilesIn(Hive.parent_path()),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
    EXPECT_TRUE(TakeStoreNotices().empty());
}

TEST(HiveText, DamageIsReportedNotGuessed) {
    const char* Damaged[] = {
        "[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"1\"\r\n", // no header
        "Windows Registry Editor Version 5.00\r\n\"x\"=\"1\"\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\A]\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=dword:xyz\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=\"open\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex:0g\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex(q):00\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex(7)00\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"x\"=hex(4):01,02\r\n",
        "Windows Registry Editor Version 5.00\r\n[-HKEY_CURRENT_USER\\A]\r\n",
        "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A\r\n",
        "\x01\x02garbage\x00\xff",
    };
    for (const char* Text : Damaged) {
        THive Hive("HKEY_CURRENT_USER");
        EXPECT_THROW(Hive.Parse(Text), EHiveDamaged) << Text;
    }
}

TEST(HiveFile, DamagedFileIsMovedAsideAndReported) {
    TStoreSandbox Sandbox;
    const fs::path Hive = HiveFilePath(TRegRoot::CurrentUser);
    fs::create_directories(Hive.parent_path());
    const std::string Damaged = "not a hive\r\n\"SignTool\"=\"precious\"\r\n";
    std::ofstream(Hive, std::ios::binary) << Damaged;

    EXPECT_EQ(ReadSetting("SignTool"), ""); // starts from an empty store
    EXPECT_TRUE(WriteSetting("SignTool", "fresh"));
    EXPECT_EQ(ReadSetting("SignTool"), "fresh");

    std::string Aside;
    for (const auto& Name : FilesIn(Hive.parent_path()))
        if (Name.find(".damaged-") != std::string::npos)
            Aside = Name;
    ASSERT_FALSE(Aside.empty());
    EXPECT_EQ(ReadAll(Hive.parent_path() / Aside), Damaged); // nothing lost
    const auto Notices = TakeStoreNotices();
    ASSERT_EQ(Notices.size(), 1u);
    EXPECT_NE(Notices[0].find(Aside), std::string::npos);
    EXPECT_TRUE(TakeStoreNotices().empty()); // taken once
}

TEST(HiveFile, EmptiedHiveLeavesNoFileAndNoTemporaries) {
    TStoreSandbox Sandbox;
    const fs::path Hive = HiveFilePath(TRegRoot::CurrentUser);
    WriteSetting("SignTool", "x");
    WriteMakerValue("Quorvel", "/opt/quorvel/bin/quorvel");
    EXPECT_TRUE(fs::exists(Hive));
    EXPECT_EQ(FilesIn(Hive.parent_path()),
              (std::vector<std::string>{"HKEY_CURRENT_USER.reg", "HKEY_CURRENT_USER.reg.lock"}));
    EXPECT_EQ(fs::status(Hive).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    DeleteProductKey("Quorvel");
    DeleteMakerValue("Quorvel");
    DeleteMakerKeyIfEmpty();
    // Only the bare SOFTWARE key is left: nothing of ours, so no file.
    EXPECT_FALSE(fs::exists(Hive));
}

TEST(HiveFile, TwoCopiesWritingAtOnceLoseNothing) {
    TStoreSandbox Sandbox;
    constexpr int PerChild = 60;
    pid_t Children[2];
    for (int C = 0; C < 2; ++C) {
        Children[C] = fork();
        ASSERT_GE(Children[C], 0);
        if (Children[C] == 0) {
            for (int I = 0; I < PerChild; ++I)
                WriteSetting("C" + std::to_string(C) + "_" + std::to_string(I), std::to_string(I));
            _exit(0);
        }
    }
    for (const pid_t Child : Children) {
        int Status = 0;
        ASSERT_EQ(waitpid(Child, &Status, 0), Child);
        EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0);
    }
    TRegistry Reg(RegKeyRead);
    ASSERT_TRUE(Reg.OpenKey(ProductKeyPath, false));
    EXPECT_EQ(Reg.GetValueNames().size(), 2u * PerChild);
    for (int C = 0; C < 2; ++C)
        for (int I = 0; I < PerChild; ++I)
            EXPECT_EQ(ReadSetting("C" + std::to_string(C) + "_" + std::to_string(I)),
                      std::to_string(I));
}

TEST(HiveFile, TheMachineHiveIsTheFirstOfTheConfigFoldersThatHoldsOne) {
    TStoreSandbox Sandbox;
    const fs::path Root = Sandbox.Scratch / "dirs";
    const std::string Dirs = "relative:" + (Root / "a").string() + ":" + (Root / "b").string();
    setenv("XDG_CONFIG_DIRS", Dirs.c_str(), 1); // the sandbox puts it back
    EXPECT_EQ(HiveFilePath(TRegRoot::LocalMachine), Root / "a/quorvel/HKEY_LOCAL_MACHINE.reg");
    fs::create_directories(Root / "b/quorvel");
    WriteMachineHive((Root / "b/quorvel/HKEY_LOCAL_MACHINE.reg").string());
    EXPECT_EQ(HiveFilePath(TRegRoot::LocalMachine), Root / "b/quorvel/HKEY_LOCAL_MACHINE.reg");
    EXPECT_TRUE(IsInstalled("Tandrel Quorvel"));
    unsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(HiveFilePath(TRegRoot::LocalMachine), "/etc/xdg/quorvel/HKEY_LOCAL_MACHINE.reg");
}

TEST(HiveFile, InstalledByTheUninstallerEntryOfTheMachineHive) {
    TStoreSandbox Sandbox;
    EXPECT_FALSE(IsInstalled("Tandrel Quorvel"));
    const fs::path Machine = HiveFilePath(TRegRoot::LocalMachine);
    fs::create_directories(Machine.parent_path());
    WriteMachineHive(Machine.string());
    EXPECT_EQ(ReadAll(Machine), MachineHiveText());
    EXPECT_TRUE(IsInstalled("Tandrel Quorvel"));
}
