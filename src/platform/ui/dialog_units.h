#pragma once

#include <QFont>
#include <QRect>

namespace ui {

// The dialog font: "MS Sans Serif" 8 point where it exists, else the closest sans face.
QFont DialogFont();

// Dialog units as Windows derives them from a dialog's font: the horizontal base unit is
// the average width of the 52 letters, the vertical one the font's height; one unit is a
// quarter of the first across and an eighth of the second down.
class DialogUnits final {
public:
    explicit DialogUnits(const QFont& font = DialogFont());
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int X(int dlu) const;
    int Y(int dlu) const;
    QRect Rect(int x, int y, int w, int h) const;
    QSize Size(int w, int h) const { return {X(w), Y(h)}; }
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};

} // namespace ui
