#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "marketserver/market_server.h"
#include "marketserver/quote_csv.h"
#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "quotes/quote_record.h"
#include "support/temp_dir.h"

namespace {

class QuoteServiceTest : public ::testing::Test {
protected:
    static marketserver::MarketOptions Options(std::uint64_t seed = 7) {
        marketserver::MarketOptions o;
        o.seed = seed;
        sim::CivilSeconds t = 0;
        sim::VirtualClock::Parse("2026-12-07 11:00:00", t);
        o.clock = t;
        o.speed = 0;
        return o;
    }
    void SetUp() override {
        m_market = marketserver::StartEmbeddedMarket(Options());
        ASSERT_NE(m_market, nullptr);
    }

    std::vector<std::string> Get(const std::string& pathAndQuery, long receiveTimeoutMs = 20000) {
        CInternetSession session("Test session");
        session.SetOption(InternetOption::ReceiveTimeoutMs, receiveTimeoutMs);
        return inet::ReadAllLines(session, m_market->BaseUrl() + pathAndQuery);
    }
    std::vector<std::string> Quotes(const std::vector<std::string>& symbols,
                                    const std::string& codes) {
        return Get("/d/quotes.csv?s=" + inet::EncodeUrlText(text::Join(symbols, ",")) +
                   "&f=" + codes);
    }

    std::unique_ptr<marketserver::MarketServer> m_market;
};

TEST_F(QuoteServiceTest, EveryCatalogueCompanyIsQuotedOnItsExchanges) {
    std::vector<std::string> symbols;
    for (const auto& c : catalogue::Companies()) {
        if (!c.nseName.empty())
            symbols.push_back(c.nseName + ".NS");
        if (!c.bseName.empty())
            symbols.push_back(c.bseName + ".BO");
    }
    ASSERT_GT(symbols.size(), 300u);
    // In batches of up to 200 symbols, as the toppers page asks.
    for (std::size_t from = 0; from < symbols.size(); from += 200) {
        const std::vector<std::string> batch(
            symbols.begin() + from, symbols.begin() + std::min(symbols.size(), from + 200));
        const auto lines = Quotes(batch, "sl1d1t1c1ohgv");
        ASSERT_EQ(lines.size(), batch.size());
        for (std::size_t i = 0; i < batch.size(); ++i) {
            QuoteRecord r;
            ParseQuoteLine9(lines[i], r);
            EXPECT_EQ(r.symbol, batch[i]);
            EXPECT_FALSE(IsUnknownSymbolLine(lines[i])) << lines[i];
            EXPECT_GT(r.last, 0) << lines[i];
            EXPECT_LE(r.low, r.last) << lines[i];
            EXPECT_GE(r.high, r.last) << lines[i];
            EXPECT_GT(r.volume, 0) << lines[i];
        }
    }
}

TEST_F(QuoteServiceTest, BarSymbolsAndPageTablesAtRealisticLevels) {
    const std::vector<std::string> symbols = {"^NSEI",       "^BSESN", "USDINR=X", "^NSEBANK",
                                              "BSE-BANK.BO", "^DJI",   "^FTSE ",   "^N225",
                                              "INFY",        "WIT"};
    const auto lines = Quotes(symbols, "sl1d1t1c1ohgvjk");
    ASSERT_EQ(lines.size(), symbols.size());
    std::vector<QuoteRecord> r(symbols.size());
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        ParseQuoteLine(lines[i], r[i]);
        // Echoed as asked, the blank of "^FTSE " included (the parser trims it later).
        EXPECT_EQ(lines[i].substr(0, symbols[i].size() + 3), "\"" + symbols[i] + "\",") << lines[i];
        EXPECT_LE(r[i].yearLow, r[i].low) << lines[i];
        EXPECT_GE(r[i].yearHigh, r[i].high) << lines[i];
    }
    EXPECT_GT(r[0].last, 15000);
    EXPECT_LT(r[0].last, 40000);
    EXPECT_GT(r[1].last, 50000);
    EXPECT_LT(r[1].last, 130000);
    EXPECT_NEAR(r[1].last / r[0].last, 84500.0 / 25800.0, 0.15); // they move together
    EXPECT_GT(r[2].last, 70);
    EXPECT_LT(r[2].last, 110);
    EXPECT_EQ(r[0].volume, 0); // the service sends no volume for indices
    EXPECT_EQ(text::Split(lines[2], ',')[1].size(), std::string("90.4123").size()) << lines[2];
}

TEST_F(QuoteServiceTest, FormatCodesAndMalformedRequests) {
    EXPECT_EQ(Get("/d/quotes.csv?s=TCS.NS&f=sl1"),
              std::vector<std::string>{Get("/d/quotes.csv?s=TCS.NS&f=sl1")[0]});
    const auto w = Get("/d/quotes.csv?s=TCS.NS&f=w");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].front(), '"');
    EXPECT_NE(w[0].find(" - "), std::string::npos);
    EXPECT_EQ(text::Split(Get("/d/quotes.csv?s=TCS.NS&f=snxzz9")[0], ',').size(), 5u);
    EXPECT_EQ(text::Split(Get("/d/quotes.csv?s=TCS.NS")[0], ',').size(), 9u); // default codes
    EXPECT_TRUE(Get("/d/quotes.csv?s=&f=sl1").empty());
    EXPECT_EQ(Get("/d/quotes.csv?s=^NSEI,^BSESN,USDINR=X,&f=sl1").size(),
              3u); // a lone comma adds nothing
    const auto foreign = Get("/d/quotes.csv?s=%C3%A9%0D%0A,TCS.NS&f=sl1d1");
    ASSERT_EQ(foreign.size(), 2u);
    EXPECT_TRUE(IsUnknownSymbolLine(foreign[0]));
    EXPECT_EQ(foreign[1].substr(0, 8), "\"TCS.NS\"");

    EXPECT_THROW(Get("/d/quotes.csv?f=sl1"), CInternetException); // no s: 400
    EXPECT_THROW(Get("/no/such/service"), CInternetException);    // 404
    try {
        Get("/d/quotes.csv?s=" + std::string(10000, 'A') + "&f=sl1");
        ADD_FAILURE() << "an overlong request line was answered";
    } catch (const CInternetException& e) {
        EXPECT_EQ(e.m_nHttpStatus, 414);
    }
    EXPECT_EQ(Get("/d/quotes.csv?s=^NSEI&f=s").size(), 1u); // and the server lives on
}

