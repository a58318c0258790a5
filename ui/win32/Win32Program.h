// The program block: the main window with its controller, then the About
// window, then the message loop. Tests build the same assembly and pump the
// messages themselves.
#pragma once

#include "ui/MainServices.h"
#include "ui/U_MainDlg.h"
#include "ui/win32/AboutWindow.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/Win32Desktop.h"

#include <windows.h>

// COM for the user-interface thread, apartment-threaded, for as long as it lives.
class TComApartment {
public:
    TComApartment();
    ~TComApartment();
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

private:
    bool Initialised;
};

// Registers the common control classes the windows use.
void InitCommonControlClasses();

class TWin32Program {
public:
    // Creates the main window (its creation step FormCreate runs), then the
    // About window; nothing is shown yet.
    TWin32Program(HINSTANCE Instance, IWin32Desktop& Desktop, IMainServices& Services);
    ~TWin32Program();
    TWin32Program(const TWin32Program&) = delete;
    TWin32Program& operator=(const TWin32Program&) = delete;

    // Shows the main window (as the program was asked to start: normal,
    // minimised, ...) and makes it the active one.
    void Show(int ShowCommand = SW_SHOWNORMAL);
    // Runs the message loop until the main window is gone; the exit code.
    int Run();

    TMainWindow MainWindow;
    TMainDlg MainDlg;

private:
    // Attaches the controller and runs FormCreate, before the About window
    // is made.
    bool MainFormCreated;

public:
    TAboutWindow AboutWindow;
    TAboutDlg AboutDlg;
};
