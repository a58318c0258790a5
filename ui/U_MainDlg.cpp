#include "ui/U_MainDlg.h"

#include "AppInfo.h"
#include "core/Addresses.h"
#include "core/ValueNames.h"
#include "log/U_Log.h"
#include "settings/EnvProbe.h"
#include "signing/SignToolDiscovery.h"
#include "ui/DroppedFiles.h"
#include "ui/SignBatch.h"
#include "ui/U_MsgDlg.h"
#include "ui/U_TaskBarProgressUnit.h"
#include "ui/WorkerPool.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <stdexcept>
#include <string_view>

namespace {

// The log pane Memo1 as the signing engine sees it.
class TMemoPane : public ILogPane {
public:
    explicit TMemoPane(IMainView& View) : View(View) {}
    void Add(const std::string& Text) override { View.AddLogText(Text); }

private:
    IMainView& View;
};

// A stored whole number, 0 when it is missing or not a number.
int StoredIndex(const std::string& Text) {
    int Value = 0;
    const char* First = Text.data();
    const char* Last = First + Text.size();
    if (First != Last && *First == '+' && Last - First > 1 && First[1] != '-')
        ++First;
    const auto [End, Error] = std::from_chars(First, Last, Value);
    if (Error != std::errc() || End != Last || First == Last)
        return 0;
    return Value;
}

constexpr const char* CertificateFilter = "X.509 Certificate|*.*";

// The tool's output says the token refused the PIN, or is locked by now:
// the Linux signtool's texts, and the smart-card errors SCARD_W_WRONG_CHV and
// SCARD_W_CHV_BLOCKED as Windows' signtool reports them.
bool TokenRefusedPin(const std::string& Output) {
    static constexpr std::string_view Signs[] = {
        "The token's PIN is not correct",
        "The token is locked after too many wrong PINs",
        "0x8010006b",
        "0x8010006c",
        "wrong PIN was presented",
        "maximum number of PIN entry attempts",
    };
    for (std::string_view Sign : Signs)
        if (TextContains(Sign, Output))
            return true;
    return false;
}

constexpr const char* PinRefusedSkip =
    "Not signed: the token refused the PIN for an earlier file of this batch; it is not tried "
    "again, as a few more wrong tries lock the token. Check the PIN and sign again.";

} // namespace

// One batch: the rows it signs, what it signs them with, and where it is.
struct TMainDlg::TBatch {
    explicit TBatch(IUiDispatcher& Dispatcher) : Workers(Dispatcher) {}

    // What one file's run leaves for the window: written by its worker only,
    // read on the window's thread once the worker has ended.
    struct TFile {
        std::vector<std::string> PaneAdditions;
        std::string Output;
        std::uint32_t ExitCode = 0;
        std::exception_ptr Error;
    };

    std::vector<int> Indexes;
    std::vector<TFile> Files; // by place in Indexes
    TSigningSettings Settings;
    TCommandRunner Runner;
    int AtOnce = 1;
    std::size_t Next = 0; // place in Indexes of the next file to start
    int Finished = 0;
    bool Stopping = false;   // no further file starts
    bool StopAsked = false;  // by the user, as opposed to by an error
    bool CloseAfter = false; // "Yes" to closing during the batch
    // Each further wrong try brings a token closer to locking itself.
    bool PinRefused = false;
    std::exception_ptr Error;
    TBatchCounters Counters;
    // Last, so that it is destroyed first: it waits for the running files.
    TWorkerPool Workers;
};

namespace {

class TForwardingPane : public ILogPane {
public:
    explicit TForwardingPane(std::function<void(const std::string&)> Sink)
        : Sink(std::move(Sink)) {}
    void Add(const std::string& Text) override { Sink(Text); }

private:
    std::function<void(const std::string&)> Sink;
};

} // namespace

TMainDlg::TMainDlg(IMainView& View, IMainServices& Services)
    : View(View), Services(Services), Run(Services.CommandRunner()) {}

