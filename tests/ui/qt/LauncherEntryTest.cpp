// The launcher progress as a dock sees it: Update signals on a private
// session bus (the test runs under dbus-run-session).
#include "ui/qt/LauncherEntry.h"
#include "ui/U_TaskBarProgressUnit.h"
#include "ui/qt/QtMainView.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>

#include <gtest/gtest.h>

namespace {
struct TUpdate {
    std::string AppUri;
    double Progress;
    bool Visible;
};

// Listens on the session bus as a dock does.
class TDock : public QObject {
    Q_OBJECT
public:
    TDock() {
        EXPECT_TRUE(QDBusConnection::sessionBus().connect(
            QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
            QStringLiteral("Update"), this, SLOT(OnUpdate(QDBusMessage))));
    }
    std::vector<TUpdate> Updates;

    bool WaitFor(size_t Count) {
        return QTest::qWaitFor([&] { return Updates.size() >= Count; }, 60000);
    }

public slots:
    void OnUpdate(const QDBusMessage& Message) {
        const QList<QVariant> Args = Message.arguments();
        ASSERT_EQ(Args.size(), 2);
        const QVariantMap Properties = qdbus_cast<QVariantMap>(Args[1]);
        Updates.push_back({Args[0].toString().toStdString(),
                           Properties.value(QStringLiteral("progress")).toDouble(),
                           Properties.value(QStringLiteral("progress-visible")).toBool()});
    }
};

TEST(LauncherEntry, TaskProgressReachesTheDockAsFractionsOfTheTotal) {
    if (!QDBusConnection::sessionBus().isConnected())
        GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    TDock Dock;
    class TNoDesktop : public IQtDesktop {
        int Ask(QWidget*, const TQtMessage&) override { return 1; }
        bool OpenFile(QWidget*, const QString&, QString&) override { return false; }
        void OpenAddress(const QString&) override {}
    } Desktop;
    TQtMainView View(Desktop);
    {
        TTaskProgressBar Progress(View.CreateTaskbarPort());
        // A batch of five files: the total is 4, positions 0 to 4, then 0.
        Progress.SetMax(4);
        for (int Position : {0, 1, 2, 3, 4, 0})
            Progress.SetPosition(Position);
    }
    // Construction: hidden; SetMax resends 10 of 4 (full, as the taskbar
    // clamps it); the positions, hidden at 0 where the taskbar draws nothing;
    // release hides the progress again.
    ASSERT_TRUE(Dock.WaitFor(1));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Dock.Updates.back().Visible && Dock.Updates.size() > 6; }, 60000));
    for (const TUpdate& Update : Dock.Updates)
        EXPECT_EQ(Update.AppUri, "application://quorvel.desktop");
    std::vector<double> Shown;
    for (const TUpdate& Update : Dock.Updates)
        if (Shown.empty() || Shown.back() != Update.Progress)
            Shown.push_back(Update.Progress);
    EXPECT_EQ(Shown, (std::vector<double>{0.0, 1.0, 0.0, 0.25, 0.5, 0.75, 1.0, 0.0}));
    EXPECT_FALSE(Dock.Updates.back().Visible);
}
} // namespace

#include "LauncherEntryTest.moc"
