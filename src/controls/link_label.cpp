#include "controls/link_label.h"

#include <QMouseEvent>

#include "controls/core/web_address.h"
#include "platform/base/text.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_helpers.h"

CLinkLabel::CLinkLabel(QWidget* parent) : CLinkLabel(std::string(), parent) {}

CLinkLabel::CLinkLabel(const std::string& text, QWidget* parent) : QLabel(parent) {
    // Whatever the text holds (fetched values, addresses), it is shown as it stands.
    setTextFormat(Qt::PlainText);
    SetText(text);
}

void CLinkLabel::SetText(const std::string& text) {
    setText(ui::Q(text));
}

std::string CLinkLabel::GetText() const {
    return ui::S(text());
}

void CLinkLabel::SetTextColor(COLORREF color) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, ui::ToQColor(color));
    setPalette(pal);
    Redraw();
}

void CLinkLabel::SetFontBold(bool bold) {
    QFont f = font();
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    setFont(f);
    Redraw();
}

void CLinkLabel::SetFontSize(int pixels) {
    if (pixels <= 0)
        return;
    QFont f = font();
    f.setPixelSize(pixels);
    setFont(f);
    Redraw();
}

void CLinkLabel::SetClickable(bool clickable) {
    setProperty("clickable", clickable);
    if (clickable)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

bool CLinkLabel::IsClickable() const {
    return property("clickable").toBool();
}

void CLinkLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && IsClickable()) {
        const std::string target = GetText();
        if (IsWebAddress(target))
            ui::OpenWebAddress(text::Trim(target), this);
    }
    QLabel::mousePressEvent(e);
}

void CLinkLabel::Redraw() {
    // Visible at once, not at the next idle paint: values change while the user watches.
    if (isVisible())
        repaint();
}
