// The main of the suites that open pages: offscreen, no box waits for a user, exports
// land in a folder of their own.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/inet/internet_session.h"
#include "platform/ui/message_box.h"
#include "support/ui_hooks.h"

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root; // exports of these tests land here
    qputenv("KORAVEL_ROOT", root.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ui::SetNonInteractive(true); // a box no test answers must not wait for a user
    inet::GlobalInit();
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::EndingReset::Install();
    return RUN_ALL_TESTS();
}
