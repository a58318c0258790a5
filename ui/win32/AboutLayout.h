// The About window's design: its frame and every group and control with its
// kind, caption, style and position (see DesignedControls.h).
#pragma once

#include "ui/win32/DesignedControls.h"

#include <span>

namespace AboutLayout {
inline constexpr int ClientWidth = 389;
inline constexpr int ClientHeight = 285;
// Fixed single border (the caption's own), a system menu and a minimise
// button only; the caption keeps the window's icon.
inline constexpr DWORD WindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
inline constexpr DWORD WindowExStyle = 0;

// In creation order, which is also the order of the Tab key.
std::span<const TControlDesign> Controls();
} // namespace AboutLayout
