#pragma once

#include <cstdint>
#include <string_view>

// Small integer rules several parts need exactly alike.
namespace arith {

// Division rounded toward minus infinity: the day of a moment before 1970 is still the day
// it falls in.
inline std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// 64-bit FNV-1a. Its values are kept on disk (cache names and sums) and decide the simulated
// market's traits, so it must never change.
inline std::uint64_t Fnv1a(std::string_view text) {
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

} // namespace arith
