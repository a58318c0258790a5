#include "ui/win32/Win32Program.h"

#include "core/QuorvelErrors.h"

#include <commctrl.h>
#include <objbase.h>

TComApartment::TComApartment()
    : Initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

TComApartment::~TComApartment() {
    if (Initialised)
        CoUninitialize();
}

void InitCommonControlClasses() {
    INITCOMMONCONTROLSEX Classes{};
    Classes.dwSize = sizeof(Classes);
    Classes.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES |
                    ICC_PROGRESS_CLASS | ICC_BAR_CLASSES;
    InitCommonControlsEx(&Classes);
}

TWin32Program::TWin32Program(HINSTANCE Instance, IWin32Desktop& Desktop, IMainServices& Services)
    : MainWindow(Instance, Desktop), MainDlg(MainWindow, Services), MainFormCreated([this] {
          MainWindow.Attach(&MainDlg);
          return MainDlg.Guard([this] { MainDlg.FormCreate(); });
      }()),
      AboutWindow(Instance, MainWindow.Handle(), Desktop),
      AboutDlg(AboutWindow, Services.ExePath(),
               [&Services](const std::string& Path) { return Services.FileVersionText(Path); }) {
    AboutWindow.Attach(&AboutDlg);
    MainWindow.SetAboutAction([this] { AboutDlg.ShowAbout(); });
}

TWin32Program::~TWin32Program() {
    // The controllers go first; the windows must not call them any more.
    AboutWindow.Attach(nullptr);
    MainWindow.Attach(nullptr);
}

void TWin32Program::Show(int ShowCommand) {
    ShowWindow(MainWindow.Handle(), ShowCommand);
    UpdateWindow(MainWindow.Handle());
    SetForegroundWindow(MainWindow.Handle());
}

int TWin32Program::Run() {
    MSG Message{};
    for (;;) {
        const BOOL Got = GetMessageA(&Message, nullptr, 0, 0);
        if (Got == 0)
            return static_cast<int>(Message.wParam);
        if (Got < 0)
            RaiseLastOSError();
        if (MainWindow.TranslateKeys(Message))
            continue;
        TranslateMessage(&Message);
        DispatchMessageA(&Message);
    }
}
