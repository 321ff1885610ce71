#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <QVariantMap>
#include <gtest/gtest.h>

#include "support/qt_wait.h"
#include "watch/desktop_notifier.h"

// A notification service of our own on the tests' bus.
class FakeNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        uint replaces;
        QString summary, body;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString&, uint replacesId, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int) {
        calls.append({replacesId, summary, body});
        return replacesId ? replacesId : 41;
    }
};

namespace {

TEST(DesktopNotifierTest, AlertsReplaceTheirPredecessor) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        GTEST_SKIP() << "no session bus (dbus-daemon is not installed)";
    CDesktopNotifier notifier;
    EXPECT_FALSE(notifier.IsAvailable());
    EXPECT_FALSE(notifier.Notify("Koravel price alerts", "nobody listens"));

    FakeNotifications service;
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service,
                                   QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));
    EXPECT_TRUE(notifier.IsAvailable());
    EXPECT_TRUE(notifier.Notify("Koravel price alerts", "Alpha Ltd::above UPPER LIMIT of 500.00"));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return service.calls.size() == 1; }, 5000));
    testsupport::Pump(100); // the answer with the id comes back
    EXPECT_TRUE(notifier.Notify("Koravel price alerts", "Beta Ltd::below LOWER LIMIT of 4.00"));
    ASSERT_TRUE(testsupport::WaitUntil([&] { return service.calls.size() == 2; }, 5000));
    EXPECT_EQ(service.calls[0].replaces, 0u);
    EXPECT_EQ(service.calls[1].replaces, 41u) << "the second replaces the first";
    EXPECT_EQ(service.calls[1].body, "Beta Ltd::below LOWER LIMIT of 4.00");
    bus.unregisterService("org.freedesktop.Notifications");
    bus.unregisterObject("/org/freedesktop/Notifications");
}

} // namespace

#include "notifier_test.moc"
