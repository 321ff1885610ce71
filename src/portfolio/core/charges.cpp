#include "portfolio/core/charges.h"

#include <cmath>

BrokerRecord NewBrokerRecord() {
    BrokerRecord r;
    r.rates = {0.75, 12.36, 0.125, 0, 0.75, 12.36, 0.125, 0, 0.75, 12.36, 0, 0, 0, 0, 0.025, 0};
    return r;
}

BrokerRates RatesOf(const BrokerRecord& broker, int deliveryType) {
    const double* r = broker.rates.data() + (deliveryType == 0 ? 0 : 8);
    return {r[0], r[1], r[2], r[3], r[4], r[5], r[6], r[7]};
}

double RoundTo(double x, int n) {
    if (x == 0.0)
        return x;
    const double sign = std::fabs(x) / x;
    const double a = std::fabs(std::pow(10.0, n) * x);
    const double f = a - std::trunc(a);
    const double r = f < 0.5 ? std::floor(a) : std::ceil(a);
    // Multiplying by 10^-n, not dividing by 10^n, gives the same doubles as always.
    return r * std::pow(10.0, -n) * sign;
}

namespace {

// One side of a trade at `price` per share; the products keep their written order, since
// the rounding of each step decides the paisa.
double SideCharges(std::int64_t q, double price, double b, double st, double stt, double o,
                   const std::string& broker) {
    const double qd = static_cast<double>(q);
    double brokerage = RoundTo(price * b * 0.01, 4) * qd;
    double tax = RoundTo(price * st * b * 0.0001, 4) * qd;
    if (b != 0 && brokerage < 25.0 && broker == kMinimumBrokerageBroker) {
        brokerage = 25.0;
        tax = st * 0.25;
    }
    const double value = qd * price;
    const double transactionTax = RoundTo(value * stt * 0.01, 2);
    const double others = value * o * 0.01;
    return transactionTax + others + tax + brokerage;
}

} // namespace

double BuyCharges(std::int64_t q, double ap, const BrokerRates& r, const std::string& broker) {
    return SideCharges(q, ap, r.rB, r.rST, r.rSTT, r.rO, broker);
}

double SellCharges(std::int64_t q, double ap, double mp, const BrokerRates& r,
                   const std::string& broker) {
    (void)ap; // the sell side is priced at the market
    return SideCharges(q, mp, r.sB, r.sST, r.sSTT, r.sO, broker);
}
