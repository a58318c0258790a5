// The windows' font: "MS Sans Serif" at 8 points, measured at 96 pixels per
// inch whatever the screen's resolution, with a sound fallback where that font
// is not installed (under Wine, for one).
#pragma once

#include "ui/win32/Win32Handles.h"

#include <string>

Win32::TFont CreateUiFont(bool Underline = false);

// The face CreateUiFont settles on.
std::string UiFontFace();
