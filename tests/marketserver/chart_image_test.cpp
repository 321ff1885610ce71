#include <cmath>
#include <functional>
#include <thread>

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include "marketserver/chart_renderer.h"
#include "marketserver/indicators.h"

namespace {

using marketserver::ChartOptions;
using marketserver::ChartSeries;
using marketserver::OhlcBar;

constexpr std::int64_t kMonday0915 = 1796615100; // 2026-12-07 09:15 IST, in UTC seconds
constexpr std::int64_t kIst = 19800;

bool Weekend(std::int64_t utc) {
    const std::int64_t weekday = ((utc + kIst) / 86400 + 4) % 7; // 0 = Sunday
    return weekday == 0 || weekday == 6;
}

// A sine-plus-trend walk of `count` bars, `step` seconds apart; daily bars skip weekends.
std::vector<OhlcBar> Walk(std::int64_t start, int count, std::int64_t step, double price) {
    std::vector<OhlcBar> bars;
    std::int64_t t = start;
    for (int i = 0; i < count; ++i) {
        while (step >= 86400 && Weekend(t))
            t += 86400;
        const double next =
            price * (1 + 0.004 * std::sin(i / 15.0) + 0.0006 + 0.003 * std::sin(i * 1.7));
        bars.push_back({t, price, std::max(price, next) * 1.002, std::min(price, next) * 0.998,
                        next, 1000 * (2 + std::sin(i / 7.0))});
        price = next;
        t += step;
    }
    return bars;
}

ChartSeries Minutes(const std::string& symbol = "RELIANCE.NS", double price = 2450) {
    ChartSeries s;
    s.symbol = symbol;
    s.name = "Reliance Industries Ltd";
    s.intraday = true;
    s.bars = Walk(kMonday0915, 375, 60, price);
    return s;
}

ChartSeries Days() {
    ChartSeries s;
    s.symbol = "TCS.NS";
    s.name = "Tata Consultancy Services Ltd";
    s.bars = Walk(kMonday0915 - 420 * 86400, 300, 86400, 3200);
    s.firstVisible = 50;
    return s;
}

ChartOptions Options(char size, std::vector<std::string> indicators = {}, char type = 'l') {
    ChartOptions o;
    o.size = size;
    o.type = type;
    o.indicators = std::move(indicators);
    return o;
}

QImage Decode(const std::string& png) {
    QImage image;
    EXPECT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                   static_cast<int>(png.size()), "PNG"));
    return image;
}

// ---------------------------------------------------------------- the picture

TEST(ChartImageTest, SizeGrowsByOnePanePerDistinctKnownIndicatorAndThePngHasIt) {
    struct Case {
        char size;
        std::vector<std::string> indicators;
        int width, height;
    };
    const Case cases[] = {
        {'m', {}, 512, 288},
        {'m', {"r14"}, 512, 360},
        {'m', {"m26-12-9", "r14", "ss"}, 512, 504},
        {'l', {}, 800, 448},
        {'l', {"vm"}, 800, 558},
        {'l', {"f14", "p12", "w14"}, 800, 778},
        {'m', {"", "r14", "r14", "zz", "m26-12"}, 512, 360}, // twice, unknown, malformed
        {'m', {"fs", "v", "vm"}, 512, 504},
        {'x', {}, 512, 288}, // unknown size: medium
    };
    const std::vector<ChartSeries> series = {Minutes(), Days()};
    for (const auto& c : cases) {
        const auto size = marketserver::ChartSize(Options(c.size, c.indicators));
        EXPECT_EQ(size.width, c.width) << c.size << " " << c.indicators.size();
        EXPECT_EQ(size.height, c.height) << c.size << " " << c.indicators.size();
        // Every series and chart type, all overlays on, draws into exactly that size.
        for (const auto& s : series) {
            for (char type : {'l', 'b', 'c'}) {
                auto o = Options(c.size, c.indicators, type);
                o.overlays = {"m20", "e50", "b", "p", "s", "v"};
                o.logScale = type == 'c';
                EXPECT_EQ(Decode(marketserver::RenderChartPng(s, {}, o)).size(),
                          QSize(c.width, c.height))
                    << s.symbol << c.size << type << " " << c.indicators.size();
            }
        }
    }
}

