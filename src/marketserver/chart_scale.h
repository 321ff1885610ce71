#pragma once

#include <cstdint>
#include <vector>

#include <QString>

#include "platform/base/arith.h"

// The numbers of a chart: the price axis's scale and its round ticks, and the texts of its
// labels (Indian digit grouping, percentages, compact volumes, dates).
namespace marketserver::chart {

// ---- labels

// Indian digit grouping: 1,23,45,678.50; no "-0".
QString Grouped(double v, int decimals);
// The same with a "+" before a positive value.
QString Signed(double v, int decimals);
// Digits after the point that show every multiple of `step`.
int DecimalsFor(double step);
// 1.5K, 12M, 3B.
QString Compact(double v);
enum class Format { Number, Percent, Volume };
QString FormatValue(double v, Format format, int decimals);

// ---- dates

using arith::FloorDiv;
struct Civil {
    int year, month, day, weekday; // month 1..12, weekday 0 = Sunday
};
// The date of a day number (days since 1970-01-01).
Civil CivilOf(std::int64_t days);
extern const char* const kMonths[12];
extern const char* const kWeekdays[7];
QString DayMonth(const Civil& c);     // "7 Dec"
QString DayMonthYear(const Civil& c); // "7 Dec 2026"

// ---- scales

// A round step (1, 2, 2.5 or 5 times a power of ten) at or above `rough`.
double NiceStep(double rough);
// The next round step above `step`.
double NextStep(double step);
// The multiples of `step` from lo to hi.
std::vector<double> LinearTicks(double lo, double hi, double step);

struct YScale {
    double lo = 0, hi = 1;
    bool log = false;
    double top = 0, bottom = 1;
    double Y(double v) const;
};

struct Axis {
    YScale scale;
    std::vector<double> ticks;
    int decimals = 0;
    Format format = Format::Number;
};

// The finest round ticks at least `spacing` pixels apart; closer, down to `least`, rather
// than fewer than two. Wide log ranges take round values of each decade.
void ChooseTicks(Axis& axis, double spacing, double least);
// Widens lo..hi to take v (a finite one).
void Extend(double& lo, double& hi, double v);

} // namespace marketserver::chart
