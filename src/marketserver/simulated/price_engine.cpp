#include "marketserver/simulated/price_engine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <thread>

#include "platform/base/arith.h"

namespace sim {

namespace {

std::uint64_t Mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

std::uint64_t Hash(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d = 0) {
    return Mix(Mix(Mix(a ^ Mix(b)) ^ c) ^ Mix(d + 0x632BE59BD9B4E019ULL));
}

double Unit(std::uint64_t h) {
    return static_cast<double>(h >> 11) * (1.0 / 9007199254740992.0);
}

double Normal(std::uint64_t h) {
    const double u1 = std::max(Unit(h), 1e-300);
    const double u2 = Unit(Mix(h ^ 0xA5A5A5A5A5A5A5A5ULL));
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

// A small sequential generator for the minutes of one session.
class Stream {
public:
    explicit Stream(std::uint64_t seed) : m_state(seed) {}
    double NextNormal() {
        m_state += 0x9E3779B97F4A7C15ULL;
        return Normal(Mix(m_state));
    }

private:
    std::uint64_t m_state;
};

enum Salt : std::uint64_t { kOctave = 11, kDaily = 12, kGap = 13, kIntraday = 14, kVolume = 15 };

// Smooth noise in [-1, 1] over days, one lattice point per period.
double Octave(std::uint64_t seed, std::uint64_t key, int octave, std::int64_t day, int period) {
    const std::int64_t k = FloorDiv(day, period);
    const double f = static_cast<double>(day - k * period) / period;
    const double a =
        Unit(Hash(seed, key, kOctave * 100 + octave, static_cast<std::uint64_t>(k))) * 2 - 1;
    const double b =
        Unit(Hash(seed, key, kOctave * 100 + octave, static_cast<std::uint64_t>(k + 1))) * 2 - 1;
    const double s = f * f * (3 - 2 * f);
    return a + (b - a) * s;
}

} // namespace

bool IsTradingDay(std::int64_t civilDay) {
    const std::int64_t dow = ((civilDay % 7) + 7 + 4) % 7; // 0 = Sunday
    return dow != 0 && dow != 6;
}

std::int64_t PreviousTradingDay(std::int64_t civilDay) {
    std::int64_t d = civilDay - 1;
    while (!IsTradingDay(d))
        --d;
    return d;
}

double DayPath::High(std::size_t upTo) const {
    upTo = std::min(upTo, price.size() - 1);
    return *std::max_element(price.begin(), price.begin() + static_cast<std::ptrdiff_t>(upTo) + 1);
}

double DayPath::Low(std::size_t upTo) const {
    upTo = std::min(upTo, price.size() - 1);
    return *std::min_element(price.begin(), price.begin() + static_cast<std::ptrdiff_t>(upTo) + 1);
}

PriceEngine::PriceEngine(std::uint64_t seed, const Universe& universe)
    : m_seed(seed), m_universe(universe) {}

double PriceEngine::RoundToTick(const Instrument& inst, double value) {
    const double ticks = std::round(value / inst.tick);
    const double scale = std::pow(10.0, inst.decimals);
    return std::round(ticks * inst.tick * scale) / scale;
}

double PriceEngine::Close(int instrument, std::int64_t day) const {
    const Instrument& inst = m_universe.At(instrument);
    const std::uint64_t key = arith::Fnv1a(inst.key);
    const double scale = inst.dailyVol / 0.015;
    // Slow swings over months plus a day's own move: prices wander but stay near their level.
    const double slow =
        0.22 * Octave(m_seed, key, 0, day, 512) + 0.10 * Octave(m_seed, key, 1, day, 128) +
        0.05 * Octave(m_seed, key, 2, day, 32) + 0.025 * Octave(m_seed, key, 3, day, 8);
    const double daily =
        0.7 * inst.dailyVol * Normal(Hash(m_seed, key, kDaily, static_cast<std::uint64_t>(day)));
    return inst.base * std::exp(scale * slow + daily);
}

std::shared_ptr<const DayPath> PriceEngine::BuildPath(int instrument, std::int64_t day,
                                                      bool withVolume) const {
    const Instrument& inst = m_universe.At(instrument);
    const std::uint64_t key = arith::Fnv1a(inst.key);
    const int n = std::max(1, inst.closeMinute - inst.openMinute);

    auto path = std::make_shared<DayPath>();
    path->day = day;
    // The instrument's own move; a parent's move is laid over it at the end.
    std::shared_ptr<const DayPath> parent;
    double parentBase = 1;
    if (inst.parent >= 0) {
        parent = Path(inst.parent, day);
        parentBase = m_universe.At(inst.parent).base;
    }
    auto own = [&](double price, double parentPrice) {
        return parent ? price / std::pow(parentPrice / parentBase, inst.beta) : price;
    };
    path->prevClose =
        own(Close(instrument, PreviousTradingDay(day)), parent ? parent->prevClose : 1);
    const double close = own(Close(instrument, day), parent ? parent->price.back() : 1);
    const double open = path->prevClose *
                        std::exp(0.3 * inst.dailyVol *
                                 Normal(Hash(m_seed, key, kGap, static_cast<std::uint64_t>(day))));

    // A Brownian bridge from the open to the close.
    Stream rng(Hash(m_seed, key, kIntraday, static_cast<std::uint64_t>(day)));
    const double sigma = 0.9 * inst.dailyVol / std::sqrt(static_cast<double>(n));
    std::vector<double> walk(n + 1, 0.0);
    for (int m = 1; m <= n; ++m)
        walk[m] = walk[m - 1] + sigma * rng.NextNormal();
    const double lo = std::log(open), lc = std::log(close);
    path->price.resize(n + 1);
    for (int m = 0; m <= n; ++m) {
        const double t = static_cast<double>(m) / n;
        path->price[m] = std::exp(lo + t * (lc - lo) + walk[m] - t * walk[n]);
    }
    if (parent) {
        const std::size_t pn = parent->price.size() - 1;
        for (int m = 0; m <= n; ++m)
            path->price[m] *=
                std::pow(parent->price[std::min<std::size_t>(m, pn)] / parentBase, inst.beta);
        path->prevClose *= std::pow(parent->prevClose / parentBase, inst.beta);
    }

    // Volume through the day: heavier at the open and the close.
    if (!withVolume)
        return path;
    path->volume.assign(n + 1, 0.0);
    if (inst.volumeBase > 0) {
        Stream vr(Hash(m_seed, key, kVolume, static_cast<std::uint64_t>(day)));
        const double total = inst.volumeBase * std::exp(0.35 * vr.NextNormal());
        std::vector<double> w(n, 0.0);
        double sum = 0;
        for (int m = 0; m < n; ++m) {
            const double x = (m + 0.5) / n;
            w[m] = (1 + 2 * (2 * x - 1) * (2 * x - 1)) * std::exp(0.25 * vr.NextNormal());
            sum += w[m];
        }
        for (int m = 0; m < n; ++m)
            path->volume[m + 1] = path->volume[m] + total * w[m] / sum;
    }
    return path;
}

std::shared_ptr<const DayPath> PriceEngine::Path(int instrument, std::int64_t day) const {
    const auto key = std::make_pair(instrument, day);
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_paths.find(key); it != m_paths.end())
            return it->second;
    }
    auto path = BuildPath(instrument, day);
    std::lock_guard lock(m_mutex);
    if (m_paths.size() > 20000)
        m_paths.clear(); // whole years of sessions are only needed once, for summaries
    return m_paths.emplace(key, std::move(path)).first->second;
}

