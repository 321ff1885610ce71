#include "marketserver/chart_renderer.h"

#include <algorithm>
#include <cmath>

#include <QBuffer>
#include <QPainterPath>

#include "marketserver/chart_painter.h"
#include "marketserver/indicators.h"

namespace marketserver::chart {

QColor AverageColour(int i) {
    static constexpr QRgb kColours[] = {0xe67e22, 0x8e44ad, 0x138d75, 0xb8860b, 0xd63384, 0x6d4c41};
    return QColor::fromRgb(kColours[i % 6]);
}

QColor CompareColour(int i) {
    static constexpr QRgb kColours[] = {0x1f5fbf, 0xe67e22, 0x1a9a4b, 0x8e44ad, 0xd63384, 0x6d4c41};
    return QColor::fromRgb(kColours[i % 6]);
}

Geometry GeometryFor(const ChartOptions& options, int panes) {
    Geometry g;
    if (options.size == 'l') {
        g.width = 800;
        g.baseHeight = 448;
        g.paneHeight = 110;
        g.fontPx = 13;
        g.titlePx = 15;
        g.margin = 8;
        g.titleH = 23;
        g.legendRowH = 19;
        g.timeAxisH = 20;
        g.paneLabelH = 18;
        g.lineWidth = 1.7;
    } else {
        g.width = 512;
        g.baseHeight = 288;
        g.paneHeight = 72;
    }
    g.height = g.baseHeight + panes * g.paneHeight;
    return g;
}

QFont MakeFont(int px, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}

void DrawLine(QPainter& p, const std::vector<double>& values, const std::vector<double>& positions,
              const QRectF& plot, double slotWidth, const YScale& scale, const QPen& pen) {
    QPainterPath path;
    bool open = false;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i]) || (scale.log && values[i] <= 0)) {
            open = false;
            continue;
        }
        const double s = positions.empty() ? static_cast<double>(i) : positions[i];
        const QPointF pt(plot.left() + (s + 0.5) * slotWidth, scale.Y(values[i]));
        if (open)
            path.lineTo(pt);
        else
            path.moveTo(pt);
        open = true;
    }
    p.strokePath(path, pen);
}

namespace {

// The plot's border: a crisp one-pixel line inside the plot, drawn over what the plot holds.
void DrawFrame(QPainter& p, const QRectF& plot) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kFrame, 1));
    p.drawRect(plot.adjusted(0, 0, -1, -1));
    p.restore();
}

} // namespace

// ---------------------------------------------------------------- drawing

