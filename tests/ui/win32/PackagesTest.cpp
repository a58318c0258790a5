// The shipped program as a user gets it: installed by the installer, and
// unpacked from the portable zip. Each run starts Quorvel.exe as a process,
// waits for its start-up to finish and closes it as the close box does.
#include "tests/ui/win32/ProgramWindow.h"
#include "tests/ui/win32/WinSandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct TProcess {
    PROCESS_INFORMATION Info{};
    ~TProcess() {
        if (Info.hThread)
            CloseHandle(Info.hThread);
        if (Info.hProcess)
            CloseHandle(Info.hProcess);
    }
};

// Runs a program to its end; its exit code, or -1 when it cannot start.
long RunToEnd(const std::string& CommandLine) {
    STARTUPINFOA Startup{};
    Startup.cb = sizeof(Startup);
    TProcess Process;
    std::string Line = CommandLine;
    if (!CreateProcessA(nullptr, Line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process.Info))
        return -1;
    // A generous safety net; the end of the process is what is waited for.
    if (WaitForSingleObject(Process.Info.hProcess, 120000) != WAIT_OBJECT_0)
        return -2;
    DWORD Code = 0;
    GetExitCodeProcess(Process.Info.hProcess, &Code);
    return static_cast<long>(Code);
}

// Starts the program, waits until its start-up has set the caption with the
// version, then closes it and waits for its end. The caption it showed.
std::string RunProgramOnce(const fs::path& Exe, const std::string& Arguments = "") {
    STARTUPINFOA Startup{};
    Startup.cb = sizeof(Startup);
    TProcess Process;
    std::string Line = "\"" + Exe.string() + "\"" + Arguments;
    const std::string Folder = Exe.parent_path().string();
    if (!CreateProcessA(Exe.string().c_str(), Line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        Folder.c_str(), &Startup, &Process.Info)) {
        ADD_FAILURE() << "cannot start " << Exe;
        return {};
    }
    HWND Window = nullptr;
    std::string Caption;
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (std::chrono::steady_clock::now() < Deadline) {
        if (WaitForSingleObject(Process.Info.hProcess, 50) == WAIT_OBJECT_0)
            break;
        if (!Window)
            Window = FindProgramWindow(Process.Info.dwProcessId);
        if (Window) {
            char Text[256] = {};
            GetWindowTextA(Window, Text, sizeof(Text));
            Caption = Text;
            if (Caption.find(" v") != std::string::npos)
                break;
        }
    }
    EXPECT_NE(Caption.find(" v"), std::string::npos) << "start-up did not finish";
    if (Window)
        PostMessageA(Window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(Process.Info.hProcess, 120000), WAIT_OBJECT_0);
    return Caption;
}

fs::path FromEnvironment(const char* Name) {
    const char* Value = std::getenv(Name);
    return Value ? fs::path(Value) : fs::path();
}

class PackagesTest : public testing::Test {
protected:
    void SetUp() override { Sandbox::ForgetProgram(); }
    void TearDown() override { Sandbox::ForgetProgram(); }
};

TEST_F(PackagesTest, TheInstalledProgramRunsInstalled) {
    const fs::path Installer = FromEnvironment("QUORVEL_INSTALLER");
    ASSERT_TRUE(fs::exists(Installer)) << Installer;
    ASSERT_EQ(RunToEnd("\"" + Installer.string() + "\" /S"), 0);

    const std::string Entry = std::string(Sandbox::UninstallKey) + "\\Tandrel Quorvel";
    const auto DisplayName = Sandbox::RegText(HKEY_LOCAL_MACHINE, Entry, "DisplayName");
    ASSERT_TRUE(DisplayName);
    EXPECT_EQ(DisplayName->rfind("Tandrel Quorvel", 0), 0u);
    const fs::path Folder = Sandbox::RegText(HKEY_LOCAL_MACHINE, Entry, "InstallLocation").value();
    EXPECT_EQ(Folder.parent_path().parent_path(),
              fs::path(Sandbox::SpecialFolder(CSIDL_PROGRAM_FILES)));
    EXPECT_TRUE(fs::exists(fs::path(Sandbox::SpecialFolder(CSIDL_COMMON_PROGRAMS)) / "Tandrel" /
                           "Quorvel.lnk"));

    EXPECT_EQ(RunProgramOnce(Folder / "Quorvel.exe", " a b"), "Quorvel v2.1.1.20");
    const std::string Log = Sandbox::ReadAll(Sandbox::DataFolder() / "Quorvel.log");
    EXPECT_NE(Log.find("Portable : No"), std::string::npos) << Log;
    // The first argument is logged as it is; the others nowhere.
    EXPECT_NE(Log.find("]\ta\r\n"), std::string::npos) << Log;
    EXPECT_EQ(Log.find("]\tb\r\n"), std::string::npos) << Log;
    EXPECT_FALSE(fs::exists(Folder / "settings.ini"));
    EXPECT_EQ(Sandbox::RegText(HKEY_CURRENT_USER, Sandbox::MakerKey, "Quorvel"),
              (Folder / "Quorvel.exe").string());

    // Uninstalled in place, so that the end of the uninstaller is the end of its work.
    EXPECT_EQ(RunToEnd("\"" + (Folder / "Uninstall.exe").string() + "\" /S _?=" + Folder.string()),
              0);
    EXPECT_FALSE(Sandbox::KeyExists(HKEY_LOCAL_MACHINE, Entry));
    EXPECT_FALSE(fs::exists(Folder / "Quorvel.exe"));
    std::error_code Ignored;
    fs::remove_all(Folder, Ignored);
    fs::remove(Folder.parent_path(), Ignored);
}

TEST_F(PackagesTest, ThePortableProgramKeepsItsSettingsBesideItself) {
    const fs::path Folder = FromEnvironment("QUORVEL_PORTABLE_DIR");
    ASSERT_TRUE(fs::exists(Folder / "Quorvel.exe")) << Folder;
    const fs::path Ini = Folder / "settings.ini";
    // Quoted here; read without the quotes and written back without them, so
    // the file shows that the settings went through the store and back.
    Sandbox::WriteAll(Ini, "[Settings]\r\nCertificate=\"C:\\Keys\\portable.pfx\"\r\n");

    EXPECT_EQ(RunProgramOnce(Folder / "Quorvel.exe"), "Quorvel v2.1.1.20");

    const std::string Settings = Sandbox::ReadAll(Ini);
    EXPECT_NE(Settings.find("Certificate=C:\\Keys\\portable.pfx"), std::string::npos) << Settings;
    EXPECT_FALSE(Sandbox::KeyExists(HKEY_CURRENT_USER, Sandbox::ProductKey));
    EXPECT_FALSE(Sandbox::RegText(HKEY_CURRENT_USER, Sandbox::MakerKey, "Quorvel"));
    EXPECT_FALSE(fs::exists(Sandbox::DataFolder()));
    std::error_code Ignored;
    fs::remove(Ini, Ignored);
}

} // namespace
