#include "marketserver/simulated/simulated_source.h"

#include <algorithm>
#include <cmath>

#include "catalogue/catalogue.h"
#include "marketserver/html_pages.h"
#include "marketserver/quote_csv.h"
#include "marketserver/simulated/series.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace sim {

using marketserver::Outcome;

namespace {

// Index futures trade on their index; stock futures on the stock's NSE listing.
const Listing* UnderlyingOf(const PriceEngine& engine, const std::string& key, bool& isIndex) {
    const auto& idx = engine.universe().IndexFutureUnderlyings();
    if (auto it = idx.find(text::ToUpperAscii(key)); it != idx.end()) {
        isIndex = true;
        return engine.universe().Find(it->second);
    }
    isIndex = false;
    return engine.universe().Find(key + ".NS");
}

int LotSize(double price, bool isIndex) {
    if (isIndex)
        return price > 40000 ? 35 : 75;
    return std::max(1, static_cast<int>(std::lround(600000.0 / std::max(price, 1.0) / 25.0)) * 25);
}

marketserver::FuturesTable Contracts(const PriceEngine& engine, const Listing& listing,
                                     bool isIndex, CivilSeconds istNow) {
    const Instrument& inst = engine.universe().At(listing.instrument);
    const SimQuote q = engine.Quote(listing, istNow, false);
    std::int64_t expiries[3];
    ContractExpiries(q.tradeDay, expiries);
    // Activity falls away month by month; the far month often does not trade at all.
    const double share[3] = {0.30, 0.06, inst.base > 3000 ? 0.0 : 0.004};
    const double dayVolume = isIndex ? 4e6 * (inst.base / 25000.0) : static_cast<double>(q.volume);
    const int lot = LotSize(q.last, isIndex);
    marketserver::FuturesTable table;
    table.isIndex = isIndex;
    for (int i = 0; i < 3; ++i) {
        marketserver::FuturesContract c;
        c.expiry = marketserver::ExpiryText(expiries[i]);
        const double years = std::max(0.0, static_cast<double>(expiries[i] - q.tradeDay)) / 365.0;
        const double carry = 1 + 0.07 * years;
        const double carryYesterday = 1 + 0.07 * (years + 1.0 / 365.0);
        c.underlying = q.last;
        c.contracts = static_cast<long long>(std::floor(dayVolume * share[i] / lot));
        c.traded = c.contracts > 0;
        c.prevClose = PriceEngine::RoundToTick(inst, q.prevClose * carryYesterday);
        if (c.traded) {
            c.last = PriceEngine::RoundToTick(inst, q.last * carry);
            c.high = PriceEngine::RoundToTick(inst, q.high * carry);
            c.low = PriceEngine::RoundToTick(inst, q.low * carry);
            c.turnoverLakh = static_cast<double>(c.contracts) * lot * c.last / 1e5;
        }
        table.contracts.push_back(std::move(c));
    }
    return table;
}

} // namespace

std::int64_t MonthlyExpiry(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int last = kDays[month - 1];
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        last = 29;
    std::int64_t d = DaysFromCivil(year, month, last);
    while (((d % 7) + 7 + 4) % 7 != 2) // back to a Tuesday
        --d;
    return d;
}

void ContractExpiries(std::int64_t civilDay, std::int64_t expiries[3]) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(civilDay, y, m, d);
    // After this month's expiry the next month becomes the near month.
    if (MonthlyExpiry(y, m) < civilDay) {
        m = m == 12 ? 1 : m + 1;
        y += m == 1;
    }
    for (int i = 0; i < 3; ++i) {
        expiries[i] = MonthlyExpiry(y, m);
        m = m == 12 ? 1 : m + 1;
        y += m == 1;
    }
}

SimulatedSource::SimulatedSource(std::uint64_t seed, std::optional<CivilSeconds> clock,
                                 double speed)
    : m_engine(seed), m_clock(clock ? *clock : VirtualClock::LocalWallClockAsIst(), speed) {}

std::optional<marketserver::QuoteValues> SimulatedSource::QuoteOf(const std::string& symbol,
                                                                  bool withYearRange) const {
    const Listing* listing = m_engine.universe().Find(symbol);
    if (!listing)
        return std::nullopt;
    const Instrument& inst = m_engine.universe().At(listing->instrument);
    const SimQuote q = m_engine.Quote(*listing, m_clock.Now(), withYearRange);
    marketserver::QuoteValues v;
    v.last = q.last;
    v.open = q.open;
    v.high = q.high;
    v.low = q.low;
    v.prevClose = q.prevClose;
    v.yearLow = q.yearLow;
    v.yearHigh = q.yearHigh;
    v.volume = q.volume;
    v.tradeDay = q.tradeDay;
    v.tradeMinute = q.tradeMinute;
    v.decimals = inst.decimals;
    v.name = inst.name;
    v.exchange = listing->exchange;
    return v;
}

