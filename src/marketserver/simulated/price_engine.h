#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "marketserver/simulated/instruments.h"
#include "platform/base/arith.h"

namespace sim {

// Seconds since 1970-01-01 00:00 on the wall clock of some zone (IST unless named).
using CivilSeconds = std::int64_t;
constexpr std::int64_t kSecondsPerDay = 86400;
// IST is UTC + 5:30.
constexpr std::int64_t kIstOffsetSeconds = 5 * 3600 + 30 * 60;

using arith::FloorDiv;
bool IsTradingDay(std::int64_t civilDay); // Monday to Friday; no holiday calendar
std::int64_t PreviousTradingDay(std::int64_t civilDay);

// One session of an instrument: a price per minute from the open (index 0) to the
// close (index n), and the volume traded up to each minute.
struct DayPath {
    std::int64_t day = 0; // exchange-local civil day
    double prevClose = 0;
    std::vector<double> price;  // n + 1 points
    std::vector<double> volume; // cumulative, n + 1 points, volume[0] = 0
    double High(std::size_t upTo) const;
    double Low(std::size_t upTo) const;
};

struct DaySummary {
    double open = 0, high = 0, low = 0, close = 0, prevClose = 0, volume = 0;
};

// What the service knows about a symbol at one moment.
struct SimQuote {
    double last = 0, open = 0, high = 0, low = 0, prevClose = 0;
    double yearLow = 0, yearHigh = 0;
    std::int64_t volume = 0;
    std::int64_t tradeDay = 0; // exchange-local civil day of the last trade
    int tradeMinute = 0;       // exchange-local minute of day of the last trade
    bool inSession = false;
};

// Deterministic prices: every value is a function of the seed, the instrument and the
// moment asked about, never of what was asked before. Safe to call from many threads.
class PriceEngine final {
public:
    explicit PriceEngine(std::uint64_t seed, const Universe& universe = Universe::Default());

    const Universe& universe() const { return m_universe; }
    std::uint64_t seed() const { return m_seed; }

    // The quote at an IST moment. The 52-week range costs a year of sessions the first
    // time it is asked for an instrument; leave it out when not needed.
    SimQuote Quote(const Listing& listing, CivilSeconds istNow, bool withYearRange = true) const;

    // The session of an exchange-local day (shared, cached).
    std::shared_ptr<const DayPath> Path(int instrument, std::int64_t day) const;
    DaySummary Summary(int instrument, std::int64_t day) const;
    // Close of an exchange-local day, computed directly (no session needed).
    double Close(int instrument, std::int64_t day) const;

    // The last trading day whose session has started at the IST moment, and how many
    // seconds of it have passed (capped at the session's length).
    void SessionAt(const Instrument& inst, CivilSeconds istNow, std::int64_t& day,
                   std::int64_t& elapsed) const;

    // Makes the long computations (a year of sessions for the 52-week range, years of daily
    // bars) give up at once, with partial results: the server is stopping and nobody will
    // read them.
    void Cancel() { m_cancelled = true; }
    bool Cancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // The lowest and highest price of the year's sessions before an exchange-local day
    // (kept once computed).
    std::pair<double, double> RangeBefore(int instrument, std::int64_t day) const;
    // Computes the 52-week ranges the listings will need at the moment, several at once.
    void PrepareYearRanges(const std::vector<const Listing*>& listings, CivilSeconds istNow) const;

    // Rounds to the instrument's tick.
    static double RoundToTick(const Instrument& inst, double value);

private:
    // A session's prices (and, unless told, its volumes).
    std::shared_ptr<const DayPath> BuildPath(int instrument, std::int64_t day,
                                             bool withVolume = true) const;

    std::uint64_t m_seed;
    const Universe& m_universe;
    std::atomic<bool> m_cancelled{false};
    mutable std::mutex m_mutex;
    mutable std::map<std::pair<int, std::int64_t>, std::shared_ptr<const DayPath>> m_paths;
    mutable std::map<std::pair<int, std::int64_t>, DaySummary> m_summaries;
    mutable std::map<std::pair<int, std::int64_t>, std::pair<double, double>> m_ranges;
};

} // namespace sim
