#include "ui/win32/Win32Desktop.h"

#include "core/Shell.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

int TWin32Desktop::ShowMessageBox(HWND Owner, const std::string& Text, const std::string& Caption,
                                  UINT Style) {
    return ::MessageBoxA(Owner, Text.c_str(), Caption.c_str(), Style);
}

bool TWin32Desktop::OpenFile(HWND Owner, const std::string& Filter, std::string& FileName) {
    // Room for a long path; a longer choice fails the dialog, which counts as
    // a cancel.
    std::vector<char> Buffer(32768, '\0');
    // A start name that is a folder only (ended by a separator) opens the
    // dialog there with the name field empty.
    std::string Folder;
    if (!FileName.empty() && (FileName.back() == '\\' || FileName.back() == '/'))
        Folder = FileName;
    else
        FileName.copy(Buffer.data(), std::min(FileName.size(), Buffer.size() - 1));
    OPENFILENAMEA Dialog{};
    Dialog.lStructSize = sizeof(Dialog);
    Dialog.hwndOwner = Owner;
    Dialog.lpstrFilter = Filter.c_str();
    Dialog.nFilterIndex = 1;
    Dialog.lpstrFile = Buffer.data();
    Dialog.nMaxFile = static_cast<DWORD>(Buffer.size());
    Dialog.lpstrInitialDir = Folder.empty() ? nullptr : Folder.c_str();
    Dialog.Flags = OFN_ENABLESIZING | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&Dialog))
        return false;
    FileName = Buffer.data();
    return true;
}

void TWin32Desktop::OpenAddress(HWND Owner, const std::string& Address) {
    ShellOpen(Owner, Address);
}

void TWin32Desktop::OpenAddressEx(const std::string& Address) {
    ShellOpenEx(Address);
}

std::string ToDialogFilter(const std::string& BarFilter) {
    std::string Result = BarFilter;
    std::replace(Result.begin(), Result.end(), '|', '\0');
    // One NUL ends the last piece, one more ends the list.
    Result.append(2, '\0');
    return Result;
}
