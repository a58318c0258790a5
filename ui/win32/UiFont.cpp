#include "ui/win32/UiFont.h"

#include <cstring>

namespace {

int CALLBACK NoteFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM Found) {
    *reinterpret_cast<bool*>(Found) = true;
    return 0;
}

bool FontInstalled(const char* Face) {
    LOGFONTA Query{};
    Query.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(Query.lfFaceName, Face, LF_FACESIZE - 1);
    bool Found = false;
    HDC Screen = GetDC(nullptr);
    EnumFontFamiliesExA(Screen, &Query, NoteFound, reinterpret_cast<LPARAM>(&Found), 0);
    ReleaseDC(nullptr, Screen);
    return Found;
}

} // namespace

std::string UiFontFace() {
    for (const char* Face : {"MS Sans Serif", "Tahoma"})
        if (FontInstalled(Face))
            return Face;
    // The system's own dialog font, whatever it is called here.
    LOGFONTA Default{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(Default), &Default);
    return Default.lfFaceName;
}

Win32::TFont CreateUiFont(bool Underline) {
    LOGFONTA Font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(Font), &Font);
    Font.lfHeight = -MulDiv(8, 96, 72);
    Font.lfWidth = 0;
    Font.lfWeight = FW_NORMAL;
    Font.lfUnderline = Underline ? TRUE : FALSE;
    const std::string Face = UiFontFace();
    std::memset(Font.lfFaceName, 0, sizeof(Font.lfFaceName));
    std::strncpy(Font.lfFaceName, Face.c_str(), LF_FACESIZE - 1);
    return Win32::TFont(CreateFontIndirectA(&Font));
}
