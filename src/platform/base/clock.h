#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Local wall-clock time, broken down the way the program's rules read it.
struct LocalTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 4; // 0 = Sunday .. 6 = Saturday

    // Seconds since midnight.
    int SecondsOfDay() const { return hour * 3600 + minute * 60 + second; }
    bool IsWeekend() const { return dayOfWeek == 0 || dayOfWeek == 6; }
};

// The one source of "now" for product code. Tests pin it to a fixed local time.
class Clock final {
public:
    static LocalTime Now();
    // Seconds since the Unix epoch (UTC), following a pinned local time when one is set.
    static std::int64_t EpochSeconds();

    static void SetFixed(const LocalTime& t);
    // The clock runs on from the given local time (a whole program started "at" a moment).
    static void SetRunningFrom(const LocalTime& t);
    static void Reset();
    static bool IsFixed();
};

// Pins the clock for the lifetime of the object.
class ScopedFixedClock final {
public:
    explicit ScopedFixedClock(const LocalTime& t) { Clock::SetFixed(t); }
    ~ScopedFixedClock() { Clock::Reset(); }
    ScopedFixedClock(const ScopedFixedClock&) = delete;
    ScopedFixedClock& operator=(const ScopedFixedClock&) = delete;
};

// Day of week (0 = Sunday) of a proleptic Gregorian date.
int DayOfWeek(int year, int month, int day);
// Days since 1970-01-01 of a Gregorian date, and back.
std::int64_t DaysFromCivil(int year, int month, int day);
void CivilFromDays(std::int64_t days, int& year, int& month, int& day);
// Builds a LocalTime with its weekday filled in.
LocalTime MakeLocalTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
// Parses "YYYY-MM-DD HH:MM:SS" (seconds optional).
std::optional<LocalTime> ParseLocalTime(const std::string& text);