marketserver::QuoteAnswer SimulatedSource::Quotes(const std::vector<std::string>& symbols,
                                                  const std::vector<std::string>& codes) {
    const bool yearRange = marketserver::NeedsYearRange(codes);
    if (yearRange) {
        std::vector<const Listing*> listings;
        for (const std::string& symbol : symbols)
            listings.push_back(m_engine.universe().Find(symbol));
        m_engine.PrepareYearRanges(listings, m_clock.Now());
    }
    marketserver::QuoteAnswer answer;
    answer.quotes.reserve(symbols.size());
    for (const std::string& symbol : symbols) {
        if (m_engine.Cancelled()) {
            answer.unavailable = true;
            break;
        }
        answer.quotes.push_back(QuoteOf(symbol, yearRange));
    }
    return answer;
}

Outcome SimulatedSource::ChartData(const std::string& symbol, int days,
                                   marketserver::ChartDataSheet& out) {
    const Listing* listing = m_engine.universe().Find(symbol);
    if (!listing)
        return Outcome::NotFound;
    out = ChartDataSheetOf(m_engine, *listing, m_clock.Now(), days);
    return Outcome::Ok;
}

Outcome SimulatedSource::Chart(const std::string& symbol, const std::string& range,
                               marketserver::ChartSeries& out) {
    const Listing* listing = m_engine.universe().Find(symbol);
    if (!listing)
        return Outcome::NotFound;
    out = SeriesForRange(m_engine, *listing, symbol, m_clock.Now(), range);
    return m_engine.Cancelled() ? Outcome::Unavailable : Outcome::Ok;
}

std::vector<marketserver::LookupRow> SimulatedSource::Lookup(const std::string& query) {
    const std::string needle = text::ToUpperAscii(text::Trim(query));
    std::vector<marketserver::LookupRow> rows;
    if (needle.empty())
        return rows;
    int count = 0;
    for (const auto& c : catalogue::Companies()) {
        const bool hit =
            text::ToUpperAscii(c.name).find(needle) != std::string::npos ||
            (!c.nseName.empty() &&
             text::ToUpperAscii(c.nseName).find(needle) != std::string::npos) ||
            (!c.bseName.empty() && text::ToUpperAscii(c.bseName).find(needle) != std::string::npos);
        if (!hit)
            continue;
        if (!c.nseName.empty())
            rows.push_back({c.nseName + ".NS", c.name, "NSE", ""});
        if (!c.bseName.empty())
            rows.push_back({c.bseName + ".BO", c.name, "BSE", ""});
        if (++count == 100)
            break;
    }
    return rows;
}

Outcome SimulatedSource::Futures(const std::string& key, marketserver::FuturesTable& out) {
    bool isIndex = false;
    const Listing* listing = UnderlyingOf(m_engine, key, isIndex);
    if (!listing)
        return Outcome::NotFound;
    out = Contracts(m_engine, *listing, isIndex, m_clock.Now());
    return Outcome::Ok;
}

Outcome SimulatedSource::Statistics(marketserver::TradeStatistics& out) {
    const CivilSeconds now = m_clock.Now();
    double turnoverLakh[2] = {0, 0};
    out = {};
    for (const auto& f : catalogue::Futures()) {
        bool isIndex = false;
        const Listing* listing = UnderlyingOf(m_engine, f.symbol, isIndex);
        if (!listing)
            continue;
        const auto table = Contracts(m_engine, *listing, isIndex, now);
        out.tradeDay = std::max(out.tradeDay, m_engine.Quote(*listing, now, false).tradeDay);
        for (const auto& k : table.contracts) {
            out.contracts[isIndex ? 0 : 1] += k.contracts;
            turnoverLakh[isIndex ? 0 : 1] += k.turnoverLakh;
        }
    }
    out.turnoverCrore[0] = turnoverLakh[0] / 100.0;
    out.turnoverCrore[1] = turnoverLakh[1] / 100.0;
    return Outcome::Ok;
}

} // namespace sim
