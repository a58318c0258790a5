#include "ui/win32/MainWindow.h"

#include "AppInfo.h"
#include "core/Addresses.h"
#include "core/QuorvelErrors.h"
#include "ui/OpenDialogStart.h"
#include "ui/U_MainDlg.h"
#include "ui/U_TaskBarProgressUnit.h"
#include "ui/win32/MainLayout.h"
#include "ui/win32/ResourceIds.h"
#include "ui/win32/UiFont.h"

#include <commctrl.h>

#include <vector>

namespace {

constexpr const char* ClassName = "QuorvelMainWindow";
// Posted on the first activation, so that the start-up sequence runs from the
// message loop rather than inside the activation message.
constexpr UINT WM_START_UP = WM_APP + 10;

// A change that the controller makes is not a user event.
class TSettingScope {
public:
    explicit TSettingScope(int& Depth) : Depth(Depth) { ++Depth; }
    ~TSettingScope() { --Depth; }
    TSettingScope(const TSettingScope&) = delete;
    TSettingScope& operator=(const TSettingScope&) = delete;

private:
    int& Depth;
};

std::string WindowText(HWND Control) {
    const int Length = GetWindowTextLengthA(Control);
    std::string Text(static_cast<std::size_t>(Length) + 1, '\0');
    const int Copied = GetWindowTextA(Control, Text.data(), Length + 1);
    Text.resize(static_cast<std::size_t>(Copied > 0 ? Copied : 0));
    return Text;
}

// The edit control ends its text at a NUL, so a tool's output would be cut
// there. "\\0" is the same two characters in every ANSI code page, where a
// middle dot or the like is another character (or a lead byte) in some.
std::string ShowNuls(const std::string& Text) {
    std::string Shown;
    Shown.reserve(Text.size());
    for (const char C : Text) {
        if (C == '\0')
            Shown += "\\0";
        else
            Shown += C;
    }
    return Shown;
}

// The label takes its text's size in its own font, at its designed place: a
// designed width cuts the text short where the installed font is wider.
void FitLabelToText(HWND Label) {
    const std::string Text = WindowText(Label);
    SIZE Extent{};
    {
        Win32::TWindowDc Dc(Label);
        Win32::TSelection Font(Dc.get(),
                               reinterpret_cast<HGDIOBJ>(SendMessageA(Label, WM_GETFONT, 0, 0)));
        if (!GetTextExtentPoint32A(Dc.get(), Text.c_str(), static_cast<int>(Text.size()), &Extent))
            return;
    }
    SetWindowPos(Label, nullptr, 0, 0, Extent.cx, Extent.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON LoadIconResource(HINSTANCE Instance, int Id, int Size) {
    return static_cast<HICON>(
        LoadImageA(Instance, MAKEINTRESOURCEA(Id), IMAGE_ICON, Size, Size, LR_DEFAULTCOLOR));
}

Win32::TImageList IconList(HINSTANCE Instance, int Size, std::initializer_list<int> Ids) {
    Win32::TImageList List(
        ImageList_Create(Size, Size, ILC_COLOR32 | ILC_MASK, static_cast<int>(Ids.size()), 0));
    if (!List)
        RaiseLastOSError();
    for (int Id : Ids) {
        Win32::TIcon Icon(LoadIconResource(Instance, Id, Size));
        ImageList_AddIcon(List.get(), Icon.get());
    }
    return List;
}

} // namespace

TMainWindow::TMainWindow(HINSTANCE Instance, IWin32Desktop& Desktop) : Desktop(Desktop) {
    RegisterWindowClass(Instance, ClassName, CS_DBLCLKS);
    Font = CreateUiFont();
    LinkFont = CreateUiFont(true);
    CreateImageLists(Instance);
    Accelerators.reset(LoadAcceleratorsA(Instance, MAKEINTRESOURCEA(IDR_ACCELERATORS)));

    // The design fixes the client area; the outer size follows from the
    // frame, the caption and the menu bar of this system.
    HMENU Menu = LoadMenuA(Instance, MAKEINTRESOURCEA(IDR_MAINMENU));
    const DWORD Style = WS_OVERLAPPEDWINDOW;
    RECT Outer{0, 0, MainLayout::ClientWidth, MainLayout::ClientHeight};
    AdjustWindowRectEx(&Outer, Style, TRUE, 0);
    Window.reset(CreateWindowExA(0, ClassName, AppInfo::Title, Style, MainLayout::Left,
                                 MainLayout::Top, Outer.right - Outer.left,
                                 Outer.bottom - Outer.top, nullptr, Menu, Instance, nullptr));
    if (!Window) {
        const DWORD Code = GetLastError();
        DestroyMenu(Menu);
        RaiseOSError(Code);
    }
    WindowIcon.reset(LoadIconResource(Instance, IDI_QUORVEL, GetSystemMetrics(SM_CXICON)));
    WindowIconSmall.reset(LoadIconResource(Instance, IDI_QUORVEL, GetSystemMetrics(SM_CXSMICON)));
    SendMessageA(Window.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(WindowIcon.get()));
    SendMessageA(Window.get(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(WindowIconSmall.get()));

    CreateControls();
    FillLists();
    PostedWork = std::make_unique<TWindowDispatcher>(
        [this](std::exception_ptr Error) { ReportError(Error); });
    // Only a finished object handles messages: should a step above fail, the
    // window is destroyed with the default procedure alone, and no quit
    // request is posted for it.
    SetWindowLongPtrA(Window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(Window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

TMainWindow::~TMainWindow() {
    // Work posted for a controller that is gone must not run.
    PostedWork.reset();
    Controller = nullptr;
    if (Window)
        SetWindowLongPtrA(Window.get(), GWLP_USERDATA, 0);
}

void TMainWindow::Attach(TMainDlg* NewController) {
    Controller = NewController;
}

void TMainWindow::SetAboutAction(std::function<void()> Action) {
    ShowAboutModal = std::move(Action);
}

void TMainWindow::CreateImageLists(HINSTANCE Instance) {
    ImageList1 = IconList(Instance, 32,
                          {IDI_HOURGLASS, IDI_GEARWINDOW, IDI_CERTIFICATE, IDI_KEYS, IDI_EXEFILE});
    // Index 2 has no use; the blank keeps the design's numbering.
    btnlst = IconList(Instance, 16, {IDI_CROSS, IDI_PLUS, IDI_BLANK, IDI_PROHIBITED});
    status_imglst = IconList(Instance, 16, {IDI_BLANK, IDI_SIGNED, IDI_FAILED});
    RemoveIcon.reset(ImageList_GetIcon(btnlst.get(), 0, ILD_TRANSPARENT));
    AddIcon.reset(ImageList_GetIcon(btnlst.get(), 1, ILD_TRANSPARENT));
    ClearIcon.reset(ImageList_GetIcon(btnlst.get(), 3, ILD_TRANSPARENT));
    SignIcon.reset(ImageList_GetIcon(ImageList1.get(), 2, ILD_TRANSPARENT));
}

void TMainWindow::CreateControls() {
    CreateDesignedControls(Window.get(), MainLayout::Controls(), Font.get());
    SendMessageA(Control(IDC_DOWNLOADSDK_LBL), WM_SETFONT, reinterpret_cast<WPARAM>(LinkFont.get()),
                 FALSE);
    FitLabelToText(Control(IDC_DOWNLOADSDK_LBL));
    // Common controls 6 draw a bullet unless told otherwise.
    SendMessageA(Control(IDC_PASSWORD_TXT), EM_SETPASSWORDCHAR, '*', 0);
    // A long batch writes far more than the edit control's default limit.
    SendMessageA(Control(IDC_MEMO1), EM_SETLIMITTEXT, 0, 0);
    SendMessageA(Control(IDC_TIMESTAMP_CHK), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(Control(IDC_PB), PBM_SETRANGE32, 0, 100);

    const std::pair<int, HICON> Pictures[] = {{IDC_ADD_BTN, AddIcon.get()},
                                              {IDC_REMOVE_BTN, RemoveIcon.get()},
                                              {IDC_IGNORE_BTN, ClearIcon.get()},
                                              {IDC_SIGN_BTN, SignIcon.get()}};
    for (const auto& [Id, Icon] : Pictures)
        SendMessageA(Control(Id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(Icon));

    HWND List = Control(IDC_LST);
    ListView_SetExtendedListViewStyle(List, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT |
                                                LVS_EX_DOUBLEBUFFER);
    ListView_SetImageList(List, status_imglst.get(), LVSIL_SMALL);
    LVCOLUMNA Column{};
    Column.mask = LVCF_TEXT | LVCF_WIDTH;
    Column.pszText = const_cast<char*>("Path");
    Column.cx = 100;
    SendMessageA(List, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&Column));
    FitPathColumn();
}

void TMainWindow::FillLists() {
    // The log pane starts with one empty line.
    SetWindowTextA(Control(IDC_MEMO1), "\r\n");
    for (const char* Server : Addresses::TimestampServers)
        SendMessageA(Control(IDC_TIMESTAMP_TXT), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Server));
    for (int Id : {IDC_TIMEDIGEST_CMB, IDC_CERTDIGEST_CMB}) {
        for (const char* Digest : {"SHA256", "SHA1"})
            SendMessageA(Control(Id), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Digest));
        SendMessageA(Control(Id), CB_SETCURSEL, 0, 0);
    }
}

void TMainWindow::FitPathColumn() {
    RECT Client{};
    GetClientRect(Control(IDC_LST), &Client);
    ListView_SetColumnWidth(Control(IDC_LST), 0, Client.right - Client.left);
}

bool TMainWindow::TranslateKeys(MSG& Message) {
    if (!Window)
        return false;
    if (Accelerators && TranslateAcceleratorA(Window.get(), Accelerators.get(), &Message))
        return true;
    return IsDialogMessageA(Window.get(), &Message) != FALSE;
}

// --- events -------------------------------------------------------------------

void TMainWindow::Forward(void (TMainDlg::*Handler)()) {
    if (Controller && Setting == 0)
        Controller->Guard([this, Handler] { (Controller->*Handler)(); });
}

void TMainWindow::ReportError(std::exception_ptr Error) {
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& E) {
        if (Controller)
            Controller->HandleException(E);
        else
            Desktop.ShowMessageBox(Window.get(), E.what(), AppInfo::Title, MB_OK | MB_ICONERROR);
    } catch (...) {
        Desktop.ShowMessageBox(Window.get(), "Unknown error", AppInfo::Title, MB_OK | MB_ICONERROR);
    }
}

LRESULT CALLBACK TMainWindow::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    auto* Self = reinterpret_cast<TMainWindow*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!Self)
        return DefWindowProcA(Window, Message, WParam, LParam);
    // Nothing may unwind through the system's frames.
    try {
        return Self->HandleMessage(Message, WParam, LParam);
    } catch (...) {
        Self->ReportError(std::current_exception());
        return 0;
    }
}

LRESULT TMainWindow::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
    HWND Self = Window.get();
    switch (Message) {
    case WM_COMMAND:
        OnCommand(LOWORD(WParam), HIWORD(WParam));
        return 0;
    case WM_NOTIFY: {
        const auto* Header = reinterpret_cast<const NMHDR*>(LParam);
        if (Header->idFrom == IDC_LST && Header->code == NM_DBLCLK)
            Forward(&TMainDlg::lstDblClick);
        return 0;
    }
    case WM_ACTIVATEAPP:
        if (WParam && !ActivationSeen) {
            ActivationSeen = true;
            PostMessageA(Self, WM_START_UP, 0, 0);
        }
        return 0;
    case WM_START_UP:
        Forward(&TMainDlg::AppEvtActivate);
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDC_SIGN_BTN, DC_HASDEFID);
    case WM_SIZE:
        OnSize(LOWORD(LParam), HIWORD(LParam));
        return 0;
    case WM_DRAWITEM:
        DrawFlatButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(LParam));
        return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HWND Control = reinterpret_cast<HWND>(LParam);
        HDC Dc = reinterpret_cast<HDC>(WParam);
        const int Id = GetDlgCtrlID(Control);
        if (Id == IDC_DOWNLOADSDK_LBL) {
            SetTextColor(Dc, RGB(0, 0, 255));
            SetBkMode(Dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        // Text fields and the log pane stay white, read-only or not.
        if (Id == IDC_SIGNTOOL_TXT || Id == IDC_CERTIFPATH_TXT || Id == IDC_PASSWORD_TXT ||
            Id == IDC_MEMO1) {
            SetBkColor(Dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(Dc, GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(WParam) == Control(IDC_DOWNLOADSDK_LBL)) {
            SetCursor(LoadCursor(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // FormClose shows its own error and answers false to stay open.
        if (!Controller || Controller->FormClose())
            DestroyWindow(Self);
        return 0;
    case WM_DESTROY:
        if (Controller)
            Controller->FormDestroy();
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        // The handle is gone; nothing is left to release.
        SetWindowLongPtrA(Self, GWLP_USERDATA, 0);
        static_cast<void>(Window.release());
        return DefWindowProcA(Self, Message, WParam, LParam);
    }
    return DefWindowProcA(Self, Message, WParam, LParam);
}

void TMainWindow::OnCommand(int Id, int Code) {
    switch (Id) {
    case IDC_BROWSESIGN_BTN:
        return Forward(&TMainDlg::browsesign_btnClick);
    case IDC_BROWSECERT_BTN:
        return Forward(&TMainDlg::browsecert_btnClick);
    case IDC_DOWNLOADSDK_LBL:
        if (Code == STN_CLICKED)
            Forward(&TMainDlg::downloadSDK_lblClick);
        return;
    case IDC_TIMESTAMP_CHK:
        if (Code == BN_CLICKED)
            Forward(&TMainDlg::timestamp_chkClick);
        return;
    case IDC_TIMESTAMP_TXT:
        if (Code == CBN_SELCHANGE) {
            // The edit part shows the chosen entry only after this
            // notification; the handler must see it already.
            HWND Combo = Control(IDC_TIMESTAMP_TXT);
            const LRESULT Index = SendMessageA(Combo, CB_GETCURSEL, 0, 0);
            if (Index != CB_ERR) {
                std::string Text(
                    static_cast<std::size_t>(SendMessageA(Combo, CB_GETLBTEXTLEN, Index, 0)) + 1,
                    '\0');
                const LRESULT Length =
                    SendMessageA(Combo, CB_GETLBTEXT, Index, reinterpret_cast<LPARAM>(Text.data()));
                Text.resize(Length > 0 ? static_cast<std::size_t>(Length) : 0);
                TSettingScope Quiet(Setting);
                SetWindowTextA(Combo, Text.c_str());
            }
            Forward(&TMainDlg::timestamp_txtChange);
        } else if (Code == CBN_EDITCHANGE) {
            Forward(&TMainDlg::timestamp_txtChange);
        }
        return;
    case IDC_TIMEDIGEST_CMB:
        if (Code == CBN_SELCHANGE)
            Forward(&TMainDlg::timeDigest_cmbChange);
        return;
    case IDC_CERTDIGEST_CMB:
        if (Code == CBN_SELCHANGE)
            Forward(&TMainDlg::certDigest_cmbChange);
        return;
    case IDC_PASSWORD_TXT:
        if (Code == EN_CHANGE)
            Forward(&TMainDlg::password_txtChange);
        return;
    case IDC_PASSWORD_CHK:
        if (Code == BN_CLICKED)
            Forward(&TMainDlg::password_chkClick);
        return;
    case IDC_ADD_BTN:
        return Forward(&TMainDlg::add_btnClick);
    case IDC_REMOVE_BTN:
        return Forward(&TMainDlg::remove_btnClick);
    case IDC_IGNORE_BTN:
        return Forward(&TMainDlg::ignore_btnClick);
    case IDC_CLEARLOG_BTN:
        return Forward(&TMainDlg::Clearlog_btnClick);
    case IDC_SIGN_BTN:
    case IDOK: // Enter, when no button has the focus
        return Forward(&TMainDlg::sign_btnClick);
    case IDM_QUIT:
        return Forward(&TMainDlg::Quit1Click);
    case IDM_OPENLOG:
        return Forward(&TMainDlg::OpenLog1Click);
    case IDM_CHECKFORUPDATE:
        // A disabled item's shortcut must not start a check either.
        if (GetMenuState(GetMenu(Window.get()), IDM_CHECKFORUPDATE, MF_BYCOMMAND) & MF_GRAYED)
            return;
        return Forward(&TMainDlg::Checkforupdate1Click);
    case IDM_ABOUT:
        return Forward(&TMainDlg::About1Click);
    case IDM_BUGREPORT:
        return Forward(&TMainDlg::BugreportFeaturerequestKnownissues1Click);
    case IDM_CHANGELOG:
        return Forward(&TMainDlg::ChangeLog1Click);
    }
}

void TMainWindow::OnSize(int Width, int Height) {
    // Only the "Sign" button and the progress bar follow the window's size.
    const int Grow = Width - MainLayout::ClientWidth;
    const int Drop = Height - MainLayout::ClientHeight;
    const RECT Sign = MainLayout::DesignRect(IDC_SIGN_BTN);
    const RECT Bar = MainLayout::DesignRect(IDC_PB);
    SetWindowPos(Control(IDC_SIGN_BTN), nullptr, Sign.left, Sign.top + Drop, 0, 0,
                 SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Control(IDC_PB), nullptr, Bar.left, Bar.top + Drop,
                 std::max(0, static_cast<int>(Bar.right - Bar.left) + Grow), Bar.bottom - Bar.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainWindow::DrawFlatButton(const DRAWITEMSTRUCT& Item) {
    FillRect(Item.hDC, &Item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    const int Picture = MainLayout::FlatButtonPicture(static_cast<int>(Item.CtlID));
    if (Picture < 0)
        return;
    const int X = (Item.rcItem.right - Item.rcItem.left - 32) / 2;
    const int Y = (Item.rcItem.bottom - Item.rcItem.top - 32) / 2;
    ImageList_Draw(ImageList1.get(), Picture, Item.hDC, X, Y, ILD_TRANSPARENT);
}

// --- IMsgBoxPort and IMainView --------------------------------------------------

int TMainWindow::ShowMessageBox(const std::string& Text, const std::string& Caption,
                                std::uint32_t Style) {
    return Desktop.ShowMessageBox(Window.get(), Text, Caption, Style);
}

void TMainWindow::SetCaption(const std::string& Caption) {
    SetWindowTextA(Window.get(), Caption.c_str());
}

HWND TMainWindow::FieldControl(TMainField Field) const {
    switch (Field) {
    case TMainField::signtool_txt:
        return Control(IDC_SIGNTOOL_TXT);
    case TMainField::certifpath_txt:
        return Control(IDC_CERTIFPATH_TXT);
    case TMainField::password_txt:
        return Control(IDC_PASSWORD_TXT);
    case TMainField::timestamp_txt:
        return Control(IDC_TIMESTAMP_TXT);
    }
    return nullptr;
}

std::string TMainWindow::FieldText(TMainField Field) const {
    return WindowText(FieldControl(Field));
}

void TMainWindow::SetFieldText(TMainField Field, const std::string& Text) {
    TSettingScope Quiet(Setting);
    SetWindowTextA(FieldControl(Field), Text.c_str());
}

void TMainWindow::SetFieldEnabled(TMainField Field, bool Enabled) {
    EnableWindow(FieldControl(Field), Enabled ? TRUE : FALSE);
}

bool TMainWindow::Checked(TMainCheck Box) const {
    const int Id = Box == TMainCheck::timestamp_chk ? IDC_TIMESTAMP_CHK : IDC_PASSWORD_CHK;
    return SendMessageA(Control(Id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TMainWindow::SetChecked(TMainCheck Box, bool IsChecked) {
    const int Id = Box == TMainCheck::timestamp_chk ? IDC_TIMESTAMP_CHK : IDC_PASSWORD_CHK;
    TSettingScope Quiet(Setting);
    SendMessageA(Control(Id), BM_SETCHECK, IsChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TMainWindow::DigestIndex(TMainDigestList List) const {
    const int Id =
        List == TMainDigestList::timeDigest_cmb ? IDC_TIMEDIGEST_CMB : IDC_CERTDIGEST_CMB;
    const LRESULT Index = SendMessageA(Control(Id), CB_GETCURSEL, 0, 0);
    return Index == CB_ERR ? -1 : static_cast<int>(Index);
}

void TMainWindow::SetDigestIndex(TMainDigestList List, int Index) {
    const int Id =
        List == TMainDigestList::timeDigest_cmb ? IDC_TIMEDIGEST_CMB : IDC_CERTDIGEST_CMB;
    TSettingScope Quiet(Setting);
    // CB_SETCURSEL with an index outside the list clears the selection.
    SendMessageA(Control(Id), CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
}

void TMainWindow::SetDownloadLinkVisible(bool Visible) {
    ShowWindow(Control(IDC_DOWNLOADSDK_LBL), Visible ? SW_SHOWNA : SW_HIDE);
}

int TMainWindow::RowCount() const {
    return static_cast<int>(ListView_GetItemCount(Control(IDC_LST)));
}

void TMainWindow::AddRow(const std::string& Caption, TSignStatus Status) {
    LVITEMA Item{};
    Item.mask = LVIF_TEXT | LVIF_IMAGE;
    Item.iItem = RowCount();
    Item.pszText = const_cast<char*>(Caption.c_str());
    Item.iImage = static_cast<int>(Status);
    TSettingScope Quiet(Setting);
    if (SendMessageA(Control(IDC_LST), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&Item)) < 0)
        RaiseLastOSError();
    FitPathColumn();
}

void TMainWindow::DeleteRow(int Index) {
    TSettingScope Quiet(Setting);
    ListView_DeleteItem(Control(IDC_LST), Index);
    FitPathColumn();
}

void TMainWindow::DeleteAllRows() {
    TSettingScope Quiet(Setting);
    ListView_DeleteAllItems(Control(IDC_LST));
    FitPathColumn();
}

std::string TMainWindow::RowCaption(int Index) const {
    // Paths may be long; ask again with more room until the text fits.
    for (std::size_t Room = 1024;; Room *= 4) {
        std::vector<char> Buffer(Room, '\0');
        LVITEMA Item{};
        Item.iSubItem = 0;
        Item.pszText = Buffer.data();
        Item.cchTextMax = static_cast<int>(Room);
        const LRESULT Length =
            SendMessageA(Control(IDC_LST), LVM_GETITEMTEXTA, static_cast<WPARAM>(Index),
                         reinterpret_cast<LPARAM>(&Item));
        if (static_cast<std::size_t>(Length) + 1 < Room || Room >= 65536)
            return std::string(Buffer.data(), static_cast<std::size_t>(Length));
    }
}

bool TMainWindow::RowSelected(int Index) const {
    return ListView_GetItemState(Control(IDC_LST), Index, LVIS_SELECTED) != 0;
}

void TMainWindow::SetRowStatus(int Index, TSignStatus Status) {
    LVITEMA Item{};
    Item.mask = LVIF_IMAGE;
    Item.iItem = Index;
    Item.iImage = static_cast<int>(Status);
    SendMessageA(Control(IDC_LST), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&Item));
}

void TMainWindow::ScrollRowIntoView(int Index) {
    ListView_EnsureVisible(Control(IDC_LST), Index, TRUE);
}

void TMainWindow::RedrawList() {
    UpdateWindow(Control(IDC_LST));
}

void TMainWindow::AddLogText(const std::string& Text) {
    // Like a memo's added line: starts on a line of its own, ends with a break.
    HWND Memo = Control(IDC_MEMO1);
    const int Length = GetWindowTextLengthA(Memo);
    std::string Addition;
    if (Length > 0) {
        const std::string Current = WindowText(Memo);
        if (Current.size() < 2 || Current.compare(Current.size() - 2, 2, "\r\n") != 0)
            Addition = "\r\n";
    }
    Addition += ShowNuls(Text);
    Addition += "\r\n";
    TSettingScope Quiet(Setting);
    SendMessageA(Memo, EM_SETSEL, static_cast<WPARAM>(Length), static_cast<LPARAM>(Length));
    SendMessageA(Memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Addition.c_str()));
}

void TMainWindow::ClearLog() {
    TSettingScope Quiet(Setting);
    SetWindowTextA(Control(IDC_MEMO1), "");
}

void TMainWindow::RedrawLog() {
    UpdateWindow(Control(IDC_MEMO1));
}

void TMainWindow::SetProgressBarMax(int Max) {
    SendMessageA(Control(IDC_PB), PBM_SETRANGE32, 0, Max);
}

void TMainWindow::SetProgressBarPosition(int Position) {
    SendMessageA(Control(IDC_PB), PBM_SETPOS, static_cast<WPARAM>(Position), 0);
    // The batch keeps the thread busy; the bar shows its progress at once.
    UpdateWindow(Control(IDC_PB));
}

void TMainWindow::SetCheckForUpdateEnabled(bool Enabled) {
    EnableMenuItem(GetMenu(Window.get()), IDM_CHECKFORUPDATE,
                   MF_BYCOMMAND | (Enabled ? MF_ENABLED : MF_GRAYED));
}

std::optional<std::string> TMainWindow::ExecuteOpenDialog(const std::string& Filter) {
    std::string FileName = OpenDialogStartName(LastOpenFileName, Filter);
    if (!Desktop.OpenFile(Window.get(), ToDialogFilter(Filter), FileName))
        return std::nullopt;
    LastOpenFileName = FileName;
    return FileName;
}

void TMainWindow::ShowMessage(const std::string& Text) {
    Desktop.ShowMessageBox(Window.get(), Text, AppInfo::Title, MB_OK);
}

void TMainWindow::OpenAddress(const std::string& Address) {
    Desktop.OpenAddress(Window.get(), Address);
}

void TMainWindow::OpenAddressEx(const std::string& Address) {
    Desktop.OpenAddressEx(Address);
}

void TMainWindow::ShowAbout() {
    if (ShowAboutModal)
        ShowAboutModal();
}

void TMainWindow::CloseWindow() {
    SendMessageA(Window.get(), WM_CLOSE, 0, 0);
}

IUiDispatcher& TMainWindow::Dispatcher() {
    return *PostedWork;
}

std::unique_ptr<ITaskbarPort> TMainWindow::CreateTaskbarPort() {
    return CreateWin32TaskbarPort(Window.get());
}
