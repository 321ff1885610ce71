#include "controls/color_button.h"

#include <QPainter>
#include <QStyle>

#include "controls/core/bevel.h"
#include "platform/ui/ui_helpers.h"

namespace {

void DrawBevel(QPainter& p, const QRect& r, int bevel) {
    for (const BevelLine& line :
         BevelLines(r.left(), r.top(), r.left() + r.width(), r.top() + r.height(), bevel))
        p.fillRect(QRect(line.x, line.y, line.width, line.height), ui::ToQColor(line.color));
}

// A dotted rectangle that inverts what lies under it, so drawing it twice removes it.
void DrawFocusRect(QPainter& p, const QRect& r) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    QList<QPoint> dots;
    const int right = r.left() + r.width() - 1;
    const int bottom = r.top() + r.height() - 1;
    for (int x = r.left(); x <= right; x += 2) {
        dots.append({x, r.top()});
        if (bottom != r.top())
            dots.append({x, bottom});
    }
    for (int y = r.top() + 2; y < bottom; y += 2) {
        dots.append({r.left(), y});
        if (right != r.left())
            dots.append({right, y});
    }
    p.save();
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(Qt::white, 1));
    p.drawPoints(dots.data(), static_cast<int>(dots.size()));
    p.restore();
}

} // namespace

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {}

CColorButton::CColorButton(const std::string& caption, QWidget* parent)
    : QPushButton(ui::ButtonText(caption), parent) {}

bool CColorButton::Attach(int id, QWidget* parent, COLORREF face, COLORREF text,
                          COLORREF disabledText, int bevel) {
    auto* button = ui::findControl<CColorButton>(parent, id);
    if (!button)
        return false;
    button->SetColors(face, text, disabledText, bevel);
    return true;
}

void CColorButton::SetColors(COLORREF face, COLORREF text, COLORREF disabledText, int bevel) {
    m_crFace = face;
    m_crText = text;
    m_crDisabled = disabledText;
    m_nBevel = bevel;
    m_bOwnerDraw = true;
    update();
}

void CColorButton::paintEvent(QPaintEvent* e) {
    if (!m_bOwnerDraw) {
        QPushButton::paintEvent(e);
        return;
    }
    QPainter p(this);
    const QRect item = rect();
    const QRect focus = item.adjusted(4, 4, -4, -4);
    const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this)
                             ? Qt::TextShowMnemonic
                             : Qt::TextHideMnemonic;
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | mnemonic;
    const QString caption = text().left(512);
    auto drawText = [&](const QRect& r, COLORREF color) {
        p.setPen(ui::ToQColor(color));
        p.drawText(r, flags, caption);
    };

    p.fillRect(item, ui::ToQColor(m_crFace));
    DrawBevel(p, item, m_nBevel);
    drawText(item, m_crText);

    if (hasFocus())
        DrawFocusRect(p, focus);
    if (isDown()) {
        // Pressed: a flat face, a thin sunken bevel and the text nudged down and right.
        p.fillRect(item, ui::ToQColor(m_crFace));
        DrawBevel(p, item, -1);
        drawText(item.translated(1, 1), m_crText);
        if (hasFocus())
            DrawFocusRect(p, focus);
    } else if (!isEnabled()) {
        drawText(item, m_crDisabled);
    }
}
