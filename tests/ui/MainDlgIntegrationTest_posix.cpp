// The window's logic over the real modules on Linux: settings in hive files
// under private XDG folders, the log and file-list files in the data folder,
// SignTool discovery of a stand-in tool laid out beside this program, and the
// real command runner. The update check goes to a closed port on 127.0.0.1.
//
// This program lives in a folder of its own, because where it lies decides
// where the SDK folder is; the machine hive (installed or portable use) is in
// the test's own XDG configuration folder.
#include "settings/MachineHive.h"
#include "settings/U_QuorvelFct.h"
#include "tests/ui/FakeMainView.h"
#include "ui/SystemServices.h"
#include "ui/U_MainDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Answers like signtool: failure on its error stream with exit code 1 for a
// file whose name holds "bad"; success otherwise.
constexpr const char* ToolScript = R"(#!/bin/sh
for last; do :; done
case "$last" in
  *bad*) echo "SignTool Error: unsuccessful signing of $last" >&2; exit 1 ;;
esac
echo "Done Adding Additional Store"
echo "Successfully signed: $last"
)";

std::string ReadWhole(const fs::path& Path) {
    std::ifstream File(Path, std::ios::binary);
    std::stringstream Text;
    Text << File.rdbuf();
    return Text.str();
}

class IntegrationTest : public ::testing::Test {
protected:
    fs::path Home, Lib;
    std::string ExePath;

