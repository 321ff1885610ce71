#pragma once

#include <array>
#include <cstdint>
#include <string>

// A broker: a name and sixteen percentage rates, in the column order of the broker table:
// delivery buy, delivery sell, intraday buy, intraday sell, each as brokerage, service tax
// (percent of the brokerage), transaction tax and other charges (percent of the value).
struct BrokerRecord {
    std::int32_t id = 0;
    std::string name;
    std::array<double, 16> rates{};
};

// What a new broker starts with.
BrokerRecord NewBrokerRecord();

// The eight rates of one trade type.
struct BrokerRates {
    double rB = 0, rST = 0, rSTT = 0, rO = 0; // buying
    double sB = 0, sST = 0, sSTT = 0, sO = 0; // selling
};

// Rates 1-8 for a delivery trade (type 0), rates 9-16 for any other type.
BrokerRates RatesOf(const BrokerRecord& broker, int deliveryType);

// Half away from zero at n decimals, with the sign put back.
double RoundTo(double x, int n);

// The broker whose minimum brokerage is 25 rupees per side.
inline constexpr const char* kMinimumBrokerageBroker = "ICICI Direct";

// Everything buying (selling) a position of q shares costs, in rupees. The quantity is
// wide so that summed lots can never overflow it.
double BuyCharges(std::int64_t q, double ap, const BrokerRates& rates, const std::string& broker);
double SellCharges(std::int64_t q, double ap, double mp, const BrokerRates& rates,
                   const std::string& broker);
