#include "ui/qt/LauncherEntry.h"

// Built when Qt has no D-Bus module: the launcher shows no progress.
struct TLauncherEntry::TImpl {};

TLauncherEntry::TLauncherEntry() = default;
TLauncherEntry::~TLauncherEntry() = default;

bool TLauncherEntry::IsConnected() const {
    return false;
}

void TLauncherEntry::Update(long long, long long, bool) {}
