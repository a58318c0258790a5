// The main window's design: every group and control with its kind, caption,
// style and position (left, top, width, height in pixels; controls relative to
// their group, groups relative to the client area).
#pragma once

#include <windows.h>

#include <span>

struct TControlDesign {
    int Id;
    int GroupId; // 0: placed on the client area itself
    const char* ClassName;
    const char* Caption;
    DWORD Style;
    DWORD ExStyle;
    int Left, Top, Width, Height;
};

// A control's rectangle on the client area: its own position plus those of
// the groups that enclose it. Empty for an unknown Id.
RECT PlaceOnClient(std::span<const TControlDesign> Design, int Id);

// Creates the controls of a design on Parent, in order (the Tab order), each
// with Font. Throws EOSError when one cannot be made.
void CreateDesignedControls(HWND Parent, std::span<const TControlDesign> Design, HFONT Font);

namespace MainLayout {
inline constexpr int Left = 198;
inline constexpr int Top = 179;
inline constexpr int ClientWidth = 656;
inline constexpr int ClientHeight = 514;

// In creation order, which is also the order of the Tab key.
std::span<const TControlDesign> Controls();

// The control's rectangle on the client area, as designed.
RECT DesignRect(int Id);

// ImageList1 index shown by a flat picture button, or -1 for other controls.
int FlatButtonPicture(int Id);
} // namespace MainLayout