TMainDlg::~TMainDlg() {
    FormDestroy();
}

bool TMainDlg::Guard(const std::function<void()>& Handler) noexcept {
    try {
        Handler();
        return true;
    } catch (const std::exception& Error) {
        HandleException(Error);
    } catch (...) {
        HandleException(std::runtime_error("Unknown error"));
    }
    return false;
}

void TMainDlg::HandleException(const std::exception& Error) noexcept {
    try {
        View.ShowMessageBox(Error.what(), AppInfo::Title, MB_OK_Flag | MB_ICONERROR_Flag);
    } catch (...) {
        // Nowhere left to report to; the handler has already ended.
    }
}

void TMainDlg::FormCreate() {
    Services.ImportPortableSettings();
}

void TMainDlg::AppEvtActivate() {
    if (ActivateHandled)
        return;
    // First of all, so that a failing step can never run the sequence twice.
    ActivateHandled = true;

    const std::string ExePath = Services.ExePath();
    Services.RecordRunningExecutable();

    const std::string Caption =
        std::string(AppInfo::Title) + " v" + Services.FileVersionText(ExePath);
    View.SetCaption(Caption);

    TaskProgress = std::make_unique<TTaskProgressBar>(View.CreateTaskbarPort());

    const bool Debug = Services.ReadSetting(ValueNames::DebugLog) == "1";
    Log = Services.CreateLog(Services.LogFilePath(), Debug);
    for (const std::string& Notice : Services.TakeStoreNotices())
        Log->Write(Notice, LogError);

    WriteStartingLines(*Log, ExePath, Caption);
    const std::vector<std::string> Arguments = Services.Arguments();
    Services.WriteEnvironmentFacts(*Log, Arguments.empty()
                                             ? std::optional<std::string>()
                                             : std::optional<std::string>(Arguments.front()));

    FileListStore = std::make_unique<std::vector<std::string>>(Services.LoadFileList());
    for (const std::string& Line : *FileListStore)
        View.AddRow(Line, ssPending);
    FileListLoaded = true;

    RestoreOrDiscoverSignTool();

    RestoreCertificate();

    const std::string Password = Services.ReadSetting(ValueNames::Password);
    if (!Password.empty()) {
        View.SetFieldText(TMainField::password_txt, Password);
        View.SetChecked(TMainCheck::password_chk, true);
    }

    View.SetDownloadLinkVisible(View.FieldText(TMainField::signtool_txt).empty());

    const std::string TimeStampURL = Services.ReadSetting(ValueNames::TimeStampURL);
    if (!TimeStampURL.empty())
        View.SetFieldText(TMainField::timestamp_txt, TimeStampURL);
    else if (!Addresses::TimestampServers.empty())
        View.SetFieldText(TMainField::timestamp_txt, Addresses::TimestampServers.front());

    View.SetDigestIndex(TMainDigestList::certDigest_cmb,
                        StoredIndex(Services.ReadSetting(ValueNames::CertDigest)));
    View.SetDigestIndex(TMainDigestList::timeDigest_cmb,
                        StoredIndex(Services.ReadSetting(ValueNames::TimeStampDigest)));

    UpdateChecker = Services.CreateUpdateChecker(*Log, View.Dispatcher(), *this);
    AutoCheckPending = true;
    Checkforupdate1Click();
}

void TMainDlg::RestoreOrDiscoverSignTool() {
    const std::string Stored = Services.ReadSetting(ValueNames::SignTool);
    if (Services.FileExists(Stored)) {
        View.SetFieldText(TMainField::signtool_txt, Stored);
        return;
    }
    const std::string SdkFolder = Services.SignToolSdkFolder();
    SearchSignTool(
        SdkFolder, Services.ListFolder(SdkFolder),
        [this](const std::string& Path) { return Services.FileExists(Path); },
        [this](const std::string& Path) {
            View.SetFieldText(TMainField::signtool_txt, Path);
            Services.WriteSetting(ValueNames::SignTool, View.FieldText(TMainField::signtool_txt));
        });
}

