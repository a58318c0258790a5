// The About window's behaviour: the program's name and version, and the
// links to the maker. The Win32 and Qt About windows implement IAboutView
// and forward their three link buttons.
#pragma once

#include "ui/C_TextStorage.h"

#include <functional>
#include <string>

class IAboutView {
public:
    virtual ~IAboutView() = default;
    virtual void SetCaption(const std::string& Caption) = 0;
    virtual void SetAppNameText(const std::string& Text) = 0; // appname_lbl
    virtual void SetVersionText(const std::string& Text) = 0; // version_lbl
    // Shows the window modally, centred on its owner; true when closed with "Ok".
    virtual bool ShowModal() = 0;
    // ShellOpen with the About window as owner.
    virtual void OpenAddress(const std::string& Address) = 0;
};

class TAboutDlg {
public:
    using TVersionText = std::function<std::string(const std::string& Path)>;

    // ExePath: the running executable; VersionText: GetFileVersionText in the
    // program.
    TAboutDlg(IAboutView& View, std::string ExePath, TVersionText VersionText);

    // Caption "About Quorvel", "Application Name : Quorvel", "Version : a.b.c.d".
    void RefreshInfo();
    // RefreshInfo, then the window modally; true when closed with "Ok".
    bool ShowAbout();

    void email_btnClick();
    void web_btnClick();
    void forum_btnClick();

    // The window's texts, as its design holds them.
    TTextStorage TS_about;

private:
    IAboutView& View;
    std::string ExePath;
    TVersionText VersionText;
};
