// The real main window and About window, driven in process with window
// messages, over the real controller and a recording stand-in for its services.
#include "core/Addresses.h"
#include "tests/ui/FakeServices.h"
#include "tests/ui/win32/ScriptedDesktop.h"
#include "tests/ui/win32/WindowDriver.h"
#include "tests/ui/win32/WindowPicture.h"
#include "ui/U_MainDlg.h"
#include "ui/win32/MainLayout.h"
#include "ui/win32/ResourceIds.h"
#include "ui/win32/Win32Program.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        InitCommonControlClasses();
        App = std::make_unique<TWin32Program>(GetModuleHandleA(nullptr), Desktop, Services);
    }
    void TearDown() override {
        App.reset();
        Pump();
    }

    HWND Main() const { return App->MainWindow.Handle(); }
    HWND Ctl(int Id) const { return GetDlgItem(Main(), Id); }
    void Pump() {
        Drive::Pump([this](MSG& Message) {
            return App && !App->MainWindow.Destroyed() && App->MainWindow.TranslateKeys(Message);
        });
    }
    // The window shows and the application becomes active: the start-up
    // sequence runs. The activation is sent too, for a desktop that does not
    // activate a new window on its own.
    void Activate() {
        App->Show();
        SendMessageA(Main(), WM_ACTIVATEAPP, TRUE, 0);
        Pump();
    }
    void Press(HWND Target, UINT Key) {
        MSG Message{Target, WM_KEYDOWN, Key, 1, 0, {}};
        if (!App->MainWindow.TranslateKeys(Message)) {
            TranslateMessage(&Message);
            DispatchMessageA(&Message);
        }
        Pump();
    }
    void PressCtrl(UINT Key) {
        MSG Message = Drive::CtrlKey(Main(), Key);
        const bool Used = App->MainWindow.TranslateKeys(Message);
        Drive::ReleaseCtrl();
        EXPECT_TRUE(Used);
        Pump();
    }
    int Count(const std::string& Call) const {
        return static_cast<int>(std::count(Services.Calls.begin(), Services.Calls.end(), Call));
    }

    // As in the program: the taskbar's COM object needs the apartment.
    TComApartment Com;
    TScriptedDesktop Desktop;
    TFakeServices Services;
    std::unique_ptr<TWin32Program> App;
};

LONG_PTR StyleOf(HWND Window) {
    return GetWindowLongPtrA(Window, GWL_STYLE);
}

// A literal with embedded NULs, all of it.
template <std::size_t Size> std::string Nuls(const char (&Literal)[Size]) {
    return std::string(Literal, Size - 1);
}

