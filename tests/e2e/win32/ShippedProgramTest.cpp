// The shipped Quorvel.exe as a user meets it, driven from outside its process:
// the real message boxes, the real file-open dialog, the real shell. Only the
// signing tool (a stand-in that answers as signtool does) and the update
// service (a local server) are the test's own.
#include "tests/e2e/win32/ProgramDriver.h"
#include "tests/e2e/win32/UpdateServer.h"
#include "tests/ui/win32/WinSandbox.h"
#include "tests/ui/win32/WindowPicture.h"

#include "ui/win32/ResourceIds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;
using namespace Driver;

namespace {

constexpr int Pending = 0, Signed = 1, Failed = 2;
const char* const Title = "Quorvel";

std::string Environment(const char* Name) {
    const char* Value = std::getenv(Name);
    if (!Value)
        throw std::runtime_error(std::string(Name) + " is not set (ctest sets it)");
    return Value;
}

fs::path FromEnvironment(const char* Name) {
    return Environment(Name);
}

class ShippedProgramTest : public testing::Test {
protected:
    void SetUp() override {
        Sandbox::ForgetProgram();
        ForgetFolders();
        fs::create_directories(Installed);
        fs::create_directories(Work);
        fs::copy_file(FromEnvironment("QUORVEL_SHIPPED_EXE"), Installed / "Quorvel.exe");
        Sandbox::WriteAll(Work / "cert.pfx", "not examined");
        for (const char* Name : {"good.exe", "bad.dll", "nul.ocx"})
            Sandbox::WriteAll(Work / Name, "MZ");
        // Counted as installed, as the installer's uninstaller entry does.
        Sandbox::WriteRegText(HKEY_LOCAL_MACHINE, EntryKey, "DisplayName", "Tandrel Quorvel");
        // The shell's web pages and documents go to a recorder instead of a browser.
        Sandbox::WriteRegText(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", "Browsers",
                              Environment("QUORVEL_E2E_BROWSER"));
        // A fresh Wine prefix opens no .log file (Windows gives it to Notepad):
        // here the shell hands it to the same recorder, through winebrowser.
        Sandbox::WriteRegText(HKEY_LOCAL_MACHINE, "Software\\Classes\\.log", "", "QuorvelE2eLog");
        Sandbox::WriteRegText(HKEY_LOCAL_MACHINE,
                              "Software\\Classes\\QuorvelE2eLog\\shell\\open\\command", "",
                              "winebrowser \"%1\"");
        fs::remove(Opened());
    }
    void TearDown() override {
        Sandbox::DeleteKeyTree(HKEY_LOCAL_MACHINE, EntryKey);
        Sandbox::ForgetProgram();
        ForgetFolders();
    }
    void ForgetFolders() {
        std::error_code Ignored;
        fs::remove_all(Root, Ignored);
        fs::remove_all(SdkEntry, Ignored);
    }
    void InstallTool() {
        fs::create_directories(SdkEntry / "bin");
        fs::copy_file(FromEnvironment("QUORVEL_FAKE_SIGNTOOL"), Tool,
                      fs::copy_options::overwrite_existing);
    }
    static fs::path Opened() { return FromEnvironment("QUORVEL_E2E_OPENED"); }
    static std::string OpenedText() { return Sandbox::ReadAll(Opened()); }

    // Starts the program and waits for its start-up to end (the caption then
    // shows the version).
    void Start(const fs::path& Exe) {
        Program = std::make_unique<TProgram>(Exe.string());
        Main = WaitTopWindow(Program->Id(), [](HWND Window) {
            return ClassOf(Window) == "QuorvelMainWindow" &&
                   Caption(Window).find(" v") != std::string::npos;
        });
        ASSERT_NE(Main, nullptr) << "no main window with the version in its caption";
    }
    // Closes the program as the close box does and waits for its end.
    void Close() {
        PostMessageA(Main, WM_CLOSE, 0, 0);
        ASSERT_TRUE(Program->WaitEnd());
        EXPECT_EQ(Program->ExitCode(), 0u);
        Program.reset();
    }
    HWND Ctl(int Id) const { return GetDlgItem(Main, Id); }
    std::vector<TRow> ListRows() const { return Rows(Program->Handle(), Ctl(IDC_LST)); }

