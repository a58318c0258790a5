#include "ui/qt/LauncherEntry.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>

struct TLauncherEntry::TImpl {
    QDBusConnection Bus = QDBusConnection::sessionBus();
};

TLauncherEntry::TLauncherEntry() : Impl(std::make_unique<TImpl>()) {}
TLauncherEntry::~TLauncherEntry() = default;

bool TLauncherEntry::IsConnected() const {
    return Impl->Bus.isConnected();
}

void TLauncherEntry::Update(long long Completed, long long Total, bool Visible) {
    if (!Impl->Bus.isConnected())
        return;
    const double Progress =
        Total > 0
            ? std::clamp(static_cast<double>(Completed) / static_cast<double>(Total), 0.0, 1.0)
            : 0.0;
    QDBusMessage Signal = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/quorvel"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    QVariantMap Properties;
    Properties.insert(QStringLiteral("progress"), Progress);
    Properties.insert(QStringLiteral("progress-visible"), Visible);
    Signal << QString::fromLatin1(AppUri) << Properties;
    Impl->Bus.send(Signal);
}
