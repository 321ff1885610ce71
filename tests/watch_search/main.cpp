#include <QApplication>
#include <QDir>
#include <gtest/gtest.h>

#include "platform/inet/internet_session.h"
#include "platform/ui/message_box.h"
#include "support/ui_hooks.h"

// The dialog tests need an application object; CTest runs them on the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", QDir::tempPath().toUtf8());
    QApplication app(argc, argv);
    // A box no test answers must not wait for a user who is not there.
    ui::SetNonInteractive(true);
    QApplication::setQuitOnLastWindowClosed(false);
    inet::GlobalInit();
    ::testing::InitGoogleTest(&argc, argv);
    testsupport::EndingReset::Install();
    return RUN_ALL_TESTS();
}
