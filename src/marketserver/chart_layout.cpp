#include <algorithm>
#include <cmath>

#include "marketserver/chart_painter.h"
#include "marketserver/indicators.h"

namespace marketserver::chart {

std::vector<double> Renderer::Visible(const std::vector<double>& all) const {
    std::vector<double> out(m_slotTime.size(), kNaN);
    for (std::size_t i = 0; i < m_visible; ++i)
        out[i] = all[m_main.firstVisible + i];
    return out;
}

void Renderer::PrepareSlots() {
    const auto& bars = m_main.bars;
    m_visible = bars.size() - m_main.firstVisible;
    const std::int64_t offset = std::int64_t{m_main.tzOffsetMinutes} * 60;
    std::int64_t interval = 0;
    for (std::size_t i = std::max<std::size_t>(m_main.firstVisible, 1); i < bars.size(); ++i) {
        const std::int64_t d = bars[i].time - bars[i - 1].time;
        if (d > 0 && (interval == 0 || d < interval))
            interval = d;
    }
    if (interval == 0)
        interval = m_main.intraday ? 60 : 86400;
    for (std::size_t i = 0; i < m_visible; ++i)
        m_slotTime.push_back(Bar(i).time + offset);
    if (m_main.intraday && m_main.axisEnd > bars.back().time) {
        const std::int64_t extra =
            std::min<std::int64_t>((m_main.axisEnd - bars.back().time) / interval, 100000);
        for (std::int64_t k = 1; k <= extra; ++k)
            m_slotTime.push_back(bars.back().time + offset + k * interval);
    }
}

void Renderer::PreparePriceData() {
    const auto& bars = m_main.bars;
    const auto closes = Closes(bars);
    m_comparing = !m_compare.empty();
    m_base = Bar(0).close != 0 ? Bar(0).close : 1;
    if (m_main.intraday && m_options.range == "1d" && m_main.firstVisible > 0)
        m_prevClose = bars[m_main.firstVisible - 1].close;

    auto transformed = [&](const std::vector<double>& all) {
        auto v = Visible(all);
        for (double& x : v)
            x = Transform(x);
        return v;
    };
    m_closes = transformed(closes);

    int colour = 0;
    for (const auto& o : m_overlays) {
        if (o.kind != OverlayKind::Sma && o.kind != OverlayKind::Ema)
            continue;
        const bool sma = o.kind == OverlayKind::Sma;
        Series s;
        s.values = transformed(sma ? Sma(closes, o.period) : Ema(closes, o.period));
        s.colour = AverageColour(colour++);
        s.width = m_g.lineWidth * 0.8;
        m_averages.push_back(s);
        m_averageNames.push_back(QString::fromLatin1(sma ? "SMA %1" : "EMA %1").arg(o.period));
    }
    if (HasOverlay(OverlayKind::Bollinger)) {
        const auto b = Bollinger(closes);
        m_bands = {transformed(b.middle), transformed(b.upper), transformed(b.lower)};
    }
    if (HasOverlay(OverlayKind::Sar))
        m_sar = transformed(ParabolicSar(bars));

    // Comparison lines: each from its own first visible close, placed by time.
    for (std::size_t c = 0; c < m_compare.size(); ++c) {
        const auto& series = m_compare[c];
        CompareLine line;
        line.name = QString::fromStdString(series.symbol);
        line.colour = CompareColour(static_cast<int>(c + 1));
        if (series.firstVisible < series.bars.size()) {
            const double base = series.bars[series.firstVisible].close;
            const std::int64_t offset = std::int64_t{m_main.tzOffsetMinutes} * 60;
            for (std::size_t i = series.firstVisible; i < series.bars.size(); ++i) {
                const std::int64_t t = series.bars[i].time + offset;
                const auto it =
                    std::upper_bound(m_slotTime.begin(), m_slotTime.begin() + m_visible, t);
                if (it == m_slotTime.begin() || base == 0)
                    continue;
                line.positions.push_back(static_cast<double>(it - m_slotTime.begin() - 1));
                line.values.push_back(100 * (series.bars[i].close / base - 1));
            }
            if (!line.values.empty())
                line.last = line.values.back();
        }
        m_compareLines.push_back(line);
    }
}

void Renderer::PreparePanes() {
    const auto& bars = m_main.bars;
    const auto closes = Closes(bars);
    for (const auto& wanted : m_paneRequests) {
        Pane pane;
        auto line = [&](const std::vector<double>& all, const QColor& colour) {
            Series s;
            s.values = Visible(all);
            s.colour = colour;
            s.width = m_g.lineWidth * 0.85;
            pane.lines.push_back(s);
        };
        auto oscillator = [&](double lo, double hi, double g1, double g2) {
            pane.axis.scale.lo = lo;
            pane.axis.scale.hi = hi;
            pane.guides = {g1, g2};
            pane.shaded = {g1, g2};
            pane.axis.ticks = {g1, g2};
        };
        switch (wanted.kind) {
        case PaneKind::Macd: {
            const auto m = Macd(closes, wanted.a, wanted.b, wanted.c);
            pane.title =
                QString::fromLatin1("MACD (%1,%2,%3)").arg(wanted.a).arg(wanted.b).arg(wanted.c);
            pane.histogram = Visible(m.histogram);
            line(m.macd, kMain);
            line(m.signal, kOrange);
            pane.zeroLine = true;
            break;
        }
        case PaneKind::Mfi:
            pane.title = QString::fromLatin1("MFI (%1)").arg(wanted.a);
            line(MoneyFlowIndex(bars, wanted.a), kTeal);
            oscillator(0, 100, 20, 80);
            break;
        case PaneKind::Roc:
            pane.title = QString::fromLatin1("ROC (%1)").arg(wanted.a);
            line(RateOfChange(closes, wanted.a), kMain);
            pane.zeroLine = true;
            break;
        case PaneKind::Rsi:
            pane.title = QString::fromLatin1("RSI (%1)").arg(wanted.a);
            line(Rsi(closes, wanted.a), kPurple);
            oscillator(0, 100, 30, 70);
            break;
        case PaneKind::SlowStoch:
        case PaneKind::FastStoch: {
            const bool slow = wanted.kind == PaneKind::SlowStoch;
            const auto s = slow ? SlowStochastic(bars) : FastStochastic(bars);
            pane.title =
                slow ? QStringLiteral("Slow Stoch (14,3)") : QStringLiteral("Fast Stoch (14,3)");
            line(s.k, kMain);
            line(s.d, kOrange);
            oscillator(0, 100, 20, 80);
            break;
        }
        case PaneKind::Volume:
        case PaneKind::VolumeMa: {
            const auto v = VolumeWithAverage(bars);
            pane.title = QStringLiteral("Volume");
            pane.volume = Visible(v.volume);
            if (wanted.kind == PaneKind::VolumeMa) {
                pane.title = QStringLiteral("Volume, MA 20");
                line(v.average, kOrange);
            }
            pane.axis.format = Format::Volume;
            break;
        }
        case PaneKind::WilliamsR:
            pane.title = QString::fromLatin1("Williams %R (%1)").arg(wanted.a);
            line(WilliamsR(bars, wanted.a), kOrange);
            oscillator(-100, 0, -80, -20);
            break;
        }

        // Readings: the latest value of each line.
        auto latest = [&](const std::vector<double>& v) {
            for (std::size_t i = m_visible; i-- > 0;)
                if (std::isfinite(v[i]))
                    return v[i];
            return kNaN;
        };
        if (!pane.volume.empty()) {
            pane.readings.push_back({Compact(latest(pane.volume)), kMuted});
            for (const auto& s : pane.lines)
                if (std::isfinite(latest(s.values)))
                    pane.readings.push_back({Compact(latest(s.values)), s.colour});
        } else {
            for (const auto& s : pane.lines) {
                const double v = latest(s.values);
                pane.readings.push_back(
                    {std::isfinite(v) ? QString::number(v, 'f', 2) : QStringLiteral("–"),
                     s.colour});
            }
            if (!pane.histogram.empty() && std::isfinite(latest(pane.histogram)))
                pane.readings.push_back({QString::number(latest(pane.histogram), 'f', 2), kMuted});
        }
        m_panes.push_back(std::move(pane));
    }
}

std::vector<LegendItem> Renderer::Legend() const {
    std::vector<LegendItem> items;
    if (m_comparing) {
        auto change = [](double pct) {
            return std::isfinite(pct) ? Signed(pct, 2) + QLatin1Char('%')
                                      : QStringLiteral("no data");
        };
        double last = kNaN;
        for (std::size_t i = m_visible; i-- > 0 && !std::isfinite(last);)
            last = m_closes[i];
        items.push_back({QString::fromStdString(m_main.symbol) + QLatin1Char(' ') + change(last),
                         CompareColour(0), Swatch::Block});
        for (const auto& c : m_compareLines)
            items.push_back({c.name + QLatin1Char(' ') + change(c.last), c.colour, Swatch::Block});
    } else {
        const OhlcBar& last = Bar(m_visible - 1);
        const double base =
            m_main.firstVisible > 0 ? m_main.bars[m_main.firstVisible - 1].close : Bar(0).open;
        items.push_back({Grouped(last.close, m_main.decimals), QColor(), Swatch::None, true});
        if (base != 0) {
            const double change = last.close - base;
            items.push_back({Signed(change, m_main.decimals) + QStringLiteral(" (") +
                                 Signed(100 * change / base, 2) + QStringLiteral("%)"),
                             QColor(), Swatch::None, false,
                             change > 0   ? kUp
                             : change < 0 ? kDown
                                          : kMuted});
        }
        if (std::isfinite(m_prevClose))
            items.push_back({QStringLiteral("Prev close ") + Grouped(m_prevClose, m_main.decimals),
                             kGuide, Swatch::Dashed});
    }
    std::size_t average = 0;
    for (const auto& o : m_overlays) {
        switch (o.kind) {
        case OverlayKind::Sma:
        case OverlayKind::Ema:
            items.push_back({m_averageNames[average], m_averages[average].colour, Swatch::Line});
            ++average;
            break;
        case OverlayKind::Bollinger:
            items.push_back({QStringLiteral("Bollinger (20,2)"), kBand, Swatch::Band});
            break;
        case OverlayKind::Sar:
            items.push_back({QStringLiteral("Parabolic SAR"), kSar, Swatch::Dots});
            break;
        case OverlayKind::Splits:
            items.push_back({QStringLiteral("Splits"), kMuted, Swatch::Diamond});
            break;
        case OverlayKind::Volume:
            items.push_back({QStringLiteral("Volume"), kUpSoft, Swatch::Block});
            break;
        }
    }
    return items;
}

double SwatchWidth(const Geometry& g) {
    return g.fontPx * 1.4;
}

double ItemWidth(const LegendItem& item, const QFontMetricsF& fm, const QFontMetricsF& bold,
                 const Geometry& g) {
    const double text = (item.bold ? bold : fm).horizontalAdvance(item.text);
    return (item.swatch == Swatch::None ? 0 : SwatchWidth(g) + 4) + text;
}

void Renderer::Layout(const std::vector<LegendItem>& legend) {
    // Legend rows: wrap when the entries do not fit one line.
    const double gap = m_g.fontPx;
    double x = 0;
    m_legendRows = 1;
    for (const auto& item : legend) {
        const double w = ItemWidth(item, m_fm, m_boldFm, m_g);
        if (x > 0 && x + w > m_g.width - 2 * m_g.margin) {
            ++m_legendRows;
            x = 0;
        }
        x += w + gap;
    }
    m_legendRows = std::min(m_legendRows, 3);

    const double top = 2 + m_g.titleH + m_legendRows * m_g.legendRowH + 2;
    const double bottom = m_g.baseHeight - m_g.timeAxisH - 2;
    m_pricePlot = QRectF(0, top, 0, bottom - top);
    for (std::size_t i = 0; i < m_panes.size(); ++i) {
        const double paneTop = bottom + i * m_g.paneHeight;
        m_panes[i].plot =
            QRectF(0, paneTop + m_g.paneLabelH, 0, m_g.paneHeight - m_g.paneLabelH - 2);
    }

    // Price range.
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    const bool ranges = !m_comparing && m_type != 'l';
    for (std::size_t i = 0; i < m_visible; ++i) {
        if (ranges) {
            Extend(lo, hi, Bar(i).low);
            Extend(lo, hi, Bar(i).high);
        } else {
            Extend(lo, hi, m_closes[i]);
        }
        for (const auto& s : m_averages)
            Extend(lo, hi, s.values[i]);
        if (!m_bands.upper.empty()) {
            Extend(lo, hi, m_bands.upper[i]);
            Extend(lo, hi, m_bands.lower[i]);
        }
        if (!m_sar.empty())
            Extend(lo, hi, m_sar[i]);
    }
    for (const auto& c : m_compareLines)
        for (double v : c.values)
            Extend(lo, hi, v);
    if (!m_comparing)
        Extend(lo, hi, m_prevClose);
    if (m_comparing)
        Extend(lo, hi, 0);
    if (!(hi > lo)) {
        const double pad = std::max(std::fabs(lo) * 0.01, 1.0);
        lo -= pad;
        hi += pad;
    }
    YScale& s = m_priceAxis.scale;
    s.log = m_options.logScale && !m_comparing && lo > 0;
    // Volume along the bottom keeps the prices clear of it.
    const bool volume = HasOverlay(OverlayKind::Volume);
    const double padBottom = volume ? 0.22 : 0.06, padTop = 0.06;
    if (s.log) {
        const double a = std::log(lo), b = std::log(hi), span = b - a;
        s.lo = std::exp(a - span * padBottom);
        s.hi = std::exp(b + span * padTop);
    } else {
        const double span = hi - lo;
        s.lo = lo - span * padBottom;
        s.hi = hi + span * padTop;
    }
    s.top = m_pricePlot.top();
    s.bottom = m_pricePlot.bottom();
    m_priceAxis.format = m_comparing ? Format::Percent : Format::Number;
    ChooseTicks(m_priceAxis, m_g.fontPx * 2.8, m_fm.height() + 1);
    m_volumeTop = m_pricePlot.bottom() - m_pricePlot.height() * 0.18;

    // Pane ranges.
    for (auto& pane : m_panes) {
        Axis& axis = pane.axis;
        axis.scale.top = pane.plot.top();
        axis.scale.bottom = pane.plot.bottom();
        if (!pane.guides.empty()) {
            // Oscillators have a fixed range; the middle is marked when there is room.
            const double mid = (axis.scale.lo + axis.scale.hi) / 2;
            if (std::fabs(axis.scale.Y(mid) - axis.scale.Y(pane.guides[0])) >= m_g.fontPx * 1.6)
                axis.ticks.insert(axis.ticks.begin() + 1, mid);
            continue;
        }
        double plo = std::numeric_limits<double>::infinity(), phi = -plo;
        for (std::size_t i = 0; i < m_visible; ++i) {
            for (const auto& l : pane.lines)
                Extend(plo, phi, l.values[i]);
            if (!pane.histogram.empty())
                Extend(plo, phi, pane.histogram[i]);
            if (!pane.volume.empty())
                Extend(plo, phi, pane.volume[i]);
        }
        if (!pane.volume.empty() || pane.zeroLine)
            Extend(plo, phi, 0);
        if (!(phi > plo)) {
            plo = std::isfinite(plo) ? plo - 1 : 0;
            phi = plo + 2;
        }
        const double span = phi - plo;
        axis.scale.lo = pane.volume.empty() ? plo - span * 0.08 : 0;
        axis.scale.hi = phi + span * 0.08;
        ChooseTicks(axis, m_g.fontPx * 1.8, m_fm.height() + 1);
    }

    // The axis is as wide as its widest label.
    double widest = m_boldFm.horizontalAdvance(
        Grouped(m_comparing ? 0 : Bar(m_visible - 1).close, m_main.decimals));
    for (double v : m_priceAxis.ticks)
        widest = std::max(widest, m_fm.horizontalAdvance(
                                      FormatValue(v, m_priceAxis.format, m_priceAxis.decimals)));
    if (m_comparing)
        for (const auto& c : m_compareLines)
            if (std::isfinite(c.last))
                widest = std::max(widest, m_boldFm.horizontalAdvance(Signed(c.last, 2) + "%"));
    for (const auto& pane : m_panes)
        for (double v : pane.axis.ticks)
            widest = std::max(widest, m_fm.horizontalAdvance(
                                          FormatValue(v, pane.axis.format, pane.axis.decimals)));
    m_axisWidth = std::ceil(widest) + 14;
    m_plotLeft = m_g.margin;
    m_plotRight = m_g.width - m_axisWidth;
    m_slotWidth = (m_plotRight - m_plotLeft) / std::max<std::size_t>(m_slotTime.size(), 1);
    m_pricePlot.setLeft(m_plotLeft);
    m_pricePlot.setRight(m_plotRight);
    for (auto& pane : m_panes) {
        pane.plot.setLeft(m_plotLeft);
        pane.plot.setRight(m_plotRight);
    }
}

void Renderer::PrepareTimeAxis() {
    const std::size_t n = m_slotTime.size();
    const double gap = m_g.fontPx * 1.2;
    auto localDay = [&](std::size_t i) { return FloorDiv(m_slotTime[i], 86400); };
    auto fits = [&](const std::vector<std::size_t>& ticks, const std::vector<QString>& labels) {
        for (std::size_t k = 1; k < ticks.size(); ++k) {
            const double need =
                (m_fm.horizontalAdvance(labels[k - 1]) + m_fm.horizontalAdvance(labels[k])) / 2 +
                gap;
            if (X(ticks[k]) - X(ticks[k - 1]) < need)
                return false;
        }
        return true;
    };
    auto accept = [&](const std::vector<std::size_t>& ticks, const std::vector<QString>& labels) {
        double lastRight = -1e9;
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            const double x = X(ticks[k]);
            m_gridX.push_back(x);
            const double w = m_fm.horizontalAdvance(labels[k]);
            // Labels stay inside the plot's width and clear of each other.
            const double cx = std::clamp(x, m_plotLeft + w / 2, m_plotRight - w / 2);
            if (cx - w / 2 < lastRight + gap / 2)
                continue;
            m_timeLabels.push_back({cx, labels[k]});
            lastRight = cx + w / 2;
        }
    };
    // Ticks where a unit (an hour, a week, a month...) begins.
    auto unitTicks = [&](auto unitOf, auto labelOf, std::vector<std::size_t>& ticks,
                         std::vector<QString>& labels) {
        ticks.clear();
        labels.clear();
        for (std::size_t i = 1; i < n; ++i) {
            if (unitOf(i) != unitOf(i - 1)) {
                ticks.push_back(i);
                labels.push_back(labelOf(i));
            }
        }
    };

