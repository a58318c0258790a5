// What the windows ask of the desktop: modal message boxes, the file-open
// dialog and the shell. It is one seam so that tests answer the boxes and the
// dialog (and record the shell calls) instead of a person.
#pragma once

#include <windows.h>

#include <string>

class IWin32Desktop {
public:
    virtual ~IWin32Desktop() = default;
    // MessageBoxA with these arguments; returns its answer code.
    virtual int ShowMessageBox(HWND Owner, const std::string& Text, const std::string& Caption,
                               UINT Style) = 0;
    // A single-selection file-open dialog. Filter is in the double-NUL form;
    // FileName comes in as the name to start from and goes out as the choice.
    // False when the user cancels.
    virtual bool OpenFile(HWND Owner, const std::string& Filter, std::string& FileName) = 0;
    // ShellOpen / ShellOpenEx of core/Shell.h.
    virtual void OpenAddress(HWND Owner, const std::string& Address) = 0;
    virtual void OpenAddressEx(const std::string& Address) = 0;
};

// The real desktop.
class TWin32Desktop : public IWin32Desktop {
public:
    int ShowMessageBox(HWND Owner, const std::string& Text, const std::string& Caption,
                       UINT Style) override;
    bool OpenFile(HWND Owner, const std::string& Filter, std::string& FileName) override;
    void OpenAddress(HWND Owner, const std::string& Address) override;
    void OpenAddressEx(const std::string& Address) override;
};

// "Name|*.a;*.b;|Other|*.c;" to the dialog's form: the same pieces, each
// ended by a NUL, the whole ended by a second NUL.
std::string ToDialogFilter(const std::string& BarFilter);
