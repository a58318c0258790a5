// Drives another process's windows as a user does: finds its windows by
// class, caption and control id, presses buttons, types into the file-open
// dialog, reads and answers its message boxes, and reads its list view and
// log pane. Everything goes through window messages to the other process;
// nothing of Quorvel's code is linked in. Every wait polls with a generous
// bound.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace Driver {

using namespace std::chrono_literals;

// Long enough for a loaded 2-core machine under Wine; only a fault waits it out.
inline constexpr auto Patience = 90s;

// Polls Ready until it holds or Bound passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& Ready,
                      std::chrono::steady_clock::duration Bound = Patience) {
    const auto Deadline = std::chrono::steady_clock::now() + Bound;
    while (true) {
        if (Ready())
            return true;
        if (std::chrono::steady_clock::now() >= Deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
}

// A started program; ends it at the end if the test has not.
class TProgram {
public:
    TProgram(const std::string& Exe, const std::string& Arguments = "") {
        STARTUPINFOA Startup{};
        Startup.cb = sizeof(Startup);
        std::string Line = "\"" + Exe + "\"" + Arguments;
        const std::string Folder = Exe.substr(0, Exe.find_last_of('\\'));
        if (!CreateProcessA(Exe.c_str(), Line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            Folder.c_str(), &Startup, &Info))
            throw std::runtime_error("cannot start " + Exe);
    }
    ~TProgram() {
        if (WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(Info.hProcess, 99);
            WaitForSingleObject(Info.hProcess, 30000);
        }
        CloseHandle(Info.hThread);
        CloseHandle(Info.hProcess);
    }
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    DWORD Id() const { return Info.dwProcessId; }
    HANDLE Handle() const { return Info.hProcess; }
    bool Ended() const { return WaitForSingleObject(Info.hProcess, 0) == WAIT_OBJECT_0; }
    bool WaitEnd() {
        return WaitUntil([this] { return Ended(); });
    }
    DWORD ExitCode() const {
        DWORD Code = 0;
        GetExitCodeProcess(Info.hProcess, &Code);
        return Code;
    }

private:
    PROCESS_INFORMATION Info{};
};

// A visit of each window; false stops the walk.
using TVisit = std::function<bool(HWND)>;

// The walks take a CALLBACK function, which a lambda is not on 32-bit Windows:
// this one calls the visit the walk carries in its parameter.
inline BOOL CALLBACK VisitWindow(HWND Window, LPARAM Param) {
    return (*reinterpret_cast<const TVisit*>(Param))(Window) ? TRUE : FALSE;
}

inline void ForEachTopWindow(const TVisit& Visit) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&Visit));
}

inline void ForEachChild(HWND Parent, const TVisit& Visit) {
    EnumChildWindows(Parent, VisitWindow, reinterpret_cast<LPARAM>(&Visit));
}

inline std::string ClassOf(HWND Window) {
    char Name[128] = {};
    GetClassNameA(Window, Name, sizeof(Name));
    return Name;
}

// WM_GETTEXT through the other process's message loop (GetWindowText does not
// ask a control of another process). Empty when the window does not answer.
inline std::string Text(HWND Window) {
    DWORD_PTR Length = 0;
    if (!SendMessageTimeoutA(Window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 30000, &Length))
        return {};
    std::string Buffer(Length + 1, '\0');
    DWORD_PTR Copied = 0;
    if (!SendMessageTimeoutA(Window, WM_GETTEXT, Buffer.size(),
                             reinterpret_cast<LPARAM>(Buffer.data()), SMTO_ABORTIFHUNG, 30000,
                             &Copied))
        return {};
    Buffer.resize(Copied);
    return Buffer;
}

inline bool SetText(HWND Window, const std::string& Value) {
    DWORD_PTR Ignored = 0;
    return SendMessageTimeoutA(Window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Value.c_str()),
                               SMTO_ABORTIFHUNG, 30000, &Ignored) != 0;
}

// The window's own caption (kept by the system, no message needed).
inline std::string Caption(HWND Window) {
    char Buffer[512] = {};
    GetWindowTextA(Window, Buffer, sizeof(Buffer));
    return Buffer;
}

