#include "ui/qt/QtProgram.h"

#include "AppInfo.h"
#include "ui/SystemServices.h"
#include "ui/qt/SessionEnd.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <string>
#include <vector>

TQtProgram::TQtProgram(IQtDesktop& Desktop, std::unique_ptr<IMainServices> Services)
    : OwnServices(std::move(Services)), View(Desktop), Dlg(View, *OwnServices),
      About(&View, Desktop, [this](const std::function<void()>& Handler) { Dlg.Guard(Handler); }),
      AboutLogic(About, OwnServices->ExePath(),
                 [Services = OwnServices.get()](const std::string& Path) {
                     return Services->FileVersionText(Path);
                 }) {
    View.Attach(Dlg);
    Dlg.Guard([this] { Dlg.FormCreate(); });
    About.Attach(&AboutLogic);
    View.OnShowAbout = [this] { AboutLogic.ShowAbout(); };
}

TQtProgram::~TQtProgram() {
    About.Attach(nullptr);
    Dlg.FormDestroy();
}

namespace {
// Closes the window as its close box does. A modal box open at that moment
// (the batch's summary, a question) is dismissed first and the close waits
// until its handler has finished, so the close sequence never runs inside
// another handler.
void EndSession(QWidget& Window) {
    if (QWidget* Modal = QApplication::activeModalWidget()) {
        if (auto* Dialog = qobject_cast<QDialog*>(Modal))
            Dialog->reject();
        else
            Modal->close();
        QTimer::singleShot(0, &Window, [&Window] { EndSession(Window); });
        return;
    }
    Window.close();
}
} // namespace

int RunQuorvel(int argc, char** argv) {
    QApplication App(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(AppInfo::Title));
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvel"));

    // Logging out or a plain kill closes the window the usual way, so the
    // file list is saved and portable use leaves nothing behind. Installed
    // before the window's creation step (which may already change the
    // settings); a signal is taken from the event loop once the window shows.
    TQtProgram* Running = nullptr;
    TSessionEnd SessionEnd([&Running] {
        if (Running)
            EndSession(Running->MainWindow());
    });

    std::vector<std::string> Arguments;
    for (int I = 1; I < argc; ++I)
        Arguments.emplace_back(argv[I]);
    TQtDesktop Desktop;
    TQtProgram Program(
        Desktop, CreateSystemServices(
                     QApplication::applicationFilePath().toLocal8Bit().toStdString(), Arguments));
    Running = &Program;
    Program.MainWindow().show();
    Program.MainWindow().activateWindow();
    return App.exec();
}
