// The windows' widgets as laid out, before any controller is attached, and
// the translations between the Windows forms and Qt's.
#include "ui/U_MsgDlg.h"
#include "ui/qt/QtAboutForm.h"
#include "ui/qt/QtDesktop.h"
#include "ui/qt/QtMainForm.h"

#include "core/Addresses.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace {
// Every control of the design at its place (left, top, width, height,
// relative to its group or to the client area).
std::vector<std::pair<const char*, std::pair<QWidget*, QRect>>> MainPlaces(TQtMainForm& F) {
    return {
        {"SignTool group", {F.SignToolGroup, {8, 8, 353, 65}}},
        {"JvImgBtn1", {F.JvImgBtn1, {5, 21, 40, 42}}},
        {"signtool_txt", {F.signtool_txt, {56, 32, 201, 21}}},
        {"browsesign_btn", {F.browsesign_btn, {264, 32, 75, 25}}},
        {"downloadSDK_lbl", {F.downloadSDK_lbl, {264, 16, 48, 13}}},
        {"Timestamp group", {F.TimestampGroup, {8, 80, 353, 89}}},
        {"time_btn", {F.time_btn, {5, 23, 40, 42}}},
        {"timestamp_chk", {F.timestamp_chk, {56, 16, 265, 17}}},
        {"timestamp_txt", {F.timestamp_txt, {56, 36, 281, 21}}},
        {"timeDigest_cmb", {F.timeDigest_cmb, {56, 60, 145, 21}}},
        {"Certificate group", {F.CertificateGroup, {8, 176, 353, 121}}},
        {"JvImgBtn2", {F.JvImgBtn2, {5, 14, 40, 42}}},
        {"certifpath_txt", {F.certifpath_txt, {56, 20, 201, 21}}},
        {"browsecert_btn", {F.browsecert_btn, {264, 16, 75, 25}}},
        {"JvImgBtn3", {F.JvImgBtn3, {5, 54, 40, 42}}},
        {"password_txt", {F.password_txt, {56, 60, 145, 21}}},
        {"password_chk", {F.password_chk, {208, 60, 137, 17}}},
        {"certDigest_cmb", {F.certDigest_cmb, {56, 90, 145, 21}}},
        {"Files group", {F.FilesGroup, {8, 304, 353, 169}}},
        {"JvImgBtn4", {F.JvImgBtn4, {5, 23, 40, 42}}},
        {"lst", {F.lst, {50, 16, 287, 121}}},
        {"add_btn", {F.add_btn, {50, 138, 93, 25}}},
        {"remove_btn", {F.remove_btn, {144, 138, 93, 25}}},
        {"ignore_btn", {F.ignore_btn, {239, 138, 93, 25}}},
        {"Log group", {F.LogGroup, {368, 8, 281, 465}}},
        {"Memo1", {F.Memo1, {8, 16, 265, 409}}},
        {"Clearlog_btn", {F.Clearlog_btn, {195, 434, 75, 25}}},
        {"sign_btn", {F.sign_btn, {10, 479, 93, 35}}},
        {"pb", {F.pb, {112, 487, 537, 25}}},
    };
}

// The link keeps its designed place but may grow to fit its text.
void ExpectAtDesignedPlace(TQtMainForm& Form, QWidget* Control, const QRect& Designed,
                           const char* Name) {
    if (Control != Form.downloadSDK_lbl) {
        EXPECT_EQ(Control->geometry(), Designed) << Name;
        return;
    }
    EXPECT_EQ(Control->pos(), Designed.topLeft()) << Name;
    EXPECT_GE(Control->width(), Designed.width()) << Name;
    EXPECT_GE(Control->height(), Designed.height()) << Name;
}

TEST(QtMainForm, PlacesEveryControlWhereTheDesignDoes) {
    TQtMainForm Form;
    EXPECT_EQ(Form.Client->size(), QSize(656, 514));
    for (const auto& [Name, Place] : MainPlaces(Form))
        ExpectAtDesignedPlace(Form, Place.first, Place.second, Name);
}

// The design's 48 x 13 cuts "Download" in the window's own font.
TEST(QtMainForm, TheDownloadLinkFitsItsText) {
    TQtMainForm Form;
    const QFontMetrics Metrics(Form.downloadSDK_lbl->font());
    EXPECT_GE(Form.downloadSDK_lbl->width(), Metrics.horizontalAdvance("Download"));
    EXPECT_GE(Form.downloadSDK_lbl->height(), Metrics.height());
    EXPECT_EQ(Form.downloadSDK_lbl->pos(), QPoint(264, 16));
}

TEST(QtMainForm, ResizingMovesOnlyTheSignButtonAndTheProgressBar) {
    TQtMainForm Form;
    Form.show();
    Form.resize(Form.width() + 100, Form.height() + 60);
    ASSERT_EQ(Form.Client->size(), QSize(756, 574));
    for (const auto& [Name, Place] : MainPlaces(Form)) {
        QRect Expected = Place.second;
        if (Place.first == Form.sign_btn)
            Expected.translate(0, 60);
        if (Place.first == Form.pb)
            Expected = QRect(112, 547, 637, 25);
        ExpectAtDesignedPlace(Form, Place.first, Expected, Name);
    }
}