TEST(ChartImageTest, SameInputSameBytesOnConcurrentThreads) {
    const auto s = Days();
    auto o = Options('l', {"m26-12-9", "r14"}, 'c');
    o.overlays = {"m20", "b", "v"};
    const std::vector<ChartSeries> compare = {Minutes("^NSEI", 24500)};
    const std::string reference = marketserver::RenderChartPng(s, {}, o);
    const std::string referenceCompare = marketserver::RenderChartPng(Minutes(), compare, o);
    ASSERT_FALSE(reference.empty());

    std::vector<std::string> results(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < results.size(); ++i) {
        threads.emplace_back([&, i] {
            results[i] = i % 2 ? marketserver::RenderChartPng(Minutes(), compare, o)
                               : marketserver::RenderChartPng(s, {}, o);
        });
    }
    for (auto& t : threads)
        t.join();
    for (std::size_t i = 0; i < results.size(); ++i)
        EXPECT_TRUE(results[i] == (i % 2 ? referenceCompare : reference)) << i;
}

TEST(ChartImageTest, OptionsChangeThePictureAndRepeatsDoNot) {
    const auto s = Minutes();
    auto render = [&](std::function<void(ChartOptions&)> change) {
        ChartOptions o = Options('m');
        change(o);
        return marketserver::RenderChartPng(s, {}, o);
    };
    const auto plain = render([](ChartOptions&) {});
    const std::vector<std::pair<const char*, std::function<void(ChartOptions&)>>> different = {
        {"bars", [](ChartOptions& o) { o.type = 'b'; }},
        {"candles", [](ChartOptions& o) { o.type = 'c'; }},
        {"log", [](ChartOptions& o) { o.logScale = true; }},
        {"sma", [](ChartOptions& o) { o.overlays = {"m20"}; }},
        {"ema", [](ChartOptions& o) { o.overlays = {"e20"}; }},
        {"bollinger", [](ChartOptions& o) { o.overlays = {"b"}; }},
        {"sar", [](ChartOptions& o) { o.overlays = {"p"}; }},
        {"splits legend", [](ChartOptions& o) { o.overlays = {"s"}; }},
        {"volume", [](ChartOptions& o) { o.overlays = {"v"}; }},
        {"large", [](ChartOptions& o) { o.size = 'l'; }},
    };
    std::vector<std::string> seen = {plain};
    for (const auto& [name, change] : different) {
        const auto png = render(change);
        for (const auto& other : seen)
            EXPECT_TRUE(png != other) << name;
        seen.push_back(png);
    }

    const std::vector<std::pair<const char*, std::function<void(ChartOptions&)>>> same = {
        {"unknown type is a line", [](ChartOptions& o) { o.type = 'x'; }},
        {"unknown overlay",
         [](ChartOptions& o) {
             o.overlays = {"q", "m", "m0", "mx"};
         }},
        {"unknown indicator",
         [](ChartOptions& o) {
             o.indicators = {"zz", "r", ""};
         }},
    };
    for (const auto& [name, change] : same)
        EXPECT_TRUE(render(change) == plain) << name;

    auto once = render([](ChartOptions& o) {
        o.overlays = {"m20", "b"};
        o.indicators = {"r14"};
    });
    auto twice = render([](ChartOptions& o) {
        o.overlays = {"m20", "b", "m20", "b"};
        o.indicators = {"r14", "r14"};
    });
    EXPECT_TRUE(once == twice);
}

TEST(ChartImageTest, HistoryBeforeTheFirstVisibleBarIsNotDrawn) {
    // Wild history ending on the same close must not move the axis or the line.
    auto calm = Days();
    auto wild = calm;
    for (std::size_t i = 0; i + 1 < wild.firstVisible; ++i) {
        wild.bars[i].high *= 3;
        wild.bars[i].low /= 3;
        wild.bars[i].close *= 2;
    }
    const auto o = Options('m', {}, 'c');
    EXPECT_TRUE(marketserver::RenderChartPng(calm, {}, o) ==
                marketserver::RenderChartPng(wild, {}, o));
}