void TMainDlg::RestoreCertificate() {
    View.SetFieldText(TMainField::certifpath_txt, Services.ReadSetting(ValueNames::Certificate));
    if (CertSourceFromSetting(Services.ReadSetting(ValueNames::CertSource)) != TCertSource::Store)
        return;
    // A thumbprint that is not one leaves the .pfx file in charge, as before.
    const std::string Thumbprint =
        NormalizeThumbprint(Services.ReadSetting(ValueNames::CertThumbprint));
    if (Thumbprint.empty())
        return;
    CertSource = TCertSource::Store;
    CertThumbprint = Thumbprint;
    std::string Subject;
    for (const TStoreCertificate& Certificate : Services.StoreCertificates())
        if (Certificate.Thumbprint == Thumbprint) {
            Subject = Certificate.Subject;
            break;
        }
    ShowStoreCertificate(Subject);
}

void TMainDlg::ShowStoreCertificate(const std::string& Subject) {
    // A certificate gone since it was chosen still shows its thumbprint;
    // the check before a batch reports it missing.
    View.SetFieldText(TMainField::certifpath_txt,
                      (Subject.empty() ? std::string() : Subject + " ") + "[" + CertThumbprint +
                          "]");
}

void TMainDlg::browsesign_btnClick() {
    if (const auto Chosen = View.ExecuteOpenDialog(SignToolFilter())) {
        View.SetFieldText(TMainField::signtool_txt, *Chosen);
        Services.WriteSetting(ValueNames::SignTool, View.FieldText(TMainField::signtool_txt));
    }
}

void TMainDlg::browsecert_btnClick() {
    if (const auto Chosen = View.ExecuteOpenDialog(CertificateFilter)) {
        View.SetFieldText(TMainField::certifpath_txt, *Chosen);
        Services.WriteSetting(ValueNames::Certificate, View.FieldText(TMainField::certifpath_txt));
        if (CertSource != TCertSource::PfxFile) {
            CertSource = TCertSource::PfxFile;
            Services.WriteSetting(ValueNames::CertSource, CertSourceSettingText(CertSource));
        }
    }
}

void TMainDlg::browsecertstore_itemClick() {
    std::vector<TStoreCertificate> Usable;
    for (TStoreCertificate& Certificate : Services.StoreCertificates())
        if (Certificate.Usable())
            Usable.push_back(std::move(Certificate));
    if (Usable.empty()) {
        View.ShowMessage("No code-signing certificate with a private key was found in the "
                         "certificate store !");
        return;
    }
    const auto Chosen = View.ChooseStoreCertificate(Usable);
    if (!Chosen)
        return;
    const std::string Thumbprint = NormalizeThumbprint(*Chosen);
    const auto Found =
        std::find_if(Usable.begin(), Usable.end(), [&](const TStoreCertificate& Certificate) {
            return Certificate.Thumbprint == Thumbprint;
        });
    if (Thumbprint.empty() || Found == Usable.end())
        return;
    CertSource = TCertSource::Store;
    CertThumbprint = Thumbprint;
    ShowStoreCertificate(Found->Subject);
    Services.WriteSetting(ValueNames::CertSource, CertSourceSettingText(CertSource));
    Services.WriteSetting(ValueNames::CertThumbprint, CertThumbprint);
}

void TMainDlg::downloadSDK_lblClick() {
    View.OpenAddressEx(Addresses::SignToolDocumentation);
}

void TMainDlg::timestamp_chkClick() {
    View.SetFieldEnabled(TMainField::timestamp_txt, View.Checked(TMainCheck::timestamp_chk));
}

void TMainDlg::timestamp_txtChange() {
    Services.WriteSetting(ValueNames::TimeStampURL, View.FieldText(TMainField::timestamp_txt));
}

