#include <QApplication>
#include <QProcess>
#include <gtest/gtest.h>

#include "platform/ui/message_box.h"

#include "platform/inet/internet_session.h"

// The tests get a session bus of their own (when dbus-daemon is installed), so the
// desktop notifications have somewhere to go that the tests can watch.
int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--print-address", "--nofork", "--nopidfile"});
    if (bus.waitForStarted(5000) && bus.waitForReadyRead(5000))
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    else
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    int result = 0;
    {
        QApplication app(argc, argv);
    // A box no test answers must not wait for a user who is not there.
    ui::SetNonInteractive(true);
        QApplication::setQuitOnLastWindowClosed(false);
        inet::GlobalInit();
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    bus.kill();
    bus.waitForFinished(2000);
    return result;
}