TEST(ChartImageTest, CandlesAreGreenAndRed) {
    auto countColours = [](const QImage& image) {
        int green = 0, red = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                green += c.green() > c.red() + 60 && c.green() > c.blue() + 40;
                red += c.red() > c.green() + 80 && c.red() > c.blue() + 80;
            }
        }
        return std::pair(green, red);
    };
    const auto [green, red] =
        countColours(Decode(marketserver::RenderChartPng(Days(), {}, Options('l', {}, 'c'))));
    EXPECT_GT(green, 200);
    EXPECT_GT(red, 200);
}

TEST(ChartImageTest, ComparisonDrawsEverySeries) {
    const auto main = Minutes();
    const std::vector<ChartSeries> one = {Minutes("^BSESN", 81000)};
    const std::vector<ChartSeries> two = {Minutes("^BSESN", 81000), Minutes("^NSEI", 24500)};
    const auto o = Options('m');
    const auto plain = marketserver::RenderChartPng(main, {}, o);
    const auto withOne = marketserver::RenderChartPng(main, one, o);
    const auto withTwo = marketserver::RenderChartPng(main, two, o);
    EXPECT_TRUE(plain != withOne);
    EXPECT_TRUE(withOne != withTwo);

    // A comparison symbol without data still gives a chart.
    ChartSeries missing;
    missing.symbol = "^NOPE";
    EXPECT_EQ(Decode(marketserver::RenderChartPng(main, {missing}, o)).size(), QSize(512, 288));
}

TEST(ChartImageTest, NoDataGivesAMessageOfTheRightSize) {
    ChartSeries empty;
    empty.symbol = "NOSUCH.NS";
    auto history = Days();
    history.symbol = "NOSUCH.NS";
    history.name.clear();
    history.firstVisible = history.bars.size(); // history only, nothing to draw

    for (const auto& o : {Options('m'), Options('l', {"r14", "ss"})}) {
        const auto png = marketserver::RenderChartPng(empty, {}, o);
        const QImage image = Decode(png);
        EXPECT_EQ(image.width(), marketserver::ChartSize(o).width);
        EXPECT_EQ(image.height(), marketserver::ChartSize(o).height);
        EXPECT_TRUE(png == marketserver::RenderChartPng(history, {}, o));
        // The message is written across the middle.
        int dark = 0;
        for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 160;
        EXPECT_GT(dark, 50);
    }
}

TEST(ChartImageTest, SessionInProgressKeepsRoomForTheRestOfTheDay) {
    auto whole = Minutes();
    auto part = whole;
    part.bars.resize(100);
    part.axisEnd = whole.bars.back().time;
    const auto o = Options('m');
    const QImage image = Decode(marketserver::RenderChartPng(part, {}, o));
    // The right half of the price pane carries only the grid: no line colour there.
    int blue = 0;
    for (int y = 60; y < 250; ++y)
        for (int x = 300; x < 420; ++x) {
            const QColor c = image.pixelColor(x, y);
            blue += c.blue() > c.red() + 80;
        }
    EXPECT_EQ(blue, 0);
    EXPECT_TRUE(marketserver::RenderChartPng(part, {}, o) !=
                marketserver::RenderChartPng(whole, {}, o));
}

// ---------------------------------------------------------------- the indicators

std::vector<OhlcBar> FromCloses(const std::vector<double>& closes) {
    std::vector<OhlcBar> bars;
    for (double c : closes)
        bars.push_back({0, c, c, c, c, 100});
    return bars;
}