void Renderer::DrawHeader(QPainter& p, const std::vector<LegendItem>& legend) {
    const double left = m_g.margin, right = m_g.width - m_g.margin;
    // Right: the dates shown.
    QString when;
    if (m_visible > 0) {
        const Civil first = CivilOf(FloorDiv(m_slotTime.front(), 86400));
        const Civil last = CivilOf(FloorDiv(m_slotTime[m_visible - 1], 86400));
        if (first.year == last.year && first.month == last.month && first.day == last.day)
            when = QLatin1String(kWeekdays[first.weekday]) + QLatin1Char(' ') + DayMonthYear(first);
        else
            when = (first.year == last.year ? DayMonth(first) : DayMonthYear(first)) +
                   QStringLiteral(" – ") + DayMonthYear(last);
    }
    const double whenWidth = m_fm.horizontalAdvance(when);
    p.setFont(m_font);
    p.setPen(kMuted);
    const QRectF titleRow(left, 2, right - left, m_g.titleH);
    p.drawText(titleRow, Qt::AlignRight | Qt::AlignVCenter, when);

    const QString title = Title();
    p.setFont(m_titleFont);
    p.setPen(kInk);
    const QFontMetricsF tfm(m_titleFont);
    p.drawText(titleRow, Qt::AlignLeft | Qt::AlignVCenter,
               tfm.elidedText(title, Qt::ElideRight, titleRow.width() - whenWidth - m_g.fontPx));

    // Legend rows.
    double x = left, y = 2 + m_g.titleH;
    int row = 0;
    const double sw = SwatchWidth(m_g);
    for (const auto& item : legend) {
        const double w = ItemWidth(item, m_fm, m_boldFm, m_g);
        if (x > left && x + w > right) {
            if (++row >= m_legendRows)
                break;
            x = left;
            y += m_g.legendRowH;
        }
        const double cy = y + m_g.legendRowH / 2.0;
        double tx = x;
        if (item.swatch != Swatch::None) {
            const QRectF box(x, cy - m_g.fontPx * 0.35, sw, m_g.fontPx * 0.7);
            p.setPen(Qt::NoPen);
            switch (item.swatch) {
            case Swatch::Line:
            case Swatch::Dashed:
                p.setPen(QPen(item.colour, m_g.lineWidth,
                              item.swatch == Swatch::Dashed ? Qt::DashLine : Qt::SolidLine));
                p.drawLine(QPointF(box.left(), cy), QPointF(box.right(), cy));
                break;
            case Swatch::Dots:
                p.setBrush(item.colour);
                for (int k = 0; k < 3; ++k)
                    p.drawEllipse(QPointF(box.left() + sw * (k + 0.5) / 3, cy), 1.6, 1.6);
                break;
            case Swatch::Block:
                p.setBrush(item.colour);
                p.drawRect(box);
                break;
            case Swatch::Band: {
                QColor fill = item.colour;
                fill.setAlpha(50);
                p.setBrush(fill);
                p.setPen(QPen(item.colour, 1));
                p.drawRect(box);
                break;
            }
            case Swatch::Diamond: {
                p.setBrush(item.colour);
                const double r = m_g.fontPx * 0.35;
                const QPointF c(box.center());
                p.drawPolygon(QPolygonF({c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r),
                                         c + QPointF(-r, 0)}));
                break;
            }
            case Swatch::None:
                break;
            }
            p.setBrush(Qt::NoBrush);
            tx += sw + 4;
        }
        p.setFont(item.bold ? m_bold : m_font);
        p.setPen(item.textColour);
        p.drawText(QRectF(tx, y, right - tx, m_g.legendRowH), Qt::AlignLeft | Qt::AlignVCenter,
                   item.text);
        x += w + m_g.fontPx;
    }
}

void Renderer::DrawGrid(QPainter& p, const QRectF& plot, const Axis& axis) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(kGrid, 1));
    for (double v : axis.ticks) {
        const double y = std::round(axis.scale.Y(v));
        if (y > plot.top() + 1 && y < plot.bottom() - 1)
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    for (double x : m_gridX)
        p.drawLine(QPointF(std::round(x), plot.top()), QPointF(std::round(x), plot.bottom()));
    p.restore();
}

void Renderer::DrawYLabels(QPainter& p, const QRectF& plot, const Axis& axis,
                           const std::vector<double>& avoid) {
    p.setFont(m_font);
    const double h = m_fm.height();
    for (double v : axis.ticks) {
        const double y = axis.scale.Y(v);
        if (y < plot.top() - 2 || y > plot.bottom() + 2)
            continue;
        p.setPen(QPen(kFrame, 1));
        p.drawLine(QPointF(plot.right(), y), QPointF(plot.right() + 3, y));
        if (std::any_of(avoid.begin(), avoid.end(), [&](double a) { return std::fabs(a - y) < h; }))
            continue;
        // Keep labels inside their own pane's band.
        const double cy = std::clamp(y, plot.top() - 2 + h / 2, plot.bottom() + 2 - h / 2);
        p.setPen(kMuted);
        p.drawText(QRectF(plot.right() + 6, cy - h / 2, m_axisWidth - 6, h),
                   Qt::AlignLeft | Qt::AlignVCenter, FormatValue(v, axis.format, axis.decimals));
    }
}

