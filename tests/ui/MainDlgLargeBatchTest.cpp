// Batches off the window's thread: Stop, closing during a batch, several
// files at once, "Sign failed files again", adding many files and drops.
#include "tests/ui/MainDlgFixture.h"

#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>

namespace {

namespace fs = std::filesystem;

// A signing tool that holds every run until the test releases it, so that
// files truly overlap; a run of a path in Throwing raises an OS error at once.
class TGatedTool {
public:
    std::set<std::string> Throwing;

    std::uint32_t operator()(const std::string& CommandLine, std::string& Output) {
        const std::string Path = CommandLine.substr(CommandLine.rfind(' ') + 1);
        std::unique_lock<std::mutex> Lock(Mutex);
        ++Started;
        Changed.notify_all();
        if (Throwing.count(Path))
            throw EOSError(232, "The pipe is being closed.");
        Changed.wait(Lock, [&] { return Released; });
        Output += "Successfully signed " + Path + "\r\n";
        return 0;
    }
    // Waits until Count runs have started; false after a minute.
    bool WaitStarted(int Count) {
        std::unique_lock<std::mutex> Lock(Mutex);
        return Changed.wait_for(Lock, std::chrono::minutes(1), [&] { return Started >= Count; });
    }
    int StartedCount() {
        std::lock_guard<std::mutex> Lock(Mutex);
        return Started;
    }
    void ReleaseAll() {
        std::lock_guard<std::mutex> Lock(Mutex);
        Released = true;
        Changed.notify_all();
    }

private:
    std::mutex Mutex;
    std::condition_variable Changed;
    int Started = 0;
    bool Released = false;
};

class LargeBatchTest : public MainDlgTest {
protected:
    TGatedTool Gate;

    void StartGated(int AtOnce, int Rows) {
        ConfigureSigning();
        Services.Settings["FilesAtOnce"] = std::to_string(AtOnce);
        Start();
        AddRows(Rows);
        Services.Tool = [this](const std::string& CommandLine, std::string& Output) {
            return Gate(CommandLine, Output);
        };
        View.Events.clear();
    }
    void TearDown() override {
        // Never leave a worker waiting, whatever failed.
        Gate.ReleaseAll();
    }
};

std::string File(int Index) {
    return "C:\\build\\file" + std::to_string(Index + 1) + ".exe";
}

struct TStopCase {
    const char* Name;
    int AtOnce;
    bool ByEscape; // else the "Sign" button, which reads "Stop"
};

class StopTest : public LargeBatchTest, public ::testing::WithParamInterface<TStopCase> {};

// The files being signed finish, nothing further starts, the rows not
// reached keep what they showed, and the summary counts the rest.
TEST_P(StopTest, RunningFilesFinishAndTheRestAreUntouched) {
    const TStopCase& Case = GetParam();
    StartGated(Case.AtOnce, 8);
    View.Rows[6].Status = ssFailed; // from an earlier batch

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    ASSERT_TRUE(Gate.WaitStarted(Case.AtOnce));
    EXPECT_TRUE(Dlg->BatchRunning());
    ASSERT_TRUE(Dlg->Guard([&] {
        if (Case.ByEscape)
            Dlg->CancelKeyPress();
        else
            Dlg->sign_btnClick();
    }));
    Gate.ReleaseAll();
    ASSERT_TRUE(FinishBatch());

    EXPECT_EQ(Gate.StartedCount(), Case.AtOnce);
    for (int Index = 0; Index < 8; ++Index)
        EXPECT_EQ(View.Rows[Index].Status, Index < Case.AtOnce ? ssSigned
                                           : Index == 6        ? ssFailed
                                                               : ssPending)
            << Index;
    const std::string Signed = std::to_string(Case.AtOnce);
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{Signed +
                                       " files signed\n\r0 warnings\n\r0 "
                                       "files failed\n\r" +
                                       std::to_string(8 - Case.AtOnce) + " files not signed"});
    EXPECT_EQ(View.BatchRunningCalls, (std::vector<bool>{true, false}));
    EXPECT_EQ(View.ProgressPosition, 0);
}

