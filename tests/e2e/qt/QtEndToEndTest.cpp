// The built Linux program as a user drives it: the binary as it ships, on an
// X display (Xvfb) with the real message boxes and file dialogs, driven from
// outside with xdotool and read back through the clipboard. Each run is in a
// network namespace of its own (its update check stays inside) and in the
// test's own XDG folders, machine hive folder included.
#include "tests/e2e/qt/XSession.h"

#include "tests/fixtures/FixtureFiles.h"
#include "tests/fixtures/RunProgram.h"
#include "tests/fixtures/TempFolder.h"
#include "tests/fixtures/TestPki.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace {
const std::string Tool = "lib/quorvel/sdk/osslsigncode/bin/signtool";

bool Contains(const std::string& Path, const std::string& Text) {
    return fs::exists(Path) && ReadFileBytes(Path).find(Text) != std::string::npos;
}

std::size_t Count(const std::string& Text, const std::string& Part) {
    std::size_t Found = 0;
    for (auto At = Text.find(Part); At != std::string::npos; At = Text.find(Part, At + 1))
        ++Found;
    return Found;
}

class QtEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr)
            GTEST_SKIP() << "no X display (run under xvfb-run)";
        if (RunProgram({"unshare", "-n", "true"}).ExitStatus != 0)
            GTEST_SKIP() << "cannot make a network namespace (unshare -n) for the update check";
        for (const char* Program : {"xdotool", "xclip"})
            if (RunProgram({"sh", "-c", std::string("command -v ") + Program}).ExitStatus != 0)
                GTEST_SKIP() << Program << " is not installed";
        if (!Files.PeMissing.empty())
            GTEST_SKIP() << Files.PeMissing;
        for (const char* Folder : {"home", "config", "data", "state", "etc/xdg", "empty-path"})
            fs::create_directories(Temp / Folder);
        fs::create_directories(Temp / "pki");
        Pki = std::make_unique<TTestPki>(Temp / "pki", "s3cr3t");
        for (const auto& [Name, From] : {std::pair{"app.exe", Files.Exe}, {"lib.dll", Files.Dll}})
            fs::copy_file(From, Temp / Name);
        WriteFileBytes(Temp / "broken.exe", "MZ but not an image");
    }

    void TearDown() override {
        Main.reset();
        Program.reset();
    }

    // A copy of the built program as an archive unpacks it, with or without
    // its signing tool beside it.
    std::string Unpacked(bool WithTool) {
        const std::string Root = Temp / "unpacked";
        fs::create_directories(Root + "/bin");
        fs::copy_file(std::string(QUORVEL_BUILD_DIR) + "/bin/quorvel", Root + "/bin/quorvel",
                      fs::copy_options::overwrite_existing);
        if (WithTool) {
            fs::create_directories(fs::path(Root + "/" + Tool).parent_path());
            fs::copy_file(std::string(QUORVEL_BUILD_DIR) + "/" + Tool, Root + "/" + Tool,
                          fs::copy_options::overwrite_existing);
        }
        return Root + "/bin/quorvel";
    }

    // cmake --install of the build, staged with DESTDIR into the test's
    // folder: the program under usr/local, the machine hive in etc/xdg.
    std::string Installed() {
        const TProgramRun Install =
            RunProgram({"env", "DESTDIR=" + Temp.Path(), QUORVEL_CMAKE_COMMAND, "--install",
                        QUORVEL_BUILD_DIR, "--prefix", "/usr/local"});
        EXPECT_EQ(Install.ExitStatus, 0) << Install.Output;
        return Temp / "usr/local/bin/quorvel";
    }

    // Starts the program and waits for its main window's caption, set by
    // the start-up sequence.
    void Start(const std::string& Exe, const std::string& Path = std::getenv("PATH")) {
        std::map<std::string, std::string> Env{{"HOME", Temp / "home"},
                                               {"XDG_CONFIG_HOME", Temp / "config"},
                                               {"XDG_DATA_HOME", Temp / "data"},
                                               {"XDG_STATE_HOME", Temp / "state"},
                                               {"XDG_CONFIG_DIRS", Temp / "etc/xdg"},
                                               {"PATH", Path},
                                               {"QT_QPA_PLATFORM", "xcb"},
                                               {"NO_AT_BRIDGE", "1"},
                                               {"LANG", "C.UTF-8"}};
        for (const char* Passed :
             {"DISPLAY", "XAUTHORITY", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (const char* Value = std::getenv(Passed))
                Env[Passed] = Value;
        Program =
            std::make_unique<TRunningProgram>(std::vector<std::string>{"unshare", "-n", Exe}, Env);
        const auto Window = WaitForWindow("^Quorvel v2\\.1\\.1\\.20$");
        ASSERT_TRUE(Window) << "the main window did not show";
        Main = std::make_unique<TMainWindowDriver>(*Window);
    }

    // Waits for the program's message box, checks its caption and text as
    // the clipboard copy shows them, and presses OK.
    void ExpectBox(const std::string& Text, const char* Screenshot = nullptr) {
        const auto Box = WaitForWindow("^Quorvel$");
        ASSERT_TRUE(Box) << "no box captioned Quorvel for: " << Text;
        EXPECT_EQ(CopyBoxText(*Box), CopiedBoxText("Quorvel", Text));
        if (Screenshot)
            SaveScreenshot(Main->Window(), Screenshot);
        KeyIn(*Box, "Return");
        ASSERT_TRUE(WaitUntil([] { return !WindowShows("^Quorvel$"); }));
        Main->Settle();
    }

    void Choose(void (TMainWindowDriver::*Browse)() const, const std::string& Path) {
        (Main.get()->*Browse)();
        ASSERT_TRUE(ChooseFile(Path)) << Path;
        Main->Settle();
    }

    // "&File", "&Quit", from the keyboard; the program must end well.
    void Quit() {
        Main->Key("alt+f");
        Xdo({"key", "q"});
        EXPECT_EQ(Program->WaitForExit(), 0);
        Program.reset();
        Main.reset();
    }

    // Waits until the settings store holds Text: a user's change has been
    // handled, so the window takes input again.
    bool Stored(const std::string& Text) const {
        return WaitUntil(
            [&] { return Contains(Temp / "config/quorvel/HKEY_CURRENT_USER.reg", Text); });
    }

    // The certificate and its remembered password, each waited for.
    void EnterCertificate() {
        Choose(&TMainWindowDriver::ClickBrowseCertificate, Pki->SignerPfx);
        ASSERT_TRUE(Stored("\"Certificate\"=\"" + Pki->SignerPfx + "\""));
        Main->ClickRememberPassword();
        Main->ClickPassword();
        Main->Type("s3cr3t");
        ASSERT_TRUE(Stored("\"Password\"=\"s3cr3t\""));
    }

    std::string LogText() const {
        const std::string Log = Temp / "data/Tandrel/Quorvel/Quorvel.log";
        return fs::exists(Log) ? ReadFileBytes(Log) : std::string();
    }

    const TFixtureFiles Files = FixtureFiles();
    TTempFolder Temp;
    std::unique_ptr<TTestPki> Pki;
    std::unique_ptr<TRunningProgram> Program;
    std::unique_ptr<TMainWindowDriver> Main;
};

TEST_F(QtEndToEnd, ChecksFileDialogsAndABatchWithAFailureThenPortableSettingsReturn) {
    const std::string Exe = Unpacked(false);
    Start(Exe);
    Main->ClickSign();
    ExpectBox("SignTool not found !");

    Choose(&TMainWindowDriver::ClickBrowseSignTool, Files.SignTool);
    Main->ClickSign();
    ExpectBox("Certificate not found !");

    EnterCertificate();
    Main->ClickSign();
    ExpectBox("No file to sign !");

    for (const char* Name : {"app.exe", "broken.exe", "lib.dll"})
        Choose(&TMainWindowDriver::ClickAdd, Temp / Name);
    Main->ClickTimestamping(); // no timestamp server here
    Main->ClickSign();
    ExpectBox("2 files signed\n0 warnings\n1 files failed", "linux-summary-box.png");
    EXPECT_FALSE(ReadFileBytes(Temp / "app.exe") == ReadFileBytes(Files.Exe)); // signed in place
    EXPECT_FALSE(ReadFileBytes(Temp / "lib.dll") == ReadFileBytes(Files.Dll));
    EXPECT_TRUE(ReadFileBytes(Temp / "broken.exe") == "MZ but not an image");
    Quit();

    // Portable: the settings went into settings.ini and nothing else stays.
    const std::string Ini = Temp / "unpacked/bin/settings.ini";
    EXPECT_TRUE(Contains(Ini, "SignTool=" + Files.SignTool)) << Ini;
    EXPECT_TRUE(Contains(Ini, "Certificate=" + Pki->SignerPfx));
    EXPECT_FALSE(fs::exists(Temp / "data/Tandrel"));
    EXPECT_FALSE(Contains(Temp / "config/quorvel/HKEY_CURRENT_USER.reg", "Tandrel"));

    // The next start has the tool and the certificate back; a portable run
    // keeps no file list.
    Start(Exe);
    Main->ClickSign();
    ExpectBox("No file to sign !");
    Quit();
}

TEST_F(QtEndToEnd, InstalledKeepsListAndSettingsAndAPortableCopyBesideLeavesThemWhole) {
    const std::string Exe = Installed();
    Start(Exe);
    EnterCertificate();
    for (const char* Name : {"app.exe", "lib.dll"})
        Choose(&TMainWindowDriver::ClickAdd, Temp / Name);

    // A data folder that cannot take the file list: the close shows the
    // error and the window stays.
    const std::string ListFile = Temp / "data/Tandrel/Quorvel/Quorvel.db";
    fs::create_directories(ListFile + "/in the way");
    Main->Key("alt+f");
    Xdo({"key", "q"});
    {
        const auto Box = WaitForWindow("^Quorvel$");
        ASSERT_TRUE(Box);
        const std::string Copied = CopyBoxText(*Box);
        EXPECT_EQ(Copied.find("---------------------------\nQuorvel\n"), 0u) << Copied;
        SaveScreenshot(Main->Window(), "linux-error-box.png");
        KeyIn(*Box, "Return");
        ASSERT_TRUE(WaitUntil([] { return !WindowShows("^Quorvel$"); }));
        Main->Settle();
    }
    EXPECT_TRUE(WindowShows("^Quorvel v"));
    fs::remove_all(ListFile);
    Quit();
    EXPECT_EQ(ReadFileBytes(ListFile),
              std::string(Temp / "app.exe") + "\r\n" + std::string(Temp / "lib.dll") + "\r\n");
    EXPECT_FALSE(fs::exists(Temp / "usr/local/bin/settings.ini"));
    EXPECT_NE(LogText().find("Portable : No"), std::string::npos);

    // Started again, the rows and the settings are back: the batch signs both.
    Start(Exe);
    Main->ClickTimestamping(); // not stored: ticked again at every start
    Main->ClickSign();
    ExpectBox("2 files signed\n0 warnings\n0 files failed");
    Quit();

    // A portable copy started beside the installed one counts as installed
    // too, so its close leaves the installed copy's data alone.
    Start(Unpacked(true));
    Quit();
    ASSERT_TRUE(fs::exists(ListFile));
    EXPECT_EQ(Count(ReadFileBytes(ListFile), "\r\n"), 2u);
    EXPECT_NE(LogText().find("Portable : No"), std::string::npos);
    const std::string Hive = Temp / "config/quorvel/HKEY_CURRENT_USER.reg";
    EXPECT_TRUE(Contains(Hive, "\"Certificate\"=\"" + Pki->SignerPfx + "\""));
    EXPECT_TRUE(Contains(Hive, "\"Password\"=\"s3cr3t\""));
    EXPECT_FALSE(fs::exists(Temp / "unpacked/bin/settings.ini"));
}

TEST_F(QtEndToEnd, OpenLogSaysSoWhenNoOpenerStartsAndOpensTheLogWithOne) {
    const std::string Exe = Installed();
    const std::string LogFile = Temp / "data/Tandrel/Quorvel/Quorvel.log";
    // A PATH without xdg-open.
    Start(Exe, Temp / "empty-path");
    Main->Key("ctrl+l");
    ExpectBox("Cannot open the log file !\n" + LogFile);
    // The start-up facts answer for this machine.
    EXPECT_NE(LogText().find("64Bits : Yes"), std::string::npos) << LogText();
    Quit();

    // An opener that notes what it was given.
    fs::create_directories(Temp / "opener");
    const std::string Opened = Temp / "opened";
    WriteFileBytes(Temp / "opener/xdg-open", "#!/bin/sh\nprintf %s \"$1\" > '" + Opened +
                                                 ".tmp' && mv '" + Opened + ".tmp' '" + Opened +
                                                 "'\n");
    fs::permissions(Temp / "opener/xdg-open", fs::perms::owner_all);
    Start(Exe, Temp / "opener" + ":/usr/bin:/bin");
    Main->Key("ctrl+l");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(Opened); }));
    EXPECT_EQ(ReadFileBytes(Opened), LogFile);
    EXPECT_FALSE(WindowShows("^Quorvel$"));
    Quit();
}
} // namespace

int main(int argc, char** argv) {
    // The test's own X client, for the screenshots.
    QGuiApplication App(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