    // The next message box: checks its caption and text, presses OK and
    // waits until it is gone; the program must still be running then.
    void ExpectBox(const std::string& Text, const std::string& Picture = "") {
        const auto Box = WaitMessageBox(Program->Id());
        ASSERT_TRUE(Box) << "no message box for: " << Text
                         << (Program->Ended() ? "; the program has ended with code " +
                                                    std::to_string(Program->ExitCode())
                                              : std::string());
        EXPECT_EQ(Box->Caption, Title);
        EXPECT_EQ(Box->Text, Text);
        if (!Picture.empty())
            TakePicture(Box->Window, Picture);
        Press(*Box, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(Box->Window); }));
        EXPECT_FALSE(Program->Ended());
    }
    void TakePicture(HWND Window, const std::string& Name) {
        const char* Folder = std::getenv("QUORVEL_SCREENSHOT_DIR");
        if (!Folder)
            return;
        // Drawn before it is taken: the picture shows what the user sees.
        Send(Window, WM_NULL, 0, 0);
        RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Send(Window, WM_NULL, 0, 0);
        SaveWindowPicture(Window, std::string(Folder) + "\\" + Name + ".png");
    }
    void Choose(int Button, const fs::path& Path) {
        Click(Ctl(Button));
        ASSERT_TRUE(ChooseFile(Program->Id(), Path.string())) << Path << "\n"
                                                              << Describe(Program->Id());
    }
    // The pane once the batch wrote its last line.
    std::string PaneText() const { return Text(Ctl(IDC_MEMO1)); }

    const fs::path Root = "C:\\quorvel-e2e";
    const fs::path Installed = Root / "Installed";
    const fs::path Work = Root / "Work";
    const fs::path SdkEntry = "C:\\Program Files\\Microsoft SDKs\\Windows\\v7.1A-quorvel-e2e";
    const fs::path Tool = SdkEntry / "bin" / "signtool.exe";
    const std::string EntryKey = std::string(Sandbox::UninstallKey) + "\\QuorvelEndToEnd";
    std::unique_ptr<TProgram> Program;
    HWND Main = nullptr;
};

TEST_F(ShippedProgramTest, WithoutAToolItOffersTheDownloadAndEachCheckSaysWhatIsMissing) {
    Start(Installed / "Quorvel.exe");
    // Shown by the start-up, which runs once the window is active.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(Ctl(IDC_DOWNLOADSDK_LBL)) != FALSE; }));
    EXPECT_EQ(Text(Ctl(IDC_DOWNLOADSDK_LBL)), "Download");
    EXPECT_EQ(Text(Ctl(IDC_SIGNTOOL_TXT)), "");

    Click(Ctl(IDC_SIGN_BTN));
    ExpectBox("SignTool not found !");

    InstallTool();
    Choose(IDC_BROWSESIGN_BTN, Tool);
    EXPECT_EQ(Text(Ctl(IDC_SIGNTOOL_TXT)), Tool.string());
    Click(Ctl(IDC_SIGN_BTN));
    ExpectBox("Certificate not found !");

    Choose(IDC_BROWSECERT_BTN, Work / "cert.pfx");
    Click(Ctl(IDC_SIGN_BTN));
    ExpectBox("No file to sign !");
    Close();
}

