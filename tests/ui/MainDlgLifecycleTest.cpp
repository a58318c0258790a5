// The start-up sequence, the close sequence and the destruction step, against
// a recording fake of every collaborator.
#include "core/Addresses.h"
#include "tests/ui/MainDlgFixture.h"

#include <algorithm>
#include <filesystem>
#include <random>

namespace {

bool Contains(const std::vector<std::string>& List, const std::string& Item) {
    return std::find(List.begin(), List.end(), Item) != List.end();
}

TEST_F(MainDlgTest, StartUpRunsItsStepsInOrder) {
    ConfigureSigning();
    Services.SavedList = {"C:\\b.exe", "C:\\a.dll", "C:\\b.exe"};
    Services.Settings["Password"] = "secret";
    Services.Settings["CertDigest"] = "1";
    Services.Args = {"a", "b"};
    Start();

    EXPECT_EQ(
        Services.Calls,
        (std::vector<std::string>{
            "ImportPortableSettings", "RecordRunningExecutable", "FileVersionText " + Services.Exe,
            "ReadSetting DebugLog", "LogFilePath", "CreateLog " + Services.LogFile,
            "TakeStoreNotices", "WriteEnvironmentFacts", "LoadFileList", "ReadSetting SignTool",
            "ReadSetting Certificate", "ReadSetting CertSource", "ReadSetting Password",
            "ReadSetting TimeStampURL", "ReadSetting CertDigest", "ReadSetting TimeStampDigest",
            "CreateUpdateChecker", "Check"}));
    EXPECT_EQ(View.Caption, "Quorvel v2.1.1.20");
    EXPECT_EQ(Services.LogMessages(),
              (std::vector<std::string>{"Starting", Services.Exe, "Quorvel v2.1.1.20",
                                        "Portable : No", "a", "OpenSSL : test"}));
    EXPECT_EQ(View.Captions(), Services.SavedList);
    for (const auto& Row : View.Rows)
        EXPECT_EQ(Row.Status, ssPending);
    EXPECT_EQ(View.FieldText(TMainField::signtool_txt), "tools/signtool.exe");
    EXPECT_EQ(View.FieldText(TMainField::certifpath_txt), "keys/code.pfx");
    EXPECT_EQ(View.FieldText(TMainField::password_txt), "secret");
    EXPECT_TRUE(View.Checks[TMainCheck::password_chk]);
    EXPECT_EQ(View.DownloadLinkVisible, std::optional<bool>(false));
    EXPECT_EQ(View.FieldText(TMainField::timestamp_txt), Addresses::TimestampServers[0]);
    EXPECT_EQ(View.Digests[TMainDigestList::certDigest_cmb], 1);
    EXPECT_EQ(View.Digests[TMainDigestList::timeDigest_cmb], 0);
    EXPECT_TRUE(Dlg->IsAutoCheckPending());
    // The taskbar indicator was made and left showing no progress.
    EXPECT_EQ(View.Taskbar, (std::vector<std::string>{"state 0", "state 2", "state 0"}));
    // Start-up shows nothing and stores nothing it has not found.
    EXPECT_TRUE(View.Boxes.empty());
    EXPECT_TRUE(View.Messages.empty());
}

TEST_F(MainDlgTest, DebugRunLogsDebugModeAndStoreNotices) {
    Services.Settings["DebugLog"] = "1";
    Services.StoreNotices = {"Damaged hive moved aside"};
    Start();

    EXPECT_TRUE(Contains(Services.Calls, "CreateLog " + Services.LogFile + " debug"));
    const auto Messages = Services.LogMessages();
    ASSERT_GE(Messages.size(), 3u);
    EXPECT_EQ(Messages[0], "Damaged hive moved aside");
    // A repair lost the user's settings: an Error entry, kept without debug too.
    EXPECT_EQ(Services.CreatedLog->Lines.back().rfind("Error\t", 0), 0u);
    EXPECT_EQ(Messages[1], "Starting");
    EXPECT_EQ(Messages[2], "Debug mode");
}

TEST_F(MainDlgTest, DebugLogOnlyForTheExactTextOne) {
    for (const char* Text : {"", "0", "true", " 1", "11"}) {
        TFakeMainView OtherView;
        TFakeServices Other;
        Other.Settings["DebugLog"] = Text;
        TMainDlg OtherDlg(OtherView, Other);
        ASSERT_TRUE(OtherDlg.Guard([&] { OtherDlg.AppEvtActivate(); }));
        EXPECT_FALSE(OtherDlg.LogWriter()->Debug) << Text;
    }
}

TEST_F(MainDlgTest, StartUpRunsOnlyOnce) {
    Start();
    const auto Calls = Services.Calls;
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->AppEvtActivate(); }));
    EXPECT_EQ(Services.Calls, Calls);
    EXPECT_EQ(View.Captions().size(), 0u);
}

