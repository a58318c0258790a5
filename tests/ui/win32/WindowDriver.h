// Drives the real windows in process with window messages, the way a person's
// clicks and keys arrive, and reads the controls back.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

namespace Drive {

// Runs every message waiting for this thread, with the main window's keys.
template <typename TKeys> void Pump(TKeys&& TranslateKeys) {
    MSG Message;
    while (PeekMessageA(&Message, nullptr, 0, 0, PM_REMOVE)) {
        if (TranslateKeys(Message))
            continue;
        TranslateMessage(&Message);
        DispatchMessageA(&Message);
    }
}

inline void Click(HWND Control) {
    SendMessageA(Control, BM_CLICK, 0, 0);
}

inline std::string Text(HWND Window) {
    std::string Result(static_cast<std::size_t>(GetWindowTextLengthA(Window)) + 1, '\0');
    Result.resize(static_cast<std::size_t>(
        GetWindowTextA(Window, Result.data(), static_cast<int>(Result.size()))));
    return Result;
}

// Types into an edit field: the text changes, the parent hears EN_CHANGE.
inline void Type(HWND Edit, const std::string& Text) {
    SendMessageA(Edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
}

// Chooses an entry of a drop-down list as the user does.
inline void Choose(HWND Combo, int Index) {
    SendMessageA(Combo, CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
    SendMessageA(GetParent(Combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Combo));
}

// Types into the edit part of an editable drop-down.
inline void TypeInCombo(HWND Combo, const std::string& Text) {
    SendMessageA(Combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Text.c_str()));
    SendMessageA(GetParent(Combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Combo), CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(Combo));
}

// The control's rectangle in its parent's client coordinates.
inline RECT PlaceInParent(HWND Control) {
    RECT Place{};
    GetWindowRect(Control, &Place);
    MapWindowPoints(nullptr, GetParent(Control), reinterpret_cast<POINT*>(&Place), 2);
    return Place;
}

inline int RowImage(HWND List, int Row) {
    LVITEMA Item{};
    Item.mask = LVIF_IMAGE;
    Item.iItem = Row;
    SendMessageA(List, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&Item));
    return Item.iImage;
}

inline std::vector<std::string> Rows(HWND List) {
    std::vector<std::string> Result;
    const int Count = static_cast<int>(SendMessageA(List, LVM_GETITEMCOUNT, 0, 0));
    for (int Row = 0; Row < Count; ++Row) {
        char Buffer[1024] = {};
        LVITEMA Item{};
        Item.iSubItem = 0;
        Item.pszText = Buffer;
        Item.cchTextMax = sizeof(Buffer);
        SendMessageA(List, LVM_GETITEMTEXTA, static_cast<WPARAM>(Row),
                     reinterpret_cast<LPARAM>(&Item));
        Result.emplace_back(Buffer);
    }
    return Result;
}

inline void SelectRows(HWND List, const std::vector<int>& Selected) {
    LVITEMA None{};
    None.stateMask = LVIS_SELECTED;
    SendMessageA(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&None));
    for (int Row : Selected) {
        LVITEMA Item{};
        Item.stateMask = LVIS_SELECTED;
        Item.state = LVIS_SELECTED;
        SendMessageA(List, LVM_SETITEMSTATE, static_cast<WPARAM>(Row),
                     reinterpret_cast<LPARAM>(&Item));
    }
}

// A key press with Ctrl held, as the message loop sees it.
inline MSG CtrlKey(HWND Target, UINT Key) {
    BYTE Keys[256] = {};
    GetKeyboardState(Keys);
    Keys[VK_CONTROL] = 0x80;
    SetKeyboardState(Keys);
    return MSG{Target, WM_KEYDOWN, Key, 1, 0, {}};
}

inline void ReleaseCtrl() {
    BYTE Keys[256] = {};
    GetKeyboardState(Keys);
    Keys[VK_CONTROL] = 0;
    SetKeyboardState(Keys);
}

// Runs Work once from whichever message loop runs next, such as the loop of a
// modal window the test is about to open. A thread timer carries no context,
// so the work waits in this one slot of the test thread.
inline std::function<void()>& NextLoopWork() {
    static std::function<void()> Work;
    return Work;
}

inline void CALLBACK RunNextLoopWork(HWND, UINT, UINT_PTR Id, DWORD) {
    KillTimer(nullptr, Id);
    std::function<void()> Work = std::move(NextLoopWork());
    NextLoopWork() = nullptr;
    // Nothing may unwind through the system's frames.
    try {
        if (Work)
            Work();
    } catch (const std::exception& Error) {
        ADD_FAILURE() << Error.what();
    }
}

inline bool OnNextLoop(std::function<void()> Work) {
    NextLoopWork() = std::move(Work);
    return SetTimer(nullptr, 0, 1, RunNextLoopWork) != 0;
}

} // namespace Drive
