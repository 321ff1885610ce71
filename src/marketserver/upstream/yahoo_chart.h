#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "marketserver/market_source.h"

namespace upstream {

using marketserver::SessionRange;

// What the chart service says about a symbol. Every field but the symbol may be missing
// from one answer or another, so each is optional and the mapping keeps fallbacks.
struct ChartMeta {
    std::string symbol, currency, exchangeName, fullExchangeName, timezone;
    std::string longName, shortName;
    std::optional<double> regularMarketPrice, previousClose, chartPreviousClose;
    std::optional<double> dayHigh, dayLow, yearHigh, yearLow;
    std::optional<std::int64_t> regularMarketTime, regularMarketVolume;
    int gmtoffset = 0; // seconds east of UTC
    std::optional<int> priceHint;
    std::optional<SessionRange> regularPeriod; // the current or next regular session
    std::vector<SessionRange> tradingPeriods;  // regular sessions of the answer, oldest first
};

struct YahooChart {
    ChartMeta meta;
    std::vector<std::int64_t> timestamp;
    std::vector<std::optional<double>> open, high, low, close, volume; // aligned with timestamp
};

enum class ParseStatus {
    Ok,
    NotFound,  // the service says the symbol does not exist
    Malformed, // not an answer this code can read
};

// Reads an answer of the chart service (/v8/finance/chart/SYMBOL).
ParseStatus ParseYahooChart(std::string_view json, YahooChart& out, std::string& why);

// The quote line's values: price and time from the meta, the day's open from the first
// bar, fallbacks for every field an answer leaves out, never a hole. Empty when the
// answer carries no price at all.
std::optional<marketserver::QuoteValues> QuoteFromChart(const YahooChart& chart);

// The 52-week range from daily bars (the fallback when the meta lacks it); false without
// bars.
bool YearRangeFromChart(const YahooChart& daily, double& low, double& high);

// The chart-data sheet: header values and the bars with a close (a minute without a trade
// is left out; a missing volume is 0). Sessions come from the answer's trading periods,
// else from the days the bars fall on.
marketserver::ChartDataSheet ChartDataSheetFromChart(const YahooChart& chart);

// The bars with a close, oldest first.
std::vector<marketserver::OhlcBar> BarsFromChart(const YahooChart& chart);

// The series the chart picture draws for a range code: the bars of the answer, of which
// the last session (1d), the last five sessions (5d) or those from windowStart on (daily
// ranges) are shown and the rest feed the averages.
marketserver::ChartSeries SeriesFromChart(const YahooChart& chart, const std::string& range,
                                          std::int64_t windowStart);

// Market state from the meta: open now, and when the next session starts (0 unknown).
bool IsRegularSessionOpen(const ChartMeta& meta, std::int64_t nowSeconds);

} // namespace upstream
