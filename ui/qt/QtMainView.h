// The Qt main window as the controller sees it: IMainView over the widgets of
// TQtMainForm, and every user event forwarded to the TMainDlg handler of the
// same name through TMainDlg::Guard (so an escaping error shows an error box).
#pragma once

#include "ui/MainView.h"
#include "ui/qt/QtDesktop.h"
#include "ui/qt/QtDispatcher.h"
#include "ui/qt/QtMainForm.h"

#include <functional>

class TMainDlg;

class TQtMainView : public TQtMainForm, public IMainView {
    Q_OBJECT
public:
    explicit TQtMainView(IQtDesktop& Desktop);
    ~TQtMainView() override;

    // Connects the widgets to the controller; call once, before showing.
    void Attach(TMainDlg& Controller);
    // Shows the About window (TAboutDlg::ShowAbout, set by the program block).
    std::function<void()> OnShowAbout;

    // IMsgBoxPort
    int ShowMessageBox(const std::string& Text, const std::string& Caption,
                       std::uint32_t Style) override;

    // IMainView
    void SetCaption(const std::string& Caption) override;
    std::string FieldText(TMainField Field) const override;
    void SetFieldText(TMainField Field, const std::string& Text) override;
    void SetFieldEnabled(TMainField Field, bool Enabled) override;
    bool Checked(TMainCheck Box) const override;
    void SetChecked(TMainCheck Box, bool Checked) override;
    int DigestIndex(TMainDigestList List) const override;
    void SetDigestIndex(TMainDigestList List, int Index) override;
    void SetDownloadLinkVisible(bool Visible) override;
    int RowCount() const override;
    void AddRow(const std::string& Caption, TSignStatus Status) override;
    void DeleteRow(int Index) override;
    void DeleteAllRows() override;
    std::string RowCaption(int Index) const override;
    bool RowSelected(int Index) const override;
    void SetRowStatus(int Index, TSignStatus Status) override;
    void ScrollRowIntoView(int Index) override;
    void RedrawList() override;
    void AddLogText(const std::string& Text) override;
    void ClearLog() override;
    void RedrawLog() override;
    void SetProgressBarMax(int Max) override;
    void SetProgressBarPosition(int Position) override;
    void SetCheckForUpdateEnabled(bool Enabled) override;
    std::optional<std::string> ExecuteOpenDialog(const std::string& Filter) override;
    void ShowMessage(const std::string& Text) override;
    void OpenAddress(const std::string& Address) override;
    void OpenAddressEx(const std::string& Address) override;
    void ShowAbout() override;
    void CloseWindow() override;
    IUiDispatcher& Dispatcher() override;
    std::unique_ptr<ITaskbarPort> CreateTaskbarPort() override;

    // The status shown by a row's picture (for the window's own checks).
    TSignStatus RowStatus(int Index) const;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void changeEvent(QEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // Runs a handler of the controller under its Guard.
    void Forward(void (TMainDlg::*Handler)());
    template <class TSignal, class TSender>
    void ForwardSignal(TSender* Sender, TSignal Signal, void (TMainDlg::*Handler)());
    void Activated();
    QLineEdit* LineEditOf(TMainField Field) const;

    IQtDesktop& Desktop;
    TQtDispatcher UiDispatcher;
    TMainDlg* Controller = nullptr;
    QString LastFileName;
    bool ActivationPosted = false;
};
