#pragma once

#include <string>

#include "marketserver/market_source.h"

namespace marketserver {

// The chart-data CSV of one symbol: a header of exactly 14 lines (days 1) or 19 lines
// (days 5: one "TimeStamp-Ranges" line for each of five sessions), then one
// "timestamp,close,high,low,open,volume" line per bar, oldest first. Readers skip the
// header by counting lines, so its length never varies: fewer than five sessions repeat
// the oldest one's line, more keep the latest five.
std::string ChartDataCsv(const std::string& symbol, int days, const ChartDataSheet& sheet);

// The zone name a chart-data header shows for a UTC offset in minutes ("IST" for 330).
std::string ZoneName(int utcOffsetMinutes);

} // namespace marketserver
