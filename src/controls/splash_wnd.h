#pragma once

#include <QPixmap>
#include <QWidget>

// The start-up picture: a frameless pop-up that goes away after its time or at the first
// key or mouse button press anywhere in the program. At most one is up at a time.
class CSplashWnd final : public QWidget {
    Q_OBJECT
public:
    // The program-wide switch; the splash is off until the program turns it on.
    static void EnableSplashScreen(bool enable = true);
    static bool IsSplashScreenEnabled();

    // Shows `pixmap` centred over `parent` (or the screen) for `timeoutMs`. False when the
    // splash is off, one is already up, or the picture is empty; the caller goes on either way.
    static bool ShowSplashScreen(int timeoutMs, const QPixmap& pixmap, QWidget* parent = nullptr);
    // The same with the program's own picture.
    static bool ShowSplashScreen(int timeoutMs, QWidget* parent = nullptr);
    static QPixmap DefaultBitmap();

    static CSplashWnd* Current();
    static void HideSplashScreen();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    CSplashWnd(const QPixmap& pixmap, QWidget* parent);
    void Hide();

    QPixmap m_bitmap;
    int m_timerId = 0;
};
