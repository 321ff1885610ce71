#include <QImage>
#include <gtest/gtest.h>

#include "marketserver/chart_renderer.h"
#include "marketserver/html_pages.h"
#include "marketserver/market_server.h"
#include "marketserver/quote_csv.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "quotes/quote_record.h"

namespace {

// The futures pages are read by fixed markers and cell counts; these helpers apply those
// rules, so the tests prove the pages put the right text in the right cells.
struct Scan {
    const std::string& page;
    std::size_t pos = 0;

    std::string Between(std::size_t gt) {
        const std::size_t lt = page.find('<', gt + 1);
        pos = gt + 1;
        return page.substr(gt + 1, lt - gt - 1);
    }
    std::string Plain(const char* marker = "<td") {
        const std::size_t td = page.find(marker, pos);
        return Between(page.find('>', td + 1));
    }
    std::string Linked() {
        std::size_t td = page.find("<td", pos);
        td = page.find("<td", td + 1);
        td = page.find("<td", td + 1);
        const std::size_t gt = page.find('>', td + 1);
        return Between(page.find('>', gt + 1));
    }
    std::vector<std::string> ContractRow() {
        std::vector<std::string> row{Linked()};
        Plain();
        Plain();
        for (int i = 0; i < 7; ++i)
            row.push_back(Plain());
        return row;
    }
};

class ProtocolsTest : public ::testing::Test {
protected:
    void SetUp() override { Start("2026-12-07 11:00:00"); }
    void Start(const char* clock) {
        marketserver::MarketOptions o;
        o.seed = 7;
        sim::CivilSeconds t = 0;
        ASSERT_TRUE(sim::VirtualClock::Parse(clock, t));
        o.clock = t;
        o.speed = 0;
        m_market = marketserver::StartEmbeddedMarket(o);
        ASSERT_NE(m_market, nullptr);
    }
    std::string Body(const std::string& pathAndQuery) {
        CInternetSession session("Test session");
        return session.OpenURL(m_market->BaseUrl() + pathAndQuery)->ReadAll();
    }
    std::vector<std::string> Lines(const std::string& pathAndQuery) {
        CInternetSession session("Test session");
        return inet::ReadAllLines(session, m_market->BaseUrl() + pathAndQuery);
    }
    QuoteRecord Quote(const std::string& symbol) {
        QuoteRecord r;
        ParseQuoteLine(Lines(inet::BuildUrl("", "/d/quotes.csv",
                                            {{"s", symbol}, {"f", "sl1d1t1c1ohgvjk"}}))[0],
                       r);
        return r;
    }
    static std::string ChartDataPath(const std::string& symbol, const char* range) {
        return inet::BuildUrl("", "/instrument/1.0/" + symbol +
                                      "/chartdata;type=quote;range=" + range + "/csv/");
    }