void Renderer::DrawVolumeBars(QPainter& p, const std::vector<double>& volume, const YScale& scale,
                              int alpha) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const double w = std::max(1.0, std::floor(m_slotWidth * 0.7));
    QColor up = kUpSoft, down = kDownSoft;
    up.setAlpha(alpha);
    down.setAlpha(alpha);
    for (std::size_t i = 0; i < m_visible; ++i) {
        if (!(volume[i] > 0))
            continue;
        const OhlcBar& b = Bar(i);
        const bool rising = i > 0 ? b.close >= Bar(i - 1).close : b.close >= b.open;
        const double x = std::round(X(i) - w / 2);
        const double top = std::round(scale.Y(volume[i]));
        p.fillRect(QRectF(x, top, w, std::max(1.0, std::round(scale.bottom) - top)),
                   rising ? up : down);
    }
    p.restore();
}

void Renderer::DrawBars(QPainter& p) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const YScale& s = m_priceAxis.scale;
    const bool candles = m_type == 'c';
    const double body = std::clamp(std::floor(m_slotWidth * 0.7), 1.0, 13.0);
    const double tick = std::clamp(std::floor(m_slotWidth * 0.4), 1.0, 6.0);
    for (std::size_t i = 0; i < m_visible; ++i) {
        const OhlcBar& b = Bar(i);
        const bool rising = b.close >= b.open;
        const QColor colour = rising ? kUp : kDown;
        const double cx = std::floor(X(i)) + 0.5;
        const double high = s.Y(b.high), low = s.Y(b.low);
        p.setPen(QPen(colour, 1));
        p.drawLine(QPointF(cx, high), QPointF(cx, std::max(low, high + 1)));
        if (candles) {
            const double top = std::round(s.Y(std::max(b.open, b.close)));
            const double bottom = std::max(top + 1, std::round(s.Y(std::min(b.open, b.close))));
            const double left = std::floor(cx - body / 2);
            if (body >= 3) {
                // Hollow when the price rose, filled when it fell.
                p.setBrush(rising ? QBrush(Qt::white) : QBrush(colour));
                p.drawRect(QRectF(left, top, body - 1, bottom - top));
            } else {
                p.fillRect(QRectF(left, top, body, bottom - top + 1), colour);
            }
        } else if (m_slotWidth >= 3) {
            const double open = std::round(s.Y(b.open)), close = std::round(s.Y(b.close));
            p.drawLine(QPointF(cx - tick, open), QPointF(cx, open));
            p.drawLine(QPointF(cx, close), QPointF(cx + tick, close));
        }
    }
    p.restore();
}