    void SetUp() override {
        Home = fs::temp_directory_path() /
               ("quorvel-ui-integration-" + std::to_string(std::random_device{}()));
        for (const char* Part : {"config", "data", "state", "machine/quorvel"})
            fs::create_directories(Home / Part);
        setenv("XDG_CONFIG_HOME", (Home / "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (Home / "data").c_str(), 1);
        setenv("XDG_STATE_HOME", (Home / "state").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (Home / "machine").c_str(), 1);

        ExePath = fs::read_symlink("/proc/self/exe").string();
        Lib = fs::path(ExePath).parent_path().parent_path() / "lib" / "quorvel";
        const fs::path Tool = Lib / "sdk" / "10.0.22621.0" / "bin" / "signtool";
        fs::create_directories(Tool.parent_path());
        std::ofstream(Tool) << ToolScript;
        fs::permissions(Tool, fs::perms::owner_all);
        std::ofstream(Home / "code.pfx") << "not examined";
    }

    void TearDown() override {
        std::error_code Ignored;
        fs::remove_all(Lib, Ignored);
        fs::remove(fs::path(ExePath).parent_path() / "settings.ini", Ignored);
        fs::remove_all(Home, Ignored);
    }

    std::unique_ptr<IMainServices> Services() {
        TLortexLiteOptions Update;
        Update.ServiceBase = "http://127.0.0.1:1";
        return CreateSystemServices(ExePath, {"first", "second"}, Update);
    }

    // One run of the program: creation, first activation, the user's part,
    // the automatic update check's report, close and destruction.
    void RunProgram(TFakeMainView& View, const std::function<void(TMainDlg&)>& User) {
        auto RealServices = Services();
        TMainDlg Dlg(View, *RealServices);
        ASSERT_TRUE(Dlg.Guard([&] { Dlg.FormCreate(); }));
        ASSERT_TRUE(Dlg.Guard([&] { Dlg.AppEvtActivate(); }));
        ASSERT_TRUE(View.Boxes.empty()) << View.Boxes[0].Text;
        ASSERT_TRUE(Dlg.IsAutoCheckPending());
        ASSERT_TRUE(View.UiThread.WaitAndRun(std::chrono::seconds(120)));
        EXPECT_FALSE(Dlg.IsAutoCheckPending());
        EXPECT_TRUE(View.CheckForUpdateEnabled);
        User(Dlg);
        ASSERT_TRUE(Dlg.FormClose());
        Dlg.FormDestroy();
    }

    std::string ToolPath() const {
        return (fs::path(ExePath).parent_path() / ".." / "lib" / "quorvel" / "sdk" /
                "10.0.22621.0" / "bin" / "signtool")
            .string();
    }
};

TEST_F(IntegrationTest, InstalledRunSignsClosesAndRestoresTheList) {
    WriteMachineHive((Home / "machine/quorvel/HKEY_LOCAL_MACHINE.reg").string());
    const std::string Certificate = (Home / "code.pfx").string();

    TFakeMainView First;
    RunProgram(First, [&](TMainDlg& Dlg) {
        EXPECT_EQ(First.Caption, "Quorvel v2.1.1.20");
        EXPECT_EQ(First.FieldText(TMainField::signtool_txt), ToolPath());
        EXPECT_EQ(First.DownloadLinkVisible, std::optional<bool>(false));
        First.DialogAnswers = {Certificate, "/builds/app.exe", "/builds/bad one.dll",
                               "/builds/app.exe"};
        ASSERT_TRUE(Dlg.Guard([&] { Dlg.browsecert_btnClick(); }));
        for (int Add = 0; Add < 3; ++Add)
            ASSERT_TRUE(Dlg.Guard([&] { Dlg.add_btnClick(); }));

        ASSERT_TRUE(Dlg.Guard([&] { Dlg.sign_btnClick(); }));

        EXPECT_EQ(First.Messages,
                  std::vector<std::string>{"2 files signed\n\r0 warnings\n\r1 files failed"});
        EXPECT_EQ(First.Rows[0].Status, ssSigned);
        EXPECT_EQ(First.Rows[1].Status, ssFailed);
        EXPECT_EQ(First.Rows[2].Status, ssSigned);
        ASSERT_EQ(First.LogAdditions.size(), 9u);
        EXPECT_EQ(First.LogAdditions[0], ">> /builds/app.exe");
        EXPECT_EQ(First.LogAdditions[1],
                  "Done Adding Additional Store\r\nSuccessfully signed: /builds/app.exe\r\n");
        EXPECT_EQ(First.LogAdditions[4],
                  "SignTool Error: unsuccessful signing of /builds/bad one.dll\r\n");
    });

    EXPECT_EQ(ReadSetting("SignTool"), ToolPath());
    EXPECT_EQ(ReadSetting("Certificate"), Certificate);
    const std::string LogText = ReadWhole(Home / "data" / "Tandrel" / "Quorvel" / "Quorvel.log");
    EXPECT_NE(LogText.find("\tStarting"), std::string::npos);
    EXPECT_NE(LogText.find("\tPortable : No"), std::string::npos);
    EXPECT_NE(LogText.find("\tfirst"), std::string::npos);
    EXPECT_EQ(LogText.find("\tsecond"), std::string::npos);

    TFakeMainView Second;
    RunProgram(Second, [&](TMainDlg&) {
        EXPECT_EQ(Second.Captions(),
                  (std::vector<std::string>{"/builds/app.exe", "/builds/bad one.dll",
                                            "/builds/app.exe"}));
        for (const auto& Row : Second.Rows)
            EXPECT_EQ(Row.Status, ssPending);
        EXPECT_EQ(Second.FieldText(TMainField::signtool_txt), ToolPath());
        EXPECT_EQ(Second.FieldText(TMainField::certifpath_txt), Certificate);
    });
}

TEST_F(IntegrationTest, PortableRunMovesItsSettingsToSettingsIniAndBack) {
    TFakeMainView First;
    RunProgram(First, [&](TMainDlg& Dlg) {
        First.Digests[TMainDigestList::certDigest_cmb] = 1;
        ASSERT_TRUE(Dlg.Guard([&] { Dlg.certDigest_cmbChange(); }));
    });
    // The product key went to settings.ini beside the program.
    EXPECT_EQ(ReadSetting("CertDigest"), "");
    const std::string Ini = ReadWhole(fs::path(ExePath).parent_path() / "settings.ini");
    EXPECT_NE(Ini.find("CertDigest=1"), std::string::npos) << Ini;

    TFakeMainView Second;
    RunProgram(Second, [&](TMainDlg&) {
        EXPECT_EQ(Second.Digests[TMainDigestList::certDigest_cmb], 1);
        EXPECT_EQ(Second.FieldText(TMainField::signtool_txt), ToolPath());
    });
}

} // namespace
