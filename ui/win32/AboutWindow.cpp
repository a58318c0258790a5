#include "ui/win32/AboutWindow.h"

#include "AppInfo.h"
#include "core/QuorvelErrors.h"
#include "ui/win32/AboutLayout.h"
#include "ui/win32/ResourceIds.h"
#include "ui/win32/UiFont.h"

namespace {
constexpr const char* ClassName = "QuorvelAboutWindow";
} // namespace

TAboutWindow::TAboutWindow(HINSTANCE Instance, HWND Owner, IWin32Desktop& Desktop)
    : Owner(Owner), Desktop(Desktop) {
    RegisterWindowClass(Instance, ClassName);
    Font = CreateUiFont();
    Banner.reset(static_cast<HBITMAP>(
        LoadImageA(Instance, MAKEINTRESOURCEA(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    Icon.reset(static_cast<HICON>(LoadImageA(Instance, MAKEINTRESOURCEA(IDI_QUORVEL), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
    RECT Outer{0, 0, AboutLayout::ClientWidth, AboutLayout::ClientHeight};
    AdjustWindowRectEx(&Outer, AboutLayout::WindowStyle, FALSE, AboutLayout::WindowExStyle);
    Window.reset(CreateWindowExA(AboutLayout::WindowExStyle, ClassName, "About",
                                 AboutLayout::WindowStyle, 0, 0, Outer.right - Outer.left,
                                 Outer.bottom - Outer.top, Owner, nullptr, Instance, nullptr));
    if (!Window)
        RaiseLastOSError();
    SendMessageA(Window.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon.get()));
    CreateDesignedControls(Window.get(), AboutLayout::Controls(), Font.get());
    SendMessageA(Control(IDC_IMAGE1), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(Banner.get()));
    // Only a finished object handles messages: should a step above fail, the
    // window is destroyed with the default procedure alone.
    SetWindowLongPtrA(Window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(Window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
}

TAboutWindow::~TAboutWindow() {
    Controller = nullptr;
    if (Window)
        SetWindowLongPtrA(Window.get(), GWLP_USERDATA, 0);
}

void TAboutWindow::Attach(TAboutDlg* NewController) {
    Controller = NewController;
}

void TAboutWindow::SetCaption(const std::string& Caption) {
    SetWindowTextA(Window.get(), Caption.c_str());
}

void TAboutWindow::SetAppNameText(const std::string& Text) {
    SetWindowTextA(Control(IDC_APPNAME_LBL), Text.c_str());
}

void TAboutWindow::SetVersionText(const std::string& Text) {
    SetWindowTextA(Control(IDC_VERSION_LBL), Text.c_str());
}

void TAboutWindow::OpenAddress(const std::string& Address) {
    Desktop.OpenAddress(Window.get(), Address);
}

bool TAboutWindow::ShowModal() {
    if (Modal)
        return false;
    // Centred on the owner, kept on screen.
    RECT OwnerRect{}, Own{};
    GetWindowRect(Owner, &OwnerRect);
    GetWindowRect(Window.get(), &Own);
    const int Width = Own.right - Own.left, Height = Own.bottom - Own.top;
    int Left = OwnerRect.left + (OwnerRect.right - OwnerRect.left - Width) / 2;
    int Top = OwnerRect.top + (OwnerRect.bottom - OwnerRect.top - Height) / 2;
    Left = std::max(Left, 0);
    Top = std::max(Top, 0);
    SetWindowPos(Window.get(), nullptr, Left, Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    Modal = true;
    ClosedWithOk = false;
    const bool OwnerWasEnabled = Owner && !EnableWindow(Owner, FALSE);
    ShowWindow(Window.get(), SW_SHOWNORMAL);
    SetFocus(Control(IDC_OK_BTN));
    MSG Message;
    while (Modal) {
        const BOOL Got = GetMessageA(&Message, nullptr, 0, 0);
        if (Got <= 0) {
            // The program is ending: hand the quit request on to the main loop.
            PostQuitMessage(static_cast<int>(Message.wParam));
            Modal = false;
            break;
        }
        if (IsDialogMessageA(Window.get(), &Message))
            continue;
        TranslateMessage(&Message);
        DispatchMessageA(&Message);
    }
    // The owner is enabled before this window hides, so that it, and not
    // another program, becomes the active window.
    if (OwnerWasEnabled)
        EnableWindow(Owner, TRUE);
    ShowWindow(Window.get(), SW_HIDE);
    if (Owner)
        SetActiveWindow(Owner);
    return ClosedWithOk;
}

void TAboutWindow::EndModal(bool Ok) {
    ClosedWithOk = Ok;
    Modal = false;
    // Wakes the modal loop if it is waiting.
    PostMessageA(Window.get(), WM_NULL, 0, 0);
}

void TAboutWindow::Forward(void (TAboutDlg::*Handler)()) {
    if (Controller)
        (Controller->*Handler)();
}

LRESULT CALLBACK TAboutWindow::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
    auto* Self = reinterpret_cast<TAboutWindow*>(GetWindowLongPtrA(Window, GWLP_USERDATA));
    if (!Self)
        return DefWindowProcA(Window, Message, WParam, LParam);
    // Nothing may unwind through the system's frames.
    try {
        return Self->HandleMessage(Message, WParam, LParam);
    } catch (const std::exception& Error) {
        Self->Desktop.ShowMessageBox(Window, Error.what(), AppInfo::Title, MB_OK | MB_ICONERROR);
    } catch (...) {
        Self->Desktop.ShowMessageBox(Window, "Unknown error", AppInfo::Title, MB_OK | MB_ICONERROR);
    }
    return 0;
}

LRESULT TAboutWindow::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
    HWND Self = Window.get();
    switch (Message) {
    case WM_COMMAND:
        switch (LOWORD(WParam)) {
        case IDC_OK_BTN:
        case IDOK:
            EndModal(true);
            return 0;
        case IDCANCEL:
            EndModal(false);
            return 0;
        case IDC_EMAIL_BTN:
            Forward(&TAboutDlg::email_btnClick);
            return 0;
        case IDC_WEB_BTN:
            Forward(&TAboutDlg::web_btnClick);
            return 0;
        case IDC_FORUM_BTN:
            Forward(&TAboutDlg::forum_btnClick);
            return 0;
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(IDC_OK_BTN, DC_HASDEFID);
    case WM_CLOSE:
        // Hidden, not destroyed: the window lives until the program ends.
        EndModal(false);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(Self, GWLP_USERDATA, 0);
        static_cast<void>(Window.release());
        return DefWindowProcA(Self, Message, WParam, LParam);
    }
    return DefWindowProcA(Self, Message, WParam, LParam);
}
