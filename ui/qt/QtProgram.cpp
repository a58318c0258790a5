#include "QtProgram.h"

#include "AppInfo.h"
#include "SessionEnd.h"
#include "SystemServices.h"

#include <QApplication>

#include <string>
#include <vector>

TQtProgram::TQtProgram(IQtDesktop& Desktop, std::unique_ptr<IMainServices> Services)
    : OwnServices(std::move(Services)), View(Desktop), Dlg(View, *OwnServices),
      About(&View, Desktop, OwnServices->ExePath(),
            [Services = OwnServices.get()](const std::string& Path) {
                return Services->FileVersionText(Path);
            }) {
    View.Attach(Dlg);
    Dlg.Guard([this] { Dlg.FormCreate(); });
    View.OnShowAbout = [this] { About.Logic.ShowAbout(); };
}

TQtProgram::~TQtProgram() {
    Dlg.FormDestroy();
}

int RunQuorvel(int argc, char** argv) {
    QApplication App(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(AppInfo::Title));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));

    std::vector<std::string> Arguments;
    for (int I = 1; I < argc; ++I)
        Arguments.emplace_back(argv[I]);
    TQtDesktop Desktop;
    TQtProgram Program(
        Desktop, CreateSystemServices(
                     QApplication::applicationFilePath().toLocal8Bit().toStdString(), Arguments));
    // Logging out or a plain kill closes the window the usual way, so the
    // file list is saved and portable use leaves nothing behind.
    TSessionEnd SessionEnd([&Program] { Program.MainWindow().close(); });
    Program.MainWindow().show();
    Program.MainWindow().activateWindow();
    return App.exec();
}
