// Bad input that no other folder's tests feed in: damaged files of the
// program's own, paths the tool must receive intact, a log that cannot be
// written. docs/reliability.md lists every kind of bad input with its test.
#include "core/QuorvelErrors.h"
#include "log/U_Log.h"
#include "settings/AtomicFile.h"
#include "settings/FileListFile.h"
#include "settings/ProfileFile.h"
#include "settings/U_OstrinUtils.h"
#include "settings/U_QuorvelFct.h"
#include "signing/CommandRunner.h"
#include "signing/SignOneFile.h"
#include "tests/helpers/ChildProc.h"
#include "tests/reliability/RealListServices.h"
#include "tests/settings/store/Sandbox.h"
#include "tests/ui/MainDlgFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

std::string Contents(const fs::path& Path) {
    std::string Text;
    return ReadFileText(Path.string(), Text) ? Text : "<no file>";
}

void Put(const fs::path& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
}

class BadInput : public ::testing::Test {
protected:
    TStoreSandbox Sandbox;
};

// Stray bytes in Quorvel.db are paths like any other: every line up to a NUL
// comes back as a row, nothing is refused, and the next close writes the
// rows back as clean CR LF lines.
TEST_F(BadInput, DamagedFileListLoadsWhatItCanAndIsRewrittenWhole) {
    const fs::path List = Sandbox.Scratch / "Quorvel.db";
    const std::string Long(70000, 'L');
    Put(List, "C:\\a.exe\r\n\xff\xfe bytes\rlone\n\n" + Long + "\r\nlast\0after NUL\r\n"s);
    TFakeMainView View;
    TRealListServices Services;
    Services.ListPath = List.string();
    TMainDlg Dlg(View, Services);
    Dlg.FormCreate();
    Dlg.AppEvtActivate();
    EXPECT_EQ(View.Captions(),
              (std::vector<std::string>{"C:\\a.exe", "\xff\xfe bytes", "lone", "", Long, "last"}));
    EXPECT_TRUE(View.Boxes.empty());
    EXPECT_TRUE(Dlg.FormClose());
    EXPECT_EQ(Contents(List),
              "C:\\a.exe\r\n\xff\xfe bytes\r\nlone\r\n\r\n" + Long + "\r\nlast\r\n");
}

// A Quorvel.db that cannot be read stops the start-up at that step with the
// file named; closing then keeps the unreadable entry where it is instead of
// writing an empty list over it.
TEST_F(BadInput, UnreadableFileListStopsTheStartUpAndIsNotOverwritten) {
    const fs::path List = Sandbox.Scratch / "Quorvel.db";
    fs::create_directory(List); // a folder where the file should be
    TFakeMainView View;
    TRealListServices Services;
    Services.ListPath = List.string();
    TMainDlg Dlg(View, Services);
    Dlg.FormCreate();
    EXPECT_FALSE(Dlg.Guard([&] { Dlg.AppEvtActivate(); }));
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Caption, "Quorvel");
    EXPECT_NE(View.Boxes[0].Text.find("Quorvel.db"), std::string::npos) << View.Boxes[0].Text;
    EXPECT_TRUE(Dlg.FormClose());
    EXPECT_TRUE(fs::is_directory(List));
}

// settings.ini edited by hand into a mess: what the profile rules can read is
// imported, nothing throws, and the export that follows keeps every line it
// does not own.
TEST_F(BadInput, DamagedSettingsIniImportsWhatItCanAndLosesNothing) {
    const fs::path Ini = Sandbox.Scratch / "settings.ini";
    const std::string Garbage =
        "\xef\xbb\xbfno section line\r\n[Settings\r\n=no name\r\n"
        "[Settings]\r\nnot a pair\r\nSignTool = \"C:\\sdk\\signtool.exe\" \r\n"
        "Certificate=" +
        std::string(5000, 'c') + "\r\n[Settings_DWORD]\r\nCertDigest=0xZZ\r\nTimeStampDigest=1\r\n";
    Put(Ini, Garbage);
    ASSERT_NO_THROW(ImportSettingsIni("Quorvel", Ini.string()));
    EXPECT_EQ(ReadSetting("SignTool"), "C:\\sdk\\signtool.exe");
    // The profile calls return at most 2047 characters of a value.
    EXPECT_EQ(ReadSetting("Certificate"), std::string(2047, 'c'));
    EXPECT_THROW(ReadSetting("CertDigest"), ERegistryError); // a REG_DWORD now, as imported

    WriteSetting("Password", "kept");
    ASSERT_TRUE(ExportSettingsIni("Quorvel", Ini.string()));
    const std::string After = Contents(Ini);
    for (const char* Line : {"no section line", "[Settings\r\n", "=no name", "not a pair"})
        EXPECT_NE(After.find(Line), std::string::npos) << Line << " is gone from\n" << After;
    EXPECT_EQ(ProfileReadString(Ini.string(), "Settings", "Password", "?"), "kept");
}

