// The "Sign" batch and the double-click: checks, progress, the log pane,
// judging each run and the summary.
#include "signing/SignToolDiscovery.h"
#include "tests/ui/MainDlgFixture.h"
#include "ui/SignBatch.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

struct TCheckCase {
    const char* Name;
    std::set<std::string> Existing;   // files made in a folder of the test's own
    std::string ToolField, CertField; // names in that folder; "bin" is a folder
    int Rows;
    const char* Message;
};

class BatchChecks : public MainDlgTest, public ::testing::WithParamInterface<TCheckCase> {
protected:
    void SetUp() override {
        std::random_device Random;
        Folder = fs::temp_directory_path() / ("quorvel-checks-" + std::to_string(Random()));
        fs::create_directories(Folder / "bin");
    }
    void TearDown() override {
        std::error_code Ignored;
        fs::remove_all(Folder, Ignored);
    }
    std::string InFolder(const std::string& Name) const {
        return Name.empty() ? Name : (Folder / Name).string();
    }
    fs::path Folder;
};

// The checks run through the system's own file test over real paths, so a
// folder named as the tool or the certificate counts as missing.
TEST_P(BatchChecks, StopAtTheFirstFailedCheckAndTouchNothing) {
    const TCheckCase& Case = GetParam();
    Start();
    for (const auto& Name : Case.Existing)
        std::ofstream(Folder / Name) << "x";
    Services.FileTest = [](const std::string& Path) { return IsExistingFile(Path); };
    View.Fields[TMainField::signtool_txt] = InFolder(Case.ToolField);
    View.Fields[TMainField::certifpath_txt] = InFolder(Case.CertField);
    AddRows(Case.Rows);
    View.LogAdditions = {"earlier text"};
    View.Events.clear();
    View.Taskbar.clear();

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));

    EXPECT_EQ(View.Events, std::vector<std::string>{std::string("Message ") + Case.Message});
    EXPECT_EQ(View.LogAdditions, std::vector<std::string>{"earlier text"});
    EXPECT_TRUE(View.Taskbar.empty());
    EXPECT_TRUE(Services.CommandLines.empty());
}

const TCheckCase CheckCases[] = {
    {"EmptyToolPath", {"cert.pfx"}, "", "cert.pfx", 1, "SignTool not found !"},
    {"FolderAsTool", {"cert.pfx"}, "bin", "cert.pfx", 1, "SignTool not found !"},
    {"BothMissingToolFirst", {}, "tool.exe", "cert.pfx", 0, "SignTool not found !"},
    {"EmptyCertificate", {"tool.exe"}, "tool.exe", "", 1, "Certificate not found !"},
    {"MissingCertificate", {"tool.exe"}, "tool.exe", "gone.pfx", 1, "Certificate not found !"},
    {"FolderAsCertificate", {"tool.exe"}, "tool.exe", "bin", 1, "Certificate not found !"},
    {"EmptyList", {"tool.exe", "cert.pfx"}, "tool.exe", "cert.pfx", 0, "No file to sign !"},
};
INSTANTIATE_TEST_SUITE_P(Checks, BatchChecks, ::testing::ValuesIn(CheckCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// What one row of a batch does to the window, in order: the pane's three
// additions, then the row's status, its scrolling and the list's redraw.
std::vector<std::string> RowSteps(int Index, const std::string& Output, TSignStatus Status) {
    const std::string Row = std::to_string(Index);
    return {"Log >> C:\\build\\file" + std::to_string(Index + 1) + ".exe",
            "Log " + Output,
            "Log ---------------",
            "SetRowStatus " + Row + " " + std::to_string(Status),
            "ScrollRowIntoView " + Row,
            "RedrawList"};
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> Parts) {
    std::vector<std::string> All;
    for (const auto& Part : Parts)
        All.insert(All.end(), Part.begin(), Part.end());
    return All;
}

TEST_F(MainDlgTest, FiveFilesDriveBarAndTaskbarAndALaterRunStartsWhereTheLastEnded) {
    ConfigureSigning();
    Start();
    AddRows(5);
    View.Taskbar.clear();

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    EXPECT_EQ(View.Taskbar,
              (std::vector<std::string>{"value 10/4", "value 0/4", "value 1/4", "value 2/4",
                                        "value 3/4", "value 4/4", "value 0/4"}));
    EXPECT_EQ(View.ProgressMax, 4);
    EXPECT_EQ(View.ProgressPosition, 0);

    View.Taskbar.clear();
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    EXPECT_EQ(View.Taskbar.front(), "value 0/4");
}

TEST_F(MainDlgTest, OneFileGivesMaximumZero) {
    ConfigureSigning();
    Start();
    AddRows(1);
    View.Taskbar.clear();

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    EXPECT_EQ(View.ProgressMax, 0);
    EXPECT_EQ(View.Taskbar, (std::vector<std::string>{"value 10/0", "value 0/0", "value 0/0"}));
}

TEST_F(MainDlgTest, BatchStepsInOrderWithThreePaneAdditionsPerFile) {
    ConfigureSigning();
    Start();
    AddRows(3);
    View.LogAdditions = {"old"};
    View.Events.clear();
    int Next = 0;
    Services.Tool = [&](const std::string&, std::string& Output) {
        Output += ++Next == 2 ? "SignTool Error: no\r\n" : "Successfully signed\r\n";
        return Next == 2 ? 1u : 0u;
    };

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));

    EXPECT_EQ(View.Events, Joined({{"ClearLog", "RedrawLog", "ProgressMax 2", "ProgressPosition 0"},
                                   RowSteps(0, "Successfully signed\r\n", ssSigned),
                                   {"ProgressPosition 1"},
                                   RowSteps(1, "SignTool Error: no\r\n", ssFailed),
                                   {"ProgressPosition 2"},
                                   RowSteps(2, "Successfully signed\r\n", ssSigned),
                                   {"Message 2 files signed\n\r0 warnings\n\r1 files failed",
                                    "ProgressPosition 0"}}));
}