DaySummary PriceEngine::Summary(int instrument, std::int64_t day) const {
    const auto key = std::make_pair(instrument, day);
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_summaries.find(key); it != m_summaries.end())
            return it->second;
    }
    const auto path = BuildPath(instrument, day);
    DaySummary s;
    s.open = path->price.front();
    s.close = path->price.back();
    s.high = path->High(path->price.size());
    s.low = path->Low(path->price.size());
    s.prevClose = path->prevClose;
    s.volume = path->volume.back();
    std::lock_guard lock(m_mutex);
    m_summaries.emplace(key, s);
    return s;
}

void PriceEngine::SessionAt(const Instrument& inst, CivilSeconds istNow, std::int64_t& day,
                            std::int64_t& elapsed) const {
    const CivilSeconds local = istNow + static_cast<CivilSeconds>(inst.tzOffsetMinutes) * 60;
    const std::int64_t today = FloorDiv(local, kSecondsPerDay);
    const std::int64_t sec = local - today * kSecondsPerDay;
    const std::int64_t length =
        static_cast<std::int64_t>(std::max(1, inst.closeMinute - inst.openMinute)) * 60;
    if (IsTradingDay(today) && sec >= inst.openMinute * 60) {
        day = today;
        elapsed = std::min(sec - inst.openMinute * 60, length);
    } else {
        day = PreviousTradingDay(today);
        elapsed = length;
    }
}