class StartUpFailure : public MainDlgTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StartUpFailure, StopsAtTheFailingStepAndNeverRunsAgain) {
    Services.FailAt = GetParam();
    Start();

    EXPECT_EQ(Services.Calls.back(), GetParam());
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Caption, "Quorvel");
    EXPECT_EQ(View.Boxes[0].Text, "Access is denied.");
    EXPECT_FALSE(Dlg->IsAutoCheckPending());

    Services.FailAt.clear();
    const auto Calls = Services.Calls;
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->AppEvtActivate(); }));
    EXPECT_EQ(Services.Calls, Calls);
}

INSTANTIATE_TEST_SUITE_P(Steps, StartUpFailure,
                         ::testing::Values("RecordRunningExecutable", "LoadFileList",
                                           "ReadSetting Certificate", "CreateUpdateChecker"));

struct TRestoreCase {
    const char* Stored;
    int Index;
};

TEST_F(MainDlgTest, DigestIndexesAreWholeNumbersWithZeroForAnythingElse) {
    const TRestoreCase Cases[] = {{"0", 0},  {"1", 1},  {"", 0},    {"abc", 0},
                                  {"1x", 0}, {"5", -1}, {"-1", -1}, {"99999999999", 0},
                                  {"+1", 1}, {"+-1", 0}};
    for (const auto& Case : Cases) {
        TFakeMainView OtherView;
        TFakeServices Other;
        Other.Settings["CertDigest"] = Case.Stored;
        Other.Settings["TimeStampDigest"] = Case.Stored;
        TMainDlg OtherDlg(OtherView, Other);
        ASSERT_TRUE(OtherDlg.Guard([&] { OtherDlg.AppEvtActivate(); }));
        EXPECT_EQ(OtherView.Digests[TMainDigestList::certDigest_cmb], Case.Index) << Case.Stored;
        EXPECT_EQ(OtherView.Digests[TMainDigestList::timeDigest_cmb], Case.Index) << Case.Stored;
    }
}

TEST_F(MainDlgTest, StoredServerIsShownAsStoredAndNothingIsWrittenAtStartUp) {
    Services.Settings["TimeStampURL"] = "http://my.tsa.example/x";
    Start();
    EXPECT_EQ(View.FieldText(TMainField::timestamp_txt), "http://my.tsa.example/x");
    EXPECT_FALSE(View.Checks[TMainCheck::password_chk]);
    for (const auto& Call : Services.Calls)
        EXPECT_EQ(Call.find("Write") == 0 && Call.find("Setting") != std::string::npos, false)
            << Call;
}

TEST_F(MainDlgTest, CloseWhenInstalledSavesTheListAndCleansTheVirtualStore) {
    Services.Settings["DebugLog"] = "1";
    Start();
    AddRows(2);
    View.SetRowStatus(0, ssSigned);
    Services.Calls.clear();
    Services.VirtualStoreAnswer = "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Apps\\Quorvel\\";

    EXPECT_TRUE(Dlg->FormClose());

    EXPECT_EQ(Services.Calls, (std::vector<std::string>{"SaveFileList", "CleanProgramVirtualStore",
                                                        "IsInstalled"}));
    EXPECT_EQ(Services.SavedList, View.Captions());
    EXPECT_EQ(Services.LogMessages().back(),
              "Cleaning VirtualStore : " + Services.VirtualStoreAnswer);
}

TEST_F(MainDlgTest, CloseInPortableUseFinishesItLast) {
    Start();
    Services.Calls.clear();
    Services.Installed = false;

    EXPECT_TRUE(Dlg->FormClose());
    EXPECT_EQ(Services.Calls, (std::vector<std::string>{"SaveFileList", "CleanProgramVirtualStore",
                                                        "IsInstalled", "FinishPortableUse"}));
    // Without debug logging the Verbose line is dropped.
    EXPECT_FALSE(Contains(Services.LogMessages(), "Cleaning VirtualStore : "));
}

