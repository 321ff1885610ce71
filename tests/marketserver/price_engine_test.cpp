#include <gtest/gtest.h>

#include "marketserver/quote_csv.h"
#include "marketserver/simulated/price_engine.h"
#include "marketserver/simulated/virtual_clock.h"

namespace {

sim::CivilSeconds At(const char* text) {
    sim::CivilSeconds t = 0;
    EXPECT_TRUE(sim::VirtualClock::Parse(text, t)) << text;
    return t;
}

const sim::Listing& Listing(const char* symbol) {
    const sim::Listing* l = sim::Universe::Default().Find(symbol);
    EXPECT_NE(l, nullptr) << symbol;
    return *l;
}

TEST(PriceEngineTest, PricesMoveOnlyDuringTheSession) {
    sim::PriceEngine engine(7);
    const auto& tcs = Listing("TCS.NS");
    const auto q1000 = engine.Quote(tcs, At("2026-12-07 10:00:00"));
    const auto q1005 = engine.Quote(tcs, At("2026-12-07 10:05:00"));
    EXPECT_NE(q1000.last, q1005.last);
    EXPECT_TRUE(q1000.inSession);
    EXPECT_LT(q1000.volume, q1005.volume);

    const auto q1531 = engine.Quote(tcs, At("2026-12-07 15:31:00"));
    const auto q2200 = engine.Quote(tcs, At("2026-12-07 22:00:00"));
    const auto close = engine.Quote(tcs, At("2026-12-07 15:30:00"));
    EXPECT_EQ(q1531.last, q2200.last);
    EXPECT_EQ(q1531.last, close.last);
    EXPECT_EQ(q1531.volume, close.volume);
    EXPECT_FALSE(q1531.inSession);
    EXPECT_EQ(marketserver::ServiceTime(q1531.tradeMinute), "3:30pm");
    EXPECT_EQ(marketserver::ServiceDate(q1531.tradeDay), "12/7/2026");

    // Before Monday's open and over the weekend the quote is Friday's close.
    const auto mondayEarly = engine.Quote(tcs, At("2026-12-07 08:00:00"));
    const auto saturday = engine.Quote(tcs, At("2026-12-05 12:00:00"));
    EXPECT_EQ(marketserver::ServiceDate(mondayEarly.tradeDay), "12/4/2026");
    EXPECT_EQ(mondayEarly.last, saturday.last);
    // And Monday's session opens from Friday's close.
    EXPECT_EQ(q1000.prevClose, saturday.last);
}

TEST(PriceEngineTest, YearRangeHoldsEveryDayOfTheYearBefore) {
    sim::PriceEngine engine(3);
    const auto& infy = Listing("INFY.NS");
    const auto late = engine.Quote(infy, At("2026-12-07 15:30:00"));
    // Every session within the year before stays inside the range the later quote shows.
    for (int back = 1; back <= 360; back += 7) {
        const auto earlier =
            engine.Quote(infy, At("2026-12-07 15:30:00") - back * sim::kSecondsPerDay, false);
        EXPECT_LE(late.yearLow, earlier.low) << back;
        EXPECT_GE(late.yearHigh, earlier.high) << back;
    }
    EXPECT_LE(late.yearLow, late.low);
    EXPECT_GE(late.yearHigh, late.high);
}

TEST(PriceEngineTest, WorldMarketsKeepTheirOwnHours) {
    sim::PriceEngine engine(7);
    // 11:00 IST is before London's open: the FTSE quote is Friday's close in London time.
    const auto ftse = engine.Quote(Listing("^FTSE "), At("2026-12-07 11:00:00"));
    EXPECT_EQ(marketserver::ServiceDate(ftse.tradeDay), "12/4/2026");
    EXPECT_EQ(marketserver::ServiceTime(ftse.tradeMinute), "4:30pm");
    // 15:00 IST is London's 09:30: trading.
    const auto ftseLive = engine.Quote(Listing("^FTSE "), At("2026-12-07 15:00:00"));
    EXPECT_TRUE(ftseLive.inSession);
    EXPECT_EQ(marketserver::ServiceTime(ftseLive.tradeMinute), "9:30am");
}

} // namespace
