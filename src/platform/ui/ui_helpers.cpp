#include "platform/ui/ui_helpers.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextEdit>
#include <QWindow>

namespace ui {

QColor ToQColor(COLORREF c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF FromQColor(const QColor& c) {
    return RGB(c.red(), c.green(), c.blue());
}

QString ControlName(int id) {
    return QStringLiteral("ctl%1").arg(id);
}

void SetControlId(QObject* control, int id) {
    control->setObjectName(ControlName(id));
    control->setProperty("controlId", id);
}

int ControlId(const QObject* control) {
    const QVariant v = control ? control->property("controlId") : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

QString LabelText(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue; // a mnemonic mark
        }
        out += caption[i];
    }
    return QString::fromStdString(out);
}

QString ButtonText(const std::string& caption) {
    return QString::fromStdString(caption);
}

bool StartsDrag(const QWidget* window, const QWidget* hit) {
    if (!window || !hit)
        return false;
    if (hit == window)
        return true;
    if (!window->isAncestorOf(hit))
        return false;
    if (qobject_cast<const QAbstractButton*>(hit) || qobject_cast<const QAbstractItemView*>(hit) ||
        qobject_cast<const QLineEdit*>(hit) || qobject_cast<const QTextEdit*>(hit) ||
        qobject_cast<const QComboBox*>(hit) || qobject_cast<const QAbstractSlider*>(hit) ||
        qobject_cast<const QAbstractSpinBox*>(hit))
        return false;
    // A label that acts on clicks (a link) is a control too.
    if (hit->property("clickable").toBool())
        return false;
    return qobject_cast<const QLabel*>(hit) || qobject_cast<const QGroupBox*>(hit) ||
           hit->parentWidget() == window;
}

bool DragOnPress(QWidget* window, QObject* watched, QEvent* e) {
    if (e->type() != QEvent::MouseButtonPress ||
        static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton)
        return false;
    if (!StartsDrag(window, qobject_cast<QWidget*>(watched)) || !window->windowHandle())
        return false;
    window->windowHandle()->startSystemMove();
    return true;
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QString& s) {
    return s.toStdString();
}

} // namespace ui
