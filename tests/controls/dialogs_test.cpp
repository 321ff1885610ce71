#include <vector>

#include <QDesktopServices>
#include <QLineEdit>
#include <QShortcut>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include "controls/color_button.h"
#include "controls/export_csv_dlg.h"
#include "controls/link_label.h"
#include "controls/splash_wnd.h"
#include "platform/base/clock.h"
#include "platform/ui/message_box.h"
#include "support/ui_hooks.h"

namespace {

// Dialogs answered by the test, boxes recorded.
struct Hooks {
    explicit Hooks(ui::ModalHook modal) : modalScope(std::move(modal)) {}
    testsupport::ModalHookScope modalScope;
    testsupport::MessageBoxRecorder boxes;
    const std::vector<std::string>& Messages() const { return boxes.Texts(); }
};

TEST(ExportCsvDlgTest, ProposesTheTimeAndRefusesBadNamesUntilOneIsGood) {
    ScopedFixedClock clock(MakeLocalTime(2008, 5, 6, 15, 4, 9));
    std::vector<int> resultsWhileOpen;
    Hooks hooks([&](QDialog& d) {
        auto& dlg = dynamic_cast<CExportCsvDlg&>(d);
        auto* edit = dlg.Control<QLineEdit>(1116);
        auto* ok = dlg.Control<CColorButton>(ui::IDOK);
        EXPECT_EQ(edit->text(), "06-05-2008_03-04-09PM");
        for (const char* bad : {"   ", "..\\x"}) {
            edit->setText(bad);
            ok->click();
            resultsWhileOpen.push_back(dlg.result());
        }
        edit->setText("  my shares ");
        ok->click();
        return dlg.result();
    });
    CExportCsvDlg dlg;
    EXPECT_EQ(dlg.DoModal(), ui::IDOK);
    EXPECT_EQ(dlg.GetFileName(), "my shares");
    EXPECT_EQ(resultsWhileOpen, (std::vector<int>{0, 0})) << "refused names keep it open";
    const std::vector<std::string> expected = {"Please write a name for the CSV file",
                                               "The file name can't contain \\, / or .."};
    EXPECT_EQ(hooks.Messages(), expected);
}

QPixmap Picture() {
    QPixmap p(40, 20);
    p.fill(Qt::darkBlue);
    return p;
}

TEST(SplashTest, ShowsOneAtATimeUntilAKeyAButtonOrItsTime) {
    QLineEdit edit;
    edit.setGeometry(100, 100, 400, 200);
    edit.show();
    edit.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&edit));
    int shortcuts = 0;
    QShortcut shortcut(QKeySequence(Qt::Key_F5), &edit);
    shortcut.setContext(Qt::ApplicationShortcut);
    QObject::connect(&shortcut, &QShortcut::activated, [&] { ++shortcuts; });
    auto show = [&](int ms) { return CSplashWnd::ShowSplashScreen(ms, Picture(), &edit); };

    EXPECT_FALSE(show(60000)) << "off until the program turns it on";
    CSplashWnd::EnableSplashScreen(true);
    ASSERT_TRUE(show(60000));
    EXPECT_FALSE(show(60000)) << "one at a time";
    ASSERT_NE(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(CSplashWnd::Current()->geometry().center(), edit.frameGeometry().center());

    // The press that hides it goes no further: no text, no shortcut, no click.
    QTest::keyClick(&edit, Qt::Key_A);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    ASSERT_TRUE(show(60000));
    QTest::keyClick(&edit, Qt::Key_F5);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    ASSERT_TRUE(show(60000));
    QTest::mouseClick(&edit, Qt::RightButton);
    EXPECT_EQ(CSplashWnd::Current(), nullptr);
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(shortcuts, 0);

    ASSERT_TRUE(show(30));
    EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWnd::Current() == nullptr; }, 5000));
    CSplashWnd::EnableSplashScreen(false);
    QTest::keyClick(&edit, Qt::Key_B);
    EXPECT_EQ(edit.text(), "b");
}

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QString> opened;
public slots:
    void open(const QUrl& url) { opened.push_back(url.toString()); }
};

TEST(LinkLabelTest, ShowsPlainTextAndOpensOnlyWebAddressesWhenClickable) {
    UrlCatcher catcher;
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");

    CLinkLabel label("https://example.com/quotes", nullptr);
    QTest::mouseClick(&label, Qt::LeftButton); // not clickable yet
    label.SetClickable(true);
    QTest::mouseClick(&label, Qt::LeftButton);
    for (const char* text : {"file:///etc/passwd", "5,120.35"}) {
        label.SetText(text);
        QTest::mouseClick(&label, Qt::LeftButton);
    }
    EXPECT_EQ(catcher.opened, std::vector<QString>{"https://example.com/quotes"});
    for (const char* scheme : {"http", "https", "file"})
        QDesktopServices::unsetUrlHandler(scheme);

    label.SetText("<b>5,120.35</b>");
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

TEST(LinkLabelTest, WithoutABrowserTheAddressIsShownToCopy) {
    std::vector<std::string> asked;
    ui::SetOpenUrlHook([&](const std::string& url) {
        asked.push_back(url);
        return false; // no browser installed
    });
    Hooks hooks(nullptr);
    CLinkLabel label("https://example.com/quotes", nullptr);
    label.SetClickable(true);
    QTest::mouseClick(&label, Qt::LeftButton);
    ui::SetOpenUrlHook(nullptr);
    EXPECT_EQ(asked, std::vector<std::string>{"https://example.com/quotes"});
    ASSERT_EQ(hooks.Messages().size(), 1u);
    EXPECT_NE(hooks.Messages()[0].find("\n\nhttps://example.com/quotes"), std::string::npos);
}

TEST(DialogTest, TextFieldsRefuseControlCharacters) {
    CExportCsvDlg dlg;
    auto* edit = dlg.Control<QLineEdit>(1116);
    ASSERT_NE(edit, nullptr);
    edit->clear();
    edit->insert(QString::fromUtf8("ab\0cd", 5)); // pasted with a NUL inside
    EXPECT_EQ(edit->text(), "");
    edit->insert("line\nbreak");
    EXPECT_EQ(edit->text(), "");
    edit->insert(QString::fromUtf8("Bajaj Auto \xe2\x82\xb9 & Co"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("Bajaj Auto \xe2\x82\xb9 & Co"));
}

TEST(DialogTest, AWindowOfAnAlwaysOnTopOwnerStaysOnTopOfIt) {
    QWidget bar(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    QWidget plain(nullptr, Qt::Window);
    for (QWidget* owner : {&bar, &plain}) {
        CExportCsvDlg dlg(owner); // any dialog: a window of its own, owned by `owner`
        dlg.show();
        EXPECT_EQ(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint), owner == &bar);
        EXPECT_TRUE(dlg.isVisible());
    }
}

} // namespace

#include "dialogs_test.moc"