// A log file that cannot be written (read-only, or held open by another
// program on Windows): the save is skipped without a word and the entries
// stay for the next save. Run as root on Linux, the read-only file is
// writable after all; then the save simply succeeds.
TEST_F(BadInput, UnwritableLogFileIsSkippedSilentlyAndKeepsItsEntries) {
    const fs::path Path = Sandbox.Scratch / "Quorvel.log";
    Put(Path, "old\r\n");
    TLogHooks Hooks;
    Hooks.Now = [] { return TLogTime{2026, 12, 10, 12, 0, 0}; };
    Hooks.OpenInShell = [](const std::string&) { return true; };
    Hooks.TimeSeparator = ':';
    TKLog Log(Path.string(), true, 10000, false, std::move(Hooks));
    const std::string Whole = "Info\t[26-12-10 12:00:00]\tentry\r\n";
    {
        auto Block = BlockWrites(Path);
        EXPECT_NO_THROW(Log.Write("entry", LogInfo));
        EXPECT_NO_THROW(Log.Flush());
        const std::string During = Contents(Path);
        EXPECT_TRUE(During == "old\r\n" || During == Whole) << During;
    }
    ASSERT_EQ(Log.Lines.size(), 1u);
    Log.Flush();
    EXPECT_EQ(Contents(Path), Whole);
}

// Paths the tool must get exactly as the list shows them: blanks, letters
// beyond ASCII, a path longer than the platform's path limit, a folder.
// What the tool then says of them is the tool's (tests/tools/signtool).
TEST_F(BadInput, AwkwardPathsReachTheToolIntact) {
#ifdef _WIN32
    const std::string Letters = "\xc4rger \xfc\xf1\xee\xe7\xf8\x64\xe9";    // ANSI code page 1252
    const std::string Long = "C:\\" + std::string(300, 'd') + "\\file.exe"; // past MAX_PATH
#else
    const std::string Letters =
        "\xc3\x84rger \xc3\xbc\xc3\xb1\xc3\xae \xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb";
    const std::string Long = "/" + std::string(5000, 'd') + "/file.exe"; // past PATH_MAX
#endif
    const std::string Paths[] = {
        (Sandbox.Scratch / "with blanks" / "my app .exe").string(),
        (Sandbox.Scratch / (Letters + ".dll")).string(), Long,
        Sandbox.Scratch.string(), // a folder, and it exists
    };
    struct TPane : ILogPane {
        std::vector<std::string> Added;
        void Add(const std::string& Text) override { Added.push_back(Text); }
    };
    TSigningSettings Settings;
    Settings.SignTool = ChildProcPath();
    Settings.Certificate = "cert.pfx";
    const TCommandRunner Run = [](const std::string& CommandLine, std::string& Output) {
        // The helper reports the arguments it got instead of signing.
        return RunAndCapture(CommandLine + " @argv", Output);
    };
    for (const std::string& Path : Paths) {
        SCOPED_TRACE(Path.substr(0, 80));
        TPane Pane;
        std::string Output;
        SignOneFile(Pane, Run, Settings, Path, Output);
        const std::vector<std::string> Argv = ParseReportedArgv(Output);
        ASSERT_GE(Argv.size(), 2u) << Output.substr(0, 200);
        EXPECT_EQ(Argv[Argv.size() - 2], Path);
        EXPECT_EQ(Pane.Added.front(), ">> " + Path);
    }
}

} // namespace
