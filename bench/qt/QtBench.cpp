// The Linux program's start-up time and memory, in-process on Qt's offscreen
// platform (QT_QPA_PLATFORM=offscreen is set unless the caller set another):
//   - start-up: from creating the window and its controller to the window
//     shown and the start-up sequence finished, median of 10 starts, each in
//     fresh XDG folders;
//   - resident memory after start-up, and after a batch of 1000 files. The
//     batch runs the real controller, runner, list and log pane against a
//     stand-in tool script that prints the signing tool's usual lines at
//     once, so the figures are the program's own and not osslsigncode's.
#include "log/U_Log.h"
#include "ui/SystemServices.h"
#include "ui/qt/QtProgram.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {
constexpr double StartUpTargetMs = 250;
constexpr double StartUpRssTargetMiB = 80;
constexpr double BatchGrowthTargetMiB = 20;
constexpr int Files = 1000;

double ResidentMiB() {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind("VmRSS:", 0) == 0)
            return std::strtod(Line.c_str() + 6, nullptr) / 1024.0;
    return 0;
}

// Answers every prompt at once and opens nothing.
class TSilentDesktop : public IQtDesktop {
public:
    int Ask(QWidget*, const TQtMessage&) override { return 1; }
    bool OpenFile(QWidget*, const QString&, QString&) override { return false; }
    void OpenAddress(const QString&) override {}
};

// One start in fresh folders; nothing listens where the update check asks.
struct TStart {
    QTemporaryDir Folder;
    TSilentDesktop Desktop;
    std::unique_ptr<TQtProgram> Program;

    explicit TStart(const std::string& ExePath) {
        const std::string Root = Folder.path().toStdString();
        for (const char* Name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            setenv(Name, (Root + "/" + Name).c_str(), 1);
        TLortexLiteOptions Update;
        Update.ServiceBase = "http://127.0.0.1:1";
        Program = std::make_unique<TQtProgram>(Desktop, CreateSystemServices(ExePath, {}, Update));
        Program->MainWindow().show();
        if (!QTest::qWaitFor([this] { return Program->Controller().LogWriter() != nullptr; },
                             60000))
            std::fprintf(stderr, "the start-up sequence did not finish\n");
    }
    ~TStart() {
        if (Program)
            Program->MainWindow().close();
    }
};

void Report(const char* Name, double Value, const char* Unit, double Target) {
    std::printf("%-34s %10.1f %-4s target %8.1f %-4s ratio %5.2f %s\n", Name, Value, Unit, Target,
                Unit, Value / Target, Value <= Target ? "ok" : "OVER");
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    // The program folder of the build tree: discovery finds the tool there.
    const std::string ExePath =
        QCoreApplication::applicationDirPath().toStdString() + "/../bin/quorvel";

    std::vector<double> Times;
    for (int Run = 0; Run < 10; ++Run) {
        QElapsedTimer Timer;
        Timer.start();
        TStart Start(ExePath);
        Times.push_back(static_cast<double>(Timer.nsecsElapsed()) / 1e6);
    }
    std::sort(Times.begin(), Times.end());
    Report("start-up, median of 10", (Times[4] + Times[5]) / 2, "ms", StartUpTargetMs);

    TStart Start(ExePath);
    const double AfterStart = ResidentMiB();
    Report("resident memory after start-up", AfterStart, "MiB", StartUpRssTargetMiB);

    TQtMainView& View = Start.Program->MainWindow();
    const std::string Tool = Start.Folder.filePath(QStringLiteral("signtool")).toStdString();
    const std::string Certificate = Start.Folder.filePath(QStringLiteral("c.pfx")).toStdString();
    std::ofstream(Tool) << "#!/bin/sh\n"
                           "for last; do :; done\n"
                           "echo 'Done Adding Additional Store'\n"
                           "echo \"Successfully signed: $last\"\n";
    std::filesystem::permissions(Tool, std::filesystem::perms::owner_all);
    std::ofstream(Certificate) << "x";
    View.SetFieldText(TMainField::signtool_txt, Tool);
    View.SetFieldText(TMainField::certifpath_txt, Certificate);
    for (int I = 0; I < Files; ++I)
        View.AddRow("/srv/build/output/component-" + std::to_string(I) + ".dll", ssPending);
    QElapsedTimer Batch;
    Batch.start();
    Start.Program->Controller().sign_btnClick();
    const double BatchMs = static_cast<double>(Batch.nsecsElapsed()) / 1e6;
    const double AfterBatch = ResidentMiB();
    std::printf("%-34s %10.1f ms   (%d files, stand-in tool script)\n", "batch", BatchMs, Files);
    Report("resident memory after the batch", AfterBatch, "MiB",
           StartUpRssTargetMiB + BatchGrowthTargetMiB);
    Report("growth over the batch", AfterBatch - AfterStart, "MiB", BatchGrowthTargetMiB);
    View.DeleteAllRows();
    return 0;
}
