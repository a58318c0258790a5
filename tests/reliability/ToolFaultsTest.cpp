// The signing tool misbehaving under a real batch: the window's controller
// (over the fake window of the ui tests) runs real processes through the
// real runner. Each way the tool can go wrong ends as one row's status, and
// the batch goes on to the next file.
#include "signing/CommandRunner.h"
#include "tests/helpers/ChildProc.h"
#include "tests/reliability/HelperProcess.h"
#include "tests/signing/runner/LeakProbe.h"
#include "tests/ui/MainDlgFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

#ifdef _WIN32
// Wine delivers the pipe 255 bytes per read, slowly; the size only has to
// dwarf every buffer on the way.
constexpr std::size_t BigOutput = 8u << 20;
constexpr int LeakRunFiles = 100; // and Wine answers no handle count at all
#else
constexpr std::size_t BigOutput = 100u << 20;
constexpr int LeakRunFiles = 1000;
#endif

std::string HelperLine(const std::string& Arguments) {
    return "\"" + ReliabilityChildPath() + "\" " + Arguments;
}

// Ends the process whose id the hanging tool writes to PidFile, from outside,
// as a user would in the task manager.
class TOutsideKiller {
public:
    explicit TOutsideKiller(fs::path PidFile)
        : Worker([PidFile](std::stop_token Stop) {
              while (!Stop.stop_requested()) {
                  std::ifstream In(PidFile);
                  unsigned long Pid = 0;
                  if (In >> Pid) {
                      EndProcess(Pid);
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}

private:
    std::jthread Worker;
};

struct TToolCase {
    const char* Name;
    std::string CommandLine; // the tool run for this row
    TSignStatus Status;      // the row afterwards
    std::string PaneOutput;  // the output addition; "*" when too big to spell
};

class ToolFaults : public MainDlgTest {
protected:
    void SetUp() override {
        ConfigureSigning();
        std::random_device Random;
        Folder = fs::temp_directory_path() / ("quorvel-tool-faults-" + std::to_string(Random()));
        fs::create_directories(Folder);
    }
    void TearDown() override {
        std::error_code Ignored;
        fs::remove_all(Folder, Ignored);
    }
    fs::path Folder;
};

TEST_F(ToolFaults, EachMisbehaviourIsOneRowsStatusAndTheBatchGoesOn) {
    const std::string Invalid = "Successfully signed: \xff\xfe\xc3\x28 \xed\xa0\x80\0x\n"s;
    const TToolCase Cases[] = {
        {"prints nothing", ChildProcCommandLine("exit 0"), ssFailed, ""},
        {"crashes", HelperLine("crash \"Signing C:\\build\\x.exe\""), ssFailed,
         "Signing C:\\build\\x.exe"},
        {"prints invalid UTF-8 and NUL", ChildProcCommandLine("outhex " + HexEncode(Invalid)),
         ssSigned, Invalid.substr(0, Invalid.size() - 1) + "\r\n"},
        {"leaves a grandchild holding the pipe",
         ChildProcCommandLine("out \"Successfully signed \" grandchild exit 0"), ssSigned, "*"},
        {"hangs until killed from outside",
         HelperLine("hang \"" + (Folder / "tool.pid").string() + "\""), ssFailed, ""},
        {"signs", ChildProcCommandLine("out \"Successfully signed\" exit 0"), ssSigned,
         "Successfully signed"},
        {"prints a flood", ChildProcCommandLine("big " + std::to_string(BigOutput) + " exit 0"),
         ssFailed, "*"},
    };
    std::map<std::string, const TToolCase*> ByRow;
    for (const auto& Case : Cases) {
        const std::string Row = "C:\\build\\" + std::string(Case.Name) + ".exe";
        View.AddRow(Row, ssPending);
        ByRow[Row] = &Case;
    }
    std::vector<std::uint32_t> ExitCodes;
    Services.Tool = [&](const std::string& CommandLine, std::string& Output) {
        const std::string Row = CommandLine.substr(CommandLine.rfind(" \"") + 2);
        const TToolCase& Case = *ByRow.at(Row.substr(0, Row.size() - 1));
        std::optional<TOutsideKiller> Killer;
        if (Case.CommandLine.find(" hang ") != std::string::npos)
            Killer.emplace(Folder / "tool.pid");
        ExitCodes.push_back(RunAndCapture(Case.CommandLine, Output));
        return ExitCodes.back();
    };
    Start();
    Dlg->sign_btnClick();

    ASSERT_EQ(View.Rows.size(), std::size(Cases));
    ASSERT_EQ(View.LogAdditions.size(), 3 * std::size(Cases));
    for (std::size_t Index = 0; Index < std::size(Cases); ++Index) {
        const TToolCase& Case = Cases[Index];
        SCOPED_TRACE(Case.Name);
        EXPECT_EQ(View.Rows[Index].Status, Case.Status);
        const std::string& Pane = View.LogAdditions[3 * Index + 1];
        if (std::string_view(Case.PaneOutput) != "*") {
            EXPECT_EQ(Pane, Case.PaneOutput);
        }
        if (std::string_view(Case.Name) == "leaves a grandchild holding the pipe") {
            const std::size_t At = Pane.find("grandchild ");
            ASSERT_NE(At, std::string::npos) << Pane;
            EndProcess(std::stoul(Pane.substr(At + 11)));
        }
        if (std::string_view(Case.Name) == "prints a flood") {
            EXPECT_TRUE(Pane == NormalizeLineBreaks(ChildBigOutput(BigOutput)))
                << "the flood came back changed, " << Pane.size() << " bytes";
        }
    }
    EXPECT_NE(ExitCodes[1], 0u) << "a crash is no success";
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{"3 files signed\n\r0 warnings\n\r4 files failed"});
    EXPECT_EQ(View.ProgressPosition, 0);
}

// What the batch holds of a 100 MB output is a few copies of it while that
// row runs (the pipe's text, the normalised text, the pane's copy), and no
// more.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
std::size_t KilobytesOf(const char* Field) {
    std::ifstream Status("/proc/self/status");
    std::string Line;
    while (std::getline(Status, Line))
        if (Line.rfind(Field, 0) == 0)
            return std::stoul(Line.substr(std::strlen(Field)));
    return 0;
}

TEST_F(ToolFaults, MemoryIsBoundedByTheOutputKept) {
    View.AddRow("C:\\build\\flood.exe", ssPending);
    View.AddRow("C:\\build\\flood2.exe", ssPending);
    Services.Tool = [](const std::string&, std::string& Output) {
        return RunAndCapture(ChildProcCommandLine("big " + std::to_string(BigOutput) + " exit 0"),
                             Output);
    };
    Start();
    std::ofstream("/proc/self/clear_refs") << "5"; // the peak starts again from here
    const std::size_t Before = KilobytesOf("VmRSS:");
    Dlg->sign_btnClick();
    const std::size_t Peak = KilobytesOf("VmHWM:");
    // Two rows of output are kept in the pane; the rest is per row.
    EXPECT_LT(Peak - Before, 6 * (BigOutput >> 10) + 64 * 1024)
        << "peak " << Peak << " KiB, before " << Before << " KiB";
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{"0 files signed\n\r0 warnings\n\r2 files failed"});
}
#endif

// The whole road of a file, composed command line and real runner, a
// thousand times: nothing is left open and no child is left unreaped.
TEST_F(ToolFaults, ManyFilesLeaveNoHandleOrChildBehind) {
    const std::string Tool = ChildProcPath() + " out Successfully exit 0";
    if (Tool.find(' ') < ChildProcPath().size())
        GTEST_SKIP() << "the helper's path holds a blank, which an unquoted tool path cannot";
    Services.Settings["SignTool"] = Tool;
    Services.ExistingFiles.insert(Tool);
    Services.Tool = [](const std::string& CommandLine, std::string& Output) {
        return RunAndCapture(CommandLine, Output);
    };
    for (int Index = 0; Index < LeakRunFiles; ++Index)
        View.AddRow("C:\\build\\file" + std::to_string(Index) + ".exe", ssPending);
    Start();
    {
        std::string Warm;
        RunAndCapture(ChildProcCommandLine(""), Warm); // lets lazily made system objects exist
    }
    const std::size_t HandlesBefore = OpenHandleCount();
    Dlg->sign_btnClick();
    EXPECT_EQ(OpenHandleCount(), HandlesBefore);
    EXPECT_FALSE(HasZombieChild());
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{std::to_string(LeakRunFiles) +
                                       " files signed\n\r0 warnings\n\r0 files failed"});
}

} // namespace
