// The taskbar port over the real ITaskbarList3.
#include "ui/U_TaskBarProgressUnit.h"

#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

namespace {

class TComScope {
public:
    TComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~TComScope() { CoUninitialize(); }
    TComScope(const TComScope&) = delete;
    TComScope& operator=(const TComScope&) = delete;
};

class TTestWindow {
public:
    TTestWindow()
        : Handle(CreateWindowExA(0, "STATIC", "Quorvel", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}
    ~TTestWindow() {
        if (Handle)
            DestroyWindow(Handle);
    }
    TTestWindow(const TTestWindow&) = delete;
    TTestWindow& operator=(const TTestWindow&) = delete;
    HWND Handle;
};

TEST(Win32TaskbarPort, NoWindowGivesNoPort) {
    EXPECT_EQ(CreateWin32TaskbarPort(nullptr), nullptr);
}

TEST(Win32TaskbarPort, ARunOverTheRealTaskbarListEndsWithoutError) {
    TComScope Com;
    TTestWindow Window;
    ASSERT_NE(Window.Handle, nullptr);
    auto Port = CreateWin32TaskbarPort(Window.Handle);
    // Any system from version 6.1 on offers the interface.
    ASSERT_NE(Port, nullptr);
    {
        TTaskProgressBar Bar(std::move(Port));
        EXPECT_EQ(Bar.Max, 100);
        EXPECT_EQ(Bar.Position, 10);
        Bar.SetMax(4);
        for (int Position = 0; Position <= 4; ++Position)
            Bar.SetPosition(Position);
        Bar.SetState(tpsError);
        EXPECT_EQ(Bar.Position, 4);
    } // released before the window and COM
}

} // namespace