const TStopCase StopCases[] = {
    {"OneAtATimeByEscape", 1, true},
    {"FourAtOnceByTheButton", 4, false},
};
INSTANTIATE_TEST_SUITE_P(Stop, StopTest, ::testing::ValuesIn(StopCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

// Four files overlap for real: every row ends right, each file's pane block
// is whole, the bar counts finished files and the summary is the usual one.
TEST_F(LargeBatchTest, FourAtOnceKeepsEveryBlockWholeAndEveryRowRight) {
    StartGated(4, 9);
    Services.Tool = [this](const std::string& CommandLine, std::string& Output) {
        const std::uint32_t Code = Gate(CommandLine, Output);
        if (CommandLine.find("file5.exe") != std::string::npos) {
            Output = "SignTool Error: no\r\n";
            return 1u;
        }
        return Code;
    };

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    ASSERT_TRUE(Gate.WaitStarted(4));
    // A fifth starts only once one of the four has ended on the window's thread.
    EXPECT_EQ(Gate.StartedCount(), 4);
    Gate.ReleaseAll();
    ASSERT_TRUE(FinishBatch());

    ASSERT_EQ(View.LogAdditions.size(), 27u);
    std::set<std::string> Seen;
    for (std::size_t Block = 0; Block < 9; ++Block) {
        const std::string& Head = View.LogAdditions[Block * 3];
        ASSERT_EQ(Head.rfind(">> ", 0), 0u) << Head;
        const std::string Path = Head.substr(3);
        Seen.insert(Path);
        const std::string& Output = View.LogAdditions[Block * 3 + 1];
        EXPECT_TRUE(Output == "Successfully signed \"" + Path + "\"\r\n" ||
                    (Path == File(4) && Output == "SignTool Error: no\r\n"))
            << Output;
        EXPECT_EQ(View.LogAdditions[Block * 3 + 2], "---------------");
    }
    EXPECT_EQ(Seen.size(), 9u);
    for (int Index = 0; Index < 9; ++Index)
        EXPECT_EQ(View.Rows[Index].Status, Index == 4 ? ssFailed : ssSigned) << Index;
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{"8 files signed\n\r0 warnings\n\r1 files failed"});
    std::vector<std::string> Progress;
    for (const auto& Event : View.Events)
        if (Event.rfind("Progress", 0) == 0)
            Progress.push_back(Event);
    EXPECT_EQ(Progress, (std::vector<std::string>{
                            "ProgressMax 9", "ProgressPosition 0", "ProgressPosition 1",
                            "ProgressPosition 2", "ProgressPosition 3", "ProgressPosition 4",
                            "ProgressPosition 5", "ProgressPosition 6", "ProgressPosition 7",
                            "ProgressPosition 8", "ProgressPosition 9", "ProgressPosition 0"}));
}

// An error of the runner ends the batch as one at a time does: the files
// running finish and are marked, no further file starts, no summary.
TEST_F(LargeBatchTest, ARunnerErrorLetsTheRunningFilesFinishAndStartsNoOther) {
    StartGated(4, 8);
    Gate.Throwing = {"\"" + File(1) + "\""};

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    ASSERT_TRUE(Gate.WaitStarted(4));
    // The failed file's ending reaches the window while the others still run.
    ASSERT_TRUE(View.UiThread.WaitAndRun(std::chrono::seconds(60)));
    EXPECT_TRUE(Dlg->BatchRunning());
    Gate.ReleaseAll();
    ASSERT_TRUE(FinishBatch());

    EXPECT_EQ(Gate.StartedCount(), 4);
    EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssSigned, ssPending, ssSigned, ssSigned,
                                                    ssPending, ssPending, ssPending, ssPending}));
    EXPECT_TRUE(View.Messages.empty());
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Text, "The pipe is being closed.");
    EXPECT_EQ(View.BatchRunningCalls, (std::vector<bool>{true, false}));
}