TEST_F(MainWindowTest, PlacesEveryControlAsDesigned) {
    RECT Client{};
    GetClientRect(Main(), &Client);
    EXPECT_EQ(Client.right, 656);
    EXPECT_EQ(Client.bottom, 514);
    RECT Frame{};
    GetWindowRect(Main(), &Frame);
    EXPECT_EQ(Frame.left, 198);
    EXPECT_EQ(Frame.top, 179);

    // Client-area positions: the group's origin plus the control's own.
    struct TPlace {
        int Id, Left, Top, Width, Height;
    };
    // -1: checked elsewhere (the link label is sized to its text, see below).
    const TPlace Places[] = {
        {IDC_SIGNTOOL_GRP, 8, 8, 353, 65},
        {IDC_JVIMGBTN1, 13, 29, 40, 42},
        {IDC_SIGNTOOL_TXT, 64, 40, 201, 21},
        {IDC_BROWSESIGN_BTN, 272, 40, 75, 25},
        {IDC_DOWNLOADSDK_LBL, 272, 24, -1, -1},
        {IDC_TIMESTAMP_GRP, 8, 80, 353, 89},
        {IDC_TIME_BTN, 13, 103, 40, 42},
        {IDC_TIMESTAMP_CHK, 64, 96, 265, 17},
        {IDC_TIMESTAMP_TXT, 64, 116, 281, -1},
        {IDC_TIMEDIGEST_CMB, 64, 140, 145, -1},
        {IDC_CERTIFICATE_GRP, 8, 176, 353, 121},
        {IDC_JVIMGBTN2, 13, 190, 40, 42},
        {IDC_CERTIFPATH_TXT, 64, 196, 201, 21},
        {IDC_BROWSECERT_BTN, 272, 192, 75, 25},
        {IDC_JVIMGBTN3, 13, 230, 40, 42},
        {IDC_PASSWORD_TXT, 64, 236, 145, 21},
        {IDC_PASSWORD_CHK, 216, 236, 137, 17},
        {IDC_CERTDIGEST_CMB, 64, 266, 145, -1},
        {IDC_FILES_GRP, 8, 304, 353, 169},
        {IDC_JVIMGBTN4, 13, 327, 40, 42},
        {IDC_LST, 58, 320, 287, 121},
        {IDC_ADD_BTN, 58, 442, 93, 25},
        {IDC_REMOVE_BTN, 152, 442, 93, 25},
        {IDC_IGNORE_BTN, 247, 442, 93, 25},
        {IDC_LOG_GRP, 368, 8, 281, 465},
        {IDC_MEMO1, 376, 24, 265, 409},
        {IDC_CLEARLOG_BTN, 563, 442, 75, 25},
        {IDC_SIGN_BTN, 10, 479, 93, 35},
        {IDC_PB, 112, 487, 537, 25},
    };
    for (const TPlace& Want : Places) {
        SCOPED_TRACE(Want.Id);
        const RECT Got = Drive::PlaceInParent(Ctl(Want.Id));
        EXPECT_EQ(Got.left, Want.Left);
        EXPECT_EQ(Got.top, Want.Top);
        if (Want.Width >= 0) {
            EXPECT_EQ(Got.right - Got.left, Want.Width);
        }
        // A drop-down's closed height is the system's, from the font.
        if (Want.Height >= 0) {
            EXPECT_EQ(Got.bottom - Got.top, Want.Height);
        }
    }
}

