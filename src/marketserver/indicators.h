#pragma once

#include <vector>

#include "marketserver/chart_renderer.h"

// Technical indicators for the chart image service. Every function returns a vector aligned
// with its input, NaN where there is not yet enough history (or the input is NaN there).
namespace marketserver {

std::vector<double> Closes(const std::vector<OhlcBar>& bars);

// Needs `period` consecutive values; a NaN restarts the count.
std::vector<double> Sma(const std::vector<double>& values, int period);
// Seeded with the SMA of the first `period` values, then weighted 2 / (period + 1).
std::vector<double> Ema(const std::vector<double>& values, int period);

struct BollingerBands {
    std::vector<double> middle, upper, lower;
};
// SMA middle line, bands `width` population standard deviations away.
BollingerBands Bollinger(const std::vector<double>& closes, int period = 20, double width = 2.0);

// Wilder's stop and reverse: the acceleration grows by `step` at each new extreme up to `limit`.
std::vector<double> ParabolicSar(const std::vector<OhlcBar>& bars, double step = 0.02,
                                 double limit = 0.2);

struct MacdLines {
    std::vector<double> macd, signal, histogram;
};
MacdLines Macd(const std::vector<double>& closes, int slow = 26, int fast = 12, int signal = 9);

std::vector<double> MoneyFlowIndex(const std::vector<OhlcBar>& bars, int period = 14);
// Percent change over `period` bars.
std::vector<double> RateOfChange(const std::vector<double>& closes, int period = 12);
// Wilder smoothing; 100 when nothing fell, 50 when nothing moved.
std::vector<double> Rsi(const std::vector<double>& closes, int period = 14);

struct StochasticLines {
    std::vector<double> k, d;
};
// %K over `period` bars smoothed by a `smoothK` SMA, %D its `periodD` SMA.
StochasticLines Stochastic(const std::vector<OhlcBar>& bars, int period, int smoothK, int periodD);
inline StochasticLines FastStochastic(const std::vector<OhlcBar>& bars) {
    return Stochastic(bars, 14, 1, 3);
}
inline StochasticLines SlowStochastic(const std::vector<OhlcBar>& bars) {
    return Stochastic(bars, 14, 3, 3);
}

// 0 when the close is the period's high, -100 at its low.
std::vector<double> WilliamsR(const std::vector<OhlcBar>& bars, int period = 14);

struct VolumeLines {
    std::vector<double> volume, average;
};
VolumeLines VolumeWithAverage(const std::vector<OhlcBar>& bars, int period = 20);

} // namespace marketserver
