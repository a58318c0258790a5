#include "ui/U_MainDlg.h"

#include "AppInfo.h"
#include "core/Addresses.h"
#include "core/ValueNames.h"
#include "log/U_Log.h"
#include "settings/EnvProbe.h"
#include "signing/SignToolDiscovery.h"
#include "ui/SignBatch.h"
#include "ui/U_MsgDlg.h"
#include "ui/U_TaskBarProgressUnit.h"

#include <algorithm>
#include <charconv>
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
    if (const auto Chosen = View.ExecuteOpenDialog(getODFilter()))
        View.AddRow(*Chosen, ssPending);
}

void TMainDlg::remove_btnClick() {
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
    View.DeleteAllRows();
}

void TMainDlg::lstDblClick() {
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

void TMainDlg::sign_btnClick() {
    if (!Services.FileExists(View.FieldText(TMainField::signtool_txt))) {
        View.ShowMessage("SignTool not found !");
        return;
    }
    if (CertSource == TCertSource::Store
            ? !Services.StoreCertificatePresent(CertThumbprint)
            : !Services.FileExists(View.FieldText(TMainField::certifpath_txt))) {
        View.ShowMessage("Certificate not found !");
        return;
    }
    if (View.RowCount() < 1) {
        View.ShowMessage("No file to sign !");
        return;
    }

    View.ClearLog();
    View.RedrawLog();

    const int Count = View.RowCount();
    SetProgressMax(Count - 1);

    TBatchCounters Counters;
    // Each further wrong try brings a token closer to locking itself.
    bool PinRefused = false;
    for (int Index = 0; Index < Count; ++Index) {
        SetProgressPosition(Index);
        std::string Output;
        const std::uint32_t ExitCode =
            PinRefused ? SkipAfterRefusedPin(Index, Output) : SignListItem(Index, Output);
        if (CertSource == TCertSource::Store && TokenRefusedPin(Output))
            PinRefused = true;
        LastStatus = Counters.Count(Output, ExitCode);
        View.SetRowStatus(Index, LastStatus);
        View.ScrollRowIntoView(Index);
        View.RedrawList();
    }

    View.ShowMessage(Counters.SummaryText());
    SetProgressPosition(0);
}

std::uint32_t TMainDlg::SignListItem(int Index, std::string& Output) {
    TMemoPane Pane(View);
    const TSigningSettings Settings = CurrentSigningSettings();
    // The .pfx path runs exactly as it always did, without an environment.
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
