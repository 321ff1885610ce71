#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/colorref.h"
#include "portfolio/core/charges.h"
#include "quotes/quote_record.h"

// One lot (purchase) of the portfolio, with the live price of its stock.
struct ProfileLot {
    std::string companyName;
    std::string index; // "NSE" or "BSE"
    std::string symbol;
    int deliveryType = 0; // 0 delivery, 1 intraday
    double price = 0;     // bought at, per share
    std::int32_t quantity = 0;
    std::int32_t brokerId = 0;
    double marketPrice = 0; // 0 until a quote arrives
    double change = 0;
};

// One transaction of the lots dialog: shares bought at a price.
struct LotEntry {
    double price = 0;
    std::int32_t shares = 0;

    bool operator==(const LotEntry&) const = default;
};

// One row of a portfolio list: the lots of one stock and trade type taken together.
struct ProfileRow {
    std::string companyName;
    std::string index;
    std::string symbol;
    std::int32_t brokerId = 0; // the first lot's
    std::int64_t quantity = 0;
    double avgCost = 0;
    double marketPrice = 0;
    double changePercent = 0;
    double costValue = 0;   // quantity x average cost
    double marketValue = 0; // quantity x market price
    double costPlusBrokerage = 0;
    double youllGet = 0;
    double netPL = 0;
    double netPLPercent = 0;
};

// A stock the bar asks a quote for.
struct ProfileSymbol {
    std::string companyName;
    std::string index;
    std::string symbol;
};

struct ProfileTotals {
    double cost = 0;     // cost plus brokerage of every row
    double youllGet = 0; // rows with a price only
    double netPL = 0;
};

// The columns of both lists; 1-3 are hidden stores.
enum ProfileColumn {
    kPcName,
    kPcIndex,
    kPcSymbol,
    kPcBrokerId,
    kPcQuantity,
    kPcAvgCost,
    kPcMarketPrice,
    kPcChangePercent,
    kPcCostPlusBrokerage,
    kPcYoullGet,
    kPcNetPL,
    kPcNetPLPercent,
    kProfileColumns
};

// Where the page starts to complain; it never drops anything.
inline constexpr int kDeliveryAddLimit = 150; // adding refused while more lots are held
inline constexpr int kDeliveryRowsLarge = 40;
inline constexpr int kIntradayRowsLarge = 10;
inline constexpr int kProfileSymbolsLarge = 50;

inline constexpr const char* kMsgCantAddMore = "Sorry! you can't add more Stocks here ";
inline constexpr const char* kMsgDeliveryLarge =
    "No of Stocks in Delivery List is Large . Please try to delete some of them";
inline constexpr const char* kMsgIntradayLarge =
    "No of Stocks in Intraday List is Large . Please try to delete some of them";
inline constexpr const char* kMsgSymbolsLarge =
    "No of Stocks in the Profile are very large . Please try to delete some of them";

// The distinct stocks of both lists by exact symbol, delivery lots first, in first-seen order.
std::vector<ProfileSymbol> BuildProfileSymbols(const std::vector<ProfileLot>& delivery,
                                               const std::vector<ProfileLot>& intraday);

// Gives every lot the last price and change of its symbol's quote (quotes[k] belongs to
// symbols[k]).
void ApplyQuotes(std::vector<ProfileLot>& lots, const std::vector<ProfileSymbol>& symbols,
                 const std::vector<QuoteRecord>& quotes);

// One row per stock, in first-seen order; the quantity is summed and the price averaged by
// quantity. Intraday lists match symbols without regard to case.
std::vector<ProfileRow> MergeLots(const std::vector<ProfileLot>& lots, bool ignoreCase);

// Charges, what selling brings and the profit or loss of every row, each with the rates of
// its broker for the trade type (no charges when the broker is unknown); returns the
// list's totals.
ProfileTotals ComputeRows(std::vector<ProfileRow>& rows, int deliveryType,
                          const std::vector<BrokerRecord>& brokers);

// What a list cell shows.
std::string ProfileCellText(const ProfileRow& row, int column);

// Profit-or-loss totals: green above 0, red below, blue at 0, read from the number the
// text begins with.
COLORREF ProfitTotalColor(const std::string& totalText);
