// What both windows are built from: a design table of groups and controls
// (kind, caption, style and position: left, top, width, height in pixels;
// controls relative to their group, groups relative to the client area), the
// styles the designs share, and the registration of a window class.
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

namespace DesignStyle {
inline constexpr DWORD Child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
inline constexpr DWORD Group = Child | BS_GROUPBOX;
inline constexpr DWORD Button = Child | WS_TABSTOP | BS_PUSHBUTTON;
inline constexpr DWORD DefaultButton = Child | WS_TABSTOP | BS_DEFPUSHBUTTON;
inline constexpr DWORD FlatPicture = Child | BS_OWNERDRAW;
inline constexpr DWORD CheckBox = Child | WS_TABSTOP | BS_AUTOCHECKBOX;
inline constexpr DWORD ReadOnlyField = Child | WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
inline constexpr DWORD FixedList = Child | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
inline constexpr DWORD Label = Child | SS_LEFT;
// A drop-down's height includes its opened list.
inline constexpr int DropHeight = 200;
} // namespace DesignStyle

// A control's rectangle on the client area: its own position plus those of
// the groups that enclose it. Empty for an unknown Id.
RECT PlaceOnClient(std::span<const TControlDesign> Design, int Id);

// Creates the controls of a design on Parent, in order (the Tab order), each
// with Font. Throws EOSError when one cannot be made.
void CreateDesignedControls(HWND Parent, std::span<const TControlDesign> Design, HFONT Font);

// Registers a window class of this module once, with the arrow cursor, the
// dialog face colour and the default procedure (each window puts its own in
// place once it is whole). A second call with the same name does nothing.
// Throws EOSError on failure.
void RegisterWindowClass(HINSTANCE Instance, const char* ClassName, UINT ClassStyle = 0);
