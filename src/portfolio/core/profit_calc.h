#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "portfolio/core/charges.h"

// The profit calculator's charges are priced per share and have no minimum brokerage.

// What buying n shares at c costs in charges.
double CalcBuyCharges(std::int64_t n, double c, const BrokerRates& rates);
// What selling n shares at p costs in charges.
double CalcSellCharges(std::int64_t n, double p, const BrokerRates& rates);

// The selling price per share that leaves `gain` rupees after every charge on n1 shares
// bought at c1; nullopt when no price can (no shares, or charges eat the whole price).
std::optional<double> TargetSellingPrice(std::int64_t n1, double c1, double gain,
                                         const BrokerRates& rates);
// The profit (loss below 0) of selling n2 shares bought at c2 for p each, after charges.
double ProfitAtPrice(std::int64_t n2, double c2, double p, const BrokerRates& rates);

// The results as the calculator shows them.
std::string SellingPriceText(std::optional<double> price);
std::string ProfitText(double profit);
