// What TMainDlg adds to a batch: 1000 files signed through the controller
// with a plain window and a trivial tool, against a bare loop that runs the
// same tool 1000 times through the same runner. Also whether the time per
// file grows along the list.
#include "core/UiDispatcher.h"
#include "log/U_Log.h"
#include "signing/CommandRunner.h"
#include "signing/SigningSettings.h"
#include "ui/U_MainDlg.h"
#include "ui/U_TaskBarProgressUnit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Files = 1000;
constexpr int Rounds = 3;
constexpr double Target = 1.20;
constexpr double GrowthTarget = 1.20;

using TClock = std::chrono::steady_clock;

class TNoDispatcher : public IUiDispatcher {
public:
    void Post(std::function<void()>) override {}
};

// A window that keeps what a real one keeps: the rows, the pane's text.
class TPlainView : public IMainView {
public:
    struct TRow {
        std::string Caption;
        TSignStatus Status;
    };
    std::vector<TRow> Rows;
    std::string Pane;
    std::vector<TClock::time_point> FileStarts;
    std::string Tool, Certificate;
    TNoDispatcher UiThread;

    int ShowMessageBox(const std::string&, const std::string&, std::uint32_t) override { return 1; }
    void SetCaption(const std::string&) override {}
    std::string FieldText(TMainField Field) const override {
        if (Field == TMainField::signtool_txt)
            return Tool;
        if (Field == TMainField::certifpath_txt)
            return Certificate;
        if (Field == TMainField::timestamp_txt)
            return "http://timestamp.example";
        return "password";
    }
    void SetFieldText(TMainField, const std::string&) override {}
    void SetFieldEnabled(TMainField, bool) override {}
    bool Checked(TMainCheck) const override { return true; }
    void SetChecked(TMainCheck, bool) override {}
    int DigestIndex(TMainDigestList) const override { return 0; }
    void SetDigestIndex(TMainDigestList, int) override {}
    void SetDownloadLinkVisible(bool) override {}
    int RowCount() const override { return static_cast<int>(Rows.size()); }
    void AddRow(const std::string& Caption, TSignStatus Status) override {
        Rows.push_back({Caption, Status});
    }
    void DeleteRow(int Index) override { Rows.erase(Rows.begin() + Index); }
    void DeleteAllRows() override { Rows.clear(); }
    std::string RowCaption(int Index) const override {
        return Rows[static_cast<std::size_t>(Index)].Caption;
    }
    bool RowSelected(int) const override { return false; }
    void SetRowStatus(int Index, TSignStatus Status) override {
        Rows[static_cast<std::size_t>(Index)].Status = Status;
    }
    void ScrollRowIntoView(int) override {}
    void RedrawList() override {}
    void AddLogText(const std::string& Text) override { Pane += Text + "\r\n"; }
    void ClearLog() override { Pane.clear(); }
    void RedrawLog() override {}
    void SetProgressBarMax(int) override {}
    void SetProgressBarPosition(int) override { FileStarts.push_back(TClock::now()); }
    void SetCheckForUpdateEnabled(bool) override {}
    std::optional<std::string> ExecuteOpenDialog(const std::string&) override {
        return std::nullopt;
    }
    void ShowMessage(const std::string&) override {}
    void OpenAddress(const std::string&) override {}
    void OpenAddressEx(const std::string&) override {}
    void ShowAbout() override {}
    void CloseWindow() override {}
    IUiDispatcher& Dispatcher() override { return UiThread; }
    std::unique_ptr<ITaskbarPort> CreateTaskbarPort() override { return nullptr; }
};

