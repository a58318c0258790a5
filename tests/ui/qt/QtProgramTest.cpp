// The whole Linux program in-process: the real window, controller and
// modules, with clicks and keystrokes on the widgets, the prompts answered
// through the desktop seam, and the real signing tool on PE files made by the
// build. Each test has its own XDG folders and program folder (TQtSandbox).
#include "ui/qt/QtProgram.h"
#include "tests/ui/qt/AnsweringDesktop.h"
#include "tests/ui/qt/QtSandbox.h"

#include "core/Addresses.h"
#include "core/QuorvelErrors.h"
#include "log/U_Log.h"
#include "tests/fixtures/FixtureFiles.h"
#include "tests/fixtures/TestPki.h"
#include "ui/SystemServices.h"

#include <QHeaderView>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {
// A generous safety net only: start-up takes milliseconds.
constexpr int StartUpLimitMs = 60000;

void SaveScreenshot(QWidget& Widget, const char* Name) {
    const QString Folder = qEnvironmentVariable("QUORVEL_SCREENSHOTS");
    if (Folder.isEmpty())
        return;
    fs::create_directories(Folder.toStdString());
    EXPECT_TRUE(Widget.grab().save(Folder + u'/' + QString::fromLatin1(Name), "PNG")) << Name;
}

class QtProgramTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (Program) {
            Program->MainWindow().close();
            Program.reset();
        }
    }

    // Starts the program and waits until its start-up sequence has run.
    void Start(std::vector<std::string> Arguments = {}) {
        TLortexLiteOptions Update;
        Update.ServiceBase = Box.DeadServiceBase;
        Program = std::make_unique<TQtProgram>(
            Desktop, CreateSystemServices(Box.ExePath, std::move(Arguments), Update));
        W().show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Program->Controller().LogWriter() != nullptr; },
                                    StartUpLimitMs));
    }

    // Closes the window the way its close box does; true when it closed.
    bool Close() {
        const bool Closed = W().close();
        if (Closed)
            Program.reset();
        return Closed;
    }

    TQtMainView& W() { return Program->MainWindow(); }

    std::vector<std::string> Rows() {
        std::vector<std::string> Captions;
        for (int I = 0; I < W().RowCount(); ++I)
            Captions.push_back(W().RowCaption(I));
        return Captions;
    }

    void AddFile(const std::string& Path) {
        Desktop.SetNextFile(Path);
        QTest::mouseClick(W().add_btn, Qt::LeftButton);
    }

    void ClickRow(int Row, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
        QTableWidgetItem* Item = W().lst->item(Row, 0);
        W().lst->scrollToItem(Item);
        QTest::mouseClick(W().lst->viewport(), Qt::LeftButton, Modifiers,
                          W().lst->visualItemRect(Item).center());
    }

    // Replaces the text of an editable field as a user would.
    static void TypeInto(QLineEdit* Edit, const QString& Text) {
        Edit->setFocus();
        Edit->selectAll();
        QTest::keyClick(Edit, Qt::Key_Delete);
        QTest::keyClicks(Edit, Text);
    }

    std::vector<TAskedMessage> BoxesCaptioned(const std::string& Caption) const {
        std::vector<TAskedMessage> Found;
        for (const TAskedMessage& Message : Desktop.Messages)
            if (Message.Caption == Caption)
                Found.push_back(Message);
        return Found;
    }

    TQtSandbox Box;
    TAnsweringDesktop Desktop;
    std::unique_ptr<TQtProgram> Program;
};

TEST_F(QtProgramTest, StartUpFindsTheToolAndShowsTheVersion) {
    Start();
    EXPECT_EQ(W().windowTitle(), "Quorvel v2.1.1.20");
    EXPECT_EQ(W().signtool_txt->text().toStdString(),
              Box.ProgramFolder + "../lib/quorvel/sdk/osslsigncode/bin/signtool");
    EXPECT_TRUE(W().downloadSDK_lbl->isHidden());
    EXPECT_EQ(W().timestamp_txt->currentText().toStdString(), Addresses::TimestampServers[0]);
    EXPECT_EQ(W().timeDigest_cmb->currentIndex(), 0);
    EXPECT_EQ(W().certDigest_cmb->currentIndex(), 0);
    EXPECT_EQ(W().RowCount(), 0);
    // Setting the preset at start-up is not a user change: nothing was stored.
    EXPECT_EQ(Program->Services().ReadSetting("TimeStampURL"), "");
    SaveScreenshot(W(), "main-empty.png");
}

