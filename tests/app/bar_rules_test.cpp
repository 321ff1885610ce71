#include <gtest/gtest.h>

#include "app/core/bar_rules.h"
#include "charts/core/hist_chart_address.h"

namespace {

TEST(BarRulesTest, PlacementOnA1024x768DesktopWithA30PixelPanel) {
    const BarRect desktop{0, 0, 1024, 768};
    const int w = 582, h = 111;
    const BarPoint here{17, 29};
    struct Case {
        int position;
        BarPoint expected;
    };
    const Case cases[] = {
        {ID_TOP_LEFT, {0, 0}},           {ID_TOP_RIGHT, {1024 - w, 0}},
        {ID_BOTTOM_LEFT, {0, 738 - h}},  {ID_BOTTOM_RIGHT, {1024 - w, 738 - h}},
        {ID_TOP_CENTER, {512 - 291, 0}}, {ID_BOTTOM_CENTER, {512 - 291, 738 - h}},
        {kKeepPosition, here},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceBarPosition(c.position, desktop, 30, w, h, here), c.expected) << c.position;
    // Odd widths divide toward zero, each half on its own.
    EXPECT_EQ(PlaceBarPosition(ID_TOP_CENTER, {0, 0, 1025, 768}, 0, 583, h, here).x, 512 - 291);
}

TEST(BarRulesTest, CombinedRequestAddsExistingPagesInOrder) {
    const RequestBlock none;
    EXPECT_EQ(BuildBarSymbolList(none, none, none, none), "^NSEI,^BSESN,USDINR=X");
    const RequestBlock emptyWatch{true, {}};
    EXPECT_EQ(BuildBarSymbolList(emptyWatch, none, none, none), "^NSEI,^BSESN,USDINR=X,");
    const RequestBlock watch{true, {"TCS.NS", "SBIN.BO"}};
    const RequestBlock profile{true, {"INFY.NS"}};
    const RequestBlock world{true, {"^DJI", "^FTSE "}};
    const RequestBlock indices{true, {"^NSEBANK"}};
    EXPECT_EQ(BuildBarSymbolList(watch, profile, world, indices),
              "^NSEI,^BSESN,USDINR=X,TCS.NS,SBIN.BO,INFY.NS,^DJI,^FTSE ,^NSEBANK");
    EXPECT_EQ(BuildBarSymbolList(none, none, world, none), "^NSEI,^BSESN,USDINR=X,^DJI,^FTSE ");
}

TEST(BarRulesTest, IndexCellsShowTheRecordInIndianNumbers) {
    QuoteRecord r;
    r.symbol = "NIFTY";
    r.last = 24670.41;
    r.date = "12/7/2026";
    r.change = -183.24f;
    r.changePercent = -0.74f;
    r.open = 1234567.5;
    r.high = 0;
    r.low = -5;
    r.previous = 24853.65;
    const std::vector<std::string> cells = {"NIFTY",   "24,670.41", "12/7/2026",
                                            "-183.24", "-0.74",     "12,34,567.50",
                                            "0.00",    "-5.00",     "24,853.65"};
    for (int c = 0; c < 9; ++c)
        EXPECT_EQ(IndexCellText(r, c), cells[c]) << c;
    EXPECT_EQ(IndexCellText(r, 9), "");
}

TEST(BarRulesTest, LiveChartHours) {
    EXPECT_TRUE(IsLiveChartHours(MakeLocalTime(2026, 12, 4, 15, 30, 0)));  // Friday 15:30:00
    EXPECT_FALSE(IsLiveChartHours(MakeLocalTime(2026, 12, 4, 15, 30, 1))); // 15:30:01
    EXPECT_TRUE(IsLiveChartHours(MakeLocalTime(2026, 12, 7, 9, 55, 0)));
    EXPECT_FALSE(IsLiveChartHours(MakeLocalTime(2026, 12, 7, 9, 54, 59)));
    EXPECT_FALSE(IsLiveChartHours(MakeLocalTime(2026, 12, 5, 12, 0, 0))); // Saturday noon
    EXPECT_FALSE(IsLiveChartHours(MakeLocalTime(2026, 12, 6, 12, 0, 0))); // Sunday
}

TEST(BarRulesTest, AnAnswerMustQuoteTheFirstSymbol) {
    EXPECT_TRUE(AnswersFor({"\"^NSEI\",24666.95,\"12/7/2026\""}, "^NSEI"));
    EXPECT_FALSE(AnswersFor({"<html><head><title>Error</title>"}, "^NSEI"));
    EXPECT_FALSE(AnswersFor({"\"^BSESN\",84000"}, "^NSEI"));
    EXPECT_FALSE(AnswersFor({}, "^NSEI"));
    EXPECT_FALSE(AnswersFor({""}, "^NSEI"));
}

// Button sequences, the five-average limit and the default address are HistChartTest's.
TEST(HistChartChoicesTest, AddressEscapesTheSymbolAndCarriesEveryChoice) {
    HistChartChoices d;
    d.AddAverage(",m50");
    d.AddOverlay(",b");
    d.AddIndicator(",r14");
    d.SetCompare(true);
    d.SetRange(8);
    d.SetType("c");
    d.SetScale("on");
    d.SetSize("l");
    EXPECT_EQ(d.Address("http://charts.test", "M&M.NS"),
              "http://charts.test/z?s=M%26M.NS&t=2y&q=c&l=on&z=l&p=,m50,b&a=,r14&c=^BSESN,^NSEI");
    EXPECT_EQ(HistChartChoices::RangeCode(3), ""); // an index no button gives
    EXPECT_EQ(HistChartChoices::ChartSymbol("^NSEI", "24,666.95"), "^NSEI");
    EXPECT_EQ(YearRangeText("  \"2,100.00 - 3,100.00\" "), "2,100.00 - 3,100.00");
}

} // namespace
