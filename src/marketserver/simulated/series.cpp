#include "marketserver/simulated/series.h"

#include <algorithm>
#include <cmath>

#include "marketserver/chart_data.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace sim {

namespace {

OhlcBar Aggregate(const Instrument& inst, const Listing& l, const DayPath& p, std::int64_t day,
                  int from, int to) {
    OhlcBar b;
    b.time = UtcOfLocalMinute(inst, day, inst.openMinute + from);
    b.open = p.price[from];
    b.close = p.price[to];
    b.high = *std::max_element(p.price.begin() + from, p.price.begin() + to + 1);
    b.low = *std::min_element(p.price.begin() + from, p.price.begin() + to + 1);
    b.volume = std::floor((p.volume[to] - p.volume[from]) * l.volumeFactor);
    for (double* v : {&b.open, &b.close, &b.high, &b.low})
        *v = PriceEngine::RoundToTick(inst, *v * l.priceFactor);
    return b;
}

struct Sessions {
    std::vector<std::int64_t> days; // oldest first; the last is the session of istNow
    std::int64_t elapsed = 0;       // seconds into the last one
};

// The `sessions` trading days up to the one of istNow.
Sessions LastSessions(const PriceEngine& engine, const Instrument& inst, CivilSeconds istNow,
                      int sessions) {
    std::int64_t day = 0;
    Sessions s;
    engine.SessionAt(inst, istNow, day, s.elapsed);
    s.days.push_back(day);
    while (static_cast<int>(s.days.size()) < sessions)
        s.days.insert(s.days.begin(), PreviousTradingDay(s.days.front()));
    return s;
}

} // namespace

std::int64_t UtcOfLocalMinute(const Instrument& inst, std::int64_t day, int minuteOfDay) {
    const CivilSeconds local = day * kSecondsPerDay + static_cast<CivilSeconds>(minuteOfDay) * 60;
    return local - static_cast<CivilSeconds>(inst.tzOffsetMinutes) * 60 - kIstOffsetSeconds;
}

std::vector<OhlcBar> IntradayBars(const PriceEngine& engine, const Listing& listing,
                                  CivilSeconds istNow, int sessions, int width) {
    const Instrument& inst = engine.universe().At(listing.instrument);
    const Sessions last = LastSessions(engine, inst, istNow, sessions);
    const std::int64_t day = last.days.back(), elapsed = last.elapsed;

    std::vector<OhlcBar> bars;
    for (std::int64_t d : last.days) {
        const auto path = engine.Path(listing.instrument, d);
        const int n = static_cast<int>(path->price.size()) - 1;
        const int upTo = d == day ? static_cast<int>(std::min<std::int64_t>(elapsed / 60, n)) : n;
        for (int m = 0; m + width <= upTo; m += width)
            bars.push_back(Aggregate(inst, listing, *path, d, m, m + width));
        // A short last bar when the session's length is not a multiple of the width.
        if (d != day || upTo == n) {
            const int last = (n / width) * width;
            if (last < n && last + width > n)
                bars.push_back(Aggregate(inst, listing, *path, d, last, n));
        }
    }
    return bars;
}

std::vector<OhlcBar> DailyBars(const PriceEngine& engine, const Listing& listing,
                               CivilSeconds istNow, int sessions) {
    const Instrument& inst = engine.universe().At(listing.instrument);
    const Sessions last = LastSessions(engine, inst, istNow, sessions);
    const std::int64_t day = last.days.back();
    std::vector<OhlcBar> bars;
    bars.reserve(last.days.size());
    for (std::int64_t d : last.days) {
        if (engine.Cancelled())
            break;
        OhlcBar b;
        b.time = UtcOfLocalMinute(inst, d, inst.openMinute);
        if (d == day) {
            const SimQuote q = engine.Quote(listing, istNow, false);
            b.open = q.open;
            b.high = q.high;
            b.low = q.low;
            b.close = q.last;
            b.volume = static_cast<double>(q.volume);
        } else {
            const DaySummary s = engine.Summary(listing.instrument, d);
            b.open = PriceEngine::RoundToTick(inst, s.open * listing.priceFactor);
            b.high = PriceEngine::RoundToTick(inst, s.high * listing.priceFactor);
            b.low = PriceEngine::RoundToTick(inst, s.low * listing.priceFactor);
            b.close = PriceEngine::RoundToTick(inst, s.close * listing.priceFactor);
            b.volume = std::floor(s.volume * listing.volumeFactor);
        }
        bars.push_back(b);
    }
    return bars;
}

