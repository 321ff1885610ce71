#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "marketserver/chart_renderer.h"

// What the market server's routes ask for, and the one seam behind which the answers come
// either from the simulation or from today's public services. The routes turn these values
// into the legacy bytes; a source never writes a protocol's text itself.
namespace marketserver {

// Seconds since 1970-01-01 00:00 on some wall clock (IST unless named).
using CivilSeconds = std::int64_t;

// What a quote line tells about a symbol the source knows.
struct QuoteValues {
    double last = 0, open = 0, high = 0, low = 0, prevClose = 0;
    double yearLow = 0, yearHigh = 0;
    std::int64_t volume = 0;
    std::int64_t tradeDay = 0; // exchange-local civil day of the last trade
    int tradeMinute = 0;       // exchange-local minute of that day
    int decimals = 2;
    std::string name;     // company or index name (code n)
    std::string exchange; // exchange code (code x)
};

enum class Outcome {
    Ok,
    NotFound,    // the symbol or page does not exist
    Unavailable, // nothing is known, because the source could not be asked
};

struct QuoteAnswer {
    // One entry per symbol asked, in order; empty for a symbol the source does not know.
    std::vector<std::optional<QuoteValues>> quotes;
    // Nothing at all is known for any symbol, because of a passing failure.
    bool unavailable = false;
};

// One trading session, in UTC epoch seconds.
struct SessionRange {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

// The values behind a chart-data CSV.
struct ChartDataSheet {
    std::string companyName;
    std::string exchangeName;
    std::string timezone;
    int gmtOffsetSeconds = 0;
    double previousClose = 0;
    std::vector<SessionRange> sessions; // oldest first; the last is the latest session
    std::vector<OhlcBar> bars;          // oldest first
};

struct LookupRow {
    std::string symbol;
    std::string name;
    std::string exchange;
    std::string type; // empty when the source does not tell
};

struct FuturesContract {
    std::string expiry; // 31MAR2026
    bool traded = false;
    double high = 0, low = 0, prevClose = 0, last = 0, turnoverLakh = 0, underlying = 0;
    long long contracts = 0;
};

struct FuturesTable {
    bool isIndex = false;
    std::vector<FuturesContract> contracts; // near month first
};

struct TradeStatistics {
    std::int64_t tradeDay = 0;            // civil day the figures belong to
    long long contracts[2] = {0, 0};      // index futures, stock futures
    double turnoverCrore[2] = {0.0, 0.0}; // the same, in crores of rupees
};

class MarketSource {
public:
    virtual ~MarketSource() = default;

    // The market's time now, in IST (the request log shows it).
    virtual CivilSeconds NowIst() const = 0;

    // codes are the quote line's format codes; a source may skip work they do not need.
    virtual QuoteAnswer Quotes(const std::vector<std::string>& symbols,
                               const std::vector<std::string>& codes) = 0;
    // days is 1 (minute bars of the last session) or 5 (five-minute bars of five).
    virtual Outcome ChartData(const std::string& symbol, int days, ChartDataSheet& out) = 0;
    // range is a chart range code: 1d 5d 1m 3m 6m 1y 2y.
    virtual Outcome Chart(const std::string& symbol, const std::string& range,
                          ChartSeries& out) = 0;
    virtual std::vector<LookupRow> Lookup(const std::string& text) = 0;
    virtual Outcome Futures(const std::string& key, FuturesTable& out) = 0;
    virtual Outcome Statistics(TradeStatistics& out) = 0;

    // Gives up work in progress and makes later calls return soon; the server calls it
    // from another thread when it stops.
    virtual void Stop() = 0;
};

} // namespace marketserver