TEST_F(ShippedProgramTest, SignsABatchRowByRowAndKeepsTheListForTheNextStart) {
    InstallTool();
    Start(Installed / "Quorvel.exe");
    EXPECT_TRUE(WaitUntil([&] { return Text(Ctl(IDC_SIGNTOOL_TXT)) == Tool.string(); }));
    EXPECT_FALSE(IsWindowVisible(Ctl(IDC_DOWNLOADSDK_LBL)));
    Choose(IDC_BROWSECERT_BTN, Work / "cert.pfx");
    // The Add dialog never offers the certificate chosen last: Enter would put
    // it into the list. It starts in that folder with an empty name.
    Click(Ctl(IDC_ADD_BTN));
    const HWND Dialog = WaitTopWindow(Program->Id(), IsFileDialog, 30s);
    ASSERT_NE(Dialog, nullptr);
    EXPECT_EQ(Text(FileNameField(Dialog)), "");
    Click(GetDlgItem(Dialog, IDCANCEL));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(Dialog); }));
    const std::string Good = (Work / "good.exe").string(), Bad = (Work / "bad.dll").string(),
                      Nul = (Work / "nul.ocx").string();
    for (const auto& File : {Good, Bad, Nul})
        Choose(IDC_ADD_BTN, File);
    EXPECT_EQ(ListRows(), (std::vector<TRow>{{Good, Pending}, {Bad, Pending}, {Nul, Pending}}));

    Click(Ctl(IDC_SIGN_BTN));
    ExpectBox("2 files signed\n\r0 warnings\n\r1 files failed", "summary-box");
    EXPECT_EQ(ListRows(), (std::vector<TRow>{{Good, Signed}, {Bad, Failed}, {Nul, Signed}}));
    const std::string Pane = PaneText();
    EXPECT_NE(Pane.find(">> " + Good + "\r\nDone Adding Additional Store\r\nSuccessfully signed: " +
                        Good + "\r\n"),
              std::string::npos)
        << Pane;
    EXPECT_NE(Pane.find(">> " + Bad +
                        "\r\nDone Adding Additional Store\r\n"
                        "SignTool Error: An unexpected internal error has occurred."),
              std::string::npos)
        << Pane;
    // The tool's output goes on past a NUL byte, shown as "\0".
    EXPECT_NE(Pane.find("Signer\\0details\r\nSuccessfully signed: " + Nul), std::string::npos)
        << Pane;
    TakePicture(Main, "main-after-batch");

    // A double click signs that row alone.
    DoubleClickRow(Program->Handle(), Ctl(IDC_LST), 1);
    ExpectBox("0 files signed\n\r0 warnings\n\r1 files failed");
    DoubleClickRow(Program->Handle(), Ctl(IDC_LST), 0);
    ExpectBox("1 files signed\n\r0 warnings\n\r0 files failed");
    EXPECT_EQ(ListRows()[0].Image, Signed);
    Close();

    // Installed: the list (pending again) and the settings come back.
    Start(Installed / "Quorvel.exe");
    EXPECT_EQ(ListRows(), (std::vector<TRow>{{Good, Pending}, {Bad, Pending}, {Nul, Pending}}));
    EXPECT_EQ(Text(Ctl(IDC_CERTIFPATH_TXT)), (Work / "cert.pfx").string());

    SelectRow(Program->Handle(), Ctl(IDC_LST), 1);
    Click(Ctl(IDC_REMOVE_BTN));
    ASSERT_TRUE(WaitUntil([&] { return ListRows().size() == 2; }));
    EXPECT_EQ(ListRows(), (std::vector<TRow>{{Good, Pending}, {Nul, Pending}}));
    Click(Ctl(IDC_IGNORE_BTN));
    ASSERT_TRUE(WaitUntil([&] { return ListRows().empty(); }));
    Close();
}

TEST_F(ShippedProgramTest, AboutOpensAndClosesAndOpenLogOpensTheLog) {
    Start(Installed / "Quorvel.exe");
    Menu(Main, IDM_ABOUT);
    const HWND About = WaitTopWindow(
        Program->Id(), [](HWND Window) { return ClassOf(Window) == "QuorvelAboutWindow"; });
    ASSERT_NE(About, nullptr);
    EXPECT_EQ(Caption(About), "About Quorvel");
    EXPECT_EQ(Text(GetDlgItem(About, IDC_APPNAME_LBL)), "Application Name : Quorvel");
    EXPECT_FALSE(IsWindowEnabled(Main)); // modal
    Click(GetDlgItem(About, IDC_OK_BTN));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(About) || !IsWindow(About); }));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Main) != FALSE; }));

    Menu(Main, IDM_OPENLOG);
    ASSERT_TRUE(
        WaitUntil([&] { return OpenedText().find("Quorvel.log") != std::string::npos; }, 20s))
        << OpenedText() << "\n"
        << Describe(Program->Id()) << AllCaptions()
        << (IsMessageBox(GetForegroundWindow()) ? Text(GetDlgItem(GetForegroundWindow(), 0xFFFF))
                                                : std::string());
    EXPECT_FALSE(Program->Ended());
    Close();
}

