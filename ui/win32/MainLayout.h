// The main window's design: every group and control with its kind, caption,
// style and position (see DesignedControls.h).
#pragma once

#include "ui/win32/DesignedControls.h"

#include <span>

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
