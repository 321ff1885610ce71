// The chart picture's rules that can be checked on values: what an address asks for, the
// round steps and ticks of the price axis, and the label texts.
#include <gtest/gtest.h>

#include "marketserver/chart_request.h"
#include "marketserver/chart_scale.h"
#include "platform/base/clock.h"

namespace {

using namespace marketserver::chart;

TEST(ChartRequestTest, OverlaysAndPanesFromTheirCodes) {
    EXPECT_EQ(ParseOverlays({"m50", "E20", "b", "p", "s", "v", "m50", "m1", "m501", "mx", "q"}),
              (std::vector<Overlay>{{OverlayKind::Sma, 50},
                                    {OverlayKind::Ema, 20},
                                    {OverlayKind::Bollinger},
                                    {OverlayKind::Sar},
                                    {OverlayKind::Splits},
                                    {OverlayKind::Volume}}))
        << "each once, in order; periods from 2 to 500";
    EXPECT_EQ(ParsePanes({"m26-12-9", "f14", "p12", "r14", "ss", "fs", "v", "vm", "w14", "r14",
                          "m26-12", "m0-1-1", "x5", ""}),
              (std::vector<PaneRequest>{{PaneKind::Macd, 26, 12, 9},
                                        {PaneKind::Mfi, 14},
                                        {PaneKind::Roc, 12},
                                        {PaneKind::Rsi, 14},
                                        {PaneKind::SlowStoch},
                                        {PaneKind::FastStoch},
                                        {PaneKind::Volume},
                                        {PaneKind::VolumeMa},
                                        {PaneKind::WilliamsR, 14}}))
        << "an incomplete MACD, a zero period and unknown codes add no pane";
}

TEST(ChartScaleTest, RoundStepsAndTheTicksThatFit) {
    const std::pair<double, double> steps[] = {{0.7, 1}, {1, 1},  {1.2, 2}, {2.2, 2.5},
                                               {3, 5},   {6, 10}, {13, 20}, {0.031, 0.05},
                                               {0, 1},   {-5, 1}};
    for (const auto& [rough, nice] : steps)
        EXPECT_DOUBLE_EQ(NiceStep(rough), nice) << rough;
    EXPECT_DOUBLE_EQ(NextStep(2), 2.5);
    EXPECT_DOUBLE_EQ(NextStep(5), 10);
    EXPECT_EQ(LinearTicks(-0.5, 1.2, 0.5), (std::vector<double>{-0.5, 0, 0.5, 1}));

    // 24,640 to 24,730 on 200 pixels, ticks at least 40 apart: every 20 rupees.
    Axis axis;
    axis.scale = {24640, 24730, false, 0, 200};
    ChooseTicks(axis, 40, 18);
    EXPECT_EQ(axis.ticks, (std::vector<double>{24640, 24660, 24680, 24700, 24720}));
    EXPECT_EQ(axis.decimals, 0);
    // A narrow range: the step goes below one rupee and the labels get decimals.
    axis.scale = {100.1, 100.9, false, 0, 200};
    ChooseTicks(axis, 40, 18);
    EXPECT_EQ(axis.ticks.front(), 0.2 * 501);
    EXPECT_EQ(axis.decimals, 1);
    // A wide log range: round values of each decade, far enough apart.
    axis.scale = {10, 1000, true, 0, 200};
    ChooseTicks(axis, 40, 18);
    ASSERT_GE(axis.ticks.size(), 3u);
    EXPECT_EQ(axis.ticks.front(), 10);
    for (std::size_t i = 1; i < axis.ticks.size(); ++i)
        EXPECT_GE(axis.scale.Y(axis.ticks[i - 1]) - axis.scale.Y(axis.ticks[i]), 40);
}

TEST(ChartScaleTest, LabelTextsAndDates) {
    EXPECT_EQ(Grouped(1234567.5, 2), "12,34,567.50");
    EXPECT_EQ(Grouped(-0.001, 2), "0.00") << "no minus before zero";
    EXPECT_EQ(Signed(2.5, 1), "+2.5");
    EXPECT_EQ(FormatValue(-1.25, Format::Percent, 2), "-1.25%");
    EXPECT_EQ(Compact(1500), "1.5K");
    EXPECT_EQ(Compact(12'000'000), "12M");
    EXPECT_EQ(DecimalsFor(0.25), 2);
    EXPECT_EQ(DecimalsFor(50), 0);
    const Civil c = CivilOf(DaysFromCivil(2025, 12, 7)); // a Sunday
    EXPECT_EQ(DayMonthYear(c), "7 Dec 2025");
    EXPECT_EQ(std::string(kWeekdays[c.weekday]), "Sun");
    EXPECT_EQ(FloorDiv(-1, 86400), -1);
}

} // namespace