TEST(QtMainForm, StartsWithTheDesignsContents) {
    TQtMainForm Form;
    EXPECT_EQ(Form.SignToolGroup->title(), "SignTool");
    EXPECT_EQ(Form.CertificateGroup->title(), "Cetificate && Password");
    EXPECT_TRUE(Form.signtool_txt->isReadOnly());
    EXPECT_TRUE(Form.certifpath_txt->isReadOnly());
    EXPECT_TRUE(Form.downloadSDK_lbl->isHidden());
    EXPECT_TRUE(Form.timestamp_chk->isChecked());
    EXPECT_FALSE(Form.password_chk->isChecked());
    EXPECT_EQ(Form.password_txt->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Form.password_txt->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr,
                                                    Form.password_txt),
              '*');
    ASSERT_TRUE(Form.timestamp_txt->isEditable());
    ASSERT_EQ(Form.timestamp_txt->count(), 9);
    for (int I = 0; I < 9; ++I)
        EXPECT_EQ(Form.timestamp_txt->itemText(I).toStdString(),
                  Addresses::TimestampServers[static_cast<size_t>(I)]);
    for (QComboBox* Digest : {Form.timeDigest_cmb, Form.certDigest_cmb}) {
        EXPECT_FALSE(Digest->isEditable());
        EXPECT_EQ(Digest->count(), 2);
        EXPECT_EQ(Digest->itemText(0), "SHA256");
        EXPECT_EQ(Digest->itemText(1), "SHA1");
        EXPECT_EQ(Digest->currentIndex(), 0);
    }
    EXPECT_EQ(Form.lst->columnCount(), 1);
    EXPECT_EQ(Form.lst->horizontalHeaderItem(0)->text(), "Path");
    EXPECT_TRUE(Form.lst->showGrid());
    EXPECT_EQ(Form.lst->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(Form.lst->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(Form.lst->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(Form.Memo1->isReadOnly());
    EXPECT_EQ(Form.Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(Form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(Form.pb->minimum(), 0);
    EXPECT_EQ(Form.pb->maximum(), 100);
    EXPECT_EQ(Form.Client->DefaultButton, Form.sign_btn);
}

TEST(QtMainForm, MenuHasTheDesignsItemsShortcutsAndDoubleSeparator) {
    TQtMainForm Form;
    EXPECT_EQ(Form.File1->title(), "&File");
    EXPECT_EQ(Form.Help1->title(), "&?");
    ASSERT_EQ(Form.File1->actions().size(), 1);
    EXPECT_EQ(Form.File1->actions()[0]->text(), "&Quit");
    std::vector<std::string> Items;
    for (QAction* Action : Form.Help1->actions())
        Items.push_back(Action->isSeparator() ? "-"
                                              : Action->text().toStdString() + "|" +
                                                    Action->shortcut().toString().toStdString());
    EXPECT_EQ(Items, (std::vector<std::string>{
                         "&Open Log|Ctrl+L", "-", "Check for update...|Ctrl+G", "-", "-", "&About|",
                         "Bug report, Feature request, Known issues|", "Change Log|"}));
    EXPECT_FALSE(Form.Help1->separatorsCollapsible());
}

TEST(QtAboutForm, PlacesItsPartsWhereTheDesignDoes) {
    TQtAboutForm About(nullptr);
    EXPECT_EQ(About.size(), QSize(389, 285));
    EXPECT_EQ(About.minimumSize(), About.maximumSize()); // not resizable
    const std::vector<std::pair<QWidget*, QRect>> Places = {
        {About.Image1, {0, 0, 388, 96}},           {About.all_grp, {1, 97, 384, 184}},
        {About.Application_grp, {5, 12, 249, 53}}, {About.tandrel_grp, {260, 12, 113, 117}},
        {About.email_btn, {8, 16, 97, 28}},        {About.web_btn, {8, 48, 97, 28}},
        {About.forum_btn, {8, 80, 97, 28}},        {About.ok_btn, {274, 139, 81, 33}},
    };
    for (const auto& [Widget, Rect] : Places)
        EXPECT_EQ(Widget->geometry(), Rect) << Widget->metaObject()->className();
    EXPECT_EQ(About.appname_lbl->pos(), QPoint(8, 16));
    EXPECT_EQ(About.version_lbl->pos(), QPoint(8, 32));
    EXPECT_FALSE(About.Image1->pixmap().isNull());
    EXPECT_EQ(About.tandrel_grp->title(), "Tandrel");
    EXPECT_EQ(About.Application_grp->title(), "Application");
}

TEST(QtFileFilter, TurnsWindowsFiltersIntoQtLists) {
    const std::pair<const char*, const char*> Cases[] = {
        {"SignTool|signtool.exe", "SignTool (signtool.exe signtool SIGNTOOL.EXE)"},
        {"X.509 Certificate|*.*", "X.509 Certificate (*)"},
        {"All Supported Files|*.exe;*.dll;|Exe Files|*.exe;",
         "All Supported Files (*.exe *.EXE *.dll *.DLL);;Exe Files (*.exe *.EXE)"},
        {"Odd|", "Odd ()"},
        {"", ""},
    };
    for (const auto& [Windows, Qt] : Cases)
        EXPECT_EQ(QtFileFilter(Windows).toStdString(), Qt) << Windows;
}

TEST(QtMessageBox, StyleGivesTheButtonsAndIcon) {
    struct TCase {
        std::uint32_t Style;
        QMessageBox::StandardButtons Buttons;
        QMessageBox::Icon Icon;
    };
    const TCase Cases[] = {
        {0x00, QMessageBox::Ok, QMessageBox::NoIcon},
        {0x01 | 0x40, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Information},
        {0x03 | 0x30, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::Warning},
        {0x04 | 0x20, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question},
        {0x10, QMessageBox::Ok, QMessageBox::Critical},
        {0x07 | 0x70, QMessageBox::Ok, QMessageBox::NoIcon}, // outside the tables
    };
    for (const TCase& Case : Cases) {
        const TQtMessage Message = MessageForStyle("text", "Warning", Case.Style);
        EXPECT_EQ(Message.Buttons, Case.Buttons) << Case.Style;
        EXPECT_EQ(Message.Icon, Case.Icon) << Case.Style;
        EXPECT_EQ(Message.Caption, "Warning");
    }
    // The summary's LF CR pairs show as plain line breaks.
    EXPECT_EQ(MessageForStyle("1 files signed\n\r0 warnings", "", 0).Text,
              "1 files signed\n0 warnings");
}

TEST(QtMessageBox, AnswersWithThePlatformCodes) {
    using B = QMessageBox;
    EXPECT_EQ(AnswerCode(B::Ok, B::Ok), IDOK_Answer);
    EXPECT_EQ(AnswerCode(B::Cancel, B::Ok | B::Cancel), IDCANCEL_Answer);
    EXPECT_EQ(AnswerCode(B::Yes, B::Yes | B::No), IDYES_Answer);
    EXPECT_EQ(AnswerCode(B::No, B::Yes | B::No), IDNO_Answer);
    // Closed without a button, as Windows answers.
    EXPECT_EQ(AnswerCode(B::NoButton, B::Ok), IDOK_Answer);
    EXPECT_EQ(AnswerCode(B::NoButton, B::Yes | B::No | B::Cancel), IDCANCEL_Answer);
    EXPECT_EQ(AnswerCode(B::NoButton, B::Yes | B::No), IDNO_Answer);
}

// The frame must have room for the caption: a short notice alone made the box
// so narrow that window managers cut "Quorvel" to an ellipsis.
TEST(QtMessageBox, IsWideEnoughForItsCaptionAndCopiesAsWindowsDoes) {
    TQtMainForm Owner; // its 11-pixel face makes the narrowest boxes
    struct TCase {
        std::string Caption, Text;
    };
    const TCase Cases[] = {
        {"Quorvel", "No file to sign !"},
        {"Quorvel", "OK"},
        {std::string(40, 'W'), "No file to sign !"},
    };
    for (const TCase& Case : Cases) {
        const TQtMessage Message = MessageForStyle(Case.Text, Case.Caption, 0);
        QMessageBox Box(Message.Icon, Message.Caption, Message.Text, Message.Buttons, &Owner);
        const int Unfitted = Box.sizeHint().width();
        MakeCaptionFit(Box);
        Box.show();
        QFont Bold = Box.font();
        Bold.setBold(true);
        const int Caption = QFontMetrics(Bold).horizontalAdvance(Box.windowTitle());
        EXPECT_GE(Box.width(), CaptionFitWidth(Box)) << Case.Caption;
        EXPECT_GE(Box.width(), Caption + 6 * Box.style()->pixelMetric(QStyle::PM_TitleBarHeight))
            << Case.Caption;
        EXPECT_GE(Box.width(), Unfitted) << Case.Caption; // never narrower than before
    }

    // A long text keeps its own width; the room is a minimum only.
    const std::string Long(300, 'x');
    QMessageBox Wide(QMessageBox::NoIcon, "Quorvel", QString::fromStdString(Long), QMessageBox::Ok,
                     &Owner);
    const int Natural = Wide.sizeHint().width();
    MakeCaptionFit(Wide);
    EXPECT_EQ(Wide.sizeHint().width(), Natural);

    // Ctrl+C copies the box as a Windows message box does.
    QMessageBox Box(QMessageBox::NoIcon, "Quorvel", "2 files signed\n0 warnings",
                    QMessageBox::Yes | QMessageBox::No, &Owner);
    AddCopyShortcut(Box);
    Box.show();
    Box.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Box));
    QApplication::clipboard()->clear();
    QTest::keySequence(&Box, QKeySequence::Copy);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "---------------------------\nQuorvel\n---------------------------\n"
              "2 files signed\n0 warnings\n---------------------------\n"
              "Yes   No   \n---------------------------\n");
}
} // namespace
