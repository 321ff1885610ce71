#pragma once

// Where the bar's prices come from; the bar's label and the About box say it.
enum class PriceSource {
    Configured, // services named on the command line or in the environment
    Simulated,  // the built-in simulated market
    Live,       // the built-in market server asking Yahoo Finance and the exchanges' files
};

inline constexpr const char* kSimulatedLabel = "SIMULATED MARKET";
inline constexpr const char* kLiveLabel = "LIVE (Yahoo Finance, NSE/BSE archives)";
