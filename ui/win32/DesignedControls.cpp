#include "ui/win32/DesignedControls.h"

#include "core/QuorvelErrors.h"

#include <string_view>

RECT PlaceOnClient(std::span<const TControlDesign> Design, int Id) {
    RECT Place{};
    bool Found = false;
    for (int Current = Id; Current != 0;) {
        const TControlDesign* Control = nullptr;
        for (const TControlDesign& Candidate : Design)
            if (Candidate.Id == Current)
                Control = &Candidate;
        if (!Control)
            break;
        if (!Found) {
            Place = RECT{0, 0, Control->Width, Control->Height};
            Found = true;
        }
        OffsetRect(&Place, Control->Left, Control->Top);
        Current = Control->GroupId;
    }
    return Place;
}

void CreateDesignedControls(HWND Parent, std::span<const TControlDesign> Design, HFONT Font) {
    const HINSTANCE Instance = GetModuleHandleA(nullptr);
    for (const TControlDesign& Control : Design) {
        const RECT Place = PlaceOnClient(Design, Control.Id);
        HWND Made = CreateWindowExA(
            Control.ExStyle, Control.ClassName, Control.Caption, Control.Style, Place.left,
            Place.top, Place.right - Place.left, Place.bottom - Place.top, Parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(Control.Id)), Instance, nullptr);
        if (!Made)
            RaiseLastOSError();
        SendMessageA(Made, WM_SETFONT, reinterpret_cast<WPARAM>(Font), FALSE);
    }
    // Groups lie under the controls they enclose, and an enclosing group under
    // the groups inside it, so that each frames what it holds instead of
    // hiding it. The Tab order is unchanged: a group takes no focus.
    for (auto Control = Design.rbegin(); Control != Design.rend(); ++Control)
        if (std::string_view(Control->ClassName) == "BUTTON" &&
            (Control->Style & BS_TYPEMASK) == BS_GROUPBOX)
            SetWindowPos(GetDlgItem(Parent, Control->Id), HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void RegisterWindowClass(HINSTANCE Instance, const char* ClassName, UINT ClassStyle) {
    WNDCLASSEXA Existing{};
    if (GetClassInfoExA(Instance, ClassName, &Existing))
        return;
    WNDCLASSEXA Class{};
    Class.cbSize = sizeof(Class);
    Class.style = ClassStyle;
    Class.lpfnWndProc = DefWindowProcA;
    Class.hInstance = Instance;
    Class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    Class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    Class.lpszClassName = ClassName;
    if (!RegisterClassExA(&Class))
        RaiseLastOSError();
}
