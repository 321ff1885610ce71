#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace marketserver {

// One bar of a price series.
struct OhlcBar {
    std::int64_t time = 0; // UTC epoch seconds of the bar's start
    double open = 0, high = 0, low = 0, close = 0;
    double volume = 0;
};

// A symbol's bars, oldest first. Bars before firstVisible are history the indicators and
// averages need; only bars from firstVisible on are drawn.
struct ChartSeries {
    std::string symbol; // as requested, e.g. "RELIANCE.NS"
    std::string name;   // e.g. "Reliance Industries Ltd"
    std::vector<OhlcBar> bars;
    std::size_t firstVisible = 0;
    bool intraday = false;     // minute bars (1d, 5d) rather than daily bars
    int tzOffsetMinutes = 330; // labels show exchange-local time = UTC + offset
    std::string currency = "INR";
    int decimals = 2; // of the last-price mark
    // When later than the last bar, the time axis runs on to a bar starting at this UTC
    // moment, so a session still in progress is drawn against its whole length.
    std::int64_t axisEnd = 0;
};

// What the chart address asks for.
struct ChartOptions {
    std::string range = "1d";            // 1d 5d 1m 3m 6m 1y 2y
    char type = 'l';                     // 'l' line, 'b' OHLC bars, 'c' candles
    bool logScale = false;               // l=on
    char size = 'm';                     // 'm' or 'l'
    std::vector<std::string> overlays;   // from p: m5..m200, e5..e200, b, p, s, v
    std::vector<std::string> indicators; // from a: m26-12-9, f14, p12, r14, ss, fs, v, vm, w14
};

struct ChartImageSize {
    int width = 0;
    int height = 0;
};

// m: 512 x 288, l: 800 x 448, each indicator pane adding 72 (m) or 110 (l) pixels of height.
// Unknown indicator codes and repeated ones add no pane.
ChartImageSize ChartSize(const ChartOptions& options);

// The chart as PNG bytes. With comparison series the price axis shows percent change from
// the first visible bar and each series gets its own colour and legend entry.
std::string RenderChartPng(const ChartSeries& main, const std::vector<ChartSeries>& compare,
                           const ChartOptions& options);

} // namespace marketserver
