#pragma once

#include <cstdint>

namespace sim {
class PriceEngine;
}

// The tour's own watch list: well-known companies, one above its upper limit and one below
// its lower limit at the market's moment, so the pictures show the alert colours.
void FillTourWatchList(const sim::PriceEngine& engine, std::int64_t marketTime);
