// The handlers of the window's controls and menu: what is stored, what the
// list does, the file-open dialog and the addresses opened.
#include "core/Addresses.h"
#include "tests/ui/MainDlgFixture.h"

namespace {

class HandlersTest : public MainDlgTest {
protected:
    void SetUp() override {
        Start();
        Services.Calls.clear();
    }
    bool Run(void (TMainDlg::*Handler)()) {
        return Dlg->Guard([&] { (Dlg.get()->*Handler)(); });
    }
};

TEST_F(HandlersTest, RememberPasswordRoundTrips) {
    View.Fields[TMainField::password_txt] = "p1";
    ASSERT_TRUE(Run(&TMainDlg::password_txtChange)); // box not ticked: not stored
    View.Checks[TMainCheck::password_chk] = true;
    ASSERT_TRUE(Run(&TMainDlg::password_chkClick));
    View.Fields[TMainField::password_txt] = "p12";
    ASSERT_TRUE(Run(&TMainDlg::password_txtChange));
    View.Checks[TMainCheck::password_chk] = false;
    ASSERT_TRUE(Run(&TMainDlg::password_chkClick));
    View.Fields[TMainField::password_txt] = "p123";
    ASSERT_TRUE(Run(&TMainDlg::password_txtChange));

    EXPECT_EQ(Services.Calls,
              (std::vector<std::string>{"WriteSetting Password=p1", "WriteSetting Password=p12",
                                        "WriteSetting Password="}));
    EXPECT_EQ(Services.Settings["Password"], "");
}

TEST_F(HandlersTest, DigestAndServerChangesAreStoredAtOnce) {
    View.Digests[TMainDigestList::certDigest_cmb] = 1;
    ASSERT_TRUE(Run(&TMainDlg::certDigest_cmbChange));
    View.Digests[TMainDigestList::timeDigest_cmb] = 1;
    ASSERT_TRUE(Run(&TMainDlg::timeDigest_cmbChange));
    View.Digests[TMainDigestList::timeDigest_cmb] = 0;
    ASSERT_TRUE(Run(&TMainDlg::timeDigest_cmbChange));
    View.Fields[TMainField::timestamp_txt] = " http://tsa.example/ x";
    ASSERT_TRUE(Run(&TMainDlg::timestamp_txtChange));

    EXPECT_EQ(Services.Calls,
              (std::vector<std::string>{"WriteIntSetting CertDigest=1",
                                        "WriteIntSetting TimeStampDigest=1",
                                        "WriteIntSetting TimeStampDigest=0",
                                        "WriteSetting TimeStampURL= http://tsa.example/ x"}));
}

TEST_F(HandlersTest, TimestampBoxEnablesTheServerFieldOnlyAndStoresNothing) {
    View.Checks[TMainCheck::timestamp_chk] = false;
    ASSERT_TRUE(Run(&TMainDlg::timestamp_chkClick));
    EXPECT_FALSE(View.Enabled[TMainField::timestamp_txt]);
    EXPECT_EQ(View.Enabled.count(TMainField::password_txt), 0u);
    View.Checks[TMainCheck::timestamp_chk] = true;
    ASSERT_TRUE(Run(&TMainDlg::timestamp_chkClick));
    EXPECT_TRUE(View.Enabled[TMainField::timestamp_txt]);
    EXPECT_TRUE(Services.Calls.empty());
}

TEST_F(HandlersTest, RemoveDeletesEverySelectedRow) {
    struct TCase {
        std::vector<int> Selected;
        std::vector<std::string> Left;
    };
    const TCase Cases[] = {
        {{0, 1, 3}, {"C:\\build\\file3.exe", "C:\\build\\file5.exe"}},
        {{},
         {"C:\\build\\file1.exe", "C:\\build\\file2.exe", "C:\\build\\file3.exe",
          "C:\\build\\file4.exe", "C:\\build\\file5.exe"}},
        {{0, 1, 2, 3, 4}, {}},
        {{4},
         {"C:\\build\\file1.exe", "C:\\build\\file2.exe", "C:\\build\\file3.exe",
          "C:\\build\\file4.exe"}},
    };
    for (const auto& Case : Cases) {
        View.Rows.clear();
        AddRows(5);
        for (int Index : Case.Selected)
            View.SelectRows({Index});
        ASSERT_TRUE(Run(&TMainDlg::remove_btnClick));
        EXPECT_EQ(View.Captions(), Case.Left);
    }
}

TEST_F(HandlersTest, AddAppendsOneRowPerUseEvenForTheSamePath) {
    AddRows(1);
    View.Rows[0].Status = ssSigned;
    View.DialogAnswers = {"C:\\x\\app.exe", "C:\\x\\app.exe"};
    ASSERT_TRUE(Run(&TMainDlg::add_btnClick));
    ASSERT_TRUE(Run(&TMainDlg::add_btnClick));

    EXPECT_EQ(View.Captions(), (std::vector<std::string>{"C:\\build\\file1.exe", "C:\\x\\app.exe",
                                                         "C:\\x\\app.exe"}));
    EXPECT_EQ(View.Rows[1].Status, ssPending);
    EXPECT_EQ(View.Rows[2].Status, ssPending);
    EXPECT_EQ(View.DialogFilters,
              (std::vector<std::string>{TMainDlg::getODFilter(), TMainDlg::getODFilter()}));
    EXPECT_TRUE(Services.Calls.empty());
}

TEST(GetODFilter, ByteForByte) {
    EXPECT_EQ(TMainDlg::getODFilter(),
              "All Supported Files|*.exe;*.dll;*.ocx;*.cpl;*.scr;|Exe Files|*.exe;|Dll "
              "Files|*.dll;|ActiveX Files|*.ocx;|Control Panel Items|*.cpl;|Screen "
              "Savers|*.scr;");
}

TEST_F(HandlersTest, BrowseButtonsFillTheFieldAndStoreIt) {
    View.DownloadLinkVisible = true;
    View.DialogAnswers = {"D:\\kits\\signtool.exe", "D:\\keys\\my cert.pfx"};
    ASSERT_TRUE(Run(&TMainDlg::browsesign_btnClick));
    ASSERT_TRUE(Run(&TMainDlg::browsecert_btnClick));

    EXPECT_EQ(View.FieldText(TMainField::signtool_txt), "D:\\kits\\signtool.exe");
    EXPECT_EQ(View.FieldText(TMainField::certifpath_txt), "D:\\keys\\my cert.pfx");
    EXPECT_EQ(Services.Calls,
              (std::vector<std::string>{"WriteSetting SignTool=D:\\kits\\signtool.exe",
                                        "WriteSetting Certificate=D:\\keys\\my cert.pfx"}));
    EXPECT_EQ(View.DialogFilters,
              (std::vector<std::string>{SignToolFilter(), "X.509 Certificate|*.*"}));
    EXPECT_EQ(View.DownloadLinkVisible, std::optional<bool>(true)); // not re-evaluated
}

TEST_F(HandlersTest, CancelledDialogsChangeNothing) {
    AddRows(1);
    View.Fields[TMainField::signtool_txt] = "old tool";
    View.Fields[TMainField::certifpath_txt] = "old cert";
    ASSERT_TRUE(Run(&TMainDlg::browsesign_btnClick));
    ASSERT_TRUE(Run(&TMainDlg::browsecert_btnClick));
    ASSERT_TRUE(Run(&TMainDlg::add_btnClick));

    EXPECT_EQ(View.DialogFilters.size(), 3u);
    EXPECT_EQ(View.FieldText(TMainField::signtool_txt), "old tool");
    EXPECT_EQ(View.FieldText(TMainField::certifpath_txt), "old cert");
    EXPECT_EQ(View.Rows.size(), 1u);
    EXPECT_TRUE(Services.Calls.empty());
}

TEST_F(HandlersTest, ClearButtonsEmptyTheListAndThePaneOnly) {
    AddRows(3);
    View.LogAdditions = {"x"};
    ASSERT_TRUE(Run(&TMainDlg::ignore_btnClick));
    EXPECT_TRUE(View.Rows.empty());
    EXPECT_EQ(View.LogAdditions.size(), 1u);
    ASSERT_TRUE(Run(&TMainDlg::Clearlog_btnClick));
    EXPECT_TRUE(View.LogAdditions.empty());
    EXPECT_TRUE(Services.Calls.empty());
}

TEST_F(HandlersTest, MenuAndLinks) {
    ASSERT_TRUE(Run(&TMainDlg::downloadSDK_lblClick));
    ASSERT_TRUE(Run(&TMainDlg::BugreportFeaturerequestKnownissues1Click));
    ASSERT_TRUE(Run(&TMainDlg::ChangeLog1Click));
    ASSERT_TRUE(Run(&TMainDlg::About1Click));
    ASSERT_TRUE(Run(&TMainDlg::Quit1Click));
    ASSERT_TRUE(Run(&TMainDlg::OpenLog1Click));
    ASSERT_TRUE(Run(&TMainDlg::Checkforupdate1Click));

    EXPECT_EQ(View.OpenedEx, std::vector<std::string>{Addresses::SignToolDocumentation});
    EXPECT_EQ(View.Opened,
              (std::vector<std::string>{Addresses::BugTrackerPage, Addresses::ChangeLogPage}));
    EXPECT_EQ(View.AboutShown, 1);
    EXPECT_EQ(View.CloseRequests, 1);
    EXPECT_EQ(Services.ShellOpenedLogs, std::vector<std::string>{Services.LogFile});
    EXPECT_EQ(Services.Calls, std::vector<std::string>{"Check"});
}

TEST_F(HandlersTest, UpdateCheckOwnerLendsTheWindowsBoxesShellAndMenuItem) {
    IUpdateCheckOwner& Owner = Services.CreatedChecker->Owner;
    View.BoxAnswers = {6, 7};
    EXPECT_TRUE(Owner.AskYesNo("Newer?"));
    EXPECT_FALSE(Owner.AskYesNo("Newer?"));
    EXPECT_EQ(View.Boxes[0].Caption, "Question");
    EXPECT_EQ(View.Boxes[0].Style, 0x24u);

    Owner.ShowMessage("up to date");
    Owner.OpenWebSite(Addresses::MakerWebSite);
    Owner.SetCheckMenuItemEnabled(false);
    EXPECT_EQ(View.Messages, std::vector<std::string>{"up to date"});
    // The maker's site opens without an owner window or the shell's error box.
    EXPECT_EQ(View.OpenedEx, std::vector<std::string>{Addresses::MakerWebSite});
    EXPECT_TRUE(View.Opened.empty());
    EXPECT_FALSE(View.CheckForUpdateEnabled);

    ASSERT_TRUE(Dlg->IsAutoCheckPending());
    Owner.AutoCheckPendingFlag() = false;
    EXPECT_FALSE(Dlg->IsAutoCheckPending());

    Owner.HandleUpdateError(std::runtime_error("bad reply"));
    EXPECT_EQ(View.Boxes.back().Text, "bad reply");
    EXPECT_EQ(View.Boxes.back().Caption, "Quorvel");
}

TEST_F(HandlersTest, GuardShowsAnyErrorAndReportsIt) {
    EXPECT_TRUE(Dlg->Guard([] {}));
    EXPECT_FALSE(Dlg->Guard([] { throw ERegistryError("Invalid data type for 'CertDigest'"); }));
    EXPECT_FALSE(Dlg->Guard([] { throw 42; }));
    ASSERT_EQ(View.Boxes.size(), 2u);
    EXPECT_EQ(View.Boxes[0].Text, "Invalid data type for 'CertDigest'");
    EXPECT_EQ(View.Boxes[0].Style, MB_ICONERROR_Flag);
    EXPECT_FALSE(View.Boxes[1].Text.empty());
}

} // namespace
