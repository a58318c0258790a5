// The About window of the Windows program: a fixed-size window owned by the
// main window, created once and hidden between uses, shown modally. It draws
// the design and forwards its buttons to TAboutDlg; it holds no logic.
#pragma once

#include "ui/U_about.h"
#include "ui/win32/Win32Desktop.h"
#include "ui/win32/Win32Handles.h"

#include <string>

class TAboutWindow : public IAboutView {
public:
    TAboutWindow(HINSTANCE Instance, HWND Owner, IWin32Desktop& Desktop);
    ~TAboutWindow() override;
    TAboutWindow(const TAboutWindow&) = delete;
    TAboutWindow& operator=(const TAboutWindow&) = delete;

    // From here on the buttons reach Controller.
    void Attach(TAboutDlg* Controller);

    HWND Handle() const { return Window.get(); }
    HWND Control(int Id) const { return GetDlgItem(Window.get(), Id); }

    // IAboutView
    void SetCaption(const std::string& Caption) override;
    void SetAppNameText(const std::string& Text) override;
    void SetVersionText(const std::string& Text) override;
    void OpenAddress(const std::string& Address) override;
    // Centres the window on its owner and shows it; the owner takes no input
    // until it is closed. True when closed with "Ok".
    bool ShowModal() override;
    bool Showing() const { return Modal; }

private:
    static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
    LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);
    void EndModal(bool Ok);
    void Forward(void (TAboutDlg::*Handler)());

    HWND Owner;
    IWin32Desktop& Desktop;
    TAboutDlg* Controller = nullptr;
    bool Modal = false;
    bool ClosedWithOk = false;
    Win32::TFont Font;
    Win32::TBitmap Banner;
    Win32::TIcon Icon;
    Win32::TWindow Window;
};
