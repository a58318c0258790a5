// Progress on the program's taskbar button, behind a port so that the logic
// runs (and is tested) where the platform has no taskbar progress.
#pragma once

#include <cstdint>
#include <memory>

// What the platform's taskbar offers one window: ITaskbarList3's
// SetProgressValue and SetProgressState. Releasing the port releases the
// platform object.
class ITaskbarPort {
public:
    virtual ~ITaskbarPort() = default;
    virtual void SetProgressValue(std::int64_t Completed, std::int64_t Total) = 0;
    virtual void SetProgressState(std::uint32_t Flags) = 0;
};

// ITaskbarList3 for the window that owns the taskbar button, or null below
// Windows 6, without a handle or without the interface (TaskbarPort_win32.cpp;
// Windows only).
std::unique_ptr<ITaskbarPort> CreateWin32TaskbarPort(void* WindowHandle);

enum TTaskProgressState : std::uint8_t {
    tpsNoProgress = 0,
    tpsIndeterminate = 1,
    tpsNormal = 2,
    tpsError = 3,
    tpsPaused = 4,
};

// The TBPF_ flag each state sends, indexed by the state's value.
inline constexpr std::uint32_t TaskProgressFlags[5] = {0, 1, 2, 4, 8};

class TTaskProgressBar {
public:
    // A null port gives an inert object that accepts every call.
    explicit TTaskProgressBar(std::unique_ptr<ITaskbarPort> Port);
    // Returns the button to no progress, then releases the port.
    ~TTaskProgressBar();
    TTaskProgressBar(const TTaskProgressBar&) = delete;
    TTaskProgressBar& operator=(const TTaskProgressBar&) = delete;

    void SetMax(std::int32_t Value);
    void SetPosition(std::int32_t Value);
    void SetState(TTaskProgressState Value);
    void SetVisible(bool Flag);

    std::int32_t Max = 0;
    std::int32_t Position = 0;
    TTaskProgressState State = tpsNoProgress;
    bool Visible = false;

private:
    std::unique_ptr<ITaskbarPort> Taskbar;
};
