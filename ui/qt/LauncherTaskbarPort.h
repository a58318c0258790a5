// The taskbar port of the Linux window: the progress on the program's
// launcher (TLauncherEntry), shown exactly when the Windows taskbar would draw
// something.
#pragma once

#include "ui/U_TaskBarProgressUnit.h"
#include "ui/qt/LauncherEntry.h"

#include <cstdint>
#include <memory>

class TLauncherTaskbarPort : public ITaskbarPort {
public:
    // A value moves the button to the normal state unless it shows an error
    // or a pause (as ITaskbarList3 does).
    void SetProgressValue(std::int64_t Completed, std::int64_t Total) override;
    // Flags are the TaskProgressFlags values; a normal progress at 0 draws
    // nothing.
    void SetProgressState(std::uint32_t Flags) override;
    bool IsConnected() const { return Launcher.IsConnected(); }

private:
    void Send();

    TLauncherEntry Launcher;
    std::int64_t LastCompleted = 0;
    std::int64_t LastTotal = 0;
    std::uint32_t Flags = TaskProgressFlags[tpsNoProgress];
};

// The launcher's port, or null where no session bus answers (the controller
// then keeps its progress inert, as without a taskbar on Windows).
std::unique_ptr<ITaskbarPort> CreateLauncherTaskbarPort();
