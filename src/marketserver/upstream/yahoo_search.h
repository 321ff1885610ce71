#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "marketserver/market_source.h"
#include "marketserver/upstream/yahoo_chart.h"

namespace upstream {

// Reads an answer of the search service (/v1/finance/search): one row per quote with a
// symbol (other kinds of entries are left out), the long name else the short one, the
// exchange as shown and the type capitalised; NSE and BSE entries first, each group in
// the service's order.
ParseStatus ParseYahooSearch(std::string_view json, std::vector<marketserver::LookupRow>& rows,
                             std::string& why);

} // namespace upstream