TEST_F(QuoteServiceTest, SameSeedAndClockGiveTheSameBytes) {
    auto other = marketserver::StartEmbeddedMarket(Options(7));
    auto reseeded = marketserver::StartEmbeddedMarket(Options(8));
    const std::string target =
        "/d/quotes.csv?s=^NSEI,RELIANCE.NS,SBIN.BO,USDINR=X,^N225,^DJI&f=sl1d1t1c1ohgvjk";
    EXPECT_EQ(m_market->QuoteResponse(target), other->QuoteResponse(target));
    const auto mine = text::SplitLines(m_market->QuoteResponse(target));
    const auto theirs = text::SplitLines(reseeded->QuoteResponse(target));
    ASSERT_EQ(mine.size(), 6u);
    for (std::size_t i = 0; i < mine.size(); ++i)
        EXPECT_NE(mine[i], theirs[i]); // every listing's walk follows the seed
}

// Short, garbage, 500 and dropped answers are met as the quote fetcher and the bar meet them,
// in QuoteFetchTest and MainBarTest.
TEST_F(QuoteServiceTest, SlowAndSymbolScopedFaults) {
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, "", 2500));
    EXPECT_THROW(Get("/d/quotes.csv?s=TCS.NS&f=sl1", 1000), CInternetException);

    // Scoped to a symbol, until cleared.
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Http500, -1, "TCS.NS"));
    EXPECT_NO_THROW(Quotes({"INFY.NS"}, "sl1"));
    EXPECT_THROW(Quotes({"INFY.NS", "tcs.ns"}, "sl1"), CInternetException);
    EXPECT_THROW(Quotes({"TCS.NS"}, "sl1"), CInternetException);
    m_market->ClearFaults();
    EXPECT_NO_THROW(Quotes({"TCS.NS"}, "sl1"));
}

TEST_F(QuoteServiceTest, AdminPathAndRequestLog) {
    testsupport::TempDir dir;
    auto opts = Options();
    opts.logFile = dir.file("requests.log");
    m_market = marketserver::StartEmbeddedMarket(opts);

    EXPECT_EQ(Get("/_sim/fault?kind=500&count=2&path=/d/")[0], "OK");
    EXPECT_THROW(Quotes({"TCS.NS"}, "sl1"), CInternetException);
    EXPECT_THROW(Quotes({"TCS.NS"}, "sl1"), CInternetException);
    EXPECT_EQ(Quotes({"TCS.NS"}, "sl1").size(), 1u);
    EXPECT_THROW(Get("/_sim/fault?kind=melt"), CInternetException);
    EXPECT_EQ(Get("/_sim/clock?set=2026-12-05%2012:00:00")[0], "12/5/2026 12:00pm");
    EXPECT_NE(Quotes({"TCS.NS"}, "sd1")[0].find("12/4/2026"), std::string::npos);

    const auto log = m_market->RequestLog();
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[1].path, "/d/quotes.csv");
    EXPECT_EQ(log[1].query, "s=TCS.NS&f=sl1");
    EXPECT_EQ(log[1].userAgent, "Test session");
    EXPECT_EQ(log[1].status, 500);
    EXPECT_EQ(log[3].status, 200);
    EXPECT_EQ(log[0].path, "/_sim/fault");
    EXPECT_EQ(log[0].status, 200); // admin paths log their real status too
    EXPECT_EQ(log[4].status, 400);
    const auto fileLines = text::SplitLines(testsupport::ReadFile(opts.logFile));
    EXPECT_EQ(fileLines.size(), log.size());
    EXPECT_NE(fileLines[1].find("\t/d/quotes.csv\ts=TCS.NS&f=sl1\tTest session\t500"),
              std::string::npos);
}

TEST_F(QuoteServiceTest, StopDoesNotWaitForARequestBeingComputed) {
    // A cold start's first request with 52-week ranges computes a year of sessions per
    // company: several seconds for the whole catalogue.
    std::vector<std::string> symbols;
    for (const auto& c : catalogue::Companies())
        if (!c.nseName.empty())
            symbols.push_back(c.nseName + ".NS");
    std::atomic<bool> answered{false};
    std::thread client([&] {
        try {
            answered = Quotes(symbols, "sl1d1t1c1ohgvjk").size() == symbols.size();
        } catch (const CInternetException&) {
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto t0 = std::chrono::steady_clock::now();
    m_market->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2)); // a hang guard
    client.join();
    EXPECT_FALSE(answered);
}

} // namespace
