#include <gtest/gtest.h>

#include "charts/core/live_chart_rules.h"
#include "support/temp_dir.h"

namespace {

std::string Bar(const std::string& name, const std::string& time, const std::string& close,
                const std::string& volume = "0") {
    return name + ",12/07/2026," + time + ",1.00,2.00,0.50," + close + "," + volume;
}

LiveSeries SeriesOf(const std::vector<std::string>& lines) {
    LiveSeries s;
    for (const auto& l : lines)
        s.Add(l);
    return s;
}

TEST(LiveChartRules, PointsFromLogLines) {
    const std::pair<const char*, std::optional<LivePoint>> cases[] = {
        {"TCS,12/07/2026,11:00:15,1,2,1,3402.00,1250", {{"11:00:15", "3402.00", "1250"}}},
        {"\"NIFTY\",\"12/07/2026\",\"11:00:15\",1,2,1,\"5123.45\",\"0\"",
         {{"11:00:15", "5123.45", "0"}}},
        {"TCS,12/07/2026,11:00:15,1,2,1,99.5,-40", {{"11:00:15", "99.5", "-40"}}},
        // Too few fields, a line torn by the writer, garbage: no point.
        {"TCS,12/07/2026,11:00:15,1,2,1,99.5", std::nullopt},
        {"TCS,12/07/2026,11:0", std::nullopt},
        {"", std::nullopt},
        {"TCS,12/07/2026,11:00:15,1,2,1,N/A,10", std::nullopt},
        {"TCS,12/07/2026,11:00:15,1,2,1,12x,10", std::nullopt},
        {"TCS,12/07/2026,11:00:15,1,2,1,99.5,", std::nullopt},
        {"TCS,12/07/2026,,1,2,1,99.5,10", std::nullopt},
    };
    for (const auto& [line, point] : cases)
        EXPECT_EQ(ParseLivePoint(line), point) << line;
}

TEST(LiveChartRules, RangeOfASeries) {
    struct Case {
        std::vector<const char*> closes;
        double max, min;
    };
    const Case cases[] = {
        {{}, 0, 0},
        {{"100", "101", "102.5"}, 102.5, 0}, // only rising: the minimum stays 0
        {{"100", "99", "98", "99.5"}, 100, 98},
        {{"0", "5", "3"}, 5, 3},
        {{"50", "50", "60", "55"}, 60, 50}, // equal to the maximum fills the empty minimum
    };
    for (const Case& c : cases) {
        LiveSeries s;
        for (const char* close : c.closes)
            ASSERT_TRUE(s.Add(Bar("X", "10:00:00", close)));
        EXPECT_EQ(s.maximum, c.max) << c.closes.size();
        EXPECT_EQ(s.minimum, c.min) << c.closes.size();
    }
}

TEST(LiveChartRules, LineRowsMatchNiftyByExactTime) {
    const LiveSeries stock =
        SeriesOf({Bar("TCS", "11:00:00", "100.00"), Bar("TCS", "11:00:15", "101.00"),
                  Bar("TCS", "11:00:30", "102.00")});
    const LiveSeries nifty =
        SeriesOf({Bar("NIFTY", "11:00:00", "5000.00"), Bar("NIFTY", "11:00:16", "5001.00"),
                  Bar("NIFTY", "11:00:30", "5002.00"), Bar("NIFTY", "11:00:30", "5003.00")});
    const std::vector<LineRow> expected = {{"11:00:00", "100.00", "5000.00"},
                                           {"11:00:15", "101.00", ""},
                                           {"11:00:30", "102.00", "5002.00"}};
    EXPECT_EQ(LineChartRows(stock, nifty), expected);
}

TEST(LiveChartRules, AxisScales) {
    LiveSeries s;
    s.maximum = 110;
    s.minimum = 90;
    const std::tuple<AxisScale, double, double> cases[] = {
        {StockAxisScale(s), 88, 112},
        {NiftyAxisScale(s), 89, 111},
        {StockAxisScale(SeriesOf({Bar("X", "1", "100"), Bar("X", "2", "200")})), -20, 220},
        // A scale without width is opened up for drawing; one with width is left alone.
        {DrawableScale(StockAxisScale(LiveSeries{})), -1, 1},
        {DrawableScale(StockAxisScale(s)), 88, 112},
    };
    for (const auto& [scale, min, max] : cases) {
        EXPECT_DOUBLE_EQ(scale.minimum, min);
        EXPECT_DOUBLE_EQ(scale.maximum, max);
    }
}

TEST(LiveChartRules, LinesTakenFromTheLiveFile) {
    const std::vector<std::string> live = {Bar("NIFTY", "11:00:00", "5000"),
                                           Bar("INFOSYSTCH", "11:00:00", "1500"),
                                           Bar("TCS", "11:00:00", "3400")};
    const std::tuple<std::vector<std::string>, const char*, bool, std::optional<std::string>>
        cases[] = {
            {live, "TCS", true, live[2]},
            {live, "INFOSYS", true, live[1]}, // a short symbol inside a longer one
            {live, "WIPRO", true, std::nullopt},
            {{live[2], live[1]}, "TCS", false, std::nullopt}, // the first line is NIFTY's
            {{}, "TCS", false, std::nullopt},
            {live, "", true, std::nullopt}, // no chosen stock takes no line
        };
    for (const auto& [lines, symbol, nifty, stock] : cases) {
        const LiveLines picked = PickLiveLines(lines, symbol);
        EXPECT_EQ(picked.nifty.has_value(), nifty) << symbol;
        EXPECT_EQ(picked.stock, stock) << symbol;
    }
}

TEST(LiveChartRules, RatesLabelsAndFiles) {
    // High, Medium and Low are timed on the chart itself; the names match exactly.
    EXPECT_EQ(RefreshRateInterval("high"), std::nullopt);

    EXPECT_TRUE(TimeLabelRows(0, 8).empty());
    EXPECT_EQ(TimeLabelRows(3, 8), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(TimeLabelRows(9, 8), (std::vector<int>{0, 2, 4, 6, 8}));
    EXPECT_EQ(TimeLabelRows(60, 8), (std::vector<int>{0, 8, 16, 24, 32, 40, 48, 56}));

    testsupport::TempDir dir;
    testsupport::WriteFile(dir.file("a.txt"), "A,1\r\nB,2\r\nC,3\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadLogLines(dir.file("a.txt"), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"A,1", "B,2", "C,3"}));
    EXPECT_FALSE(ReadLogLines(dir.file("missing.txt"), lines));
    EXPECT_FALSE(ReadLogLines(dir.path(), lines)); // a folder is not a log
}

} // namespace
