#include "ui/qt/LauncherTaskbarPort.h"

void TLauncherTaskbarPort::SetProgressValue(std::int64_t Completed, std::int64_t Total) {
    LastCompleted = Completed;
    LastTotal = Total;
    if (Flags == TaskProgressFlags[tpsNoProgress] || Flags == TaskProgressFlags[tpsIndeterminate])
        Flags = TaskProgressFlags[tpsNormal];
    Send();
}

void TLauncherTaskbarPort::SetProgressState(std::uint32_t NewFlags) {
    Flags = NewFlags;
    Send();
}

void TLauncherTaskbarPort::Send() {
    const bool Visible = Flags != TaskProgressFlags[tpsNoProgress] &&
                         (LastCompleted > 0 || Flags != TaskProgressFlags[tpsNormal]);
    Launcher.Update(LastCompleted, LastTotal, Visible);
}

std::unique_ptr<ITaskbarPort> CreateLauncherTaskbarPort() {
    auto Port = std::make_unique<TLauncherTaskbarPort>();
    if (!Port->IsConnected())
        return nullptr;
    return Port;
}
