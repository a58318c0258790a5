// Pictures of a window as the screen shows it, written as PNG files: the
// build's screenshots and the ones kept for the README.
#pragma once

#include <windows.h>

#include <string>

// The window with its frame, caption and menu. Throws EOSError on failure.
void SaveWindowPicture(HWND Window, const std::string& PngPath);
