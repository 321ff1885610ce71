#include "platform/ui/dialog_units.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

namespace ui {

namespace {

// Rounds a * b / c to nearest, as MulDiv does.
int MulDiv(int a, int b, int c) {
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}

} // namespace

QFont DialogFont() {
    QFont font;
    // The classic face when installed; metric-compatible or close substitutes otherwise.
    font.setFamilies(QStringList() << "MS Sans Serif"
                                   << "Microsoft Sans Serif"
                                   << "Liberation Sans"
                                   << "Arial"
                                   << "DejaVu Sans");
    font.setPointSize(8);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const int cx = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = (cx / 26 + 1) / 2;
    m_baseY = fm.height();
}

int DialogUnits::X(int dlu) const {
    return MulDiv(dlu, m_baseX, 4);
}
int DialogUnits::Y(int dlu) const {
    return MulDiv(dlu, m_baseY, 8);
}

QRect DialogUnits::Rect(int x, int y, int w, int h) const {
    return QRect(X(x), Y(y), X(w), Y(h));
}

} // namespace ui
