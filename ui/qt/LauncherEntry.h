// The launcher progress that KDE Plasma and the GNOME docks draw on the
// program's launcher: the com.canonical.Unity.LauncherEntry "Update" signal on
// the session bus. Inert where there is no session bus (or no Qt D-Bus).
#pragma once

#include <memory>

class TLauncherEntry {
public:
    // The desktop file that names the launcher, "quorvel.desktop".
    static constexpr const char* AppUri = "application://quorvel.desktop";

    TLauncherEntry();
    ~TLauncherEntry();
    TLauncherEntry(const TLauncherEntry&) = delete;
    TLauncherEntry& operator=(const TLauncherEntry&) = delete;

    // Whether signals reach a session bus at all.
    bool IsConnected() const;
    // Progress is Completed / Total, clamped to 0..1 (0 when Total is not
    // positive); Visible shows or hides the progress on the launcher.
    void Update(long long Completed, long long Total, bool Visible);

private:
    struct TImpl;
    std::unique_ptr<TImpl> Impl;
};
