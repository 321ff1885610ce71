#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "marketserver/market_source.h"
#include "marketserver/simulated/price_engine.h"
#include "marketserver/simulated/virtual_clock.h"

namespace sim {

// The simulated market behind the market server: deterministic prices from a seed and a
// virtual IST clock, for every catalogue company, index, rate, ADR and future.
class SimulatedSource final : public marketserver::MarketSource {
public:
    SimulatedSource(std::uint64_t seed, std::optional<CivilSeconds> clock, double speed);

    const PriceEngine& Engine() const { return m_engine; }
    VirtualClock& Clock() { return m_clock; }

    marketserver::CivilSeconds NowIst() const override { return m_clock.Now(); }
    marketserver::QuoteAnswer Quotes(const std::vector<std::string>& symbols,
                                     const std::vector<std::string>& codes) override;
    marketserver::Outcome ChartData(const std::string& symbol, int days,
                                    marketserver::ChartDataSheet& out) override;
    marketserver::Outcome Chart(const std::string& symbol, const std::string& range,
                                marketserver::ChartSeries& out) override;
    std::vector<marketserver::LookupRow> Lookup(const std::string& text) override;
    marketserver::Outcome Futures(const std::string& key, marketserver::FuturesTable& out) override;
    marketserver::Outcome Statistics(marketserver::TradeStatistics& out) override;
    void Stop() override { m_engine.Cancel(); }

    // The values of one quote line (tests and benchmarks).
    std::optional<marketserver::QuoteValues> QuoteOf(const std::string& symbol,
                                                     bool withYearRange) const;

private:
    PriceEngine m_engine;
    VirtualClock m_clock;
};

// Monthly expiry (the last Tuesday) of the month holding a civil day, and the contract
// months that trade on that day: near, next and far.
std::int64_t MonthlyExpiry(int year, int month);
void ContractExpiries(std::int64_t civilDay, std::int64_t expiries[3]);

} // namespace sim