TEST_F(ShippedProgramTest, ChecksForAnUpdateAgainstTheService) {
    if (std::getenv("QUORVEL_E2E_NO_PRIVATE_NETWORK"))
        GTEST_SKIP() << "no private network to map the update service's host name";
    TUpdateServer Server(80);
    Server.Answer("2.1.1.20"); // this very version: the automatic check at start stays quiet
    Start(Installed / "Quorvel.exe");
    ASSERT_TRUE(WaitUntil([&] { return !Server.Requests().empty(); }));

    // The item does nothing while a check (the automatic one) is under way:
    // clicked again, as a user would, until a box answers.
    const auto CheckForUpdate = [&] {
        std::optional<TBox> Box;
        WaitUntil([&] {
            Menu(Main, IDM_CHECKFORUPDATE);
            const HWND Shown = WaitTopWindow(Program->Id(), IsMessageBox, 5s);
            if (Shown)
                Box = TBox{Shown, Caption(Shown), Text(GetDlgItem(Shown, MessageBoxTextId))};
            return Shown != nullptr;
        });
        return Box;
    };
    auto Box = CheckForUpdate();
    ASSERT_TRUE(Box);
    EXPECT_EQ(Box->Caption, Title);
    EXPECT_EQ(Box->Text, "Quorvel  is already up to date.");
    Press(*Box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(Box->Window); }));

    Server.Answer("2.1.1.21");
    Box = CheckForUpdate();
    ASSERT_TRUE(Box);
    EXPECT_EQ(Box->Caption, "Question");
    EXPECT_EQ(Box->Text,
              "A new version of Quorvel  is available. Do you want to download update now ?");
    EXPECT_TRUE(Box->HasButton(IDYES));
    EXPECT_TRUE(Box->HasButton(IDNO));
    Press(*Box, IDYES);
    ASSERT_TRUE(WaitUntil([&] {
        return OpenedText().find("tandrel.example") != std::string::npos;
    })) << OpenedText();
    EXPECT_NE(OpenedText().find("https://www.tandrel.example"), std::string::npos);
    EXPECT_FALSE(Program->Ended());
    Close();
}

TEST_F(ShippedProgramTest, AFileListThatCannotBeSavedShowsTheErrorBoxAndKeepsTheWindow) {
    Start(Installed / "Quorvel.exe");
    Choose(IDC_ADD_BTN, Work / "good.exe");
    // A folder where the close saves the list: the save fails for real.
    const fs::path Blocker = Sandbox::DataFolder() / "Quorvel.db";
    std::error_code Ignored;
    fs::remove(Blocker, Ignored);
    fs::create_directories(Blocker / "in the way");
    PostMessageA(Main, WM_CLOSE, 0, 0);
    const auto Box = WaitMessageBox(Program->Id());
    ASSERT_TRUE(Box) << Describe(Program->Id());
    EXPECT_EQ(Box->Caption, Title);
    EXPECT_NE(Box->Text.find("Quorvel.db"), std::string::npos) << Box->Text;
    TakePicture(Box->Window, "error-box");
    Press(*Box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(Box->Window); }));
    // The window stays, and closes once the list can be saved.
    EXPECT_FALSE(Program->Ended());
    EXPECT_TRUE(IsWindowVisible(Main));
    fs::remove_all(Blocker);
    Close();
    EXPECT_EQ(Sandbox::ReadAll(Blocker), (Work / "good.exe").string() + "\r\n");
}

TEST_F(ShippedProgramTest, APortableCopyWritesSettingsBesideItselfAndLeavesNothingElse) {
    Sandbox::DeleteKeyTree(HKEY_LOCAL_MACHINE, EntryKey);
    const fs::path Portable = Root / "Portable";
    fs::create_directories(Portable);
    fs::copy_file(Installed / "Quorvel.exe", Portable / "Quorvel.exe");
    Start(Portable / "Quorvel.exe");
    Choose(IDC_BROWSECERT_BTN, Work / "cert.pfx");
    Close();

    const std::string Settings = Sandbox::ReadAll(Portable / "settings.ini");
    EXPECT_NE(Settings.find("Certificate=" + (Work / "cert.pfx").string()), std::string::npos)
        << Settings;
    EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, Sandbox::ProductKey));
    EXPECT_FALSE(Sandbox::RegText(HKEY_CURRENT_USER, Sandbox::MakerKey, "Quorvel"));
    EXPECT_FALSE(fs::exists(Sandbox::DataFolder()));

    // The next start reads them back.
    Start(Portable / "Quorvel.exe");
    EXPECT_EQ(Text(Ctl(IDC_CERTIFPATH_TXT)), (Work / "cert.pfx").string());
    Close();
    EXPECT_FALSE(fs::exists(Sandbox::DataFolder()));
}

} // namespace
