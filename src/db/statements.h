#pragma once

#include <string>
#include <string_view>

// Every filter and statement the program sends to the data source. Values are put between
// single quotes with their own quotes doubled, so a name like "Dr. Reddy's" is found and a
// typed text can never become part of the statement.
namespace db {

// The sort of every catalogue search.
inline constexpr const char* kSortCompanyName = "COMPNAME";

// Companies whose name contains the text and that are listed on NSE / on BSE.
std::string SqlFilterNseCompanies(std::string_view text);
std::string SqlFilterBseCompanies(std::string_view text);
// All companies listed on NSE (nse true) or on BSE.
std::string SqlFilterListedOn(bool nse);
// The catalogue row with this NSE / BSE symbol.
std::string SqlFilterNseName(std::string_view symbol);
std::string SqlFilterBseName(std::string_view symbol);
// Empties the watch list table.
std::string SqlDeleteAllWatch();
// The watch row of a symbol.
std::string SqlFilterWatchSymbol(std::string_view symbol);
// The watch rows on NSE.
std::string SqlFilterWatchNse();
// The lots bought through a broker (any row means the broker is in use).
std::string SqlFilterLotsOfBroker(long brokerId);
std::string SqlDeleteBroker(long brokerId);
std::string SqlFilterBrokerName(std::string_view name);
// The lots of a symbol of one delivery type (0 delivery, 1 intraday).
std::string SqlDeleteLots(std::string_view symbol, int deliveryType);
std::string SqlFilterLots(std::string_view symbol, int deliveryType);
std::string SqlDeleteSelectedFuture(std::string_view symbol);

} // namespace db