TEST_F(QtProgramTest, FileListButtonsAddRemoveAndClear) {
    Start();
    const std::string Exe = Box.Temp / "a.exe";
    AddFile(Exe);
    AddFile(Exe);
    EXPECT_EQ(Rows(), (std::vector<std::string>{Exe, Exe})); // the same file twice
    ASSERT_EQ(Desktop.FileDialogs.size(), 2u);
    EXPECT_EQ(Desktop.FileDialogs[0].Filter, QtFileFilter(TMainDlg::getODFilter()).toStdString());
    EXPECT_EQ(Desktop.FileDialogs[1].StartName, Exe); // the dialog remembers the last file

    Desktop.SetNextFile(std::nullopt);
    QTest::mouseClick(W().add_btn, Qt::LeftButton);
    EXPECT_EQ(W().RowCount(), 2); // cancelled

    W().DeleteAllRows();
    for (const char* Name : {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe"})
        AddFile(Box.Temp / Name);
    ClickRow(0);
    ClickRow(1, Qt::ControlModifier);
    ClickRow(3, Qt::ControlModifier);
    QTest::mouseClick(W().remove_btn, Qt::LeftButton);
    EXPECT_EQ(Rows(), (std::vector<std::string>{Box.Temp / "3.exe", Box.Temp / "5.exe"}));

    QTest::mouseClick(W().ignore_btn, Qt::LeftButton);
    EXPECT_EQ(W().RowCount(), 0);
    EXPECT_TRUE(Desktop.Messages.empty());
}

TEST_F(QtProgramTest, EnterPressesSignAndTheChecksAnswerInTheProgramsBox) {
    Start();
    W().DeleteAllRows();
    // No certificate yet.
    QTest::keyClick(W().certifpath_txt, Qt::Key_Return);
    ASSERT_EQ(Desktop.Messages.size(), 1u);
    EXPECT_EQ(Desktop.Messages[0].Text, "Certificate not found !");
    EXPECT_EQ(Desktop.Messages[0].Caption, "Quorvel");
    EXPECT_EQ(Desktop.Messages[0].Icon, QMessageBox::NoIcon);
    EXPECT_EQ(Desktop.Messages[0].Buttons, QMessageBox::Ok);

    const std::string Certificate = Box.Temp / "cert.pfx";
    WriteFileBytes(Certificate, "not examined");
    Desktop.SetNextFile(Certificate);
    QTest::mouseClick(W().browsecert_btn, Qt::LeftButton);
    EXPECT_EQ(W().certifpath_txt->text().toStdString(), Certificate);
    W().Memo1->setPlainText(QStringLiteral("kept"));
    QTest::mouseClick(W().sign_btn, Qt::LeftButton);
    ASSERT_EQ(Desktop.Messages.size(), 2u);
    EXPECT_EQ(Desktop.Messages[1].Text, "No file to sign !");
    EXPECT_EQ(W().Memo1->toPlainText(), "kept"); // the pane is left as it was
}

// As on Windows: Enter on a focused button presses that button, and only
// elsewhere the default one, "Sign".
TEST_F(QtProgramTest, EnterPressesTheFocusedButtonAndElsewhereSign) {
    Start();
    const std::string Certificate = Box.Temp / "cert.pfx";
    WriteFileBytes(Certificate, "not examined");
    auto Enter = [](QWidget* Widget, Qt::Key Key = Qt::Key_Return) {
        Widget->setFocus();
        QTest::keyClick(Widget, Key, Key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    };

    Desktop.SetNextFile(Certificate);
    Enter(W().browsecert_btn);
    EXPECT_EQ(W().certifpath_txt->text().toStdString(), Certificate);
    Desktop.SetNextFile(std::nullopt);
    Enter(W().browsesign_btn, Qt::Key_Enter);
    EXPECT_EQ(Desktop.FileDialogs.size(), 2u);
    for (const char* Name : {"a.exe", "b.exe", "c.exe"}) {
        Desktop.SetNextFile(Box.Temp / Name);
        Enter(W().add_btn);
    }
    EXPECT_EQ(W().RowCount(), 3);
    // The Add dialog keeps the certificate's folder but never offers the
    // certificate itself, which its filter does not show.
    EXPECT_EQ(Desktop.FileDialogs[2].StartName, Box.Temp.Path() + "/");
    ClickRow(1);
    Enter(W().remove_btn);
    EXPECT_EQ(Rows(), (std::vector<std::string>{Box.Temp / "a.exe", Box.Temp / "c.exe"}));
    Enter(W().ignore_btn);
    EXPECT_EQ(W().RowCount(), 0);
    W().Memo1->setPlainText(QStringLiteral("pane"));
    Enter(W().Clearlog_btn);
    EXPECT_EQ(W().Memo1->toPlainText(), "");
    EXPECT_TRUE(Desktop.Messages.empty()); // "Sign" never ran

    Enter(W().password_chk);
    ASSERT_EQ(Desktop.Messages.size(), 1u);
    EXPECT_EQ(Desktop.Messages[0].Text, "No file to sign !");
}

// A batch of one file sets the range 0 to 0; the bar stays an empty bar, as
// on Windows, not a busy indicator.
TEST_F(QtProgramTest, ABatchOfOneFileShowsAnEmptyBarNotABusyOne) {
    Start();
    const std::string Certificate = Box.Temp / "cert.pfx";
    WriteFileBytes(Certificate, "not examined");
    Desktop.SetNextFile(Certificate);
    QTest::mouseClick(W().browsecert_btn, Qt::LeftButton);
    AddFile(Box.Temp / "missing.exe");
    bool BusyAtSummary = true;
    Desktop.WhileAsked = [&](const TAskedMessage&) {
        BusyAtSummary = W().pb->minimum() == W().pb->maximum();
    };
    QTest::mouseClick(W().sign_btn, Qt::LeftButton);
    ASSERT_EQ(Desktop.Messages.size(), 1u);
    EXPECT_FALSE(BusyAtSummary);
    EXPECT_NE(W().pb->minimum(), W().pb->maximum());
    EXPECT_EQ(W().pb->value(), 0);
}

TEST_F(QtProgramTest, ControlsStoreSettingsThatTheNextPortableStartRestores) {
    Start();
    const std::string Certificate = Box.Temp / "signer.pfx";
    WriteFileBytes(Certificate, "x");
    Desktop.SetNextFile(Certificate);
    QTest::mouseClick(W().browsecert_btn, Qt::LeftButton);
    TypeInto(W().password_txt, QStringLiteral("se*cret"));
    QTest::mouseClick(W().password_chk, Qt::LeftButton);
    TypeInto(W().timestamp_txt->lineEdit(), QStringLiteral("http://127.0.0.1:8/tsa"));
    QTest::keyClick(W().certDigest_cmb, Qt::Key_Down);
    QTest::mouseClick(W().timestamp_chk, Qt::LeftButton);
    EXPECT_FALSE(W().timestamp_txt->isEnabled()); // greys the server field only
    EXPECT_TRUE(W().timeDigest_cmb->isEnabled());
    AddFile(Box.Temp / "a.exe");
    ASSERT_TRUE(Close());

    // Portable use leaves only settings.ini behind: no data folder (so no
    // file list), no maker value, no product key.
    EXPECT_TRUE(PathExists(Box.ProgramFolder + "settings.ini"));
    EXPECT_FALSE(PathExists(Box.DataHome + "/Tandrel"));
    if (PathExists(Box.UserHive)) {
        EXPECT_EQ(ReadFileBytes(Box.UserHive).find("Tandrel"), std::string::npos);
    }

    Start();
    EXPECT_EQ(W().certifpath_txt->text().toStdString(), Certificate);
    EXPECT_EQ(W().password_txt->text(), "se*cret");
    EXPECT_TRUE(W().password_chk->isChecked());
    EXPECT_EQ(W().timestamp_txt->currentText(), "http://127.0.0.1:8/tsa");
    EXPECT_TRUE(W().timestamp_chk->isChecked()); // not stored: ticked again
    EXPECT_TRUE(W().timestamp_txt->isEnabled());
    EXPECT_EQ(W().certDigest_cmb->currentIndex(), 1);
    EXPECT_EQ(W().timeDigest_cmb->currentIndex(), 0);
    EXPECT_EQ(W().RowCount(), 0);
}

TEST_F(QtProgramTest, InstalledUseBringsTheRowsBackPendingInTheirOrder) {
    // A per-user uninstaller entry makes this copy an installed one.
    fs::create_directories(Box.ConfigHome + "/quorvel");
    WriteFileBytes(Box.UserHive,
                   "Windows Registry Editor Version 5.00\r\n\r\n"
                   "[HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                   "Uninstall\\Quorvel]\r\n\"DisplayName\"=\"Tandrel Quorvel\"\r\n\r\n");
    Start();
    for (const char* Name : {"c.exe", "a.exe", "c.exe", "b.scr"})
        AddFile(Box.Temp / Name);
    // A double-click signs the row with no tool checks: it fails here.
    ClickRow(1);
    QTest::mouseDClick(W().lst->viewport(), Qt::LeftButton, Qt::NoModifier,
                       W().lst->visualItemRect(W().lst->item(1, 0)).center());
    EXPECT_EQ(W().RowStatus(1), ssFailed);
    ASSERT_TRUE(Close());
    EXPECT_TRUE(PathExists(Box.DataFolder + "/Quorvel.db"));
    EXPECT_FALSE(PathExists(Box.ProgramFolder + "settings.ini"));

    Start();
    EXPECT_EQ(Rows(), (std::vector<std::string>{Box.Temp / "c.exe", Box.Temp / "a.exe",
                                                Box.Temp / "c.exe", Box.Temp / "b.scr"}));
    for (int I = 0; I < W().RowCount(); ++I)
        EXPECT_EQ(W().RowStatus(I), ssPending);
}

TEST_F(QtProgramTest, BatchSignsRealFilesAndReportsEachOutcome) {
    const TFixtureFiles Files = FixtureFiles();
    if (!Files.PeMissing.empty())
        GTEST_SKIP() << Files.PeMissing;
    fs::create_directories(Box.Temp / "pki");
    const TTestPki Pki(Box.Temp / "pki", "s3cr3t");
    const std::string Exe = Box.Temp / "app.exe";
    const std::string Dll = Box.Temp / "lib.dll";
    const std::string Broken = Box.Temp / "broken.exe";
    fs::copy_file(Files.Exe, Exe);
    fs::copy_file(Files.Dll, Dll);
    WriteFileBytes(Broken, "MZ but not an image");

    Start();
    Desktop.SetNextFile(Pki.SignerPfx);
    QTest::mouseClick(W().browsecert_btn, Qt::LeftButton);
    TypeInto(W().password_txt, QStringLiteral("s3cr3t"));
    QTest::mouseClick(W().timestamp_chk, Qt::LeftButton); // no timestamp server here
    for (const std::string& Path : {Exe, Broken, Dll})
        AddFile(Path);

    int PositionAtSummary = -1;
    Desktop.WhileAsked = [&](const TAskedMessage&) { PositionAtSummary = W().pb->value(); };
    QTest::mouseClick(W().sign_btn, Qt::LeftButton);

    ASSERT_EQ(Desktop.Messages.size(), 1u);
    EXPECT_EQ(Desktop.Messages[0].Caption, "Quorvel");
    EXPECT_EQ(Desktop.Messages[0].Text, "2 files signed\n0 warnings\n1 files failed");
    EXPECT_EQ(W().RowStatus(0), ssSigned);
    EXPECT_EQ(W().RowStatus(1), ssFailed);
    EXPECT_EQ(W().RowStatus(2), ssSigned);
    EXPECT_EQ(W().pb->maximum(), 2);
    EXPECT_EQ(PositionAtSummary, 2);
    EXPECT_EQ(W().pb->value(), 0);
    const std::string Pane = W().Memo1->toPlainText().toStdString();
    for (const std::string& Path : {Exe, Broken, Dll})
        EXPECT_NE(Pane.find(">> " + Path), std::string::npos) << Path;
    EXPECT_EQ(Pane.find(">> "), 0u); // the batch cleared the pane first
    EXPECT_NE(Pane.find("Successfully signed"), std::string::npos) << Pane;
    EXPECT_TRUE(ReadFileBytes(Exe) != ReadFileBytes(Files.Exe)); // signed in place
    W().lst->clearSelection();
    SaveScreenshot(W(), "main-after-batch.png");

    // A double-click signs the first selected row alone, after what the pane holds.
    ClickRow(1);
    ClickRow(2, Qt::ControlModifier);
    QTest::mouseDClick(W().lst->viewport(), Qt::LeftButton, Qt::NoModifier,
                       W().lst->visualItemRect(W().lst->item(2, 0)).center());
    ASSERT_EQ(Desktop.Messages.size(), 2u);
    EXPECT_EQ(Desktop.Messages[1].Text, "0 files signed\n0 warnings\n1 files failed");
    EXPECT_EQ(W().Memo1->toPlainText().toStdString().find(Pane), 0u);
}

TEST_F(QtProgramTest, AnErrorInTheCloseSequenceIsShownAndKeepsTheWindowOpen) {
    Start();
    // The file-list file cannot be written where a folder stands.
    const std::string ListFile = Box.DataFolder + "/Quorvel.db";
    fs::create_directories(ListFile + "/in the way");
    EXPECT_FALSE(W().close());
    EXPECT_TRUE(W().isVisible());
    const auto Errors = BoxesCaptioned("Quorvel");
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0].Icon, QMessageBox::Critical);
    EXPECT_FALSE(Errors[0].Text.empty());

    fs::remove_all(ListFile);
    EXPECT_TRUE(Close());
}