marketserver::ChartDataSheet ChartDataSheetOf(const PriceEngine& engine, const Listing& listing,
                                              CivilSeconds istNow, int days) {
    const Instrument& inst = engine.universe().At(listing.instrument);
    const bool fiveDays = days == 5;
    marketserver::ChartDataSheet sheet;
    sheet.bars = IntradayBars(engine, listing, istNow, fiveDays ? 5 : 1, fiveDays ? 5 : 1);
    const int utcOffset = inst.tzOffsetMinutes + 330;

    std::int64_t day = 0, elapsed = 0;
    engine.SessionAt(inst, istNow, day, elapsed);
    std::int64_t firstDay = day;
    for (int i = 1; i < (fiveDays ? 5 : 1); ++i)
        firstDay = PreviousTradingDay(firstDay);
    sheet.previousClose = PriceEngine::RoundToTick(
        inst, engine.Path(listing.instrument, firstDay)->prevClose * listing.priceFactor);
    sheet.companyName = inst.name;
    sheet.exchangeName = listing.exchange;
    sheet.timezone = marketserver::ZoneName(utcOffset);
    sheet.gmtOffsetSeconds = utcOffset * 60;
    for (std::int64_t d = firstDay; d <= day; ++d)
        if (IsTradingDay(d))
            sheet.sessions.push_back({UtcOfLocalMinute(inst, d, inst.openMinute),
                                      UtcOfLocalMinute(inst, d, inst.closeMinute)});
    return sheet;
}

ChartSeries SeriesForRange(const PriceEngine& engine, const Listing& listing,
                           const std::string& symbol, CivilSeconds istNow,
                           const std::string& range) {
    const Instrument& inst = engine.universe().At(listing.instrument);
    ChartSeries s;
    s.symbol = symbol;
    s.name = inst.name;
    s.tzOffsetMinutes = inst.tzOffsetMinutes + 330;
    s.currency =
        inst.kind == InstrumentKind::Adr || inst.kind == InstrumentKind::WorldIndex ? "" : "INR";
    s.decimals = inst.decimals;
    std::int64_t day = 0, elapsed = 0;
    engine.SessionAt(inst, istNow, day, elapsed);
    constexpr int kLookback = 200;
    if (range == "5d") {
        s.intraday = true;
        s.bars = IntradayBars(engine, listing, istNow, 6, 5); // one session of history first
        const auto visible = IntradayBars(engine, listing, istNow, 5, 5).size();
        s.firstVisible = s.bars.size() - visible;
        s.axisEnd = UtcOfLocalMinute(inst, day, inst.closeMinute - 5); // room for the rest of today
        return s;
    }
    const struct {
        const char* code;
        int sessions;
    } kDaily[] = {{"1m", 22}, {"3m", 65}, {"6m", 130}, {"1y", 250}, {"2y", 500}};
    for (const auto& r : kDaily) {
        if (range == r.code) {
            s.bars = DailyBars(engine, listing, istNow, r.sessions + kLookback);
            s.firstVisible = kLookback;
            return s;
        }
    }
    // 1d, and anything unknown: the last session minute by minute.
    s.intraday = true;
    s.bars = IntradayBars(engine, listing, istNow, 2, 1);
    const auto visible = IntradayBars(engine, listing, istNow, 1, 1).size();
    s.firstVisible = s.bars.size() - visible;
    s.axisEnd = UtcOfLocalMinute(inst, day, inst.closeMinute - 1);
    return s;
}

} // namespace sim
