// The main window's behaviour, for every front-end: the handlers of the
// window's controls and menu, the start-up and close sequences and the batch.
//
// How a front-end drives it:
//
//   auto Services = CreateSystemServices(RunningExecutablePath(), Arguments);
//   TMyMainView View;                       // implements IMainView
//   TMainDlg Dlg(View, *Services);
//   Dlg.Guard([&] { Dlg.FormCreate(); });   // before the window is shown
//   ... create the About window, show the main window ...
//   on every activation of the application:
//       Dlg.Guard([&] { Dlg.AppEvtActivate(); });   // runs once
//   on every user event:  Dlg.Guard([&] { Dlg.sign_btnClick(); });  (and so on)
//   on a close request:   if (!Dlg.FormClose()) refuse to close;
//   when the window is destroyed:  Dlg.FormDestroy();  (while the view and its
//       dispatcher still exist: the update checker may still be posting)
//
// Handlers raise errors; Guard shows an error's message in an error box
// captioned with the application title and returns false. FormClose guards
// itself, because the window needs its answer.
#pragma once

#include "signing/SignStatus.h"
#include "ui/MainServices.h"
#include "ui/MainView.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TKLog;
class TTaskProgressBar;

class TMainDlg : private IUpdateCheckOwner {
public:
    TMainDlg(IMainView& View, IMainServices& Services);
    ~TMainDlg() override;
    TMainDlg(const TMainDlg&) = delete;
    TMainDlg& operator=(const TMainDlg&) = delete;

    // Runs one handler; an error is shown ("Quorvel", error icon) and false
    // returned. Never throws.
    bool Guard(const std::function<void()>& Handler) noexcept;
    // The top-level handling of an error that escaped a handler.
    void HandleException(const std::exception& Error) noexcept;

    // The window's events, one handler each.
    void FormCreate();
    void AppEvtActivate(); // the start-up sequence, at most once
    void browsesign_btnClick();
    void browsecert_btnClick();
    // "Certificate store..." of the certificate's Browse: the picker, and on a
    // choice the store certificate in place of the .pfx file.
    void browsecertstore_itemClick();
    void downloadSDK_lblClick();
    void timestamp_chkClick();
    void timestamp_txtChange();
    void timeDigest_cmbChange();
    void certDigest_cmbChange();
    void password_txtChange();
    void password_chkClick();
    void add_btnClick();
    void remove_btnClick();
    void ignore_btnClick();
    void lstDblClick();
    void sign_btnClick();
    void Clearlog_btnClick();
    void Quit1Click();
    void OpenLog1Click();
    void Checkforupdate1Click();
    void About1Click();
    void BugreportFeaturerequestKnownissues1Click();
    void ChangeLog1Click();
    // The close sequence; false (after showing the error) keeps the window open.
    bool FormClose() noexcept;
    // Releases TaskProgress, then UpdateChecker, then Log (saving it).
    void FormDestroy() noexcept;

    // The two progress calls of the batch: the bar, then the taskbar button.
    void SetProgressMax(int Value);
    void SetProgressPosition(int Value);

    // Signs row Index through the tool; Output receives the tool's output.
    // Returns the tool's exit code.
    std::uint32_t SignListItem(int Index, std::string& Output);

    // The Add dialog's filter.
    static std::string getODFilter();

    // The current contents of the signing controls.
    TSigningSettings CurrentSigningSettings() const;

    // What tests look at: the log writer and the file list on its way to and
    // from its file (null before start-up and after FormDestroy or the close),
    // and whether the running update check is the automatic one.
    const TKLog* LogWriter() const { return Log.get(); }
    const std::vector<std::string>* FileListCarrier() const { return FileListStore.get(); }
    bool IsAutoCheckPending() const { return AutoCheckPending; }

private:
    bool AutoCheckPending = false;
    // The status of the entry signed last: the batch judges each file into it
    // and sets the row's picture from it.
    TSignStatus LastStatus = ssPending;

    // Owned for the run; null before start-up and after FormDestroy.
    std::unique_ptr<TTaskProgressBar> TaskProgress;
    std::unique_ptr<IMainUpdateChecker> UpdateChecker;
    std::unique_ptr<TKLog> Log;
    // The file paths on their way to and from the file-list file: made when
    // start-up reloads the list, released once the close sequence saved it.
    std::unique_ptr<std::vector<std::string>> FileListStore;

    // IUpdateCheckOwner: the update check's boxes, shell, menu item and flag.
    bool AskYesNo(const std::string& Text) override;
    void ShowMessage(const std::string& Text) override;
    void OpenWebSite(const std::string& Address) override;
    void SetCheckMenuItemEnabled(bool Enabled) override;
    bool& AutoCheckPendingFlag() override;
    void HandleUpdateError(const std::exception& Error) noexcept override;

    void RestoreOrDiscoverSignTool();
    void RestoreCertificate();
    void ShowStoreCertificate(const std::string& Subject);
    // A row of a batch the token already refused the PIN for: not run.
    std::uint32_t SkipAfterRefusedPin(int Index, std::string& Output);

    IMainView& View;
    IMainServices& Services;
    TCommandRunner Run;
    // The certificate's source as chosen or restored; the thumbprint is
    // normalised and only meaningful for the store.
    TCertSource CertSource = TCertSource::PfxFile;
    std::string CertThumbprint;
    bool ActivateHandled = false;
    // Set once start-up has reloaded the file list: only then may the close
    // sequence replace the file-list file.
    bool FileListLoaded = false;
};
