#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/inet/internet_session.h"
#include "platform/ui/message_box.h"
#include "support/ui_hooks.h"

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
    // Logs and exports of these tests land in a data root of their own.
    QTemporaryDir root;
    qputenv("KORAVEL_ROOT", root.path().toUtf8());
    int result = 0;
    {
        QApplication app(argc, argv);
        // A box no test answers must not wait for a user who is not there.
        ui::SetNonInteractive(true);
        QApplication::setQuitOnLastWindowClosed(false);
        inet::GlobalInit();
        ::testing::InitGoogleTest(&argc, argv);
        testsupport::EndingReset::Install();
        result = RUN_ALL_TESTS();
    }
    bus.kill();
    bus.waitForFinished(2000);
    return result;
}
