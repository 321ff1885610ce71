#pragma once

#include <string>

#include "marketserver/simulated/price_engine.h"

namespace sim {

// The symbol lookup page: companies whose name or symbol contains the text (any case),
// with their NSE (.NS) and BSE (.BO) quote symbols.
std::string LookupPage(const std::string& text);

// The exchange's futures page of one underlying: "Instrument Type" heads a table of the
// near, next and far month contracts; cells hold plain text, the expiry date is a link.
// An unknown key gives the page without contract rows.
std::string FuturesPage(const PriceEngine& engine, const std::string& key, CivilSeconds istNow);

// The exchange's "market today" page with "Trade Statistics for DD-Mon-YYYY" and the
// index-futures and stock-futures rows.
std::string MarketTodayPage(const PriceEngine& engine, CivilSeconds istNow);

// Monthly expiry (the last Tuesday) of the month holding a civil day, and the contract
// months that trade on that day: near, next and far.
std::int64_t MonthlyExpiry(int year, int month);
void ContractExpiries(std::int64_t civilDay, std::int64_t expiries[3]);

// Texts safe inside HTML.
std::string HtmlEscape(const std::string& s);

} // namespace sim
