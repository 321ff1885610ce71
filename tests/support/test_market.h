#pragma once

#include <memory>
#include <string>

#include "marketserver/market_server.h"
#include "platform/inet/service_url.h"

namespace testsupport {

// The simulated market (seed 7) standing still at `clock` (IST), with the program's
// services pointed at it.
inline std::unique_ptr<marketserver::MarketServer>
StartMarketAt(const std::string& clock = "2026-12-07 11:00:00") {
    marketserver::MarketOptions o;
    o.seed = 7;
    sim::VirtualClock::Parse(clock, o.clock.emplace());
    o.speed = 0;
    auto market = marketserver::StartEmbeddedMarket(o);
    inet::ResetMarketConfig();
    if (market)
        inet::SetCommandLineMarket(market->BaseUrl());
    return market;
}

} // namespace testsupport
