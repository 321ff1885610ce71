#pragma once

// Times and days as the upstream source counts them: milliseconds since 1970, days of the
// Indian calendar, the names of the exchanges' daily files.
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/base/arith.h"
#include "platform/base/clock.h"

namespace upstream::timing {

inline constexpr std::int64_t kSecond = 1000;
inline constexpr std::int64_t kMinute = 60 * kSecond;
inline constexpr std::int64_t kHour = 60 * kMinute;
inline constexpr std::int64_t kDay = 24 * kHour;
inline constexpr std::int64_t kIstOffsetSeconds = 19800;

// Days the exchange files are looked for, back from today.
inline constexpr int kBhavcopyDays = 7;

using arith::FloorDiv;

inline std::int64_t IstDay(std::int64_t nowMs) {
    return FloorDiv(FloorDiv(nowMs, 1000) + kIstOffsetSeconds, 86400);
}

inline bool IsWeekend(std::int64_t civilDay) {
    const std::int64_t dow = ((civilDay % 7) + 7 + 4) % 7; // 0 = Sunday
    return dow == 0 || dow == 6;
}

inline std::string DayDigits(std::int64_t day) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(day, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    return buf;
}

} // namespace upstream::timing