void ExpectSeries(const std::vector<double>& got, const std::vector<double>& want,
                  const char* what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (std::isnan(want[i]))
            EXPECT_TRUE(std::isnan(got[i])) << what << " at " << i << " is " << got[i];
        else
            EXPECT_NEAR(got[i], want[i], 1e-9) << what << " at " << i;
    }
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(IndicatorsTest, AveragesOfARampLagByHalfTheirWindow) {
    std::vector<double> ramp;
    for (int i = 0; i < 40; ++i)
        ramp.push_back(i);
    for (int n : {1, 3, 5, 12, 26}) {
        std::vector<double> want(ramp.size(), kNaN);
        for (std::size_t i = n - 1; i < ramp.size(); ++i)
            want[i] = i - (n - 1) / 2.0;
        ExpectSeries(marketserver::Sma(ramp, n), want, "sma");
        ExpectSeries(marketserver::Ema(ramp, n), want, "ema");
    }
    ExpectSeries(marketserver::Sma({1, 2}, 3), {kNaN, kNaN}, "too short");
}

TEST(IndicatorsTest, AveragesRestartAfterAGap) {
    const std::vector<double> v = {1, 2, 3, kNaN, 4, 5, 6};
    ExpectSeries(marketserver::Sma(v, 2), {kNaN, 1.5, 2.5, kNaN, kNaN, 4.5, 5.5}, "sma");
    ExpectSeries(marketserver::Ema(v, 2),
                 {kNaN, 1.5, 1.5 + (3 - 1.5) * 2 / 3.0, kNaN, kNaN, 4.5, 4.5 + (6 - 4.5) * 2 / 3.0},
                 "ema");
}

TEST(IndicatorsTest, BollingerBands) {
    const std::vector<double> v = {2, 4, 4, 4, 5, 5, 7, 9}; // mean 5, deviation 2
    const auto b = marketserver::Bollinger(v, 8, 2);
    EXPECT_DOUBLE_EQ(b.middle[7], 5);
    EXPECT_DOUBLE_EQ(b.upper[7], 9);
    EXPECT_DOUBLE_EQ(b.lower[7], 1);
    EXPECT_TRUE(std::isnan(b.upper[6]));

    const auto closes = marketserver::Closes(Days().bars);
    ExpectSeries(marketserver::Bollinger(closes).middle, marketserver::Sma(closes, 20),
                 "default window");
}

TEST(IndicatorsTest, RsiFollowsWilder) {
    std::vector<double> rising, falling, flat(20, 50);
    for (int i = 0; i < 20; ++i) {
        rising.push_back(100 + i);
        falling.push_back(100 - i);
    }
    // Seven +2 and seven -1 moves, then +3.
    std::vector<double> mixed = {100};
    for (int i = 0; i < 14; ++i)
        mixed.push_back(mixed.back() + (i % 2 ? -1 : 2));
    mixed.push_back(mixed.back() + 3);

    struct Case {
        const char* name;
        std::vector<double> closes;
        std::size_t at;
        double want;
    };
    const Case cases[] = {
        {"rising", rising, 19, 100},
        {"falling", falling, 19, 0},
        {"flat", flat, 19, 50},
        {"seed", mixed, 14, 100 - 100 / 3.0},
        {"smoothed", mixed, 15, 100 - 100 / (1 + 16 / 6.5)},
    };
    for (const auto& c : cases) {
        const auto r = marketserver::Rsi(c.closes, 14);
        EXPECT_NEAR(r[c.at], c.want, 1e-9) << c.name;
        EXPECT_TRUE(std::isnan(r[13])) << c.name;
    }
}

TEST(IndicatorsTest, MacdOfARampIsTheGapBetweenItsAverages) {
    std::vector<double> ramp;
    for (int i = 0; i < 60; ++i)
        ramp.push_back(10 + i);
    const auto m = marketserver::Macd(ramp);
    // EMA n of a ramp lags by (n - 1) / 2: 12.5 - 5.5 = 7.
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        if (i < 25)
            EXPECT_TRUE(std::isnan(m.macd[i])) << i;
        else
            EXPECT_NEAR(m.macd[i], 7, 1e-9) << i;
        if (i < 33) {
            EXPECT_TRUE(std::isnan(m.signal[i])) << i;
        } else {
            EXPECT_NEAR(m.signal[i], 7, 1e-9) << i;
            EXPECT_NEAR(m.histogram[i], 0, 1e-9) << i;
        }
    }
}

