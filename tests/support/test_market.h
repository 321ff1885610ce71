#pragma once

#include <memory>
#include <string>

#include "marketserver/market_server.h"
#include "platform/inet/service_url.h"

namespace testsupport {

// The simulated market of the tests: seed 7, standing still at `clock` (IST).
inline marketserver::MarketOptions
MarketOptionsAt(const std::string& clock = "2026-12-07 11:00:00") {
    marketserver::MarketOptions o;
    o.seed = 7;
    sim::VirtualClock::Parse(clock, o.clock.emplace());
    o.speed = 0;
    return o;
}

// That market on loopback, with the program's services pointed at it.
inline std::unique_ptr<marketserver::MarketServer>
StartMarketAt(const std::string& clock = "2026-12-07 11:00:00") {
    auto market = marketserver::StartEmbeddedMarket(MarketOptionsAt(clock));
    inet::ResetMarketConfig();
    if (market)
        inet::SetCommandLineMarket(market->BaseUrl());
    return market;
}

} // namespace testsupport
