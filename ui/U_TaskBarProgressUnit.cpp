#include "ui/U_TaskBarProgressUnit.h"

TTaskProgressBar::TTaskProgressBar(std::unique_ptr<ITaskbarPort> Port) {
    if (!Port)
        return; // inert: no handle, an old system or no taskbar interface
    try {
        Taskbar = std::move(Port);
        Taskbar->SetProgressState(TaskProgressFlags[tpsNoProgress]);
        Max = 100;
        Position = 10;
        State = tpsNormal;
        SetState(tpsNormal);
        SetVisible(Visible);
    } catch (...) {
        // Construction never fails: an object that cannot talk to the
        // taskbar simply stays silent.
        Taskbar.reset();
    }
}

TTaskProgressBar::~TTaskProgressBar() {
    if (!Taskbar)
        return;
    try {
        Taskbar->SetProgressState(TaskProgressFlags[tpsNoProgress]);
    } catch (...) {
        // Nothing of the taskbar side is reported, least of all at shutdown.
    }
}

void TTaskProgressBar::SetMax(std::int32_t Value) {
    Max = Value;
    SetPosition(Position);
}

void TTaskProgressBar::SetPosition(std::int32_t Value) {
    if (!Taskbar)
        return;
    Position = Value;
    Taskbar->SetProgressValue(static_cast<std::int64_t>(Value), static_cast<std::int64_t>(Max));
}

void TTaskProgressBar::SetState(TTaskProgressState Value) {
    if (Taskbar && static_cast<unsigned>(Value) < std::size(TaskProgressFlags))
        Taskbar->SetProgressState(TaskProgressFlags[Value]);
    State = Value;
}

void TTaskProgressBar::SetVisible(bool Flag) {
    if (!Flag)
        SetState(tpsNoProgress);
    else if (State != tpsNormal)
        SetState(tpsNormal);
    Visible = Flag;
}
