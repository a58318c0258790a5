// Owners for the GDI and USER handles the windows create, so that each is
// released on every path, also when an exception passes through.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>

namespace Win32 {

template <typename Handle, auto Release> struct THandleRelease {
    void operator()(Handle H) const noexcept {
        if (H)
            Release(H);
    }
};

template <typename Handle, auto Release>
using TOwned = std::unique_ptr<std::remove_pointer_t<Handle>, THandleRelease<Handle, Release>>;

inline void ReleaseGdiObject(HGDIOBJ Object) noexcept {
    DeleteObject(Object);
}
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

using TFont = TOwned<HFONT, ReleaseGdiObject>;
using TBitmap = TOwned<HBITMAP, ReleaseGdiObject>;
using TIcon = TOwned<HICON, ReleaseIcon>;
using TImageList = TOwned<HIMAGELIST, ReleaseImageList>;
using TAccelerators = TOwned<HACCEL, ReleaseAccelerators>;
using TWindow = TOwned<HWND, ReleaseWindow>;
using TMemoryDc = TOwned<HDC, ReleaseMemoryDc>;

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