TEST(IndicatorsTest, RateOfChangeMoneyFlowAndVolume) {
    ExpectSeries(marketserver::RateOfChange({100, 105, 110, 99}, 2),
                 {kNaN, kNaN, 10, 100 * (99 - 105) / 105.0}, "roc");

    std::vector<OhlcBar> bars = {{0, 10, 10, 10, 10, 100},
                                 {0, 12, 12, 12, 12, 100},
                                 {0, 11, 11, 11, 11, 200},
                                 {0, 11, 11, 11, 11, 500}};
    // Up flow 12 * 100, down flow 11 * 200; an unchanged price counts for neither.
    ExpectSeries(marketserver::MoneyFlowIndex(bars, 2), {kNaN, kNaN, 100 * 1200 / 3400.0, 0},
                 "mfi");
    const auto v = marketserver::VolumeWithAverage(bars, 2);
    ExpectSeries(v.volume, {100, 100, 200, 500}, "volume");
    ExpectSeries(v.average, {kNaN, 100, 150, 350}, "volume average");

    std::vector<double> up;
    for (int i = 0; i < 30; ++i)
        up.push_back(50 + i);
    const auto mfi = marketserver::MoneyFlowIndex(FromCloses(up), 14);
    EXPECT_TRUE(std::isnan(mfi[13]));
    EXPECT_DOUBLE_EQ(mfi[14], 100);
    EXPECT_DOUBLE_EQ(mfi[29], 100);
}

TEST(IndicatorsTest, StochasticsAndWilliamsStayInTheirRanges) {
    const auto bars = Days().bars;
    const auto fast = marketserver::FastStochastic(bars);
    const auto slow = marketserver::SlowStochastic(bars);
    const auto w = marketserver::WilliamsR(bars);
    EXPECT_TRUE(std::isnan(fast.k[12]));
    EXPECT_TRUE(std::isnan(w[12]));
    ExpectSeries(slow.k, marketserver::Sma(fast.k, 3), "slow %K");
    ExpectSeries(slow.d, marketserver::Sma(slow.k, 3), "slow %D");
    ExpectSeries(fast.d, marketserver::Sma(fast.k, 3), "fast %D");
    for (std::size_t i = 13; i < bars.size(); ++i) {
        EXPECT_GE(fast.k[i], 0);
        EXPECT_LE(fast.k[i], 100);
        EXPECT_NEAR(w[i], fast.k[i] - 100, 1e-9) << i;
    }

    // Closing on the high reads 100 and 0, on the low 0 and -100.
    std::vector<OhlcBar> range(14, OhlcBar{0, 10, 12, 8, 10, 1});
    for (const auto& [close, k, r] :
         {std::tuple{12.0, 100.0, 0.0}, {8.0, 0.0, -100.0}, {10.0, 50.0, -50.0}}) {
        range.back().close = close;
        EXPECT_DOUBLE_EQ(marketserver::Stochastic(range, 14, 1, 3).k[13], k);
        EXPECT_DOUBLE_EQ(marketserver::WilliamsR(range)[13], r);
    }
}

TEST(IndicatorsTest, ParabolicSarTrailsTheTrendAndFlips) {
    std::vector<OhlcBar> bars;
    for (int i = 0; i < 12; ++i)
        bars.push_back({0, 10.5 + i, 12.0 + i, 10.0 + i, 11.5 + i, 1});
    for (int i = 0; i < 12; ++i)
        bars.push_back({0, 20.5 - 2 * i, 21.0 - 2 * i, 19.0 - 2 * i, 19.5 - 2 * i, 1});
    const auto sar = marketserver::ParabolicSar(bars);
    EXPECT_TRUE(std::isnan(sar[0]));
    for (std::size_t i = 2; i < 12; ++i) {
        EXPECT_LE(sar[i], bars[i].low) << i;
        EXPECT_GE(sar[i], sar[i - 1]) << i;
    }
    for (std::size_t i = 16; i < bars.size(); ++i)
        EXPECT_GT(sar[i], bars[i].high) << i;
}

} // namespace