// While a batch runs nothing changes the list or the settings, whatever a
// window lets through.
TEST_F(LargeBatchTest, NothingChangesTheListOrSettingsDuringABatch) {
    StartGated(1, 2);
    View.SelectRows({0});
    View.DialogAnswers = {std::string("C:\\new.exe")};
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    ASSERT_TRUE(Gate.WaitStarted(1));

    for (auto Handler :
         {&TMainDlg::add_btnClick, &TMainDlg::remove_btnClick, &TMainDlg::ignore_btnClick,
          &TMainDlg::lstDblClick, &TMainDlg::SignFailedAgain1Click})
        ASSERT_TRUE(Dlg->Guard([&] { (Dlg.get()->*Handler)(); }));
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->lstDropFiles({"C:\\dropped.exe"}); }));
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->FilesAtOnceClick(4); }));

    EXPECT_EQ(View.Captions(), (std::vector<std::string>{File(0), File(1)}));
    EXPECT_EQ(Services.Settings.count("FilesAtOnce"), 1u);
    EXPECT_EQ(Services.Settings["FilesAtOnce"], "1");
    EXPECT_TRUE(View.DialogFilters.empty());
    Gate.ReleaseAll();
    ASSERT_TRUE(FinishBatch());
    EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssSigned, ssSigned}));
}

class CloseTest : public LargeBatchTest, public ::testing::WithParamInterface<bool> {};

// Closing during a batch asks; "No" keeps signing, "Yes" stops and then
// closes through the usual close sequence, which saves the list.
TEST_P(CloseTest, CloseDuringABatchAsksAndYesStopsThenCloses) {
    const bool Yes = GetParam();
    StartGated(1, 3);
    View.BoxAnswers = {Yes ? IDYES_Answer : IDNO_Answer};

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->sign_btnClick(); }));
    ASSERT_TRUE(Gate.WaitStarted(1));
    EXPECT_FALSE(Dlg->FormClose());
    ASSERT_EQ(View.Boxes.size(), 1u);
    EXPECT_EQ(View.Boxes[0].Caption, "Quorvel");
    EXPECT_EQ(View.Boxes[0].Style, MB_YESNO_Flag | MB_ICONQUESTION_Flag);
    EXPECT_TRUE(Services.Saves.empty());
    Gate.ReleaseAll();
    ASSERT_TRUE(FinishBatch());

    if (Yes) {
        EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssSigned, ssPending, ssPending}));
        EXPECT_TRUE(View.Messages.empty());
        EXPECT_EQ(View.CloseRequests, 1);
        EXPECT_EQ(Services.LogMessages().back(),
                  "Batch stopped to quit: 1 files signed\n\r0 warnings\n\r0 files failed\n\r2 "
                  "files not signed");
        // The window then closes as its close box does: the usual sequence.
        EXPECT_TRUE(Dlg->FormClose());
        EXPECT_EQ(Services.Saves.size(), 1u);
    } else {
        EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssSigned, ssSigned, ssSigned}));
        EXPECT_EQ(View.Messages.size(), 1u);
        EXPECT_EQ(View.CloseRequests, 0);
    }
}
INSTANTIATE_TEST_SUITE_P(Close, CloseTest, ::testing::Bool(),
                         [](const auto& Info) { return Info.param ? "Yes" : "No"; });

TEST_F(MainDlgTest, SignFailedAgainSignsOnlyTheFailedRows) {
    ConfigureSigning();
    Start();
    AddRows(4);
    View.Rows[1].Status = ssFailed;
    View.Rows[2].Status = ssSigned;
    View.Rows[3].Status = ssFailed;

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->SignFailedAgain1Click(); }));
    ASSERT_TRUE(FinishBatch());

    ASSERT_EQ(Services.CommandLines.size(), 2u);
    EXPECT_NE(Services.CommandLines[0].find(File(1)), std::string::npos);
    EXPECT_NE(Services.CommandLines[1].find(File(3)), std::string::npos);
    EXPECT_EQ(Statuses(), (std::vector<TSignStatus>{ssPending, ssSigned, ssSigned, ssSigned}));
    EXPECT_EQ(View.Messages,
              std::vector<std::string>{"2 files signed\n\r0 warnings\n\r0 files failed"});
    EXPECT_EQ(View.ProgressMax, 1);

    View.Messages.clear();
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->SignFailedAgain1Click(); }));
    EXPECT_EQ(View.Messages, std::vector<std::string>{"No failed file to sign !"});
    EXPECT_FALSE(Dlg->BatchRunning());
}