void TMainDlg::timeDigest_cmbChange() {
    Services.WriteIntSetting(ValueNames::TimeStampDigest,
                             View.DigestIndex(TMainDigestList::timeDigest_cmb));
}

void TMainDlg::certDigest_cmbChange() {
    Services.WriteIntSetting(ValueNames::CertDigest,
                             View.DigestIndex(TMainDigestList::certDigest_cmb));
}

void TMainDlg::password_txtChange() {
    if (View.Checked(TMainCheck::password_chk))
        Services.WriteSetting(ValueNames::Password, View.FieldText(TMainField::password_txt));
}

void TMainDlg::password_chkClick() {
    Services.WriteSetting(ValueNames::Password, View.Checked(TMainCheck::password_chk)
                                                    ? View.FieldText(TMainField::password_txt)
                                                    : std::string());
}

void TMainDlg::add_btnClick() {
    if (Batch)
        return;
    for (const std::string& Chosen : View.ExecuteOpenDialogFiles(getODFilter()))
        View.AddRow(Chosen, ssPending);
}

void TMainDlg::remove_btnClick() {
    if (Batch)
        return;
    // A deleted row's place is examined again: the next row has moved into it.
    int Index = 0;
    while (Index < View.RowCount()) {
        if (View.RowSelected(Index))
            View.DeleteRow(Index);
        else
            ++Index;
    }
}

void TMainDlg::ignore_btnClick() {
    if (Batch)
        return;
    View.DeleteAllRows();
}

void TMainDlg::lstDblClick() {
    if (Batch)
        return;
    const int Count = View.RowCount();
    int Index = 0;
    while (Index < Count && !View.RowSelected(Index))
        ++Index;
    if (Index == Count)
        return;

    TBatchCounters Counters;
    std::string Output;
    const std::uint32_t ExitCode = SignListItem(Index, Output);
    LastStatus = Counters.Count(Output, ExitCode);
    View.SetRowStatus(Index, LastStatus);
    View.ShowMessage(Counters.SummaryText());
}

bool TMainDlg::ToolAndCertificateFound() {
    if (!Services.FileExists(View.FieldText(TMainField::signtool_txt))) {
        View.ShowMessage("SignTool not found !");
        return false;
    }
    if (CertSource == TCertSource::Store
            ? !Services.StoreCertificatePresent(CertThumbprint)
            : !Services.FileExists(View.FieldText(TMainField::certifpath_txt))) {
        View.ShowMessage("Certificate not found !");
        return false;
    }
    return true;
}

void TMainDlg::sign_btnClick() {
    // The button reads "Stop" while a batch runs.
    if (Batch) {
        StopBatch();
        return;
    }
    if (!ToolAndCertificateFound())
        return;
    if (View.RowCount() < 1) {
        View.ShowMessage("No file to sign !");
        return;
    }
    std::vector<int> Indexes(static_cast<std::size_t>(View.RowCount()));
    for (std::size_t Index = 0; Index < Indexes.size(); ++Index)
        Indexes[Index] = static_cast<int>(Index);
    StartBatch(std::move(Indexes));
}

void TMainDlg::SignFailedAgain1Click() {
    if (Batch)
        return;
    if (!ToolAndCertificateFound())
        return;
    std::vector<int> Indexes;
    for (int Index = 0; Index < View.RowCount(); ++Index)
        if (View.RowStatus(Index) == ssFailed)
            Indexes.push_back(Index);
    if (Indexes.empty()) {
        View.ShowMessage("No failed file to sign !");
        return;
    }
    StartBatch(std::move(Indexes));
}

void TMainDlg::CancelKeyPress() {
    if (Batch)
        StopBatch();
}

int TMainDlg::FilesAtOnce() {
    const std::string Stored = Services.ReadSetting(ValueNames::FilesAtOnce);
    for (const int Allowed : {1, 2, 4, 8})
        if (Stored == std::to_string(Allowed))
            return Allowed;
    return 1;
}

