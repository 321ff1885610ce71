#include "controls/splash_wnd.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimerEvent>

namespace {

bool g_enabled = false;
QPointer<CSplashWnd> g_splash;

} // namespace

void CSplashWnd::EnableSplashScreen(bool enable) {
    g_enabled = enable;
}

bool CSplashWnd::IsSplashScreenEnabled() {
    return g_enabled;
}

CSplashWnd* CSplashWnd::Current() {
    return g_splash.data();
}

QPixmap CSplashWnd::DefaultBitmap() {
    return QPixmap(QStringLiteral(":/bitmaps/167.png"));
}

bool CSplashWnd::ShowSplashScreen(int timeoutMs, QWidget* parent) {
    return ShowSplashScreen(timeoutMs, DefaultBitmap(), parent);
}

bool CSplashWnd::ShowSplashScreen(int timeoutMs, const QPixmap& pixmap, QWidget* parent) {
    if (!g_enabled || g_splash || pixmap.isNull() || !qApp)
        return false;
    auto* splash = new CSplashWnd(pixmap, parent);
    g_splash = splash;

    QRect area;
    if (parent && parent->isVisible())
        area = parent->window()->frameGeometry();
    else if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid()) {
        QRect placed(QPoint(), splash->size());
        placed.moveCenter(area.center());
        splash->move(placed.topLeft());
    }

    splash->show();
    splash->repaint();
    splash->m_timerId = splash->startTimer(timeoutMs > 0 ? timeoutMs : 0);
    qApp->installEventFilter(splash);
    return true;
}

void CSplashWnd::HideSplashScreen() {
    if (g_splash)
        g_splash->Hide();
}

CSplashWnd::CSplashWnd(const QPixmap& pixmap, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_bitmap(pixmap) {
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    setFixedSize(pixmap.deviceIndependentSize().toSize());
}

void CSplashWnd::Hide() {
    if (g_splash != this)
        return;
    qApp->removeEventFilter(this);
    if (m_timerId)
        killTimer(m_timerId);
    m_timerId = 0;
    g_splash = nullptr;
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    hide();
    // Deleted later: we may be inside our own event filter.
    deleteLater();
    if (owner)
        owner->update();
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        // Claimed, so no shortcut fires; the key press that follows hides the splash.
        e->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        // Only widgets: the same input reaches the window first, then the widget.
        if (!watched->isWidgetType())
            return false;
        Hide();
        return true;
    default:
        return false;
    }
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_bitmap);
}

void CSplashWnd::timerEvent(QTimerEvent* e) {
    if (e->timerId() == m_timerId)
        Hide();
    else
        QWidget::timerEvent(e);
}
