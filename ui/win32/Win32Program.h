// The program block: the main window with its controller, then the About
// window, then the message loop. Tests build the same assembly and pump the
// messages themselves.
#pragma once

#include "ui/MainServices.h"
#include "ui/U_MainDlg.h"
#include "ui/win32/AboutWindow.h"
#include "ui/win32/DesktopPort.h"
#include "ui/win32/MainWindow.h"

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

class TQuorvelApplication {
public:
    // Creates the main window (its creation step FormCreate runs), then the
    // About window; nothing is shown yet.
    TQuorvelApplication(HINSTANCE Instance, IDesktopPort& Desktop, IMainServices& Services);
    ~TQuorvelApplication();
    TQuorvelApplication(const TQuorvelApplication&) = delete;
    TQuorvelApplication& operator=(const TQuorvelApplication&) = delete;

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