// Top-level windows of a process that pass Accept, visible ones only.
inline std::vector<HWND> TopWindows(DWORD ProcessId,
                                    const std::function<bool(HWND)>& Accept = nullptr) {
    std::vector<HWND> Found;
    ForEachTopWindow([&](HWND Window) {
        DWORD Owner = 0;
        GetWindowThreadProcessId(Window, &Owner);
        if (Owner == ProcessId && IsWindowVisible(Window) && (!Accept || Accept(Window)))
            Found.push_back(Window);
        return true;
    });
    return Found;
}

// Waits for a window of the process that passes Accept; gives up at once when
// the process has ended (a crash shows as no window, not as a long wait).
inline HWND WaitTopWindow(DWORD ProcessId, const std::function<bool(HWND)>& Accept,
                          std::chrono::steady_clock::duration Bound = Patience) {
    HWND Found = nullptr;
    const HANDLE Process = OpenProcess(SYNCHRONIZE, FALSE, ProcessId);
    WaitUntil(
        [&] {
            const auto Windows = TopWindows(ProcessId, Accept);
            Found = Windows.empty() ? nullptr : Windows.front();
            return Found != nullptr ||
                   (Process && WaitForSingleObject(Process, 0) == WAIT_OBJECT_0);
        },
        Bound);
    if (Process)
        CloseHandle(Process);
    return Found;
}

// The message text of a message box (the platform's static control 0xFFFF).
inline constexpr int MessageBoxTextId = 0xFFFF;

inline bool IsMessageBox(HWND Window) {
    return ClassOf(Window) == "#32770" && GetDlgItem(Window, MessageBoxTextId) != nullptr;
}

// The file-open dialog's name field: edt1, or the edit inside the cmb13
// combo (Wine nests it in a ComboBoxEx32 and a ComboBox, all with cmb13's id).
inline HWND FileNameField(HWND Dialog) {
    if (HWND Edit = GetDlgItem(Dialog, 0x480))
        return Edit;
    HWND Found = nullptr;
    ForEachChild(Dialog, [&](HWND Child) {
        if (GetDlgCtrlID(Child) != 0x47C || ClassOf(Child) != "Edit")
            return true;
        Found = Child;
        return false;
    });
    return Found;
}

inline bool IsFileDialog(HWND Window) {
    return ClassOf(Window) == "#32770" && FileNameField(Window) != nullptr;
}

// A message box as the user sees it.
struct TBox {
    HWND Window = nullptr;
    std::string Caption, Text;
    bool HasButton(int Id) const { return GetDlgItem(Window, Id) != nullptr; }
};

inline std::optional<TBox> WaitMessageBox(DWORD ProcessId) {
    const HWND Box = WaitTopWindow(ProcessId, IsMessageBox);
    if (!Box)
        return std::nullopt;
    return TBox{Box, Caption(Box), Text(GetDlgItem(Box, MessageBoxTextId))};
}

// A click on a button, posted: the click may open a modal window (or run a
// batch), and the driver must not wait inside it.
inline void Click(HWND Button) {
    PostMessageA(Button, BM_CLICK, 0, 0);
}

inline void Press(const TBox& Box, int ButtonId) {
    Click(GetDlgItem(Box.Window, ButtonId));
}

// A menu command, as a click on the menu item sends it.
inline void Menu(HWND Main, int CommandId) {
    PostMessageA(Main, WM_COMMAND, MAKEWPARAM(CommandId, 0), 0);
}

// What a process shows: its top windows and their controls, for a failure's message.
inline std::string Describe(DWORD ProcessId) {
    std::string Result;
    for (HWND Top : TopWindows(ProcessId)) {
        Result += ClassOf(Top) + " \"" + Caption(Top) + "\"\n";
        ForEachChild(Top, [&](HWND Child) {
            Result += "  " + ClassOf(Child) + " id " + std::to_string(GetDlgCtrlID(Child)) +
                      (IsWindowVisible(Child) ? "" : " hidden") + "\n";
            return true;
        });
    }
    return Result;
}

// Every visible top window's class and caption, whoever owns it.
inline std::string AllCaptions() {
    std::string Result;
    ForEachTopWindow([&](HWND Window) {
        if (IsWindowVisible(Window))
            Result += "top: " + ClassOf(Window) + " \"" + Caption(Window) + "\"\n";
        return true;
    });
    return Result;
}