SimQuote PriceEngine::Quote(const Listing& listing, CivilSeconds istNow, bool withYearRange) const {
    const Instrument& inst = m_universe.At(listing.instrument);
    std::int64_t day = 0, elapsed = 0;
    SessionAt(inst, istNow, day, elapsed);
    const auto path = Path(listing.instrument, day);
    const std::size_t n = path->price.size() - 1;
    const std::size_t m = static_cast<std::size_t>(elapsed / 60);
    const double frac = static_cast<double>(elapsed % 60) / 60.0;

    double price = path->price[std::min(m, n)];
    double volume = path->volume[std::min(m, n)];
    if (m < n) {
        price += (path->price[m + 1] - price) * frac;
        volume += (path->volume[m + 1] - volume) * frac;
    }
    const double f = listing.priceFactor;
    SimQuote q;
    q.last = RoundToTick(inst, price * f);
    q.open = RoundToTick(inst, path->price.front() * f);
    q.high = RoundToTick(inst, std::max(path->High(m), price) * f);
    q.low = RoundToTick(inst, std::min(path->Low(m), price) * f);
    q.prevClose = RoundToTick(inst, path->prevClose * f);
    q.volume = static_cast<std::int64_t>(volume * listing.volumeFactor);
    q.tradeDay = day;
    q.tradeMinute = inst.openMinute + static_cast<int>(elapsed / 60);
    q.inSession = elapsed < static_cast<std::int64_t>(n) * 60;

    if (withYearRange) {
        const auto [before, beforeHigh] = RangeBefore(listing.instrument, day);
        const double lo = std::min({path->Low(m), price, before});
        const double hi = std::max({path->High(m), price, beforeHigh});
        q.yearLow = RoundToTick(inst, lo * f);
        q.yearHigh = RoundToTick(inst, hi * f);
    }
    return q;
}

std::pair<double, double> PriceEngine::RangeBefore(int instrument, std::int64_t day) const {
    const auto key = std::make_pair(instrument, day);
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_ranges.find(key); it != m_ranges.end())
            return it->second;
    }
    // The lows and highs of the year's sessions before the day: only their prices are
    // needed, not the volumes a session also carries.
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    for (std::int64_t d = day - 364; d < day && !Cancelled(); ++d) {
        if (!IsTradingDay(d))
            continue;
        std::optional<DaySummary> known;
        {
            std::lock_guard lock(m_mutex);
            if (auto it = m_summaries.find({instrument, d}); it != m_summaries.end())
                known = it->second;
        }
        if (known) {
            lo = std::min(lo, known->low);
            hi = std::max(hi, known->high);
            continue;
        }
        const auto prices = BuildPath(instrument, d, false);
        lo = std::min(lo, prices->Low(prices->price.size()));
        hi = std::max(hi, prices->High(prices->price.size()));
    }
    if (Cancelled())
        return {lo, hi}; // partial: not kept
    std::lock_guard lock(m_mutex);
    return m_ranges.emplace(key, std::make_pair(lo, hi)).first->second;
}

void PriceEngine::PrepareYearRanges(const std::vector<const Listing*>& listings,
                                    CivilSeconds istNow) const {
    // The ranges of several instruments at once, on as many threads as there are cores: a
    // request for many symbols is answered in a fraction of the time.
    std::vector<std::pair<int, std::int64_t>> work;
    for (const Listing* l : listings) {
        if (!l)
            continue;
        std::int64_t day = 0, elapsed = 0;
        SessionAt(m_universe.At(l->instrument), istNow, day, elapsed);
        const auto key = std::make_pair(l->instrument, day);
        std::lock_guard lock(m_mutex);
        if (!m_ranges.count(key) && std::find(work.begin(), work.end(), key) == work.end())
            work.push_back(key);
    }
    if (work.size() < 2) {
        for (const auto& [instrument, day] : work)
            RangeBefore(instrument, day);
        return;
    }
    const unsigned threads = std::min<unsigned>(std::max(1u, std::thread::hardware_concurrency()),
                                                static_cast<unsigned>(work.size()));
    std::atomic<std::size_t> next{0};
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back([&] {
            for (std::size_t i; (i = next++) < work.size() && !Cancelled();)
                RangeBefore(work[i].first, work[i].second);
        });
    for (std::thread& t : pool)
        t.join();
}

} // namespace sim
