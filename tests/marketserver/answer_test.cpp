#include <gtest/gtest.h>
#include <httplib.h>

#include "marketserver/market_server.h"

namespace {

// The routing seam answers every service exactly as the server does over its socket, so
// what is fuzzed through it is what the program meets.
TEST(MarketAnswerTest, AnswersAsTheServerDoes) {
    marketserver::MarketOptions o;
    o.seed = 7;
    sim::CivilSeconds t = 0;
    ASSERT_TRUE(sim::VirtualClock::Parse("2026-12-07 11:00:00", t));
    o.clock = t;
    o.speed = 0;
    const auto market = marketserver::StartEmbeddedMarket(o);
    ASSERT_NE(market, nullptr);
    httplib::Client client(market->BaseUrl());
    client.set_url_encode(false); // the targets go out as written, like the program's

    const char* targets[] = {
        "/d/quotes.csv?s=^NSEI,M%26M.NS,NOSUCH.NS&f=sl1d1t1c1ohgvjk",
        "/d/quotes.csv?f=sl1",
        "/d/quotes%2Ecsv?s=TCS.BO",
        "/instrument/1.0/RELIANCE.NS/chartdata;type=quote;range=1d/csv/",
        "/instrument/1.0/NOSUCH.NS/chartdata;type=quote;range=5d/csv/",
        "/instrument/1.0/RELIANCE.NS/chartdata;type=quote;range=2d/csv/",
        "/z?s=^NSEI&t=5d&q=c&a=r14",
        "/lookup?s=reli+ance%27s",
        "/marketinfo/fo/fomwatchsymbol.jsp?key=NIFTY&Fut_Opt=Futures",
        "/content/fo/fo_markettoday.htm",
        "/no/such/path",
    };
    for (const char* target : targets) {
        const auto res = client.Get(target);
        ASSERT_TRUE(res) << target;
        int status = 0;
        std::string body, type;
        market->Answer(target, status, body, type);
        EXPECT_EQ(status, res->status) << target;
        EXPECT_EQ(type, res->get_header_value("Content-Type")) << target;
        EXPECT_TRUE(body == res->body) << target;
    }
}

} // namespace
