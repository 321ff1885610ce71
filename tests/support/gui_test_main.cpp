// The one main of the suites that need an application object: offscreen, with a session bus
// of their own (when dbus-daemon is installed) so desktop notifications have somewhere to go,
// logs and exports in a data root of their own, and no box waiting for a user.
#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/inet/internet_session.h"
#include "platform/ui/message_box.h"
#include "support/ui_hooks.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toUtf8());
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--print-address", "--nofork", "--nopidfile"});
    if (bus.waitForStarted(5000) && bus.waitForReadyRead(5000))
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.readLine().trimmed());
    else
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    QTemporaryDir root;
    qputenv("KORAVEL_ROOT", root.path().toUtf8());
    int result = 0;
    {
        QApplication app(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        ui::SetNonInteractive(true);
        inet::GlobalInit();
        ::testing::InitGoogleTest(&argc, argv);
        testsupport::EndingReset::Install();
        result = RUN_ALL_TESTS();
    }
    bus.kill();
    bus.waitForFinished(2000);
    return result;
}
