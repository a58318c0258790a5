// Owners for the USER and common-control handles the windows create, over
// the one owner of core/ (the GDI kinds, TFont and TBitmap, come from there
// too), so that each is released on every path, also when an exception
// passes through.
#pragma once

#include "core/Win32Handles.h"

#include <windows.h>

#include <commctrl.h>

namespace Win32 {

inline void ReleaseIcon(HICON Icon) noexcept {
    DestroyIcon(Icon);
}
inline void ReleaseImageList(HIMAGELIST List) noexcept {
    ImageList_Destroy(List);
}
inline void ReleaseAccelerators(HACCEL Table) noexcept {
    DestroyAcceleratorTable(Table);
}
inline void ReleaseWindow(HWND Window) noexcept {
    DestroyWindow(Window);
}
inline void ReleaseMemoryDc(HDC Dc) noexcept {
    DeleteDC(Dc);
}

using TIcon = TUniqueHandle<HICON, 0, ReleaseIcon>;
using TImageList = TUniqueHandle<HIMAGELIST, 0, ReleaseImageList>;
using TAccelerators = TUniqueHandle<HACCEL, 0, ReleaseAccelerators>;
using TWindow = TUniqueHandle<HWND, 0, ReleaseWindow>;
using TMemoryDc = TUniqueHandle<HDC, 0, ReleaseMemoryDc>;

// A window's device context, given back to the window when done.
class TWindowDc {
public:
    explicit TWindowDc(HWND Window, bool WholeWindow = false)
        : Window(Window), Dc(WholeWindow ? GetWindowDC(Window) : GetDC(Window)) {}
    ~TWindowDc() {
        if (Dc)
            ReleaseDC(Window, Dc);
    }
    TWindowDc(const TWindowDc&) = delete;
    TWindowDc& operator=(const TWindowDc&) = delete;
    HDC get() const { return Dc; }

private:
    HWND Window;
    HDC Dc;
};

// Selects an object into a device context and puts the previous one back.
class TSelection {
public:
    TSelection(HDC Dc, HGDIOBJ Object) : Dc(Dc), Previous(SelectObject(Dc, Object)) {}
    ~TSelection() { SelectObject(Dc, Previous); }
    TSelection(const TSelection&) = delete;
    TSelection& operator=(const TSelection&) = delete;

private:
    HDC Dc;
    HGDIOBJ Previous;
};

} // namespace Win32