TEST_F(MainWindowTest, ShowsTheDesignStateBeforeStartUp) {
    EXPECT_EQ(Drive::Text(Main()), "Quorvel");
    EXPECT_EQ(Drive::Text(Ctl(IDC_CERTIFICATE_GRP)), "Cetificate && Password");
    EXPECT_EQ(Drive::Text(Ctl(IDC_SIGN_BTN)), "Sign");
    EXPECT_EQ(StyleOf(Ctl(IDC_SIGN_BTN)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_FALSE(IsWindowVisible(Ctl(IDC_DOWNLOADSDK_LBL)));
    EXPECT_EQ(SendMessageA(Ctl(IDC_TIMESTAMP_CHK), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Ctl(IDC_PASSWORD_CHK), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(Ctl(IDC_PASSWORD_TXT), EM_GETPASSWORDCHAR, 0, 0), '*');
    for (int Id : {IDC_SIGNTOOL_TXT, IDC_CERTIFPATH_TXT, IDC_MEMO1})
        EXPECT_TRUE(StyleOf(Ctl(Id)) & ES_READONLY) << Id;
    EXPECT_FALSE(StyleOf(Ctl(IDC_PASSWORD_TXT)) & ES_READONLY);

    // The log pane: word wrap, no scroll bars, one empty line.
    const LONG_PTR Memo = StyleOf(Ctl(IDC_MEMO1));
    EXPECT_TRUE(Memo & ES_MULTILINE);
    EXPECT_FALSE(Memo & (ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL));
    EXPECT_EQ(Drive::Text(Ctl(IDC_MEMO1)), "\r\n");

    // The preset servers, then the two digest lists.
    HWND Servers = Ctl(IDC_TIMESTAMP_TXT);
    EXPECT_EQ(StyleOf(Servers) & 3, CBS_DROPDOWN);
    ASSERT_EQ(SendMessageA(Servers, CB_GETCOUNT, 0, 0), 9);
    for (int Index = 0; Index < 9; ++Index) {
        char Entry[256] = {};
        SendMessageA(Servers, CB_GETLBTEXT, Index, reinterpret_cast<LPARAM>(Entry));
        EXPECT_STREQ(Entry, Addresses::TimestampServers[Index]);
    }
    for (int Id : {IDC_TIMEDIGEST_CMB, IDC_CERTDIGEST_CMB}) {
        EXPECT_EQ(StyleOf(Ctl(Id)) & 3, CBS_DROPDOWNLIST);
        EXPECT_EQ(SendMessageA(Ctl(Id), CB_GETCOUNT, 0, 0), 2);
        EXPECT_EQ(SendMessageA(Ctl(Id), CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(Drive::Text(Ctl(Id)), "SHA256");
    }

    // The file list: report view, several rows selectable, one full-width column.
    HWND List = Ctl(IDC_LST);
    EXPECT_EQ(StyleOf(List) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(StyleOf(List) & (LVS_SINGLESEL | LVS_EDITLABELS));
    const DWORD Extended = ListView_GetExtendedListViewStyle(List);
    EXPECT_TRUE(Extended & LVS_EX_GRIDLINES);
    EXPECT_TRUE(Extended & LVS_EX_FULLROWSELECT);
    char Header[32] = {};
    LVCOLUMNA Column{};
    Column.mask = LVCF_TEXT;
    Column.pszText = Header;
    Column.cchTextMax = sizeof(Header);
    ASSERT_TRUE(SendMessageA(List, LVM_GETCOLUMNA, 0, reinterpret_cast<LPARAM>(&Column)));
    EXPECT_STREQ(Header, "Path");
    RECT ListClient{};
    GetClientRect(List, &ListClient);
    EXPECT_EQ(ListView_GetColumnWidth(List, 0), ListClient.right);
    EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(List, LVSIL_SMALL)), 3);

    EXPECT_TRUE(StyleOf(Ctl(IDC_PB)) & PBS_SMOOTH);
    EXPECT_EQ(SendMessageA(Ctl(IDC_PB), PBM_GETRANGE, FALSE, 0), 100);

    // The menu bar.
    HMENU Menu = GetMenu(Main());
    char Item[128] = {};
    GetMenuStringA(Menu, 0, Item, sizeof(Item), MF_BYPOSITION);
    EXPECT_STREQ(Item, "&File");
    GetMenuStringA(Menu, 1, Item, sizeof(Item), MF_BYPOSITION);
    EXPECT_STREQ(Item, "&?");
    HMENU Help = GetSubMenu(Menu, 1);
    const char* HelpItems[] = {"&Open Log\tCtrl+L",
                               "",
                               "Check for update...\tCtrl+G",
                               "",
                               "",
                               "&About",
                               "Bug report, Feature request, Known issues",
                               "Change Log"};
    ASSERT_EQ(GetMenuItemCount(Help), 8);
    for (int Index = 0; Index < 8; ++Index) {
        Item[0] = '\0';
        GetMenuStringA(Help, static_cast<UINT>(Index), Item, sizeof(Item), MF_BYPOSITION);
        EXPECT_STREQ(Item, HelpItems[Index]) << Index;
    }
}

TEST_F(MainWindowTest, ResizingMovesOnlyTheSignButtonAndTheProgressBar) {
    RECT Frame{};
    GetWindowRect(Main(), &Frame);
    SetWindowPos(Main(), nullptr, 0, 0, Frame.right - Frame.left + 100,
                 Frame.bottom - Frame.top + 80, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT Client{};
    GetClientRect(Main(), &Client);
    const int Grow = Client.right - 656, Drop = Client.bottom - 514;
    ASSERT_GT(Grow, 0);
    ASSERT_GT(Drop, 0);

    const RECT Sign = Drive::PlaceInParent(Ctl(IDC_SIGN_BTN));
    EXPECT_EQ(Sign.left, 10);
    EXPECT_EQ(Sign.top, 479 + Drop);
    EXPECT_EQ(Sign.right - Sign.left, 93);
    const RECT Bar = Drive::PlaceInParent(Ctl(IDC_PB));
    EXPECT_EQ(Bar.left, 112);
    EXPECT_EQ(Bar.top, 487 + Drop);
    EXPECT_EQ(Bar.right - Bar.left, 537 + Grow);
    EXPECT_EQ(Bar.bottom - Bar.top, 25);
    for (int Id : {IDC_LST, IDC_MEMO1, IDC_LOG_GRP, IDC_FILES_GRP}) {
        const RECT Kept = Drive::PlaceInParent(Ctl(Id));
        const RECT Designed = MainLayout::DesignRect(Id);
        EXPECT_TRUE(EqualRect(&Kept, &Designed)) << Id;
    }
}

TEST_F(MainWindowTest, StartUpRunsOnTheFirstActivationOnly) {
    Services.Settings["Password"] = "secret";
    Services.Settings["TimeStampURL"] = "http://tsa.example/custom";
    Services.Settings["CertDigest"] = "1";
    Activate();
    Activate();
    EXPECT_EQ(Count("RecordRunningExecutable"), 1);
    EXPECT_EQ(Drive::Text(Main()), "Quorvel v2.1.1.20");
    EXPECT_EQ(Drive::Text(Ctl(IDC_PASSWORD_TXT)), "secret");
    EXPECT_EQ(SendMessageA(Ctl(IDC_PASSWORD_CHK), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(Drive::Text(Ctl(IDC_TIMESTAMP_TXT)), "http://tsa.example/custom");
    EXPECT_EQ(SendMessageA(Ctl(IDC_CERTDIGEST_CMB), CB_GETCURSEL, 0, 0), 1);
    // No tool was found: the link shows.
    EXPECT_TRUE(IsWindowVisible(Ctl(IDC_DOWNLOADSDK_LBL)));
    // Filling the controls is not the user's doing: nothing was stored back.
    for (const std::string& Call : Services.Calls)
        EXPECT_NE(Call.rfind("WriteSetting", 0), 0u) << Call;
}

TEST_F(MainWindowTest, UserChangesReachTheStore) {
    Activate();
    Drive::Click(Ctl(IDC_PASSWORD_CHK));
    Drive::Type(Ctl(IDC_PASSWORD_TXT), "p@ss");
    EXPECT_EQ(Services.Settings["Password"], "p@ss");

    Drive::Choose(Ctl(IDC_TIMESTAMP_TXT), 2);
    EXPECT_EQ(Services.Settings["TimeStampURL"], Addresses::TimestampServers[2]);
    EXPECT_EQ(Drive::Text(Ctl(IDC_TIMESTAMP_TXT)), Addresses::TimestampServers[2]);
    Drive::TypeInCombo(Ctl(IDC_TIMESTAMP_TXT), "http://tsa.example/typed");
    EXPECT_EQ(Services.Settings["TimeStampURL"], "http://tsa.example/typed");

    Drive::Choose(Ctl(IDC_CERTDIGEST_CMB), 1);
    Drive::Choose(Ctl(IDC_TIMEDIGEST_CMB), 1);
    EXPECT_EQ(Services.Settings["CertDigest"], "1");
    EXPECT_EQ(Services.Settings["TimeStampDigest"], "1");

    // Unticking timestamping greys the server field only.
    Drive::Click(Ctl(IDC_TIMESTAMP_CHK));
    EXPECT_FALSE(IsWindowEnabled(Ctl(IDC_TIMESTAMP_TXT)));
    EXPECT_TRUE(IsWindowEnabled(Ctl(IDC_TIMEDIGEST_CMB)));
    Drive::Click(Ctl(IDC_TIMESTAMP_CHK));
    EXPECT_TRUE(IsWindowEnabled(Ctl(IDC_TIMESTAMP_TXT)));
}

TEST_F(MainWindowTest, TheSharedDialogAddsRowsAndRemembersTheLastFile) {
    Activate();
    Desktop.FileAnswers = {
        std::string("C:\\work\\a.exe"),         std::string("C:\\work\\a.exe"),  std::nullopt,
        std::string("C:\\tools\\signtool.exe"), std::string("C:\\keys\\me.pfx"), std::nullopt};
    Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::Click(Ctl(IDC_ADD_BTN)); // cancelled
    Drive::Click(Ctl(IDC_BROWSESIGN_BTN));
    Drive::Click(Ctl(IDC_BROWSECERT_BTN));
    Drive::Click(Ctl(IDC_ADD_BTN)); // cancelled

    EXPECT_EQ(Drive::Rows(Ctl(IDC_LST)),
              (std::vector<std::string>{"C:\\work\\a.exe", "C:\\work\\a.exe"}));
    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 1), ssPending);
    EXPECT_EQ(Drive::Text(Ctl(IDC_SIGNTOOL_TXT)), "C:\\tools\\signtool.exe");
    EXPECT_EQ(Services.Settings["SignTool"], "C:\\tools\\signtool.exe");

    ASSERT_EQ(Desktop.Dialogs.size(), 6u);
    const std::string AddFilter = Nuls("All Supported Files\0*.exe;*.dll;*.ocx;*.cpl;*.scr;\0"
                                       "Exe Files\0*.exe;\0Dll Files\0*.dll;\0"
                                       "ActiveX Files\0*.ocx;\0Control Panel Items\0*.cpl;\0"
                                       "Screen Savers\0*.scr;\0\0");
    EXPECT_EQ(Desktop.Dialogs[0].Filter, AddFilter);
    EXPECT_EQ(Desktop.Dialogs[3].Filter, Nuls("SignTool\0signtool.exe\0\0"));
    // One dialog: each use opens on the file chosen last, a cancel keeps it,
    // but a file its filter does not show is never offered: only its folder.
    EXPECT_EQ(Desktop.Dialogs[0].StartName, "");
    EXPECT_EQ(Desktop.Dialogs[1].StartName, "C:\\work\\a.exe");
    EXPECT_EQ(Desktop.Dialogs[3].StartName, "C:\\work\\");
    EXPECT_EQ(Desktop.Dialogs[4].StartName, "C:\\tools\\signtool.exe");
    EXPECT_EQ(Desktop.Dialogs[5].StartName, "C:\\keys\\");
}

TEST_F(MainWindowTest, RemoveDeletesTheSelectedRowsAndClearDeletesAll) {
    Activate();
    for (const char* Name : {"1.exe", "2.exe", "3.exe", "4.exe", "5.exe"})
        Desktop.FileAnswers.push_back(std::string(Name));
    for (int Index = 0; Index < 5; ++Index)
        Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::SelectRows(Ctl(IDC_LST), {0, 1, 3});
    Drive::Click(Ctl(IDC_REMOVE_BTN));
    EXPECT_EQ(Drive::Rows(Ctl(IDC_LST)), (std::vector<std::string>{"3.exe", "5.exe"}));
    Drive::Click(Ctl(IDC_IGNORE_BTN));
    EXPECT_TRUE(Drive::Rows(Ctl(IDC_LST)).empty());
}

TEST_F(MainWindowTest, EnterSignsTheListAndShowsStatusesPaneAndSummary) {
    Services.Settings["SignTool"] = "C:\\sdk\\signtool.exe";
    Services.Settings["Certificate"] = "C:\\keys\\cert.pfx";
    Services.ExistingFiles = {"C:\\sdk\\signtool.exe", "C:\\keys\\cert.pfx"};
    Services.Tool = [](const std::string& CommandLine, std::string& Output) {
        const bool Good = CommandLine.find("good.exe") != std::string::npos;
        Output += Good ? "Done Adding Additional Store\r\nSuccessfully signed: good.exe\r\n"
                       : "SignTool Error: An unexpected internal error has occurred.\r\n";
        return Good ? 0u : 1u;
    };
    Activate();
    Desktop.FileAnswers = {std::string("C:\\work\\good.exe"), std::string("C:\\work\\bad.dll")};
    Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::Click(Ctl(IDC_ADD_BTN));
    Desktop.Boxes.clear();

    SetFocus(Ctl(IDC_PASSWORD_TXT));
    Press(Ctl(IDC_PASSWORD_TXT), VK_RETURN);

    EXPECT_EQ(Services.CommandLines.size(), 2u);
    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 0), ssSigned);
    EXPECT_EQ(Drive::RowImage(Ctl(IDC_LST), 1), ssFailed);
    const std::string Pane = Drive::Text(Ctl(IDC_MEMO1));
    EXPECT_EQ(Pane.rfind(">> C:\\work\\good.exe\r\n", 0), 0u) << Pane;
    EXPECT_NE(Pane.find("Successfully signed: good.exe"), std::string::npos);
    EXPECT_NE(Pane.find(">> C:\\work\\bad.dll\r\n"), std::string::npos);
    ASSERT_EQ(Desktop.Boxes.size(), 1u);
    EXPECT_EQ(Desktop.Boxes[0].Text, "1 files signed\n\r0 warnings\n\r1 files failed");
    EXPECT_EQ(Desktop.Boxes[0].Caption, "Quorvel");
    EXPECT_EQ(Desktop.Boxes[0].Style, static_cast<UINT>(MB_OK));
    EXPECT_EQ(SendMessageA(Ctl(IDC_PB), PBM_GETRANGE, FALSE, 0), 1);
    EXPECT_EQ(SendMessageA(Ctl(IDC_PB), PBM_GETPOS, 0, 0), 0);
}

TEST_F(MainWindowTest, TabWalksTheControlsInDesignOrder) {
    Activate();
    SetFocus(Ctl(IDC_BROWSESIGN_BTN));
    Press(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), Ctl(IDC_TIMESTAMP_CHK));
    Press(GetFocus(), VK_TAB);
    // The editable drop-down takes the focus in its edit part.
    EXPECT_TRUE(GetFocus() == Ctl(IDC_TIMESTAMP_TXT) ||
                GetParent(GetFocus()) == Ctl(IDC_TIMESTAMP_TXT));
}

TEST_F(MainWindowTest, TheLogPaneKeepsALongBatchWhole) {
    // Far beyond an edit control's default limit of 32767 characters.
    const std::string Line(1000, 'x');
    for (int Index = 0; Index < 100; ++Index)
        App->MainWindow.AddLogText(Line);
    const std::string Pane = Drive::Text(Ctl(IDC_MEMO1));
    EXPECT_EQ(Pane.size(), 2 + 100 * (Line.size() + 2));
    App->MainWindow.AddLogText("");
    EXPECT_EQ(Drive::Text(Ctl(IDC_MEMO1)), Pane + "\r\n");
}

TEST_F(MainWindowTest, TheLogPaneShowsAToolOutputWithANulWholeAndTheNulVisibly) {
    const std::string Before = Drive::Text(Ctl(IDC_MEMO1));
    App->MainWindow.AddLogText(Nuls("Signing a.exe\0tail of the output\r\nlast line\0"));
    App->MainWindow.AddLogText("next");
    EXPECT_EQ(Drive::Text(Ctl(IDC_MEMO1)),
              Before + "Signing a.exe\\0tail of the output\r\nlast line\\0\r\nnext\r\n");
}

TEST_F(MainWindowTest, TheDownloadLabelFitsItsTextInItsOwnFont) {
    HWND Label = Ctl(IDC_DOWNLOADSDK_LBL);
    const RECT Place = Drive::PlaceInParent(Label);
    EXPECT_EQ(Place.left, 272);
    EXPECT_EQ(Place.top, 24);
    // What the label draws needs, in the font it draws with.
    RECT Needed{0, 0, 0, 0};
    {
        const HDC Dc = GetDC(Label);
        const HGDIOBJ Previous =
            SelectObject(Dc, reinterpret_cast<HGDIOBJ>(SendMessageA(Label, WM_GETFONT, 0, 0)));
        DrawTextA(Dc, "Download", -1, &Needed, DT_CALCRECT | DT_SINGLELINE);
        SelectObject(Dc, Previous);
        ReleaseDC(Label, Dc);
    }
    RECT Client{};
    GetClientRect(Label, &Client);
    EXPECT_GT(Needed.right, 0);
    EXPECT_GE(Client.right, Needed.right) << "the designed width was 48";
    EXPECT_GE(Client.bottom, Needed.bottom);
    // And no wider than that: it is a link, a click beside the word opens nothing.
    EXPECT_LE(Client.right, Needed.right + 2);
}

TEST_F(MainWindowTest, ShortcutsFollowTheMenuItem) {
    Activate();
    const int Before = Count("Check");
    PressCtrl('G');
    EXPECT_EQ(Count("Check"), Before + 1);
    // While a check runs the item is greyed, and its shortcut does nothing.
    App->MainWindow.SetCheckForUpdateEnabled(false);
    PressCtrl('G');
    EXPECT_EQ(Count("Check"), Before + 1);

    PressCtrl('L');
    EXPECT_EQ(Services.ShellOpenedLogs.size(), 1u);
}

TEST_F(MainWindowTest, AnEscapedErrorIsShownAndTheWindowLivesOn) {
    Activate();
    Services.FailAt = "WriteIntSetting CertDigest=1";
    Drive::Choose(Ctl(IDC_CERTDIGEST_CMB), 1);
    ASSERT_FALSE(Desktop.Boxes.empty());
    EXPECT_EQ(Desktop.Boxes.back().Caption, "Quorvel");
    EXPECT_EQ(Desktop.Boxes.back().Text, "Access is denied.");
    EXPECT_TRUE(Desktop.Boxes.back().Style & MB_ICONERROR);
    EXPECT_TRUE(IsWindow(Main()));
}

TEST_F(MainWindowTest, AFailedCloseKeepsTheWindowAndALaterCloseEndsTheLoop) {
    Activate();
    Services.FailAt = "SaveFileList";
    SendMessageA(Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(Main()));
    EXPECT_EQ(Desktop.Boxes.back().Text, "Access is denied.");

    Services.FailAt.clear();
    HWND Window = Main();
    SendMessageA(Window, WM_COMMAND, IDM_QUIT, 0);
    EXPECT_FALSE(IsWindow(Window));
    EXPECT_TRUE(App->MainWindow.Destroyed());
    EXPECT_EQ(Count("UpdateChecker released"), 1);
    MSG Quit{};
    EXPECT_TRUE(PeekMessageA(&Quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, PostedWorkRunsOnTheWindowThreadFromAnyThread) {
    IUiDispatcher& Dispatcher = App->MainWindow.Dispatcher();
    const DWORD UiThread = GetCurrentThreadId();
    std::atomic<int> Ran{0}, OffThread{0};
    std::vector<std::thread> Posters;
    for (int Thread = 0; Thread < 4; ++Thread)
        Posters.emplace_back([&] {
            for (int Item = 0; Item < 100; ++Item)
                Dispatcher.Post([&] {
                    ++Ran;
                    if (GetCurrentThreadId() != UiThread)
                        ++OffThread;
                });
        });
    for (std::thread& Poster : Posters)
        Poster.join();
    EXPECT_EQ(Ran, 0);
    Pump();
    EXPECT_EQ(Ran, 400);
    EXPECT_EQ(OffThread, 0);

    // What posted work throws reaches the error box, not the system.
    Dispatcher.Post([] { throw EOSError(5, "Posted failure"); });
    Pump();
    ASSERT_FALSE(Desktop.Boxes.empty());
    EXPECT_EQ(Desktop.Boxes.back().Text, "Posted failure");
}

TEST_F(MainWindowTest, AboutShowsModallyCentredOnTheMainWindow) {
    TAboutWindow& About = App->AboutWindow;
    HWND Dialog = About.Handle();
    RECT Client{};
    GetClientRect(Dialog, &Client);
    EXPECT_EQ(Client.right, 389);
    EXPECT_EQ(Client.bottom, 285);
    const LONG_PTR Style = StyleOf(Dialog);
    EXPECT_TRUE(Style & WS_SYSMENU);
    EXPECT_TRUE(Style & WS_MINIMIZEBOX);
    EXPECT_FALSE(Style & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_FALSE(IsWindowVisible(Dialog));

    struct TPlace {
        int Id, Left, Top, Width, Height;
    };
    const TPlace Places[] = {
        {IDC_IMAGE1, 0, 0, 388, 96},
        {IDC_ALL_GRP, 1, 97, 384, 184},
        {IDC_APPLICATION_GRP, 6, 109, 249, 53},
        {IDC_TANDREL_GRP, 261, 109, 113, 117},
        {IDC_EMAIL_BTN, 269, 125, 97, 28},
        {IDC_WEB_BTN, 269, 157, 97, 28},
        {IDC_FORUM_BTN, 269, 189, 97, 28},
        {IDC_OK_BTN, 275, 236, 81, 33},
    };
    for (const TPlace& Want : Places) {
        const RECT Got = Drive::PlaceInParent(About.Control(Want.Id));
        EXPECT_EQ(Got.left, Want.Left) << Want.Id;
        EXPECT_EQ(Got.top, Want.Top) << Want.Id;
        EXPECT_EQ(Got.right - Got.left, Want.Width) << Want.Id;
        EXPECT_EQ(Got.bottom - Got.top, Want.Height) << Want.Id;
    }

    // Seen from inside the modal loop: shown, centred, the owner disabled.
    struct TSeen {
        bool Visible = false, OwnerEnabled = true;
        POINT Centre{}, OwnerCentre{};
    } Seen;
    ASSERT_TRUE(Drive::OnNextLoop([&] {
        HWND Owner = GetWindow(Dialog, GW_OWNER);
        RECT Own{}, OwnerRect{};
        GetWindowRect(Dialog, &Own);
        GetWindowRect(Owner, &OwnerRect);
        Seen.Visible = IsWindowVisible(Dialog);
        Seen.OwnerEnabled = IsWindowEnabled(Owner);
        Seen.Centre = {(Own.left + Own.right) / 2, (Own.top + Own.bottom) / 2};
        Seen.OwnerCentre = {(OwnerRect.left + OwnerRect.right) / 2,
                            (OwnerRect.top + OwnerRect.bottom) / 2};
        Drive::Click(About.Control(IDC_EMAIL_BTN));
        Drive::Click(About.Control(IDC_OK_BTN));
    }));
    SendMessageA(Main(), WM_COMMAND, IDM_ABOUT, 0);

    EXPECT_TRUE(Seen.Visible);
    EXPECT_FALSE(Seen.OwnerEnabled);
    EXPECT_LE(std::abs(Seen.Centre.x - Seen.OwnerCentre.x), 1);
    EXPECT_LE(std::abs(Seen.Centre.y - Seen.OwnerCentre.y), 1);
    EXPECT_FALSE(IsWindowVisible(Dialog));
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_EQ(Drive::Text(Dialog), "About Quorvel");
    EXPECT_EQ(Drive::Text(About.Control(IDC_APPNAME_LBL)), "Application Name : Quorvel");
    EXPECT_EQ(Drive::Text(About.Control(IDC_VERSION_LBL)), "Version : 2.1.1.20");
    ASSERT_EQ(Desktop.Opened.size(), 1u);
    EXPECT_EQ(Desktop.Opened[0].rfind("mailto:", 0), 0u);
}

// Pictures for the build's artefacts and the README, when a folder is named.
TEST_F(MainWindowTest, Screenshots) {
    const char* Folder = std::getenv("QUORVEL_SCREENSHOT_DIR");
    if (!Folder)
        GTEST_SKIP() << "QUORVEL_SCREENSHOT_DIR not set";
    Services.Settings["SignTool"] = "C:\\Program Files\\Windows Kits\\10\\bin\\x64\\signtool.exe";
    Services.Settings["Certificate"] = "C:\\Keys\\Tandrel code signing.pfx";
    Services.Settings["Password"] = "secret";
    Services.ExistingFiles = {Services.Settings["SignTool"], Services.Settings["Certificate"]};
    Services.Tool = [](const std::string& CommandLine, std::string& Output) {
        const bool Good = CommandLine.find("Legacy") == std::string::npos;
        Output += Good ? "Done Adding Additional Store\r\nSuccessfully signed: file\r\n"
                       : "SignTool Error: No certificates were found that met all the given "
                         "criteria.\r\n";
        return Good ? 0u : 1u;
    };
    Activate();
    for (const char* Name : {"C:\\Build\\Release\\Quorvel.exe", "C:\\Build\\Release\\Core.dll",
                             "C:\\Build\\Release\\Legacy.ocx", "C:\\Build\\Release\\Panel.cpl"})
        Desktop.FileAnswers.push_back(std::string(Name));
    for (int Index = 0; Index < 4; ++Index)
        Drive::Click(Ctl(IDC_ADD_BTN));
    Drive::Click(Ctl(IDC_SIGN_BTN));
    RedrawWindow(Main(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    SaveWindowPicture(Main(), std::string(Folder) + "/main-window.png");

    const std::string AboutPath = std::string(Folder) + "/about-window.png";
    TAboutWindow& About = App->AboutWindow;
    ASSERT_TRUE(Drive::OnNextLoop([&] {
        RedrawWindow(About.Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        SaveWindowPicture(About.Handle(), AboutPath);
        Drive::Click(About.Control(IDC_OK_BTN));
    }));
    SendMessageA(Main(), WM_COMMAND, IDM_ABOUT, 0);
}

TEST(DialogFilterTest, BarsBecomeTheDialogsNulSeparatedPairs) {
    const struct {
        std::string Bars, Dialog;
    } Cases[] = {
        {"SignTool|signtool.exe", Nuls("SignTool\0signtool.exe\0\0")},
        {"X.509 Certificate|*.*", Nuls("X.509 Certificate\0*.*\0\0")},
        {"A|*.a;*.b;|B|*.c;", Nuls("A\0*.a;*.b;\0B\0*.c;\0\0")},
    };
    for (const auto& Case : Cases)
        EXPECT_EQ(ToDialogFilter(Case.Bars), Case.Dialog) << Case.Bars;
}

} // namespace
