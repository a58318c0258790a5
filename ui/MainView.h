// What the main window's controller needs of a window, in the window's own
// terms. The Win32 and Qt windows implement it: they draw, and forward every
// user event to the TMainDlg handler of the same name (see U_MainDlg.h).
//
// Rules every view keeps:
// - Setting a control from here never raises that control's change or click
//   event; only what the user does is forwarded.
// - The view holds no state of its own beyond what the controls show, except
//   the file-open dialog's last file name.
#pragma once

#include "signing/CertStore.h"
#include "signing/SignStatus.h"
#include "ui/U_MsgDlg.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class IUiDispatcher;
class ITaskbarPort;

// The text fields, by control name.
enum class TMainField {
    signtool_txt,   // read-only: the signing tool's path
    certifpath_txt, // read-only: the certificate's path
    password_txt,   // shows "*" for each character
    timestamp_txt,  // editable drop-down holding the preset servers
};

// The two check boxes.
enum class TMainCheck {
    timestamp_chk, // "Enable timestamping", ticked at first
    password_chk,  // "Remember password", not ticked at first
};

// The two fixed drop-down lists, each "SHA256", "SHA1".
enum class TMainDigestList {
    timeDigest_cmb,
    certDigest_cmb,
};

// The message box port (IMsgBoxPort, U_MsgDlg.h) is the window's own
// ShowMessageBox: the main window owns every box the controller shows.
class IMainView : public IMsgBoxPort {
public:
    ~IMainView() override = default;

    // The window caption.
    virtual void SetCaption(const std::string& Caption) = 0;

    // Text fields. timestamp_txt's preset list is filled by the view from
    // Addresses::TimestampServers when it is built.
    virtual std::string FieldText(TMainField Field) const = 0;
    virtual void SetFieldText(TMainField Field, const std::string& Text) = 0;
    // Greyed or usable (only timestamp_txt is ever changed).
    virtual void SetFieldEnabled(TMainField Field, bool Enabled) = 0;

    virtual bool Checked(TMainCheck Box) const = 0;
    virtual void SetChecked(TMainCheck Box, bool Checked) = 0;

    // The selected index, -1 for no selection; an index outside the list
    // leaves it without a selection.
    virtual int DigestIndex(TMainDigestList List) const = 0;
    virtual void SetDigestIndex(TMainDigestList List, int Index) = 0;

    // The "Download" link of the SignTool group.
    virtual void SetDownloadLinkVisible(bool Visible) = 0;

    // The file list lst: rows in order, caption = full path, picture = status.
    virtual int RowCount() const = 0;
    virtual void AddRow(const std::string& Caption, TSignStatus Status) = 0;
    virtual void DeleteRow(int Index) = 0;
    virtual void DeleteAllRows() = 0;
    virtual std::string RowCaption(int Index) const = 0;
    virtual bool RowSelected(int Index) const = 0;
    virtual void SetRowStatus(int Index, TSignStatus Status) = 0;
    // Scrolls so that the row is at least partly visible.
    virtual void ScrollRowIntoView(int Index) = 0;
    // Repaints the list at once (the thread stays busy during a batch).
    virtual void RedrawList() = 0;

    // The log pane Memo1: each addition shows as one or more lines and ends
    // with a line break of the pane's own; an empty text adds an empty line.
    virtual void AddLogText(const std::string& Text) = 0;
    virtual void ClearLog() = 0;
    virtual void RedrawLog() = 0;

    // The progress bar pb (minimum 0).
    virtual void SetProgressBarMax(int Max) = 0;
    virtual void SetProgressBarPosition(int Position) = 0;

    // The menu item "Check for update...".
    virtual void SetCheckForUpdateEnabled(bool Enabled) = 0;

    // The shared file-open dialog JOD: sets the filter ("Name|patterns|..."),
    // shows the dialog opening on the file name chosen last in any use, and
    // returns the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> ExecuteOpenDialog(const std::string& Filter) = 0;

    // The certificate picker: a modal list of Certificates (subject, issuer,
    // valid until, thumbprint) with OK and Cancel; returns the chosen one's
    // thumbprint, or nothing when cancelled. A window without a picker
    // offers no way to it and never gets here.
    virtual std::optional<std::string>
    ChooseStoreCertificate(const std::vector<TStoreCertificate>& Certificates) {
        (void)Certificates;
        return std::nullopt;
    }

    // The toolkit's simple message dialog: the application title as caption,
    // the text, one OK button, no icon; modal.
    virtual void ShowMessage(const std::string& Text) = 0;

    // ShellOpen with the main window as owner (the menu's web pages).
    virtual void OpenAddress(const std::string& Address) = 0;
    // ShellOpenEx, no owner and no shell error box (the SignTool
    // documentation link, the maker's site after "Yes" to a newer version).
    virtual void OpenAddressEx(const std::string& Address) = 0;

    // Refreshes and shows the About window modally (TAboutDlg::ShowAbout).
    virtual void ShowAbout() = 0;

    // Closes the window the way its close box does (FormClose decides).
    virtual void CloseWindow() = 0;

    // Runs posted work on the user-interface thread.
    virtual IUiDispatcher& Dispatcher() = 0;

    // The taskbar progress of the window that owns the program's taskbar
    // button; null where the platform offers none.
    virtual std::unique_ptr<ITaskbarPort> CreateTaskbarPort() = 0;
};
