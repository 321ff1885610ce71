// Starting with the desktop: the autostart entry, and the bar's menu item that writes it.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include "app/core/autostart.h"
#include "platform/base/install_paths.h"
#include "support/temp_dir.h"
#include "support/ui_hooks.h"
#include "test_page.h"

namespace {

namespace fs = std::filesystem;
using testsupport::MessageBoxRecorder;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(Autostart, ExecArgumentsAreQuotedAsDesktopEntriesRead) {
    struct Case {
        const char* argument;
        const char* exec; // nullptr: refused
    };
    const Case cases[] = {
        {"/usr/bin/koravel", "/usr/bin/koravel"},
        {"/opt/my apps/koravel", "\"/opt/my apps/koravel\""},
        {"/home/a/it's/koravel", "\"/home/a/it's/koravel\""},
        {"/home/$USER/koravel", "\"/home/\\\\$USER/koravel\""},
        {"/home/a\"b/koravel", "\"/home/a\\\\\"b/koravel\""},
        {"/home/a\\b/koravel", "\"/home/a\\\\\\\\b/koravel\""},
        {"/home/a`b`/koravel", "\"/home/a\\\\`b\\\\`/koravel\""},
        {"/home/100%/koravel", "/home/100%%/koravel"},
        {"/home/é/koravel", "/home/é/koravel"},
        {"", "\"\""},
        {"/home/a\nExec=evil", nullptr},
        {"/home/a\tb", nullptr},
    };
    // What the desktop's own validator says of each entry, when it is installed.
    const bool validate = std::system("command -v desktop-file-validate >/dev/null") == 0;
    TempDir dir;
    for (const Case& c : cases) {
        const auto exec = autostart::ExecArgument(c.argument);
        ASSERT_EQ(exec.has_value(), c.exec != nullptr) << c.argument;
        if (!exec)
            continue;
        EXPECT_EQ(*exec, c.exec) << c.argument;
        WriteFile(dir.file("koravel.desktop"), *autostart::EntryText(c.argument));
        if (validate) {
            const std::string command =
                "desktop-file-validate '" + dir.file("koravel.desktop") + "' >/dev/null";
            EXPECT_EQ(std::system(command.c_str()), 0) << c.argument;
        }
    }
}

TEST(Autostart, OnOffAndSwitchedOffByTheDesktop) {
    TempDir dir;
    const ScopedEnv config("XDG_CONFIG_HOME", dir.path());
    const std::string entry = dir.file("autostart/koravel.desktop");
    EXPECT_EQ(autostart::EntryPath(), entry);
    EXPECT_FALSE(autostart::IsEnabled());

    std::string error;
    ASSERT_TRUE(autostart::Enable("/opt/kv/bin/koravel", error)) << error;
    EXPECT_TRUE(autostart::IsEnabled());
    const std::string text = ReadFile(entry);
    EXPECT_NE(text.find("\nExec=/opt/kv/bin/koravel\n"), std::string::npos) << text;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);

    // Turned off in the desktop's own settings.
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        WriteFile(entry,
                  "[Desktop Entry]\nType=Application\nExec=koravel\n" + std::string(off) + "\n");
        EXPECT_FALSE(autostart::IsEnabled()) << off;
    }
    WriteFile(entry, "[Other Group]\nHidden=true\n[Desktop Entry]\nExec=koravel\n");
    EXPECT_TRUE(autostart::IsEnabled());

    ASSERT_TRUE(autostart::Disable(error)) << error;
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_TRUE(autostart::Disable(error)) << "already off";

    // A place that cannot hold the folder: the message names it.
    WriteFile(dir.file("file"), "");
    const ScopedEnv bad("XDG_CONFIG_HOME", dir.file("file"));
    EXPECT_FALSE(autostart::Enable("/usr/bin/koravel", error));
    EXPECT_NE(error.find("Cannot create the autostart folder " + dir.file("file/autostart")),
              std::string::npos)
        << error;
}

class AutostartMenuTest : public BarTest {};

TEST_F(AutostartMenuTest, TheMenuItemTicksOnAndOff) {
    TempDir dir;
    const ScopedEnv config("XDG_CONFIG_HOME", dir.path());
    CMainBarDlg& bar = StartBar();
    std::vector<bool> ticked;
    ui::SetMenuHook([&](QMenu& menu, const QPoint&) {
        for (QAction* a : menu.actions())
            if (a->text() == "Start with the desktop") {
                EXPECT_TRUE(a->isCheckable());
                ticked.push_back(a->isChecked());
            }
        return static_cast<int>(ID_AUTOSTART);
    });
    bar.ShowContextMenu(bar.frameGeometry().center(), false);
    const std::string entry = dir.file("autostart/koravel.desktop");
    ASSERT_TRUE(fs::exists(entry));
    EXPECT_NE(ReadFile(entry).find("Exec=" + install::ProgramPath() + "\n"), std::string::npos);
    bar.ShowContextMenu(bar.frameGeometry().center(), false);
    ui::SetMenuHook(nullptr);
    EXPECT_EQ(ticked, (std::vector<bool>{false, true}));
    EXPECT_FALSE(fs::exists(entry));

    // Where the entry cannot be written, a box says so and where.
    MessageBoxRecorder boxes;
    WriteFile(dir.file("file"), "");
    const ScopedEnv bad("XDG_CONFIG_HOME", dir.file("file"));
    bar.OnCommand(ID_AUTOSTART);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(dir.file("file/autostart")), std::string::npos)
        << boxes.Texts()[0];
}

} // namespace