TEST_F(QtProgramTest, AnErrorEscapingPostedWorkReachesTheSameErrorBox) {
    Start();
    W().Dispatcher().Post([] { throw EOSError(13, "Access is denied."); });
    ASSERT_TRUE(
        QTest::qWaitFor([this] { return !BoxesCaptioned("Quorvel").empty(); }, StartUpLimitMs));
    const TAskedMessage Error = BoxesCaptioned("Quorvel").back();
    EXPECT_EQ(Error.Text, "Access is denied.");
    EXPECT_EQ(Error.Icon, QMessageBox::Critical);
}

TEST_F(QtProgramTest, AboutWindowShowsNameVersionAndLinks) {
    Start();
    TQtAboutView& About = Program->AboutWindow();
    bool Shown = false;
    QTimer::singleShot(0, &About, [&] {
        Shown = About.isVisible();
        SaveScreenshot(About, "about.png");
        QTest::mouseClick(About.email_btn, Qt::LeftButton);
        QTest::mouseClick(About.web_btn, Qt::LeftButton);
        QTest::mouseClick(About.forum_btn, Qt::LeftButton);
        QTest::mouseClick(About.ok_btn, Qt::LeftButton);
    });
    W().About1->trigger();
    EXPECT_TRUE(Shown);
    EXPECT_FALSE(About.isVisible());
    EXPECT_EQ(About.windowTitle(), "About Quorvel");
    EXPECT_EQ(About.appname_lbl->text(), "Application Name : Quorvel");
    EXPECT_EQ(About.version_lbl->text(), "Version : 2.1.1.20");
    EXPECT_EQ(Desktop.OpenedAddresses,
              (std::vector<std::string>{Addresses::ContactMail, Addresses::MakerWebSite,
                                        Addresses::ForumPage}));
}