void TMainDlg::FilesAtOnceClick(int Count) {
    if (Batch || (Count != 1 && Count != 2 && Count != 4 && Count != 8))
        return;
    Services.WriteSetting(ValueNames::FilesAtOnce, std::to_string(Count));
    View.SetFilesAtOnce(Count);
}

void TMainDlg::lstDropFiles(const std::vector<std::string>& Paths) {
    // The batch works on the rows by their place in the list.
    if (Batch)
        return;
    for (const std::string& Path : DroppedFiles(Paths))
        View.AddRow(Path, ssPending);
}

void TMainDlg::StartBatch(std::vector<int> Indexes) {
    View.ClearLog();
    View.RedrawLog();

    auto New = std::make_unique<TBatch>(View.Dispatcher());
    New->AtOnce = FilesAtOnce();
    New->Files.resize(Indexes.size());
    New->Indexes = std::move(Indexes);
    // The controls are disabled for the whole batch, so the settings read
    // now hold for every file.
    New->Settings = CurrentSigningSettings();
    TRunOptions Options{SigningEnvironment(New->Settings)};
    if (Options.Environment.empty())
        New->Runner = Run;
    else
        New->Runner = [this, Options](const std::string& CommandLine, std::string& Output) {
            return Services.RunCommandWith(CommandLine, Output, Options);
        };
    const int Count = static_cast<int>(New->Indexes.size());
    // One at a time the bar shows the file being signed; several at once it
    // counts the files finished.
    SetProgressMax(New->AtOnce == 1 ? Count - 1 : Count);
    if (New->AtOnce > 1)
        SetProgressPosition(0);

    Batch = std::move(New);
    View.SetBatchRunning(true);
    StartNextFiles();
}

void TMainDlg::StartNextFiles() {
    TBatch& Current = *Batch;
    while (!Current.Stopping && Current.Next < Current.Indexes.size() &&
           Current.Workers.Running() < Current.AtOnce) {
        const std::size_t Place = Current.Next++;
        const int Index = Current.Indexes[Place];
        if (Current.AtOnce == 1)
            SetProgressPosition(static_cast<int>(Place));
        if (Current.PinRefused) {
            std::string Output;
            const std::uint32_t ExitCode = SkipAfterRefusedPin(Index, Output);
            CountFile(Index, Output, ExitCode);
            continue;
        }
        // One at a time the pane shows each line as it comes; several at
        // once each file's block is added whole when the file ends.
        std::function<void(const std::string&)> Sink;
        if (Current.AtOnce == 1)
            Sink = [this, &Current](const std::string& Text) {
                Current.Workers.Post([this, Text] { View.AddLogText(Text); });
            };
        else
            Sink = [&File = Current.Files[Place]](const std::string& Text) {
                File.PaneAdditions.push_back(Text);
            };
        Current.Workers.Start(
            [&Current, Place, Path = View.RowCaption(Index), Sink = std::move(Sink)] {
                TBatch::TFile& File = Current.Files[Place];
                TForwardingPane Pane(Sink);
                try {
                    File.ExitCode =
                        SignOneFile(Pane, Current.Runner, Current.Settings, Path, File.Output);
                } catch (...) {
                    File.Error = std::current_exception();
                }
            },
            [this, Place] { FileFinished(Place); });
    }
    if (Current.Workers.Running() == 0)
        EndBatch();
}

void TMainDlg::FileFinished(std::size_t Place) {
    TBatch& Current = *Batch;
    TBatch::TFile& File = Current.Files[Place];
    for (const std::string& Text : File.PaneAdditions)
        View.AddLogText(Text);
    if (File.Error) {
        // As one at a time: the files running end, no further one starts.
        if (!Current.Error)
            Current.Error = File.Error;
        Current.Stopping = true;
    } else {
        if (Current.Settings.CertSource == TCertSource::Store && TokenRefusedPin(File.Output))
            Current.PinRefused = true;
        CountFile(Current.Indexes[Place], File.Output, File.ExitCode);
    }
    StartNextFiles();
}