void Renderer::DrawPricePane(QPainter& p) {
    const QRectF& plot = m_pricePlot;
    const YScale& s = m_priceAxis.scale;
    DrawGrid(p, plot, m_priceAxis);
    p.save();
    p.setClipRect(plot);

    if (HasOverlay(OverlayKind::Volume)) {
        std::vector<double> volume(m_slotTime.size(), kNaN);
        double top = 0;
        for (std::size_t i = 0; i < m_visible; ++i) {
            volume[i] = Bar(i).volume;
            top = std::max(top, volume[i]);
        }
        YScale vs;
        vs.lo = 0;
        vs.hi = top > 0 ? top : 1;
        vs.top = m_volumeTop;
        vs.bottom = plot.bottom();
        DrawVolumeBars(p, volume, vs, 170);
    }
    if (!m_bands.upper.empty()) {
        // Fill between the bands, then their edges and middle.
        QPainterPath band;
        bool open = false;
        std::vector<QPointF> lower;
        auto flush = [&] {
            for (auto it = lower.rbegin(); it != lower.rend(); ++it)
                band.lineTo(*it);
            if (!lower.empty())
                band.closeSubpath();
            lower.clear();
            open = false;
        };
        for (std::size_t i = 0; i < m_visible; ++i) {
            if (!std::isfinite(m_bands.upper[i]) || (s.log && m_bands.lower[i] <= 0)) {
                flush();
                continue;
            }
            const QPointF up(X(i), s.Y(m_bands.upper[i]));
            if (open)
                band.lineTo(up);
            else
                band.moveTo(up);
            open = true;
            lower.emplace_back(X(i), s.Y(m_bands.lower[i]));
        }
        flush();
        QColor fill = kBand;
        fill.setAlpha(26);
        p.fillPath(band, fill);
        const QPen edge(kBand, m_g.lineWidth * 0.7);
        DrawLine(p, m_bands.upper, {}, plot, m_slotWidth, s, edge);
        DrawLine(p, m_bands.lower, {}, plot, m_slotWidth, s, edge);
        DrawLine(p, m_bands.middle, {}, plot, m_slotWidth, s,
                 QPen(kBand, m_g.lineWidth * 0.7, Qt::DashLine));
    }
    if (std::isfinite(m_prevClose)) {
        const double y = std::round(s.Y(m_prevClose)) + 0.5;
        p.setPen(QPen(kGuide, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (m_comparing) {
        const double y = std::round(s.Y(0)) + 0.5;
        p.setPen(QPen(kGuide, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        // Comparisons under the main line so it stays on top.
        for (const auto& c : m_compareLines)
            DrawLine(
                p, c.values, c.positions, plot, m_slotWidth, s,
                QPen(c.colour, m_g.lineWidth * 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        DrawLine(p, m_closes, {}, plot, m_slotWidth, s,
                 QPen(CompareColour(0), m_g.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else if (m_type != 'l') {
        DrawBars(p);
    } else {
        // Close line over a faint wash.
        QPainterPath area;
        bool open = false;
        double lastX = 0, firstX = 0;
        for (std::size_t i = 0; i < m_visible; ++i) {
            const QPointF pt(X(i), s.Y(m_closes[i]));
            if (!open) {
                area.moveTo(pt.x(), plot.bottom());
                firstX = pt.x();
            }
            area.lineTo(pt);
            lastX = pt.x();
            open = true;
        }
        area.lineTo(lastX, plot.bottom());
        area.lineTo(firstX, plot.bottom());
        QColor wash = kMain;
        wash.setAlpha(22);
        p.fillPath(area, wash);
        DrawLine(p, m_closes, {}, plot, m_slotWidth, s,
                 QPen(kMain, m_g.lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    for (const auto& a : m_averages)
        DrawLine(p, a.values, {}, plot, m_slotWidth, s,
                 QPen(a.colour, a.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (!m_sar.empty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(kSar);
        const double r = std::clamp(m_slotWidth * 0.3, 0.9, 2.2);
        for (std::size_t i = 0; i < m_visible; ++i)
            if (std::isfinite(m_sar[i]) && (!s.log || m_sar[i] > 0))
                p.drawEllipse(QPointF(X(i), s.Y(m_sar[i])), r, r);
        p.setBrush(Qt::NoBrush);
    }
    p.restore();

    DrawFrame(p, plot);
}

void Renderer::DrawTags(QPainter& p) {
    // The latest value of each line, on the axis in the line's colour.
    struct Tag {
        double y;
        QString text;
        QColor colour;
    };
    std::vector<Tag> tags;
    const YScale& s = m_priceAxis.scale;
    auto lastFinite = [&](const std::vector<double>& v) {
        for (std::size_t i = v.size(); i-- > 0;)
            if (std::isfinite(v[i]))
                return v[i];
        return kNaN;
    };
    if (m_comparing) {
        const double main = lastFinite(m_closes);
        if (std::isfinite(main))
            tags.push_back({s.Y(main), Signed(main, 2) + "%", CompareColour(0)});
        for (const auto& c : m_compareLines)
            if (std::isfinite(c.last))
                tags.push_back({s.Y(c.last), Signed(c.last, 2) + "%", c.colour});
    } else {
        tags.push_back({s.Y(Bar(m_visible - 1).close),
                        Grouped(Bar(m_visible - 1).close, m_main.decimals), kMain});
    }
    const double h = m_boldFm.height() + 2;
    std::sort(tags.begin(), tags.end(), [](const Tag& a, const Tag& b) { return a.y < b.y; });
    // Push overlapping tags apart, then keep them inside the pane.
    for (std::size_t i = 1; i < tags.size(); ++i)
        tags[i].y = std::max(tags[i].y, tags[i - 1].y + h);
    const double limit = m_pricePlot.bottom() - h / 2;
    for (std::size_t i = tags.size(); i-- > 0;) {
        tags[i].y = std::min(tags[i].y, i + 1 < tags.size() ? tags[i + 1].y - h : limit);
        tags[i].y = std::max(tags[i].y, m_pricePlot.top() + h / 2);
    }

    std::vector<double> avoid;
    for (const auto& t : tags)
        avoid.push_back(t.y);
    DrawYLabels(p, m_pricePlot, m_priceAxis, avoid);

    p.setFont(m_bold);
    for (const auto& t : tags) {
        const double w = m_boldFm.horizontalAdvance(t.text) + 8;
        const QRectF box(m_plotRight + 1, t.y - h / 2, w, h);
        QPainterPath shape;
        shape.moveTo(box.left() - 4, t.y);
        shape.lineTo(box.left(), box.top());
        shape.lineTo(box.right(), box.top());
        shape.lineTo(box.right(), box.bottom());
        shape.lineTo(box.left(), box.bottom());
        shape.closeSubpath();
        p.fillPath(shape, t.colour);
        p.setPen(Qt::white);
        p.drawText(box.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, t.text);
    }
}

void Renderer::DrawPane(QPainter& p, const Pane& pane) {
    const QRectF& plot = pane.plot;
    const YScale& s = pane.axis.scale;

    // Label strip: name, then the latest readings in their lines' colours.
    const double labelTop = plot.top() - m_g.paneLabelH;
    double x = plot.left() + 1;
    p.setFont(m_bold);
    p.setPen(kInk);
    const QRectF strip(x, labelTop, plot.width(), m_g.paneLabelH);
    p.drawText(strip, Qt::AlignLeft | Qt::AlignVCenter, pane.title);
    x += m_boldFm.horizontalAdvance(pane.title) + m_g.fontPx * 0.8;
    p.setFont(m_font);
    for (const auto& [text, colour] : pane.readings) {
        const double w = m_fm.horizontalAdvance(text);
        if (x + w > plot.right())
            break;
        p.setPen(colour);
        p.drawText(QRectF(x, labelTop, w + 2, m_g.paneLabelH), Qt::AlignLeft | Qt::AlignVCenter,
                   text);
        x += w + m_g.fontPx * 0.7;
    }

    if (std::isfinite(pane.shaded.first)) {
        const double y1 = s.Y(pane.shaded.second), y2 = s.Y(pane.shaded.first);
        p.fillRect(QRectF(plot.left(), y1, plot.width(), y2 - y1), QColor(0xf4, 0xf2, 0xfa));
    }
    DrawGrid(p, plot, pane.axis);
    p.save();
    p.setClipRect(plot);
    for (double g : pane.guides) {
        const double y = std::round(s.Y(g)) + 0.5;
        p.setPen(QPen(kGuide, 1, Qt::DashLine));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (pane.zeroLine) {
        const double y = std::round(s.Y(0)) + 0.5;
        p.setPen(QPen(kGuide, 1));
        p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
    }
    if (!pane.volume.empty())
        DrawVolumeBars(p, pane.volume, s, 255);
    if (!pane.histogram.empty()) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        const double w = std::max(1.0, std::floor(m_slotWidth * 0.7));
        const double zero = std::round(s.Y(0));
        for (std::size_t i = 0; i < m_visible; ++i) {
            const double v = pane.histogram[i];
            if (!std::isfinite(v))
                continue;
            const double y = std::round(s.Y(v));
            p.fillRect(QRectF(std::round(X(i) - w / 2), std::min(y, zero), w,
                              std::max(1.0, std::fabs(zero - y))),
                       v >= 0 ? kUpSoft : kDownSoft);
        }
        p.restore();
    }
    for (const auto& l : pane.lines)
        DrawLine(p, l.values, {}, plot, m_slotWidth, s,
                 QPen(l.colour, l.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.restore();

    DrawFrame(p, plot);
    DrawYLabels(p, plot, pane.axis, {});
}

void Renderer::DrawTimeAxis(QPainter& p) {
    const double bottom = m_panes.empty() ? m_pricePlot.bottom() : m_panes.back().plot.bottom();
    p.setPen(QPen(kFrame, 1));
    for (double x : m_gridX)
        p.drawLine(QPointF(std::round(x), bottom), QPointF(std::round(x), bottom + 3));
    p.setFont(m_font);
    p.setPen(kMuted);
    for (const auto& l : m_timeLabels) {
        const double w = m_fm.horizontalAdvance(l.text) + 2;
        p.drawText(QRectF(l.x - w / 2, bottom + 2, w, m_g.timeAxisH),
                   Qt::AlignHCenter | Qt::AlignVCenter, l.text);
    }
}

// "Name (SYMBOL)", or the symbol alone when the name is not known.
QString Renderer::Title() const {
    const QString symbol = QString::fromStdString(m_main.symbol);
    if (m_main.name.empty())
        return symbol;
    return QString::fromStdString(m_main.name) + QStringLiteral(" (") + symbol + QLatin1Char(')');
}

void Renderer::DrawNoData(QPainter& p) {
    const QString title = Title();
    p.setFont(m_titleFont);
    p.setPen(kInk);
    const QRectF titleRow(m_g.margin, 2, m_g.width - 2 * m_g.margin, m_g.titleH);
    p.drawText(titleRow, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(m_titleFont).elidedText(title, Qt::ElideRight, titleRow.width()));

    const QRectF area(m_g.margin, 2 + m_g.titleH + m_g.legendRowH, m_g.width - 2 * m_g.margin,
                      m_g.height - (2 + m_g.titleH + m_g.legendRowH) - m_g.margin);
    p.fillRect(area, QColor(0xf7, 0xf8, 0xfa));
    p.setPen(QPen(kFrame, 1));
    p.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    p.setFont(MakeFont(m_g.titlePx, true));
    p.setPen(kMuted);
    const QString symbol = m_main.symbol.empty() ? QStringLiteral("this symbol")
                                                 : QString::fromStdString(m_main.symbol);
    p.drawText(area, Qt::AlignCenter, QStringLiteral("No data for ") + symbol);
}

QImage Renderer::Render() {
    QImage image(m_g.width, m_g.height, QImage::Format_RGB32);
    // Fixed resolution so the PNG does not depend on the screen.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);

    if (m_main.firstVisible >= m_main.bars.size()) {
        DrawNoData(p);
        p.end();
        return image;
    }
    PrepareSlots();
    PreparePriceData();
    PreparePanes();
    const auto legend = Legend();
    Layout(legend);
    PrepareTimeAxis();

    DrawHeader(p, legend);
    DrawPricePane(p);
    for (const auto& pane : m_panes)
        DrawPane(p, pane);
    DrawTags(p);
    DrawTimeAxis(p);
    p.end();
    return image;
}

} // namespace marketserver::chart

namespace marketserver {

using chart::Geometry;
using chart::GeometryFor;
using chart::ParsePanes;
using chart::Renderer;

ChartImageSize ChartSize(const ChartOptions& options) {
    const Geometry g =
        GeometryFor(options, static_cast<int>(ParsePanes(options.indicators).size()));
    return {g.width, g.height};
}

std::string RenderChartPng(const ChartSeries& main, const std::vector<ChartSeries>& compare,
                           const ChartOptions& options) {
    const QImage image = Renderer(main, compare, options).Render();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

} // namespace marketserver
