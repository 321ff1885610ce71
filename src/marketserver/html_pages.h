#pragma once

#include <string>
#include <vector>

#include "marketserver/market_source.h"

namespace marketserver {

// The symbol lookup page: one table row per result. `capped` says the list was cut at
// its limit.
std::string LookupPage(const std::string& query, const std::vector<LookupRow>& rows,
                       bool capped = false);

// The exchange's futures page of one underlying: "Instrument Type" heads a table of the
// near, next and far month contracts; cells hold plain text, the expiry date is a link.
// Without a table (an unknown key) the page has no contract rows.
std::string FuturesPage(const std::string& key, const FuturesTable* table);

// The exchange's "market today" page with "Trade Statistics for DD-Mon-YYYY" and the
// index-futures and stock-futures rows.
std::string MarketTodayPage(const TradeStatistics& stats);

// DDMMMYYYY, e.g. 31MAR2026, as the futures page writes an expiry.
std::string ExpiryText(std::int64_t civilDay);

// Texts safe inside HTML.
std::string HtmlEscape(const std::string& s);

} // namespace marketserver