TEST_F(MainDlgTest, AFailedCloseStepKeepsTheWindowOpen) {
    Start();
    Services.FailAt = "SaveFileList";
    Services.Installed = false;
    Services.Calls.clear();

    EXPECT_FALSE(Dlg->FormClose());
    EXPECT_EQ(Services.Calls, std::vector<std::string>{"SaveFileList"});
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Caption, "Quorvel");
    EXPECT_EQ(View.Boxes[0].Text, "Access is denied.");

    Services.FailAt.clear();
    EXPECT_TRUE(Dlg->FormClose());
}

TEST_F(MainDlgTest, TheFileListStoreCarriesTheListFromStartUpToTheClose) {
    Services.SavedList = {"C:\\b.exe", "C:\\a.dll"};
    Start();
    ASSERT_TRUE(Dlg->FileListCarrier());
    EXPECT_EQ(*Dlg->FileListCarrier(), Services.SavedList);

    AddRows(1);
    const std::vector<std::string> Shown = View.Captions();
    // A later close step fails: the list was saved, the window stays open and
    // the next close must save the list as it then stands.
    Services.FailAt = "CleanProgramVirtualStore";
    EXPECT_FALSE(Dlg->FormClose());
    EXPECT_FALSE(Dlg->FileListCarrier());
    Services.FailAt.clear();
    View.DeleteRow(0);
    EXPECT_TRUE(Dlg->FormClose());
    EXPECT_FALSE(Dlg->FileListCarrier());
    ASSERT_EQ(Services.Saves.size(), 2u);
    EXPECT_EQ(Services.Saves[0], Shown);
    EXPECT_EQ(Services.Saves[1], View.Captions());
}

TEST_F(MainDlgTest, CloseAfterAStartUpThatNeverLoadedTheListKeepsTheSavedList) {
    Services.SavedList = {"C:\\kept.exe"};
    Services.FailAt = "WriteEnvironmentFacts";
    Start();
    Services.FailAt.clear();
    Services.Calls.clear();

    EXPECT_TRUE(Dlg->FormClose());
    EXPECT_TRUE(Services.Saves.empty());
    EXPECT_EQ(Services.Calls.front(), "CleanProgramVirtualStore");
}

TEST_F(MainDlgTest, CloseWithoutAnyStartUpStillCloses) {
    Dlg = std::make_unique<TMainDlg>(View, Services);
    EXPECT_TRUE(Dlg->FormClose());
    Dlg->FormDestroy();
    EXPECT_TRUE(View.Boxes.empty());
}

TEST_F(MainDlgTest, RestartBringsTheRowsBackPendingInOrder) {
    ConfigureSigning();
    Start();
    AddRows(3);
    View.AddRow("C:\\build\\file1.exe", ssPending);
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    ASSERT_TRUE(Dlg->FormClose());
    Dlg->FormDestroy();
    Dlg.reset();
    const auto Before = View.Captions();

    TFakeMainView Second;
    TMainDlg Next(Second, Services);
    ASSERT_TRUE(Next.Guard([&] { Next.AppEvtActivate(); }));
    EXPECT_EQ(Second.Captions(), Before);
    for (const auto& Row : Second.Rows)
        EXPECT_EQ(Row.Status, ssPending);
}

TEST_F(MainDlgTest, DestroyReleasesTaskbarThenCheckerThenLogWhichIsSaved) {
    const auto Folder = std::filesystem::temp_directory_path() /
                        ("quorvel-ui-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(Folder);
    Services.LogFile = (Folder / "Quorvel.log").string();
    Start();
    bool TaskbarReleasedFirst = false, LogNotYetSaved = false;
    View.Taskbar.clear();
    Services.CreatedChecker->OnRelease = [&] {
        TaskbarReleasedFirst = !View.Taskbar.empty() && View.Taskbar.back() == "released";
        LogNotYetSaved = !std::filesystem::exists(Folder / "Quorvel.log");
    };
    Services.Calls.clear();

    Dlg->FormDestroy();

    EXPECT_TRUE(TaskbarReleasedFirst);
    EXPECT_TRUE(LogNotYetSaved);
    EXPECT_EQ(View.Taskbar, (std::vector<std::string>{"state 0", "released"}));
    EXPECT_EQ(Services.Calls, std::vector<std::string>{"UpdateChecker released"});
    EXPECT_TRUE(std::filesystem::exists(Folder / "Quorvel.log"));
    EXPECT_EQ(Dlg->LogWriter(), nullptr);
    Dlg->FormDestroy(); // a second time is harmless
    std::filesystem::remove_all(Folder);
}

} // namespace
