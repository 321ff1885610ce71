#pragma once

#include <string>
#include <vector>

#include "marketserver/chart_renderer.h"
#include "marketserver/market_source.h"
#include "marketserver/simulated/price_engine.h"

namespace sim {

using marketserver::ChartSeries;
using marketserver::OhlcBar;

// Bars built from the engine's sessions, for the chart-data and chart-image services.

// Bars of `width` minutes from the last `sessions` sessions up to the IST moment (the
// session in progress counts, up to its last whole bar). Prices carry the listing's factor.
std::vector<OhlcBar> IntradayBars(const PriceEngine& engine, const Listing& listing,
                                  CivilSeconds istNow, int sessions, int width);

// One bar per session for the last `sessions` sessions, the one in progress included.
std::vector<OhlcBar> DailyBars(const PriceEngine& engine, const Listing& listing,
                               CivilSeconds istNow, int sessions);

// UTC epoch seconds of an exchange-local minute of a civil day.
std::int64_t UtcOfLocalMinute(const Instrument& inst, std::int64_t day, int minuteOfDay);

// What the chart-data CSV shows ("range" 1 or 5 days): 1-minute bars of the last session,
// or 5-minute bars of the last five sessions.
marketserver::ChartDataSheet ChartDataSheetOf(const PriceEngine& engine, const Listing& listing,
                                              CivilSeconds istNow, int days);

// The series the chart-image service draws for a range code (1d 5d 1m 3m 6m 1y 2y), with
// enough earlier bars for a 200-bar average.
ChartSeries SeriesForRange(const PriceEngine& engine, const Listing& listing,
                           const std::string& symbol, CivilSeconds istNow,
                           const std::string& range);

} // namespace sim