    std::vector<std::size_t> ticks;
    std::vector<QString> labels;
    const bool oneDay = localDay(0) == localDay(n - 1);
    if (m_main.intraday && oneDay) {
        for (int minutes : {15, 30, 60, 120, 180, 240, 360}) {
            unitTicks([&](std::size_t i) { return FloorDiv(m_slotTime[i], minutes * 60); },
                      [&](std::size_t i) {
                          const std::int64_t m = FloorDiv(m_slotTime[i], 60) - localDay(i) * 1440;
                          const std::int64_t rounded = m - m % minutes;
                          return QString::asprintf("%d:%02d", static_cast<int>(rounded / 60),
                                                   static_cast<int>(rounded % 60));
                      },
                      ticks, labels);
            if (fits(ticks, labels))
                break;
        }
        accept(ticks, labels);
        return;
    }
    if (m_main.intraday) {
        // Sessions side by side: a separator between days, the date centred in each.
        std::vector<std::size_t> starts{0};
        for (std::size_t i = 1; i < n; ++i)
            if (localDay(i) != localDay(i - 1))
                starts.push_back(i);
        double narrowest = 1e9;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : n;
            narrowest = std::min(narrowest, (end - starts[k]) * m_slotWidth);
        }
        const Civil sample = CivilOf(localDay(0));
        if (narrowest >= m_fm.horizontalAdvance(DayMonth(sample)) + 8) {
            const bool weekday =
                narrowest >= m_fm.horizontalAdvance(QStringLiteral("Wed 28 Sep")) + 10;
            for (std::size_t k = 0; k < starts.size(); ++k) {
                const std::size_t end = k + 1 < starts.size() ? starts[k + 1] : n;
                if (k > 0)
                    m_gridX.push_back(m_plotLeft + starts[k] * m_slotWidth);
                const Civil c = CivilOf(localDay(starts[k]));
                const QString text =
                    weekday ? QLatin1String(kWeekdays[c.weekday]) + QLatin1Char(' ') + DayMonth(c)
                            : DayMonth(c);
                m_timeLabels.push_back({m_plotLeft + (starts[k] + end) / 2.0 * m_slotWidth, text});
            }
            return;
        }
    }
    // Daily bars (or many sessions): weeks, months, quarters or years.
    auto monthLabel = [&](std::size_t i) {
        const Civil c = CivilOf(localDay(i));
        return c.month == 1 ? QString::number(c.year) : QLatin1String(kMonths[c.month - 1]);
    };
    auto dayLabel = [&](std::size_t i) { return DayMonth(CivilOf(localDay(i))); };
    auto months = [&](int per) {
        return [&, per](std::size_t i) {
            const Civil c = CivilOf(localDay(i));
            return (std::int64_t{c.year} * 12 + c.month - 1) / per;
        };
    };
    for (int unit = 0; unit < 6; ++unit) {
        switch (unit) {
        case 0:
            unitTicks([&](std::size_t i) { return FloorDiv(localDay(i) + 3, 7); }, dayLabel, ticks,
                      labels);
            break;
        case 1:
            unitTicks([&](std::size_t i) { return FloorDiv(localDay(i) + 3, 14); }, dayLabel, ticks,
                      labels);
            break;
        case 2:
            unitTicks(months(1), monthLabel, ticks, labels);
            break;
        case 3:
            unitTicks(months(3), monthLabel, ticks, labels);
            break;
        case 4:
            unitTicks(months(6), monthLabel, ticks, labels);
            break;
        default:
            unitTicks(months(12), monthLabel, ticks, labels);
            break;
        }
        if (fits(ticks, labels))
            break;
    }
    accept(ticks, labels);
}

} // namespace marketserver::chart
