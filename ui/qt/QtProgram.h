// The program block of the Linux program: the application object, the main
// window with its controller, the About window and the message loop. Tests
// build a TQtProgram in-process with their own desktop and services.
#pragma once

#include "ui/MainServices.h"
#include "ui/U_MainDlg.h"
#include "ui/qt/QtAboutView.h"
#include "ui/qt/QtDesktop.h"
#include "ui/qt/QtMainView.h"

#include <memory>

class TQtProgram {
public:
    // Creates the main window (its creation step runs), then the About window
    // with its TAboutDlg.
    TQtProgram(IQtDesktop& Desktop, std::unique_ptr<IMainServices> Services);
    // The window's destruction step (taskbar progress, update checker, log).
    ~TQtProgram();
    TQtProgram(const TQtProgram&) = delete;
    TQtProgram& operator=(const TQtProgram&) = delete;

    TQtMainView& MainWindow() { return View; }
    TMainDlg& Controller() { return Dlg; }
    TQtAboutView& AboutWindow() { return About; }
    TAboutDlg& AboutDlg() { return AboutLogic; }
    IMainServices& Services() { return *OwnServices; }

private:
    std::unique_ptr<IMainServices> OwnServices;
    TQtMainView View;
    TMainDlg Dlg;
    TQtAboutView About;
    TAboutDlg AboutLogic;
};

// main(): runs the program until its window closes; returns the exit code.
int RunQuorvel(int argc, char** argv);