    std::unique_ptr<marketserver::MarketServer> m_market;
};

std::int64_t IstToUtc(int y, int m, int d, int hour, int minute) {
    return DaysFromCivil(y, m, d) * 86400 + hour * 3600 + minute * 60 - 19800;
}

TEST_F(ProtocolsTest, ChartDataOneDayIsTheSessionSoFarMinuteByMinute) {
    const auto lines = Lines(ChartDataPath("RELIANCE.NS", "1d"));
    ASSERT_GT(lines.size(), 14u);
    EXPECT_EQ(lines[0], "uri:/instrument/1.0/RELIANCE.NS/chartdata;type=quote;range=1d/csv/");
    EXPECT_EQ(lines[13].substr(0, 4), "low:"); // the last of 14 header lines
    const std::vector<std::string> bars(lines.begin() + 14, lines.end());
    ASSERT_EQ(bars.size(), 105u); // 09:15 to 11:00
    std::int64_t expected = IstToUtc(2026, 12, 7, 9, 15);
    for (const auto& line : bars) {
        const auto f = text::Split(line, ',');
        ASSERT_EQ(f.size(), 6u) << line;
        EXPECT_EQ(text::CStrToD(f[0]), static_cast<double>(expected)) << line;
        const double close = text::CStrToD(f[1]), high = text::CStrToD(f[2]),
                     low = text::CStrToD(f[3]), open = text::CStrToD(f[4]);
        EXPECT_LE(low, std::min(open, close)) << line;
        EXPECT_GE(high, std::max(open, close)) << line;
        EXPECT_GE(text::CStrToD(f[5]), 0) << line;
        expected += 60;
    }
    // The last bar closes where the quote service stands.
    EXPECT_DOUBLE_EQ(text::CStrToD(text::Split(bars.back(), ',')[1]), Quote("RELIANCE.NS").last);
}

TEST_F(ProtocolsTest, ChartDataFiveDaysAndBeforeTheOpen) {
    const auto lines = Lines(ChartDataPath("^NSEI", "5d"));
    ASSERT_GT(lines.size(), 19u);
    EXPECT_EQ(lines[18].substr(0, 4), "low:");
    const std::vector<std::string> bars(lines.begin() + 19, lines.end());
    EXPECT_EQ(bars.size(), 4u * 75 + 21); // four whole sessions and Monday to 11:00
    EXPECT_EQ(text::CStrToD(text::Split(bars.front(), ',')[0]),
              static_cast<double>(IstToUtc(2026, 12, 1, 9, 15)));
    EXPECT_EQ(text::CStrToD(text::Split(bars.back(), ',')[0]),
              static_cast<double>(IstToUtc(2026, 12, 7, 10, 55)));
    for (std::size_t i = 1; i < bars.size(); ++i)
        EXPECT_LT(text::CStrToD(text::Split(bars[i - 1], ',')[0]),
                  text::CStrToD(text::Split(bars[i], ',')[0]));

    Start("2026-12-07 08:00:00"); // Monday before the open: Friday's whole session
    const auto early = Lines(ChartDataPath("M&M.NS", "1d"));
    ASSERT_EQ(early.size(), 14u + 375);
    EXPECT_EQ(early[0], "uri:/instrument/1.0/M&M.NS/chartdata;type=quote;range=1d/csv/");
    EXPECT_EQ(text::CStrToD(text::Split(early[14], ',')[0]),
              static_cast<double>(IstToUtc(2026, 12, 4, 9, 15)));

    EXPECT_THROW(Lines(ChartDataPath("NOSUCH.NS", "1d")), CInternetException);
    EXPECT_THROW(Lines(ChartDataPath("TCS.NS", "1y")), CInternetException);
}

TEST_F(ProtocolsTest, FuturesPageCellsLandWhereTheReaderLooks) {
    const std::string page = Body("/marketinfo/fo/fomwatchsymbol.jsp?key=RELIANCE&Fut_Opt=Futures");
    Scan scan{page};
    scan.pos = page.find("<tr>", page.find("Instrument Type")) + 1;
    const auto near = scan.ContractRow();
    scan.pos = page.find("<tr>", scan.pos) + 1;
    const auto next = scan.ContractRow();
    const auto far = scan.ContractRow(); // no "<tr>" search before the third row
    EXPECT_EQ(near[0], "29DEC2026");
    EXPECT_EQ(next[0], "26JAN2027");
    EXPECT_EQ(far[0], "23FEB2027");
    const QuoteRecord underlying = Quote("RELIANCE.NS");
    for (const auto* row : {&near, &next, &far}) {
        ASSERT_EQ(row->size(), 8u);
        EXPECT_DOUBLE_EQ(text::CStrToD((*row)[7]), underlying.last) << "underlying value";
        EXPECT_GT(text::CStrToD((*row)[3]), 0) << "previous close";
    }
    EXPECT_GT(text::CStrToD(near[1]), text::CStrToD(near[2]) - 0.001) << "high >= low";
    EXPECT_GT(text::CStrToD(near[4]), underlying.last) << "a future trades above the spot";
    EXPECT_GT(text::CStrToD(near[5]), text::CStrToD(next[5])) << "the near month trades most";

    const std::string index = Body("/marketinfo/fo/fomwatchsymbol.jsp?key=NIFTY&Fut_Opt=Futures");
    EXPECT_NE(index.find("FUTIDX"), std::string::npos);
    Scan s2{index};
    s2.pos = index.find("<tr>", index.find("Instrument Type")) + 1;
    EXPECT_DOUBLE_EQ(text::CStrToD(s2.ContractRow()[7]), Quote("^NSEI").last);
    // An expensive stock's far month does not trade: its prices show "-" and "0.00".
    const std::string mrf = Body("/marketinfo/fo/fomwatchsymbol.jsp?key=MRF&Fut_Opt=Futures");
    Scan s3{mrf};
    s3.pos = mrf.find("<tr>", mrf.find("Instrument Type")) + 1;
    s3.ContractRow();
    s3.pos = mrf.find("<tr>", s3.pos) + 1;
    s3.ContractRow();
    const auto idle = s3.ContractRow();
    EXPECT_EQ(idle[1], "-");
    EXPECT_EQ(idle[4], "0.00");
    EXPECT_EQ(idle[5], "0");

    const std::string unknown =
        Body("/marketinfo/fo/fomwatchsymbol.jsp?key=NOSUCH&Fut_Opt=Futures");
    EXPECT_NE(unknown.find("Instrument Type"), std::string::npos);
    EXPECT_EQ(unknown.find("FUTSTK"), std::string::npos);
}

TEST_F(ProtocolsTest, MarketTodayPageCarriesTheStatistics) {
    const std::string page = Body("/content/fo/fo_markettoday.htm");
    const std::size_t p = page.find("Trade Statistics");
    ASSERT_NE(p, std::string::npos);
    EXPECT_EQ(page.substr(p, page.find('<', p) - p), "Trade Statistics for 07-Dec-2026");
    Scan scan{page};
    scan.pos = page.find("<TR>", page.find("<TR>", p + 1) + 1) + 1;
    EXPECT_EQ(scan.Plain("<TD"), "Index Futures");
    EXPECT_GT(text::CStrToD(scan.Plain("<TD")), 0);
    EXPECT_GT(text::CStrToD(scan.Plain("<TD")), 0);
    scan.pos = page.find("<TR>", scan.pos) + 1;
    EXPECT_EQ(scan.Plain("<TD"), "Stock Futures");
}

TEST_F(ProtocolsTest, ExpiriesAreTheLastTuesday) {
    EXPECT_EQ(sim::MonthlyExpiry(2026, 6), DaysFromCivil(2026, 6, 30)); // on the month's last day
    std::int64_t e[3];
    sim::ContractExpiries(DaysFromCivil(2026, 12, 30), e); // past December's expiry
    EXPECT_EQ(e[0], DaysFromCivil(2027, 1, 26));
}

TEST_F(ProtocolsTest, LookupListsBothExchanges) {
    const std::string reddy = Body("/lookup?s=reddy");
    EXPECT_NE(reddy.find("DRREDDY.NS"), std::string::npos);
    EXPECT_NE(reddy.find("DRREDDY.BO"), std::string::npos);
    EXPECT_NE(reddy.find("Dr. Reddy's Laboratories Ltd"), std::string::npos);
    EXPECT_NE(Body("/lookup?s=" + inet::EncodeUrlText("Mahindra & Mahindra")).find("M&amp;M.NS"),
              std::string::npos);
    EXPECT_NE(Body("/lookup?s=tata+motors").find("TATAMOTORS.NS"), std::string::npos);
    EXPECT_NE(Body("/lookup?s=zzqqxx").find("no results"), std::string::npos);
    EXPECT_NE(Body("/lookup?s=%3Cscript%3E").find("&lt;script&gt;"), std::string::npos);
    EXPECT_NE(Body("/lookup").find("Please enter"), std::string::npos);
}

TEST_F(ProtocolsTest, ChartImagesDecodeAtTheSizeAsked) {
    auto size = [&](const std::string& query) {
        const std::string png = Body("/z?" + query);
        QImage image;
        EXPECT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                       static_cast<int>(png.size()), "PNG"))
            << query;
        return image.size();
    };
    EXPECT_EQ(size("s=RELIANCE.NS&t=1d&q=l&l=off&z=m&p=&a=&c="), QSize(512, 288));
    EXPECT_EQ(size("s=NOSUCH.NS&t=5d&q=b&l=off&z=m&p=&a=&c="), QSize(512, 288));
    marketserver::ChartOptions two;
    two.size = 'l';
    two.indicators = {"r14", "m26-12-9"};
    EXPECT_EQ(size("s=^NSEI&t=1y&q=c&l=on&z=l&p=,m50,e20,b&a=,r14,m26-12-9&c=^BSESN,^NSEI"),
              QSize(marketserver::ChartSize(two).width, marketserver::ChartSize(two).height));
    EXPECT_THROW(Body("/z?t=1d"), CInternetException);
}

} // namespace