// The stored value is text; only 1, 2, 4 and 8 count, anything else is 1.
TEST_F(MainDlgTest, FilesAtOnceIsStoredAsTextAndReadStrictly) {
    Start();
    const std::pair<const char*, int> Stored[] = {{"", 1},   {"1", 1},  {"2", 2},  {"4", 4},
                                                  {"8", 8},  {"3", 1},  {"16", 1}, {"08", 1},
                                                  {"4 ", 1}, {"+4", 1}, {"x", 1}};
    for (const auto& [Text, Count] : Stored) {
        Services.Settings["FilesAtOnce"] = Text;
        EXPECT_EQ(Dlg->FilesAtOnce(), Count) << Text;
    }

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->FilesAtOnceClick(4); }));
    EXPECT_EQ(Services.Settings["FilesAtOnce"], "4");
    EXPECT_EQ(View.FilesAtOnceTicked, 4);
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->FilesAtOnceClick(3); }));
    EXPECT_EQ(Services.Settings["FilesAtOnce"], "4");
}

TEST_F(MainDlgTest, AddTakesEveryFileChosenInOrder) {
    Start();
    AddRows(1);
    View.MultiDialogAnswers = {{"C:\\b.exe", "C:\\a.dll", "C:\\setup.msi"}, {}};

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->add_btnClick(); }));
    ASSERT_TRUE(Dlg->Guard([&] { Dlg->add_btnClick(); })); // cancelled

    EXPECT_EQ(View.Captions(),
              (std::vector<std::string>{File(0), "C:\\b.exe", "C:\\a.dll", "C:\\setup.msi"}));
    EXPECT_EQ(View.DialogFilters, std::vector<std::string>(2, TMainDlg::getODFilter()));
}

// A dropped folder gives its signable files in name order, never entering a
// link: a link back to the folder would otherwise loop for ever.
TEST_F(MainDlgTest, ADroppedFolderAddsItsSignableFilesAndSkipsLinks) {
    std::random_device Random;
    const fs::path Root = fs::temp_directory_path() / ("quorvel-drop-" + std::to_string(Random()));
    fs::create_directories(Root / "app" / "sub");
    for (const char* Name : {"app/c.dll", "app/B.EXE", "app/readme.txt", "app/sub/x.Scr",
                             "app/sub/y.ocx", "app/z.cpl", "app/sub/old.exe.bak"})
        std::ofstream(Root / Name) << "x";
    std::error_code Failed;
    fs::create_directory_symlink(Root / "app", Root / "app" / "sub" / "loop", Failed);
    if (!Failed)
        fs::create_symlink(Root / "app" / "c.dll", Root / "app" / "link.exe", Failed);
    if (Failed) {
        fs::remove_all(Root, Failed);
        GTEST_SKIP() << "no links here";
    }
    Start();
    const std::string App = (Root / "app").string();
    const std::string Sep(1, fs::path::preferred_separator);

    ASSERT_TRUE(Dlg->Guard([&] { Dlg->lstDropFiles({"/no/such/setup.msi", App}); }));

    EXPECT_EQ(View.Captions(),
              (std::vector<std::string>{"/no/such/setup.msi", App + Sep + "B.EXE",
                                        App + Sep + "c.dll", App + Sep + "sub" + Sep + "x.Scr",
                                        App + Sep + "sub" + Sep + "y.ocx", App + Sep + "z.cpl"}));
    fs::remove_all(Root, Failed);
}

} // namespace