// Types Path into the open file dialog and presses Open.
inline bool ChooseFile(DWORD ProcessId, const std::string& Path) {
    const HWND Dialog = WaitTopWindow(ProcessId, IsFileDialog, 30s);
    if (!Dialog || !SetText(FileNameField(Dialog), Path))
        return false;
    Click(GetDlgItem(Dialog, IDOK));
    return WaitUntil([&] { return !IsWindow(Dialog); });
}

// Memory in another process, for the list view's messages that carry a pointer.
class TRemoteBlock {
public:
    TRemoteBlock(HANDLE Process, std::size_t Size)
        : Process(Process),
          Address(VirtualAllocEx(Process, nullptr, Size, MEM_COMMIT, PAGE_READWRITE)) {
        if (!Address)
            throw std::runtime_error("VirtualAllocEx failed");
    }
    ~TRemoteBlock() { VirtualFreeEx(Process, Address, 0, MEM_RELEASE); }
    TRemoteBlock(const TRemoteBlock&) = delete;
    TRemoteBlock& operator=(const TRemoteBlock&) = delete;

    char* At(std::size_t Offset) const { return static_cast<char*>(Address) + Offset; }
    void Write(std::size_t Offset, const void* Data, std::size_t Size) const {
        WriteProcessMemory(Process, At(Offset), Data, Size, nullptr);
    }
    void Read(std::size_t Offset, void* Data, std::size_t Size) const {
        ReadProcessMemory(Process, At(Offset), Data, Size, nullptr);
    }

private:
    HANDLE Process;
    void* Address;
};

inline LRESULT Send(HWND Window, UINT Message, WPARAM W, LPARAM L) {
    DWORD_PTR Result = 0;
    SendMessageTimeoutA(Window, Message, W, L, SMTO_ABORTIFHUNG, 30000, &Result);
    return static_cast<LRESULT>(Result);
}

// A row of the list view: its caption and its status picture's index.
struct TRow {
    std::string Caption;
    int Image = -1;
    bool operator==(const TRow&) const = default;
};

inline std::vector<TRow> Rows(HANDLE Process, HWND List) {
    std::vector<TRow> Result;
    const int Count = static_cast<int>(Send(List, LVM_GETITEMCOUNT, 0, 0));
    constexpr std::size_t TextRoom = 1024;
    TRemoteBlock Block(Process, sizeof(LVITEMA) + TextRoom);
    for (int Row = 0; Row < Count; ++Row) {
        LVITEMA Item{};
        Item.mask = LVIF_TEXT | LVIF_IMAGE;
        Item.iItem = Row;
        Item.pszText = Block.At(sizeof(LVITEMA));
        Item.cchTextMax = TextRoom;
        Block.Write(0, &Item, sizeof(Item));
        const char Nothing = '\0';
        Block.Write(sizeof(LVITEMA), &Nothing, 1);
        Send(List, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(Block.At(0)));
        Block.Read(0, &Item, sizeof(Item));
        char Buffer[TextRoom] = {};
        Block.Read(sizeof(LVITEMA), Buffer, TextRoom - 1);
        Result.push_back({Buffer, Item.iImage});
    }
    return Result;
}

// Selects one row alone, as a click on it does.
inline void SelectRow(HANDLE Process, HWND List, int Row) {
    TRemoteBlock Block(Process, sizeof(LVITEMA));
    LVITEMA Item{};
    Item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    Item.state = 0;
    Block.Write(0, &Item, sizeof(Item));
    Send(List, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(Block.At(0)));
    Item.state = LVIS_SELECTED | LVIS_FOCUSED;
    Block.Write(0, &Item, sizeof(Item));
    Send(List, LVM_SETITEMSTATE, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(Block.At(0)));
}

// A double click on a row: selected by the first click, then the double click
// at the row's place.
inline void DoubleClickRow(HANDLE Process, HWND List, int Row) {
    SelectRow(Process, List, Row);
    TRemoteBlock Block(Process, sizeof(RECT));
    RECT Place{};
    Place.left = LVIR_LABEL;
    Block.Write(0, &Place, sizeof(Place));
    Send(List, LVM_GETITEMRECT, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(Block.At(0)));
    Block.Read(0, &Place, sizeof(Place));
    const LPARAM Point = MAKELPARAM((Place.left + Place.right) / 2, (Place.top + Place.bottom) / 2);
    PostMessageA(List, WM_LBUTTONDBLCLK, MK_LBUTTON, Point);
    PostMessageA(List, WM_LBUTTONUP, 0, Point);
}

} // namespace Driver
