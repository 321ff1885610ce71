#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the live chart makes of the quote logs: points from bar lines, the price range of a
// series, the rows and axis scales it draws, and which lines of the live file it takes.

// One bar of a log, as the chart keeps it: the texts of its time, close and volume.
struct LivePoint {
    std::string time;
    std::string close;
    std::string volume;

    bool operator==(const LivePoint&) const = default;
};

// "NAME,date,time,open,high,low,close,volume" with double quotes removed from every field.
// A line with fewer than eight fields, an empty time, or a close or volume that is not a
// number gives no point: a log caught half-written must not put a zero into the chart.
std::optional<LivePoint> ParseLivePoint(std::string_view line);

// The points of one name in the order read, and the highest and lowest close seen.
struct LiveSeries {
    std::vector<LivePoint> points;
    double maximum = 0;
    double minimum = 0;

    int Count() const { return static_cast<int>(points.size()); }
    void Clear();
    // Adds the line's point and widens the range. False (and nothing changes) when the
    // line holds no point.
    bool Add(std::string_view line);
};

// A close above the maximum becomes the maximum; otherwise one below the minimum, or any
// close while the minimum is still 0, becomes the minimum. So a series that only rises
// keeps its minimum at 0.
void UpdateRange(LiveSeries& series, double close);

// One row of the line chart: the stock's time and close, and the close of the first NIFTY
// point with exactly the same time text (empty when there is none).
struct LineRow {
    std::string time;
    std::string price;
    std::string niftyPrice;

    bool operator==(const LineRow&) const = default;
};
std::vector<LineRow> LineChartRows(const LiveSeries& stock, const LiveSeries& nifty);

// A value axis scale: the range widened by a share of itself on both sides, in five major
// divisions.
struct AxisScale {
    double minimum = 0;
    double maximum = 0;
    int majorDivision = 5;
};
// The stock's axis: 10 % of the range beyond each end.
AxisScale StockAxisScale(const LiveSeries& stock);
// NIFTY's axis: 5 % of the range beyond each end.
AxisScale NiftyAxisScale(const LiveSeries& nifty);
// A scale with no width (no points yet, or one price only) cannot be drawn; it is opened
// to one unit either side of its value.
AxisScale DrawableScale(AxisScale scale);

// The rows whose time is written under a chart: every row while they fit, else every
// n-th from the first, n chosen so that at most maxLabels remain.
std::vector<int> TimeLabelRows(int count, int maxLabels);

// The lines of a live file the chart takes: the first line when it names NIFTY, and the
// first line after it that contains the symbol anywhere in its text (so a short symbol
// can match inside a longer one). An empty symbol matches nothing.
struct LiveLines {
    std::optional<std::string> nifty;
    std::optional<std::string> stock;
};
LiveLines PickLiveLines(const std::vector<std::string>& lines, std::string_view symbol);

// Timer interval of a refresh rate text: "High" 10000, "Medium" 15000, "Low" 20000 ms.
std::optional<int> RefreshRateInterval(std::string_view rate);

// Reads a text file's lines without their line breaks (CR LF or LF). False when the file
// cannot be opened or read.
bool ReadLogLines(const std::string& path, std::vector<std::string>& lines);
