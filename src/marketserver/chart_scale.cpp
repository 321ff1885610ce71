#include "marketserver/chart_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/base/clock.h"

namespace marketserver::chart {

namespace {

bool AnyNonZeroDigit(const QString& s) {
    return std::any_of(s.begin(), s.end(),
                       [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
}

} // namespace

// Indian digit grouping: 1,23,45,678.50
QString Grouped(double v, int decimals) {
    QString s = QString::number(std::fabs(v), 'f', decimals);
    const qsizetype dot = s.indexOf(QLatin1Char('.'));
    qsizetype pos = dot < 0 ? s.size() : dot;
    if (pos > 3) {
        pos -= 3;
        s.insert(pos, QLatin1Char(','));
        while (pos > 2) {
            pos -= 2;
            s.insert(pos, QLatin1Char(','));
        }
    }
    return v < 0 && AnyNonZeroDigit(s) ? QLatin1Char('-') + s : s;
}

QString Signed(double v, int decimals) {
    const QString s = Grouped(v, decimals);
    return v > 0 && AnyNonZeroDigit(s) ? QLatin1Char('+') + s : s;
}

// Digits after the point that show every multiple of `step`.
int DecimalsFor(double step) {
    for (int d = 0; d < 6; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled))
            return d;
    }
    return 6;
}

QString Compact(double v) {
    const double a = std::fabs(v);
    auto trimmed = [](double x, const char* unit) {
        QString s = QString::number(x, 'f', x < 10 ? 1 : 0);
        if (s.endsWith(QLatin1String(".0")))
            s.chop(2);
        return s + QLatin1String(unit);
    };
    if (a >= 1e9)
        return trimmed(v / 1e9, "B");
    if (a >= 1e6)
        return trimmed(v / 1e6, "M");
    if (a >= 1e3)
        return trimmed(v / 1e3, "K");
    return QString::number(v, 'f', 0);
}

QString FormatValue(double v, Format format, int decimals) {
    switch (format) {
    case Format::Percent:
        return Signed(v, decimals) + QLatin1Char('%');
    case Format::Volume:
        return Compact(v);
    case Format::Number:
        break;
    }
    return Grouped(v, decimals);
}

Civil CivilOf(std::int64_t days) {
    Civil c{};
    CivilFromDays(days, c.year, c.month, c.day);
    c.weekday = DayOfWeek(c.year, c.month, c.day);
    return c;
}

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

QString DayMonth(const Civil& c) {
    return QString::number(c.day) + QLatin1Char(' ') + QLatin1String(kMonths[c.month - 1]);
}
QString DayMonthYear(const Civil& c) {
    return DayMonth(c) + QLatin1Char(' ') + QString::number(c.year);
}

double NiceStep(double rough) {
    if (!(rough > 0))
        return 1;
    const double unit = std::pow(10.0, std::floor(std::log10(rough)));
    const double f = rough / unit;
    return (f <= 1 ? 1 : f <= 2 ? 2 : f <= 2.5 ? 2.5 : f <= 5 ? 5 : 10) * unit;
}

std::vector<double> LinearTicks(double lo, double hi, double step) {
    std::vector<double> out;
    for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k += 1)
        out.push_back(k * step == 0 ? 0 : k * step); // no "-0"
    return out;
}

double YScale::Y(double v) const {
    const double f =
        log ? (std::log(v) - std::log(lo)) / (std::log(hi) - std::log(lo)) : (v - lo) / (hi - lo);
    return bottom - f * (bottom - top);
}

// The next round step (1, 2, 2.5, 5 times a power of ten) above `step`.
double NextStep(double step) {
    return NiceStep(step * 1.01);
}

// The finest round ticks at least `spacing` pixels apart; closer, down to `least`, rather than
// fewer than two.
void ChooseTicks(Axis& axis, double spacing, double least) {
    const YScale& s = axis.scale;
    const double span = s.hi - s.lo;
    auto gapsFit = [&](const std::vector<double>& ticks, double gap) {
        for (std::size_t i = 1; i < ticks.size(); ++i)
            if (s.Y(ticks[i - 1]) - s.Y(ticks[i]) < gap)
                return false;
        return true;
    };
    if (!s.log || s.hi / s.lo <= 3) {
        // On a log scale too while the range is narrow: the gaps only shrink towards the top.
        double fallback = 0;
        for (double step = NiceStep(span / 200);; step = NextStep(step)) {
            auto ticks = LinearTicks(s.lo, s.hi, step);
            if (ticks.size() >= 2 && gapsFit(ticks, least))
                fallback = step;
            if (gapsFit(ticks, spacing) || ticks.size() <= 1) {
                if (ticks.size() < 2 && fallback > 0) {
                    step = fallback;
                    ticks = LinearTicks(s.lo, s.hi, step);
                }
                axis.ticks = std::move(ticks);
                axis.decimals = DecimalsFor(step);
                return;
            }
        }
    }
    // Wide log ranges: round values of each decade, kept where they are far enough apart.
    std::vector<double> candidates;
    for (double decade = std::pow(10.0, std::floor(std::log10(s.lo))); decade <= s.hi; decade *= 10)
        for (double m : {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0})
            if (m * decade >= s.lo && m * decade <= s.hi)
                candidates.push_back(m * decade);
    axis.ticks.clear();
    double lastY = std::numeric_limits<double>::infinity();
    int decimals = 0;
    for (double v : candidates) {
        const double y = s.Y(v);
        if (lastY - y >= spacing) {
            axis.ticks.push_back(v);
            lastY = y;
            decimals = std::max(decimals, DecimalsFor(v));
        }
    }
    axis.decimals = std::min(decimals, 4);
}

void Extend(double& lo, double& hi, double v) {
    if (std::isfinite(v)) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
}

} // namespace marketserver::chart
