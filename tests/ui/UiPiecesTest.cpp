// The taskbar progress indicator, the message boxes, the text storage and
// the About window's logic.
#include "core/Addresses.h"
#include "tests/ui/FakeMainView.h"
#include "ui/U_MsgDlg.h"
#include "ui/U_TaskBarProgressUnit.h"
#include "ui/U_about.h"

#include <gtest/gtest.h>

namespace {

using TRecord = std::vector<std::string>;

std::unique_ptr<ITaskbarPort> RecordingPort(TRecord& Record) {
    return std::make_unique<TFakeMainView::TRecordingTaskbar>(Record);
}

TEST(TaskProgressBar, ConstructionLeavesNoProgressWithTheStoredTenAndHundred) {
    TRecord Record;
    {
        TTaskProgressBar Bar(RecordingPort(Record));
        EXPECT_EQ(Record, (TRecord{"state 0", "state 2", "state 0"}));
        EXPECT_EQ(Bar.Max, 100);
        EXPECT_EQ(Bar.Position, 10);
        EXPECT_EQ(Bar.State, tpsNoProgress);
        EXPECT_FALSE(Bar.Visible);
        Record.clear();
        Bar.SetMax(7);
        EXPECT_EQ(Record, TRecord{"value 10/7"});
        Record.clear();
    }
    EXPECT_EQ(Record, (TRecord{"state 0", "released"}));
}

TEST(TaskProgressBar, StatesSendTheirFlagsFromTheTable) {
    TRecord Record;
    TTaskProgressBar Bar(RecordingPort(Record));
    const std::pair<TTaskProgressState, const char*> Cases[] = {
        {tpsNoProgress, "state 0"}, {tpsIndeterminate, "state 1"}, {tpsNormal, "state 2"},
        {tpsError, "state 4"},      {tpsPaused, "state 8"},
    };
    for (const auto& [State, Sent] : Cases) {
        Record.clear();
        Bar.SetState(State);
        EXPECT_EQ(Record, TRecord{Sent});
        EXPECT_EQ(Bar.State, State);
    }
}

TEST(TaskProgressBar, VisibleSendsNormalOnlyWhenNotAlreadyNormal) {
    TRecord Record;
    TTaskProgressBar Bar(RecordingPort(Record));
    Record.clear();
    Bar.SetVisible(true);
    Bar.SetVisible(true);
    Bar.SetVisible(false);
    EXPECT_EQ(Record, (TRecord{"state 2", "state 0"}));
    EXPECT_FALSE(Bar.Visible);
}

TEST(TaskProgressBar, WithoutATaskbarEveryCallIsInert) {
    TTaskProgressBar Bar(nullptr);
    Bar.SetMax(4);
    Bar.SetPosition(3);
    Bar.SetState(tpsError);
    Bar.SetVisible(true);
    EXPECT_EQ(Bar.Max, 4);
    EXPECT_EQ(Bar.Position, 0);
    EXPECT_EQ(Bar.State, tpsNormal);
}

TEST(ShowMsgBox, StyleAndCaptionTables) {
    struct TCase {
        int Buttons, Kind;
        std::uint32_t Style;
        const char* Caption;
    };
    const TCase Cases[] = {
        {mbsOk, mkMessage, 0x00, "Message"},
        {mbsYesNoCancel, mkWarning, 0x33, "Warning"},
        {mbsYesNo, mkError, 0x14, "Error"},
        {mbsOkCancel, mkQuestion, 0x21, "Question"},
        {mbsOk, mkInformation, 0x40, "Information"},
        {9, mkWarning, 0x30, "Warning"}, // unknown buttons: OK alone
        {mbsYesNo, 5, 0x04, ""},         // unknown kind: no caption, no icon
        {-1, -1, 0x00, ""},
    };
    for (const auto& Case : Cases) {
        TFakeMainView Owner;
        Owner.BoxAnswers = {2};
        EXPECT_EQ(ShowMsgBox(Owner, "text", Case.Buttons, Case.Kind), 2);
        ASSERT_EQ(Owner.Boxes.size(), 1u);
        EXPECT_EQ(Owner.Boxes[0].Style, Case.Style) << Case.Buttons << "/" << Case.Kind;
        EXPECT_EQ(Owner.Boxes[0].Caption, Case.Caption);
        EXPECT_EQ(Owner.Boxes[0].Text, "text");
    }
}

TEST(AskYesNo, ReturnsThePlatformsAnswer) {
    TFakeMainView Owner;
    Owner.BoxAnswers = {IDYES_Answer, IDNO_Answer};
    EXPECT_EQ(AskYesNo(Owner, "Go?"), 6);
    EXPECT_EQ(AskYesNo(Owner, "Go?"), 7);
    EXPECT_EQ(Owner.Boxes[0].Style, 0x24u);
    EXPECT_EQ(Owner.Boxes[0].Caption, "Question");
}

TEST(TextStorage, GetText) {
    TTextStorage Designed({"About", "Version :", "Application Name :"});
    Designed.Items = {"Info", "unused", "Programme :"};
    TTextStorage Shorter({"About", "Version :"});
    Shorter.Items = {"Info"};
    TTextStorage InCode;
    InCode.Items = {"About"};
    TTextStorage CaseCounts({"About"});
    CaseCounts.Items = {"UNUSED"};

    const std::tuple<const TTextStorage*, const char*, const char*> Cases[] = {
        {&Designed, "About", "Info"},
        {&Designed, "about", "Info"},
        {&Designed, "APPLICATION NAME :", "Programme :"},
        {&Designed, "Version :", "Version :"}, // "unused"
        {&Designed, "version :", "version :"}, // the key as given
        {&Designed, "Nothing", "Nothing"},
        {&Shorter, "Version :", "Version :"},
        {&InCode, "About", "About"},
        {&CaseCounts, "About", "UNUSED"},
    };
    for (const auto& [Storage, Key, Text] : Cases)
        EXPECT_EQ(Storage->GetText(Key), Text) << Key;
}

TEST(TextStorage, LoadedMakesTheCurrentTextsTheKeys) {
    TTextStorage Storage;
    Storage.Items = {"A", "B"};
    EXPECT_EQ(Storage.GetText("b"), "b");
    Storage.Loaded();
    Storage.Items = {"x", "y"};
    EXPECT_EQ(Storage.GetText("b"), "y");
    EXPECT_EQ(Storage.Defaults, (std::vector<std::string>{"A", "B"}));
}

class TFakeAboutView : public IAboutView {
public:
    std::string Caption, AppName, Version;
    std::vector<std::string> Opened;
    bool Answer = true;
    int Shown = 0;
    void SetCaption(const std::string& Text) override { Caption = Text; }
    void SetAppNameText(const std::string& Text) override { AppName = Text; }
    void SetVersionText(const std::string& Text) override { Version = Text; }
    bool ShowModal() override {
        ++Shown;
        return Answer;
    }
    void OpenAddress(const std::string& Address) override { Opened.push_back(Address); }
};

TEST(AboutDlg, RefreshesItsTextsBeforeShowing) {
    TFakeAboutView View;
    std::string AskedFor;
    TAboutDlg About(View, "C:\\Apps\\Quorvel.exe", [&](const std::string& Path) {
        AskedFor = Path;
        return std::string("2.1.1.20");
    });
    View.Answer = false;
    EXPECT_FALSE(About.ShowAbout());
    EXPECT_EQ(View.Shown, 1);
    EXPECT_EQ(View.Caption, "About Quorvel");
    EXPECT_EQ(View.AppName, "Application Name : Quorvel");
    EXPECT_EQ(View.Version, "Version : 2.1.1.20");
    EXPECT_EQ(AskedFor, "C:\\Apps\\Quorvel.exe");

    About.TS_about.Items = {"A propos", "Nom :", "unused"};
    About.RefreshInfo();
    EXPECT_EQ(View.Caption, "A propos Quorvel");
    EXPECT_EQ(View.AppName, "Nom : Quorvel");
    EXPECT_EQ(View.Version, "Version : 2.1.1.20");
}

TEST(AboutDlg, LinksOpenTheMakersAddresses) {
    TFakeAboutView View;
    TAboutDlg About(View, "x", [](const std::string&) { return std::string(); });
    About.email_btnClick();
    About.web_btnClick();
    About.forum_btnClick();
    ASSERT_EQ(View.Opened.size(), 3u);
    EXPECT_EQ(View.Opened[0].rfind("mailto:", 0), 0u);
    EXPECT_EQ(View.Opened[1], Addresses::MakerWebSite);
    EXPECT_EQ(View.Opened[2], std::string(Addresses::MakerWebSite) + "/forum");
}

} // namespace
