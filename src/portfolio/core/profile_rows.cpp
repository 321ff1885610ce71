#include "portfolio/core/profile_rows.h"

#include <algorithm>

#include "platform/base/text.h"
#include "quotes/indian_number.h"

std::vector<ProfileSymbol> BuildProfileSymbols(const std::vector<ProfileLot>& delivery,
                                               const std::vector<ProfileLot>& intraday) {
    std::vector<ProfileSymbol> symbols;
    for (const auto* lots : {&delivery, &intraday})
        for (const ProfileLot& lot : *lots) {
            const bool known = std::any_of(symbols.begin(), symbols.end(),
                                           [&](const auto& s) { return s.symbol == lot.symbol; });
            if (!known)
                symbols.push_back({lot.companyName, lot.index, lot.symbol});
        }
    return symbols;
}

void ApplyQuotes(std::vector<ProfileLot>& lots, const std::vector<ProfileSymbol>& symbols,
                 const std::vector<QuoteRecord>& quotes) {
    for (ProfileLot& lot : lots)
        for (std::size_t k = 0; k < symbols.size() && k < quotes.size(); ++k)
            if (symbols[k].symbol == lot.symbol) {
                lot.marketPrice = quotes[k].last;
                lot.change = quotes[k].change;
                break;
            }
}

std::vector<ProfileRow> MergeLots(const std::vector<ProfileLot>& lots, bool ignoreCase) {
    std::vector<ProfileRow> rows;
    for (const ProfileLot& lot : lots) {
        auto same = [&](const ProfileRow& r) {
            return ignoreCase ? text::IEquals(r.symbol, lot.symbol) : r.symbol == lot.symbol;
        };
        auto it = std::find_if(rows.begin(), rows.end(), same);
        if (it == rows.end()) {
            ProfileRow r;
            r.companyName = lot.companyName;
            r.index = lot.index;
            r.symbol = lot.symbol;
            r.brokerId = lot.brokerId;
            r.quantity = lot.quantity;
            r.avgCost = lot.price;
            r.marketPrice = lot.marketPrice;
            const double base = lot.marketPrice - lot.change;
            r.changePercent = base == 0 ? 0 : lot.change * 100 / base;
            r.costValue = static_cast<double>(r.quantity) * r.avgCost;
            r.marketValue = static_cast<double>(r.quantity) * r.marketPrice;
            rows.push_back(std::move(r));
            continue;
        }
        ProfileRow& r = *it;
        const std::int64_t s = r.quantity + lot.quantity;
        r.avgCost = s == 0
                        ? 0
                        : (lot.quantity * lot.price + static_cast<double>(r.quantity) * r.avgCost) /
                              static_cast<double>(s);
        r.quantity = s;
        r.costValue = static_cast<double>(r.quantity) * r.avgCost;
        r.marketValue = static_cast<double>(r.quantity) * lot.marketPrice;
    }
    return rows;
}

ProfileTotals ComputeRows(std::vector<ProfileRow>& rows, int deliveryType,
                          const std::vector<BrokerRecord>& brokers) {
    ProfileTotals totals;
    for (ProfileRow& r : rows) {
        const auto broker = std::find_if(brokers.begin(), brokers.end(),
                                         [&](const BrokerRecord& b) { return b.id == r.brokerId; });
        const BrokerRecord none;
        const BrokerRecord& b = broker == brokers.end() ? none : *broker;
        const BrokerRates rates = RatesOf(b, deliveryType);
        const double buy = BuyCharges(r.quantity, r.avgCost, rates, b.name);
        const double sell = SellCharges(r.quantity, r.avgCost, r.marketPrice, rates, b.name);
        const double cost = r.costValue;
        if (r.marketPrice == 0) {
            r.netPL = 0;
            r.netPLPercent = 0;
            r.youllGet = 0;
        } else {
            r.netPL = (r.marketPrice - r.avgCost) * static_cast<double>(r.quantity) - (sell + buy);
            // A lot bought at no cost has no percentage to speak of.
            r.netPLPercent = cost == 0 ? 0 : r.netPL * 100 / cost;
            r.youllGet = r.marketValue - (sell + buy);
            totals.youllGet += r.youllGet;
        }
        r.costPlusBrokerage = cost + buy;
        totals.cost += cost + buy;
        totals.netPL += r.netPL;
    }
    return totals;
}

std::string ProfileCellText(const ProfileRow& r, int column) {
    switch (column) {
    case kPcName:
        return r.companyName;
    case kPcIndex:
        return r.index;
    case kPcSymbol:
        return r.symbol;
    case kPcBrokerId:
        return FormatIndianNumber(r.brokerId);
    case kPcQuantity:
        return FormatIndianVolume(r.quantity);
    case kPcAvgCost:
        return FormatIndianNumber(r.avgCost);
    case kPcMarketPrice:
        return FormatIndianNumber(r.marketPrice);
    case kPcChangePercent:
        return FormatIndianNumber(r.changePercent);
    case kPcCostPlusBrokerage:
        return FormatIndianNumber(r.costPlusBrokerage);
    case kPcYoullGet:
        return FormatIndianNumber(r.youllGet);
    case kPcNetPL:
        return FormatIndianNumber(r.netPL);
    case kPcNetPLPercent:
        return FormatIndianNumber(r.netPLPercent);
    default:
        return {};
    }
}

COLORREF ProfitTotalColor(const std::string& totalText) {
    const double v = text::CStrToD(totalText);
    if (v > 0)
        return RGB(0, 128, 0);
    if (v < 0)
        return RGB(255, 0, 0);
    return RGB(0, 0, 255);
}