// Only what a batch touches: the runner and the file test.
class TBatchServices : public IMainServices {
public:
    std::string ExePath() override { return {}; }
    std::vector<std::string> Arguments() override { return {}; }
    std::string FileVersionText(const std::string&) override { return {}; }
    std::string ReadSetting(const std::string&) override { return {}; }
    bool WriteSetting(const std::string&, const std::string&) override { return true; }
    bool WriteIntSetting(const std::string&, std::int32_t) override { return true; }
    std::vector<std::string> TakeStoreNotices() override { return {}; }
    void ImportPortableSettings() override {}
    void RecordRunningExecutable() override {}
    std::string LogFilePath() override { return {}; }
    std::vector<std::string> LoadFileList() override { return {}; }
    void SaveFileList(const std::vector<std::string>&) override {}
    std::string CleanProgramVirtualStore() override { return {}; }
    bool IsInstalled() override { return true; }
    void FinishPortableUse() override {}
    std::unique_ptr<TKLog> CreateLog(const std::string&, bool) override { return nullptr; }
    void WriteEnvironmentFacts(TKLog&, const std::optional<std::string>&) override {}
    std::unique_ptr<IMainUpdateChecker> CreateUpdateChecker(TKLog&, IUiDispatcher&,
                                                            IUpdateCheckOwner&) override {
        return nullptr;
    }
    TCommandRunner CommandRunner() override { return &RunAndCapture; }
    std::uint32_t RunCommandWith(const std::string& CommandLine, std::string& Output,
                                 const TRunOptions& Options) override {
        return RunAndCaptureWith(CommandLine, Output, Options);
    }
    std::vector<TStoreCertificate> StoreCertificates() override { return {}; }
    bool StoreCertificatePresent(const std::string&) override { return false; }
    bool FileExists(const std::string&) override { return true; }
    std::string SignToolSdkFolder() override { return {}; }
    std::vector<std::string> ListFolder(const std::string&) override { return {}; }
};

std::string FileName(int Index) {
    return "/builds/out/file" + std::to_string(Index) + ".exe";
}

double Seconds(TClock::duration Span) {
    return std::chrono::duration<double>(Span).count();
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    TPlainView View;
    View.Tool = argc > 1 ? argv[1] : QUORVEL_BENCH_TOOL;
    View.Certificate = "/keys/code.pfx";
    for (int Index = 0; Index < Files; ++Index)
        View.AddRow(FileName(Index), ssPending);
    TBatchServices Services;
    TMainDlg Dlg(View, Services);

    TSigningSettings Settings;
    Settings.SignTool = View.Tool;
    Settings.Certificate = View.Certificate;
    Settings.Password = "password";
    Settings.TimeStampURL = "http://timestamp.example";

    // Per-file times, so that a busy moment of a shared machine moves a few
    // samples rather than a whole total; medians compare the two ways.
    std::vector<double> Bare, Batch, FirstTenth, LastTenth;
    for (int Round = 0; Round < Rounds; ++Round) {
        // The same tool, the same command lines, the same runner, no window.
        for (int Index = 0; Index < Files; ++Index) {
            const auto Start = TClock::now();
            std::string Output;
            RunAndCapture(BuildSignCommandLine(Settings, FileName(Index)), Output);
            Bare.push_back(Seconds(TClock::now() - Start));
        }

        View.FileStarts.clear();
        if (!Dlg.Guard([&] { Dlg.sign_btnClick(); }))
            return 1;
        if (View.Rows.back().Status != ssSigned) {
            std::fprintf(stderr, "the trivial tool did not sign\n");
            return 1;
        }
        // FileStarts: one before each file, then the final position 0.
        for (int Index = 0; Index < Files; ++Index) {
            const double File = Seconds(View.FileStarts[Index + 1] - View.FileStarts[Index]);
            Batch.push_back(File);
            if (Index < Files / 10)
                FirstTenth.push_back(File);
            else if (Index >= Files - Files / 10)
                LastTenth.push_back(File);
        }
    }

    const double BareFile = Median(Bare), BatchFile = Median(Batch);
    const double Ratio = BatchFile / BareFile, Growth = Median(LastTenth) / Median(FirstTenth);
    std::printf("batch of %d files through TMainDlg, medians over %d rounds\n", Files, Rounds);
    std::printf("  bare loop, per file:        %8.1f us\n", BareFile * 1e6);
    std::printf("  TMainDlg batch, per file:   %8.1f us\n", BatchFile * 1e6);
    std::printf("  ratio %.3f (target <= %.2f): %s\n", Ratio, Target,
                Ratio <= Target ? "met" : "NOT met");
    std::printf("  last tenth / first tenth of the list %.3f (target <= %.2f): %s\n", Growth,
                GrowthTarget, Growth <= GrowthTarget ? "met" : "NOT met");
    return 0;
}
