// A whole session of the Windows program over its real services: the signing
// tool found in a fake SDK folder, files signed by it, the list and settings
// kept in the registry and the data folder, and a second start that brings the
// list back. Only the modal windows are answered by the test.
#include "tests/ui/win32/ScriptedDesktop.h"
#include "tests/ui/win32/WinSandbox.h"
#include "tests/ui/win32/WindowDriver.h"
#include "ui/SystemServices.h"
#include "ui/win32/ResourceIds.h"
#include "ui/win32/Win32Program.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string ModuleFolder() {
    char Path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, Path, MAX_PATH);
    return fs::path(Path).parent_path().string();
}

std::string ModulePath() {
    char Path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, Path, MAX_PATH);
    return Path;
}

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        InitCommonControlClasses();
        Sandbox::ForgetProgram();
        fs::create_directories(ToolFolder);
        fs::copy_file(fs::path(ModuleFolder()) / "quorvel_fake_signtool.exe",
                      ToolFolder / "signtool.exe", fs::copy_options::overwrite_existing);
        Sandbox::WriteAll(Work / "cert.pfx", "not examined");
        Sandbox::WriteAll(Work / "good.exe", "MZ");
        Sandbox::WriteAll(Work / "bad.dll", "MZ");
        // Counted as installed, so that the close keeps everything in the registry.
        Sandbox::WriteRegText(HKEY_LOCAL_MACHINE, EntryKey, "DisplayName",
                              "Tandrel Quorvel (test)");
    }
    void TearDown() override {
        App.reset();
        Services.reset();
        std::error_code Ignored;
        fs::remove_all(SdkEntry, Ignored);
        fs::remove_all(Work, Ignored);
        Sandbox::DeleteKeyTree(HKEY_LOCAL_MACHINE, EntryKey);
        Sandbox::ForgetProgram();
    }

    void Start() {
        TLortexLiteOptions Update;
        // Nothing listens there: the automatic check ends at once, quietly.
        Update.ServiceBase = "http://127.0.0.1:9";
        Services = CreateSystemServices(ModulePath(), {}, std::move(Update));
        App = std::make_unique<TWin32Program>(GetModuleHandleA(nullptr), Desktop, *Services);
        App->Show();
        SendMessageA(App->MainWindow.Handle(), WM_ACTIVATEAPP, TRUE, 0);
        Pump();
    }
    void Close() {
        SendMessageA(App->MainWindow.Handle(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(App->MainWindow.Destroyed());
        Pump();
        App.reset();
        Services.reset();
    }
    void Pump() {
        Drive::Pump([this](MSG& Message) {
            return App && !App->MainWindow.Destroyed() && App->MainWindow.TranslateKeys(Message);
        });
    }
    HWND Ctl(int Id) const { return GetDlgItem(App->MainWindow.Handle(), Id); }

    const fs::path SdkEntry = "C:\\Program Files\\Microsoft SDKs\\Windows\\v7.1A-quorvel-test";
    const fs::path ToolFolder = SdkEntry / "bin";
    const fs::path Work = fs::temp_directory_path() / "quorvel-session";
    const std::string EntryKey = std::string(Sandbox::UninstallKey) + "\\QuorvelSessionTest";
    // As in the program: the taskbar's COM object needs the apartment.
    TComApartment Com;
    TScriptedDesktop Desktop;
    std::unique_ptr<IMainServices> Services;
    std::unique_ptr<TWin32Program> App;
};

TEST_F(SessionTest, SignsKeepsAndRestores) {
    Start();
    const std::string Tool = (ToolFolder / "signtool.exe").string();
    EXPECT_EQ(Drive::Text(Ctl(IDC_SIGNTOOL_TXT)), Tool);
    EXPECT_FALSE(IsWindowVisible(Ctl(IDC_DOWNLOADSDK_LBL)));

    const std::string Good = (Work / "good.exe").string(), Bad = (Work / "bad.dll").string();
    Desktop.FileAnswers = {(Work / "cert.pfx").string(), Good, Bad};
    Drive::Click(Ctl(IDC_BROWSECERT_BTN));
    Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::Click(Ctl(IDC_SIGN_BTN));

    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 0), ssSigned);
    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 1), ssFailed);
    const std::string Pane = Drive::Text(Ctl(IDC_MEMO1));
    EXPECT_NE(Pane.find(">> " + Good +
                        "\r\nDone Adding Additional Store\r\nSuccessfully signed: " + Good),
              std::string::npos)
        << Pane;
    EXPECT_NE(Pane.find("SignTool Error: An unexpected internal error has occurred."),
              std::string::npos)
        << Pane;
    ASSERT_FALSE(Desktop.Boxes.empty());
    EXPECT_EQ(Desktop.Boxes.back().Text, "1 files signed\n\r0 warnings\n\r1 files failed");
    EXPECT_EQ(Desktop.Boxes.back().Caption, "Quorvel");
    Close();

    EXPECT_EQ(Sandbox::RegText(HKEY_CURRENT_USER, Sandbox::MakerKey, "Quorvel"), ModulePath());
    EXPECT_EQ(Sandbox::RegText(HKEY_CURRENT_USER, Sandbox::ProductKey, "SignTool"), Tool);
    EXPECT_EQ(Sandbox::RegText(HKEY_CURRENT_USER, Sandbox::ProductKey, "Certificate"),
              (Work / "cert.pfx").string());
    const std::string Saved = Sandbox::ReadAll(Sandbox::DataFolder() / "Quorvel.db");
    EXPECT_EQ(Saved, Good + "\r\n" + Bad + "\r\n");

    // The next start brings the rows back, all pending again.
    Start();
    EXPECT_EQ(Drive::Rows(Ctl(IDC_LST)), (std::vector<std::string>{Good, Bad}));
    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 0), ssPending);
    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 1), ssPending);
    EXPECT_EQ(Drive::Text(Ctl(IDC_CERTIFPATH_TXT)), (Work / "cert.pfx").string());
    Close();
}

} // namespace
