#include "portfolio/core/profit_calc.h"

#include "quotes/indian_number.h"

namespace {

// Brokerage and its service tax per share (each rounded to four places) with the other charges,
// for every share, plus the securities transaction tax on the whole (rounded to paise).
double Charges(std::int64_t n, double price, double brokerage, double serviceTax, double stt,
               double others) {
    const double nd = static_cast<double>(n);
    const double tax = RoundTo(price * serviceTax * brokerage * 0.0001, 4);
    const double perShare = RoundTo(price * brokerage * 0.01, 4) + tax;
    const double all = (perShare + price * others * 0.01) * nd;
    return RoundTo(nd * price * stt * 0.01, 2) + all;
}

} // namespace

double CalcBuyCharges(std::int64_t n, double c, const BrokerRates& r) {
    return Charges(n, c, r.rB, r.rST, r.rSTT, r.rO);
}

double CalcSellCharges(std::int64_t n, double p, const BrokerRates& r) {
    return Charges(n, p, r.sB, r.sST, r.sSTT, r.sO);
}

std::optional<double> TargetSellingPrice(std::int64_t n1, double c1, double gain,
                                         const BrokerRates& r) {
    const double nd = static_cast<double>(n1);
    const double buy = CalcBuyCharges(n1, c1, r);
    const double num = nd * c1 + gain + buy;
    // The share of the selling price that goes in charges, unrounded.
    const double k = (r.sB * (r.sST * 0.01 + 1.0) + r.sO + r.sSTT) * 0.01;
    const double den = (1.0 - k) * nd;
    if (den == 0)
        return std::nullopt;
    return num / den;
}

double ProfitAtPrice(std::int64_t n2, double c2, double p, const BrokerRates& r) {
    const double buy = CalcBuyCharges(n2, c2, r);
    const double sell = CalcSellCharges(n2, p, r);
    return (p - c2) * static_cast<double>(n2) - (sell + buy);
}

std::string SellingPriceText(std::optional<double> price) {
    return price ? FormatIndianNumber(*price) : "0.00";
}

std::string ProfitText(double profit) {
    return FormatIndianNumber(profit);
}
