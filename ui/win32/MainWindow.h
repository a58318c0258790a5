// The main window of the Windows program: draws the controls of the design
// (MainLayout.h), implements IMainView, and forwards every user event to the
// TMainDlg handler of the same name. It holds no logic of its own.
#pragma once

#include "ui/MainView.h"
#include "ui/win32/Win32Desktop.h"
#include "ui/win32/Win32Handles.h"
#include "ui/win32/WindowDispatcher.h"

#include <functional>
#include <string>

class TMainDlg;

class TMainWindow : public IMainView {
public:
    // Creates the window and its controls, hidden, with the caption "Quorvel".
    TMainWindow(HINSTANCE Instance, IWin32Desktop& Desktop);
    ~TMainWindow() override;
    TMainWindow(const TMainWindow&) = delete;
    TMainWindow& operator=(const TMainWindow&) = delete;

    // From here on events reach Controller; it must be detached (or the
    // window destroyed) before it goes away.
    void Attach(TMainDlg* Controller);
    // What "&About" shows (the About window's view).
    void SetAboutAction(std::function<void()> ShowAboutModal);

    HWND Handle() const { return Window.get(); }
    HWND Control(int Id) const { return GetDlgItem(Window.get(), Id); }
    bool Destroyed() const { return !Window; }

    // The message loop's share: shortcuts first, then Tab, Enter and the
    // other dialog keys. True when the message was used.
    bool TranslateKeys(MSG& Message);

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

private:
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
    LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);
    void CreateImageLists(HINSTANCE Instance);
    void CreateControls();
    void FillLists();
    void OnCommand(int Id, int Code);
    void OnSize(int Width, int Height);
    void DrawFlatButton(const DRAWITEMSTRUCT& Item);
    void FitPathColumn();
    void Forward(void (TMainDlg::*Handler)());
    void ReportError(std::exception_ptr Error);
    HWND FieldControl(TMainField Field) const;

    IWin32Desktop& Desktop;
    TMainDlg* Controller = nullptr;
    std::function<void()> ShowAboutModal;
    bool ActivationSeen = false;
    // Set while the controller changes a control, so that the change is not
    // reported back as a user event.
    int Setting = 0;
    // JOD's file name, chosen last in any use.
    std::string LastOpenFileName;

    Win32::TFont Font;
    Win32::TFont LinkFont;
    Win32::TImageList ImageList1;
    Win32::TImageList btnlst;
    Win32::TImageList status_imglst;
    Win32::TIcon AddIcon, RemoveIcon, ClearIcon, SignIcon;
    Win32::TIcon WindowIcon, WindowIconSmall;
    Win32::TAccelerators Accelerators;
    // Declared after the resources the controls use, so destroyed before them.
    Win32::TWindow Window;
    std::unique_ptr<TWindowDispatcher> PostedWork;
};