TEST_F(QtProgramTest, MenuAndLinkOpenTheMakersPagesAndQuitCloses) {
    Start();
    W().BugreportFeaturerequestKnownissues1->trigger();
    W().ChangeLog1->trigger();
    QTest::mouseClick(W().downloadSDK_lbl, Qt::LeftButton);
    EXPECT_EQ(Desktop.OpenedAddresses,
              (std::vector<std::string>{Addresses::BugTrackerPage, Addresses::ChangeLogPage,
                                        Addresses::SignToolDocumentation}));
    W().Quit1->trigger();
    EXPECT_FALSE(W().isVisible());
    Program.reset();
}

TEST(QtDispatcher, RunsPostedWorkOnTheGuiThreadAndDropsItWhenGone) {
    std::vector<int> Ran;
    {
        TQtDispatcher Dispatcher;
        std::thread Worker([&] {
            Dispatcher.Post([&] {
                EXPECT_EQ(QThread::currentThread(), qApp->thread());
                Ran.push_back(1);
            });
        });
        Worker.join();
        EXPECT_TRUE(Ran.empty()); // queued, not run on the poster's thread
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Ran.empty(); }, StartUpLimitMs));
        Dispatcher.Post([&] { Ran.push_back(2); });
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(Ran, std::vector<int>{1});
}
} // namespace