void TMainDlg::CountFile(int Index, const std::string& Output, std::uint32_t ExitCode) {
    TBatch& Current = *Batch;
    LastStatus = Current.Counters.Count(Output, ExitCode);
    View.SetRowStatus(Index, LastStatus);
    View.ScrollRowIntoView(Index);
    View.RedrawList();
    ++Current.Finished;
    if (Current.AtOnce > 1)
        SetProgressPosition(Current.Finished);
}

void TMainDlg::StopBatch() {
    Batch->Stopping = true;
    Batch->StopAsked = true;
}

void TMainDlg::EndBatch() {
    // Released before any box: a box's own message loop may run posted work.
    const std::unique_ptr<TBatch> Ended = std::move(Batch);
    View.SetBatchRunning(false);
    if (Ended->Error) {
        try {
            std::rethrow_exception(Ended->Error);
        } catch (const std::exception& Error) {
            HandleException(Error);
        } catch (...) {
            HandleException(std::runtime_error("Unknown error"));
        }
    } else {
        std::string Summary = Ended->Counters.SummaryText();
        const std::size_t NotStarted = Ended->Indexes.size() - Ended->Next;
        if (Ended->StopAsked && NotStarted > 0)
            Summary += "\n\r" + std::to_string(NotStarted) + " files not signed";
        // Quitting: the summary goes to the log file rather than a box.
        if (Ended->CloseAfter) {
            if (Log)
                Log->Write("Batch stopped to quit: " + Summary, LogInfo);
        } else
            View.ShowMessage(Summary);
        SetProgressPosition(0);
    }
    if (Ended->CloseAfter)
        View.CloseWindow();
}

std::uint32_t TMainDlg::SignListItem(int Index, std::string& Output) {
    TMemoPane Pane(View);
    const TSigningSettings Settings = CurrentSigningSettings();
    TRunOptions Options{SigningEnvironment(Settings)};
    if (Options.Environment.empty())
        return SignOneFile(Pane, Run, Settings, View.RowCaption(Index), Output);
    const TCommandRunner RunWithPin = [&](const std::string& CommandLine, std::string& Captured) {
        return Services.RunCommandWith(CommandLine, Captured, Options);
    };
    return SignOneFile(Pane, RunWithPin, Settings, View.RowCaption(Index), Output);
}

std::uint32_t TMainDlg::SkipAfterRefusedPin(int Index, std::string& Output) {
    View.AddLogText(">> " + View.RowCaption(Index));
    Output = PinRefusedSkip;
    View.AddLogText(Output);
    View.AddLogText("---------------");
    return SignToolFailedExitCode;
}

TSigningSettings TMainDlg::CurrentSigningSettings() const {
    TSigningSettings Settings;
    Settings.SignTool = View.FieldText(TMainField::signtool_txt);
    Settings.Certificate = View.FieldText(TMainField::certifpath_txt);
    Settings.Password = View.FieldText(TMainField::password_txt);
    Settings.TimeStamping = View.Checked(TMainCheck::timestamp_chk);
    Settings.TimeStampURL = View.FieldText(TMainField::timestamp_txt);
    Settings.CertDigest = View.DigestIndex(TMainDigestList::certDigest_cmb);
    Settings.TimeStampDigest = View.DigestIndex(TMainDigestList::timeDigest_cmb);
    Settings.CertSource = CertSource;
    Settings.CertThumbprint = CertThumbprint;
    return Settings;
}

void TMainDlg::SetProgressMax(int Value) {
    View.SetProgressBarMax(Value);
    if (TaskProgress)
        TaskProgress->SetMax(Value);
}

void TMainDlg::SetProgressPosition(int Value) {
    View.SetProgressBarPosition(Value);
    if (TaskProgress)
        TaskProgress->SetPosition(Value);
}

