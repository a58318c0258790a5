// The program as a user runs it: installed with cmake --install, staged with
// DESTDIR (so it counts as installed through the machine hive it puts in the
// sandbox's XDG configuration folder), and a copy of the build's program on a
// machine without that hive (so it runs portable). Each run is the real
// executable on the offscreen platform, in its own XDG folders and in a
// network namespace of its own (its automatic update check stays inside),
// closed with SIGTERM as a desktop session does at log-out.
#include "tests/ui/qt/QtSandbox.h"

#include "tests/fixtures/RunProgram.h"
#include "tests/fixtures/TempFolder.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {
// A generous safety net only.
constexpr auto Patience = std::chrono::seconds(120);

bool Contains(const std::string& Path, const std::string& Text) {
    return PathExists(Path) && ReadFileBytes(Path).find(Text) != std::string::npos;
}

class ProgramRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (RunProgram({"unshare", "-n", "true"}).ExitStatus != 0)
            GTEST_SKIP() << "cannot make a network namespace (unshare -n) for the program's "
                            "update check";
    }

    // Starts Program, waits until its start-up has stored the signing tool it
    // found, then ends the session with SIGTERM; true when it closed.
    bool RunAndClose(const std::string& Program) {
        QProcess Process;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        Env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        Process.setProcessEnvironment(Env);
        Process.setProcessChannelMode(QProcess::ForwardedChannels);
        Process.start(QStringLiteral("unshare"),
                      {QStringLiteral("-n"), QString::fromStdString(Program)});
        if (!Process.waitForStarted(60000))
            return false;
        const auto Deadline = std::chrono::steady_clock::now() + Patience;
        while (!Contains(Box.UserHive, "\"SignTool\"=") && Process.state() == QProcess::Running &&
               std::chrono::steady_clock::now() < Deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Process.terminate();
        const bool Finished = Process.waitForFinished(60000);
        EXPECT_TRUE(Finished && Process.exitStatus() == QProcess::NormalExit)
            << "state " << Process.state() << ", exit status " << Process.exitStatus();
        EXPECT_EQ(Process.exitCode(), 0);
        return Finished && Process.exitStatus() == QProcess::NormalExit && Process.exitCode() == 0;
    }

    TQtSandbox Box; // the XDG folders
};

TEST_F(ProgramRunTest, InstalledIntoAPrefixItRunsInstalled) {
    const std::string Prefix = Box.Temp / "usr/local";
    const TProgramRun Install =
        RunProgram({"env", "DESTDIR=" + Box.Temp.Path(), QUORVEL_CMAKE_COMMAND, "--install",
                    QUORVEL_BUILD_DIR, "--prefix", "/usr/local"});
    ASSERT_EQ(Install.ExitStatus, 0) << Install.Output;
    for (const char* File :
         {"bin/quorvel", "lib/quorvel/sdk/osslsigncode/bin/signtool",
          "share/applications/quorvel.desktop", "share/icons/hicolor/48x48/apps/quorvel.png"})
        EXPECT_TRUE(PathExists(Prefix + "/" + File)) << File;
    EXPECT_TRUE(Contains(Box.MachineConfigDir + "/quorvel/HKEY_LOCAL_MACHINE.reg",
                         "\"DisplayName\"=\"Tandrel Quorvel\""));

    ASSERT_TRUE(RunAndClose(Prefix + "/bin/quorvel"));
    const std::string Log = Box.DataFolder + "/Quorvel.log";
    EXPECT_TRUE(Contains(Log, "Portable : No")) << (PathExists(Log) ? ReadFileBytes(Log) : "");
    EXPECT_TRUE(Contains(Box.UserHive, "Quorvel")); // the settings stay where they are
    EXPECT_FALSE(PathExists(Prefix + "/bin/settings.ini"));
}

TEST_F(ProgramRunTest, ACopyOfTheBuiltProgramRunsPortableAndLeavesOnlySettingsIni) {
    // An unpacked archive: the program and its signing tool, no machine hive.
    const std::string Bin = Box.Temp / "unpacked/bin";
    const std::string Tool = "lib/quorvel/sdk/osslsigncode/bin/signtool";
    fs::create_directories(Bin);
    fs::create_directories(fs::path(Box.Temp / ("unpacked/" + Tool)).parent_path());
    fs::copy_file(std::string(QUORVEL_BUILD_DIR) + "/bin/quorvel", Bin + "/quorvel");
    fs::copy_file(std::string(QUORVEL_BUILD_DIR) + "/" + Tool, Box.Temp / ("unpacked/" + Tool));

    ASSERT_TRUE(RunAndClose(Bin + "/quorvel"));
    // Discovery stored the tool; the settings went back into settings.ini.
    EXPECT_TRUE(Contains(Bin + "/settings.ini", "SignTool="));
    EXPECT_FALSE(PathExists(Box.DataHome + "/Tandrel")); // no data folder, no log
    EXPECT_FALSE(Contains(Box.UserHive, "Tandrel"));     // no maker value, no product key
    EXPECT_EQ(FolderEntries(Bin), (std::vector<std::string>{"quorvel", "settings.ini"}));
}
} // namespace

namespace {
TEST(DebPackage, HoldsTheProgramItsToolAndTheInstalledMarker) {
    if (RunProgram({"dpkg-deb", "--version"}).ExitStatus != 0)
        GTEST_SKIP() << "dpkg-deb is not installed";
    const TTempFolder Out;
    const TProgramRun Pack =
        RunProgram({QUORVEL_CPACK_COMMAND, "-G", "DEB", "--config",
                    std::string(QUORVEL_BUILD_DIR) + "/CPackConfig.cmake", "-B", Out.Path()});
    ASSERT_EQ(Pack.ExitStatus, 0) << Pack.Output;
    const std::string Deb = Out / "quorvel_2.1.1.20_" + QUORVEL_DEB_ARCH + ".deb";
    ASSERT_TRUE(PathExists(Deb)) << Pack.Output;
    const TProgramRun Depends = RunProgram({"dpkg-deb", "--field", Deb, "Depends"});
    for (const char* Package : {"osslsigncode", "xdg-utils", "libqt6widgets6", "qt6-qpa-plugins"})
        EXPECT_NE(Depends.Output.find(Package), std::string::npos) << Depends.Output;
    const TProgramRun Contents = RunProgram({"dpkg-deb", "--contents", Deb});
    for (const char* File :
         {"./usr/bin/quorvel", "./usr/lib/quorvel/sdk/osslsigncode/bin/signtool",
          "./etc/xdg/quorvel/HKEY_LOCAL_MACHINE.reg", "./usr/share/applications/quorvel.desktop",
          "./usr/share/icons/hicolor/48x48/apps/quorvel.png"})
        EXPECT_NE(Contents.Output.find(File), std::string::npos) << File;
    // Removing the package leaves no uninstaller entry behind.
    const TProgramRun Postrm = RunProgram({"dpkg-deb", "--info", Deb, "postrm"});
    EXPECT_NE(Postrm.Output.find("/etc/xdg/quorvel/HKEY_LOCAL_MACHINE.reg"), std::string::npos)
        << Postrm.Output;
}
} // namespace