TEST_F(MainDlgTest, TheToolGetsTheCommandLineOfTheWindowsCurrentSettings) {
    ConfigureSigning();
    Services.Settings["Password"] = "pass word";
    Services.Settings["TimeStampURL"] = "http://ts.example";
    Services.Settings["CertDigest"] = "1";
    Start();
    View.Checks[TMainCheck::timestamp_chk] = false;
    AddRows(1);

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));

    TSigningSettings Expected;
    Expected.SignTool = "tools/signtool.exe";
    Expected.Certificate = "keys/code.pfx";
    Expected.Password = "pass word";
    Expected.TimeStamping = false;
    Expected.TimeStampURL = "http://ts.example";
    Expected.CertDigest = 1;
    Expected.TimeStampDigest = 0;
    ASSERT_EQ(Services.CommandLines.size(), 1u);
    EXPECT_EQ(Services.CommandLines[0], BuildSignCommandLine(Expected, "C:\\build\\file1.exe"));
}

struct TRun {
    std::string Output;
    std::uint32_t ExitCode;
    TSignStatus Status;
    bool Warning;
};

// Each row's tool run, and what the batch makes of it.
const TRun Runs[] = {
    {"Done Adding Additional Store\r\nSuccessfully signed: C:\\a.exe\r\n", 0, ssSigned, false},
    {"SUCCESS", 0, ssSigned, false},
    {"Warning: no timestamp\r\nSuccessfully signed: C:\\a.exe\r\n", 0, ssSigned, true},
    // The letters decide, not the word...
    {"unsuccessful", 0, ssSigned, false},
    // ...except when the tool reports its failure code.
    {"SignTool Error: the signing was unsuccessful.\r\n", 1, ssFailed, false},
    {"SignTool Error: File not found: C:\\success\\app.exe\r\n", 1, ssFailed, false},
    {"SignTool Error: C:\\success\\app.exe\r\nWarning: x\r\n", 1, ssFailed, true},
    {"Number of warnings: 1\r\n", 0, ssFailed, true},
    {"", 0xFFFFFFFFu, ssFailed, false}, // the tool could not be started
    {"Successfully signed", 2, ssSigned, false},
};

TEST(JudgeSignRun, LettersDecideUnlessTheToolReportsFailure) {
    for (const TRun& Run : Runs) {
        SCOPED_TRACE(Run.Output + " / exit " + std::to_string(Run.ExitCode));
        TBatchCounters Counters;
        EXPECT_EQ(Counters.Count(Run.Output, Run.ExitCode), Run.Status);
        EXPECT_EQ(Counters.Warnings, Run.Warning ? 1 : 0);
        EXPECT_EQ(Counters.Signed + Counters.Failed, 1);
    }
}