std::string TMainDlg::getODFilter() {
    static constexpr std::pair<const char*, const char*> Kinds[] = {
        {"Exe Files", "|*.exe;"},     {"Dll Files", "|*.dll;"},
        {"ActiveX Files", "|*.ocx;"}, {"Control Panel Items", "|*.cpl;"},
        {"Screen Savers", "|*.scr;"},
    };
    std::string Filter = "All Supported Files";
    Filter += "|*.exe;*.dll;*.ocx;*.cpl;*.scr;";
    for (const auto& [Name, Pattern] : Kinds) {
        Filter += "|";
        Filter += Name;
        Filter += Pattern;
    }
    return Filter;
}

void TMainDlg::Clearlog_btnClick() {
    View.ClearLog();
}

void TMainDlg::Quit1Click() {
    View.CloseWindow();
}

void TMainDlg::OpenLog1Click() {
    // Doing nothing would leave the user guessing (no opener installed).
    if (Log && !Log->OpenWithShell())
        View.ShowMessage("Cannot open the log file !\n" + Log->FileName);
}

void TMainDlg::Checkforupdate1Click() {
    if (UpdateChecker)
        UpdateChecker->Check();
}

void TMainDlg::About1Click() {
    View.ShowAbout();
}

void TMainDlg::BugreportFeaturerequestKnownissues1Click() {
    View.OpenAddress(Addresses::BugTrackerPage);
}

void TMainDlg::ChangeLog1Click() {
    View.OpenAddress(Addresses::ChangeLogPage);
}

bool TMainDlg::FormClose() noexcept {
    if (Batch) {
        Guard([this] {
            if (Batch->CloseAfter)
                return;
            if (View.ShowMessageBox("Files are being signed. Stop signing and quit?\n"
                                    "The files being signed now are finished first.",
                                    AppInfo::Title,
                                    MB_YESNO_Flag | MB_ICONQUESTION_Flag) == IDYES_Answer &&
                Batch) {
                StopBatch();
                Batch->CloseAfter = true;
            }
        });
        // The window closes once the batch has ended.
        return false;
    }
    return Guard([this] {
        // A start-up that ended before the list was reloaded must not wipe the
        // saved list with the empty one the window shows.
        if (FileListLoaded) {
            // A close that failed after the save released the store while the
            // window stayed open; the next close saves the list again.
            if (!FileListStore)
                FileListStore = std::make_unique<std::vector<std::string>>();
            FileListStore->clear();
            const int Count = View.RowCount();
            for (int Index = 0; Index < Count; ++Index)
                FileListStore->push_back(View.RowCaption(Index));
            Services.SaveFileList(*FileListStore);
            FileListStore.reset();
        }

        const std::string Cleaned = Services.CleanProgramVirtualStore();
        if (!Cleaned.empty() && Log)
            Log->Write("Cleaning VirtualStore : " + Cleaned, LogVerbose);

        if (!Services.IsInstalled())
            Services.FinishPortableUse();
    });
}

void TMainDlg::FormDestroy() noexcept {
    // Waits for the files being signed; nothing reaches the window after.
    Batch.reset();
    TaskProgress.reset();
    UpdateChecker.reset();
    // Released last, so the log file is written at shutdown too.
    Log.reset();
}

bool TMainDlg::AskYesNo(const std::string& Text) {
    return ::AskYesNo(View, Text) == IDYES_Answer;
}

void TMainDlg::ShowMessage(const std::string& Text) {
    View.ShowMessage(Text);
}

void TMainDlg::OpenWebSite(const std::string& Address) {
    // No owner and no shell error box: a failed open stays silent.
    View.OpenAddressEx(Address);
}

void TMainDlg::SetCheckMenuItemEnabled(bool Enabled) {
    View.SetCheckForUpdateEnabled(Enabled);
}

bool& TMainDlg::AutoCheckPendingFlag() {
    return AutoCheckPending;
}

void TMainDlg::HandleUpdateError(const std::exception& Error) noexcept {
    HandleException(Error);
}
