#include "platform/base/clock.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace {

std::mutex g_mutex;
std::optional<LocalTime> g_fixed;
std::atomic<bool> g_isFixed{false};
std::atomic<std::int64_t> g_offset{0}; // seconds added to the system clock

std::time_t MakeTime(const LocalTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace

std::int64_t DaysFromCivil(int y, int m, int d) {
    // Howard Hinnant's days_from_civil.
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

int DayOfWeek(int year, int month, int day) {
    const std::int64_t days = DaysFromCivil(year, month, day);
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

LocalTime MakeLocalTime(int year, int month, int day, int hour, int minute, int second) {
    LocalTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.dayOfWeek = DayOfWeek(year, month, day);
    return t;
}

std::optional<LocalTime> ParseLocalTime(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    const int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail);
    if (n != 5 && n != 6)
        return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
        return std::nullopt;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (d > kDays[mo - 1] || (mo == 2 && d == 29 && !leap))
        return std::nullopt;
    return MakeLocalTime(y, mo, d, h, mi, s);
}

LocalTime Clock::Now() {
    if (g_isFixed.load(std::memory_order_acquire)) {
        std::lock_guard lock(g_mutex);
        if (g_fixed)
            return *g_fixed;
    }
    const std::time_t now = std::time(nullptr) + static_cast<std::time_t>(g_offset.load());
    std::tm tm{};
    localtime_r(&now, &tm);
    return MakeLocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                         tm.tm_sec);
}

std::int64_t Clock::EpochSeconds() {
    if (g_isFixed.load(std::memory_order_acquire)) {
        std::lock_guard lock(g_mutex);
        if (g_fixed)
            return static_cast<std::int64_t>(MakeTime(*g_fixed));
    }
    return static_cast<std::int64_t>(std::time(nullptr)) + g_offset.load();
}

void Clock::SetFixed(const LocalTime& t) {
    std::lock_guard lock(g_mutex);
    g_fixed = t;
    g_isFixed.store(true, std::memory_order_release);
}

void Clock::SetRunningFrom(const LocalTime& t) {
    g_offset.store(static_cast<std::int64_t>(MakeTime(t)) -
                   static_cast<std::int64_t>(std::time(nullptr)));
}

void Clock::Reset() {
    std::lock_guard lock(g_mutex);
    g_offset.store(0);
    g_fixed.reset();
    g_isFixed.store(false, std::memory_order_release);
}

bool Clock::IsFixed() {
    return g_isFixed.load(std::memory_order_acquire);
}