TEST_F(MainDlgTest, BatchMarksEachRowAndSumsUp) {
    ConfigureSigning();
    Start();
    const int Count = static_cast<int>(std::size(Runs));
    AddRows(Count);
    int Next = 0;
    Services.Tool = [&](const std::string&, std::string& Output) {
        Output += Runs[Next].Output;
        return Runs[Next++].ExitCode;
    };

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));

    std::vector<TSignStatus> Expected;
    for (const TRun& Run : Runs)
        Expected.push_back(Run.Status);
    EXPECT_EQ(Statuses(), Expected);
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{"5 files signed\n\r3 warnings\n\r5 files failed"});
}

TEST(BatchSummary, ByteForByte) {
    TBatchCounters Counters;
    Counters.Count("Successfully signed", 0);
    EXPECT_EQ(Counters.SummaryText(), "1 files signed\n\r0 warnings\n\r0 files failed");
    Counters.Signed = 12;
    Counters.Warnings = 0;
    Counters.Failed = 305;
    EXPECT_EQ(Counters.SummaryText(), "12 files signed\n\r0 warnings\n\r305 files failed");
}

TEST_F(MainDlgTest, ARunnerErrorEndsTheBatchAtThatEntry) {
    ConfigureSigning();
    Start();
    AddRows(4);
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); })); // all signed once
    View.Messages.clear();
    int Calls = 0;
    Services.Tool = [&](const std::string&, std::string& Output) -> std::uint32_t {
        if (++Calls == 3)
            throw EOSError(232, "The pipe is being closed.");
        Output += "SignTool Error: nope";
        return 1;
    };

    EXPECT_FALSE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));

    EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssFailed, ssFailed, ssSigned, ssSigned}));
    EXPECT_TRUE(View.Messages.empty());
    EXPECT_EQ(View.ProgressPosition, 2);
    EXPECT_EQ(View.LogAdditions.back(), ">> C:\\build\\file3.exe");
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Text, "The pipe is being closed.");
    EXPECT_EQ(View.Boxes[0].Caption, "Quorvel");
    EXPECT_EQ(View.Boxes[0].Style, MB_ICONERROR_Flag);
}

TEST_F(MainDlgTest, DoubleClickSignsTheFirstSelectedRowAlone) {
    Start(); // nothing configured: the double-click makes no checks
    AddRows(4);
    View.SelectRows({1, 3});
    View.LogAdditions = {"kept"};
    View.Events.clear();
    View.Taskbar.clear();
    Services.Tool = [](const std::string&, std::string& Output) {
        Output += "Warning: x\r\nSuccessfully signed\r\n";
        return 0u;
    };

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->lstDblClick(); }));

    EXPECT_EQ(View.Events,
              (std::vector<std::string>{"Log >> C:\\build\\file2.exe",
                                        "Log Warning: x\r\nSuccessfully signed\r\n",
                                        "Log ---------------", "SetRowStatus 1 1",
                                        "Message 1 files signed\n\r1 warnings\n\r0 files failed"}));
    EXPECT_EQ(View.LogAdditions.front(), "kept");
    EXPECT_TRUE(View.Taskbar.empty());
}

TEST_F(MainDlgTest, DoubleClickWithoutSelectionDoesNothing) {
    Start();
    AddRows(3);
    View.Events.clear();

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->lstDblClick(); }));
    EXPECT_TRUE(View.Events.empty());
    EXPECT_TRUE(Services.CommandLines.empty());
}

TEST_F(MainDlgTest, DoubleClickWithAMissingToolCountsOneFailedFile) {
    Start();
    AddRows(1);
    View.SelectRows({0});
    Services.Tool = [](const std::string&, std::string&) { return 0xFFFFFFFFu; };

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->lstDblClick(); }));
    EXPECT_EQ(Statuses(), std::vector<TSignStatus>{ssFailed});
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{"0 files signed\n\r0 warnings\n\r1 files failed"});
    EXPECT_EQ(View.LogAdditions[1], "");
}

} // namespace
