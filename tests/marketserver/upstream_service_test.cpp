// The market server in upstream mode against the upstream services' stand-in on
// loopback: what the program gets, and what the services are asked.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <QImage>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "marketserver/market_server.h"
#include "marketserver/upstream/cache_store.h"
#include "marketserver/upstream/upstream_check.h"
#include "marketserver/upstream/upstream_source.h"
#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "quotes/quote_record.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/upstream_fake.h"

namespace {

using testsupport::UpstreamFake;

constexpr const char* kChart = "/v8/finance/chart/";

class UpstreamServiceTest : public ::testing::Test {
protected:
    void SetUp() override { Start(); }

    void Start(int firstAnswerWaitMs = 3000) {
        m_market.reset();
        marketserver::MarketOptions o;
        upstream::UpstreamOptions& u = o.upstream.emplace();
        std::string error;
        ASSERT_TRUE(upstream::ParseUpstreamBases(m_fake.Bases(), u, error)) << error;
        u.cacheDir = m_cache.path();
        u.now = [this] { return m_nowMs.load(); };
        u.firstAnswerWaitMs = firstAnswerWaitMs;
        u.requestTimeoutMs = 1500;
        u.jitterSeed = 1;
        m_market = std::make_unique<marketserver::MarketServer>(std::move(o));
        ASSERT_GT(m_market->Listen(), 0);
    }
    upstream::UpstreamSource& Source() {
        return dynamic_cast<upstream::UpstreamSource&>(m_market->Source());
    }
    // The body, or the HTTP status it failed with (as text, e.g. "503").
    std::string Get(const std::string& pathAndQuery) {
        CInternetSession session("Test session");
        session.SetOption(InternetOption::ReceiveTimeoutMs, 30000);
        try {
            return session.OpenURL(m_market->BaseUrl() + pathAndQuery)->ReadAll();
        } catch (const CInternetException& e) {
            return std::to_string(e.m_nHttpStatus);
        }
    }
    std::vector<std::string> Quotes(const std::vector<std::string>& symbols,
                                    const std::string& codes = "sl1d1t1c1ohgvjk") {
        const std::string body = Get(
            inet::BuildUrl("", "/d/quotes.csv", {{"s", text::Join(symbols, ",")}, {"f", codes}}));
        return text::SplitLines(body);
    }
    void Advance(int seconds) { m_nowMs += seconds * 1000LL; }

    UpstreamFake m_fake;
    testsupport::TempDir m_cache;
    std::atomic<std::int64_t> m_nowMs{UpstreamFake::kInSessionMs};
    std::unique_ptr<marketserver::MarketServer> m_market;
};

TEST_F(UpstreamServiceTest, QuotesOfKnownAndUnknownSymbols) {
    const auto lines = Quotes({"RELIANCE.NS", "NOSUCH.NS", "^ftse ", "TTM", "../../x.NS"});
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "\"RELIANCE.NS\",1412.35,\"3/12/2026\",\"3:30pm\",+10.25,1404.00,1421.90,"
                        "1398.20,9183421,1114.85,1551.00");
    EXPECT_EQ(lines[1], "\"NOSUCH.NS\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A,N/A,N/A");
    EXPECT_TRUE(text::StartsWith(lines[2], "\"^FTSE \",1412.35,")) << lines[2];
    EXPECT_TRUE(IsUnknownSymbolLine(lines[3])) << lines[3]; // retired: never asked
    EXPECT_TRUE(IsUnknownSymbolLine(lines[4])) << lines[4]; // not a symbol: never asked
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "^FTSE"), 1);
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "TTM"), 0);
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "../"), 0);
    for (const auto& r : m_fake.Log())
        EXPECT_NE(r.userAgent.find("Mozilla/5.0"), std::string::npos);
    // Nothing but hashed cache files in the cache folder, and nothing beside it.
    for (const auto& f : std::filesystem::recursive_directory_iterator(m_cache.path()))
        EXPECT_TRUE(text::EndsWith(f.path().filename().string(), ".cache")) << f.path();

    // Cached now: the next request asks nobody, the unknown symbol included.
    m_fake.ClearLog();
    EXPECT_EQ(Quotes({"RELIANCE.NS", "NOSUCH.NS"})[0], lines[0]);
    EXPECT_TRUE(m_fake.Log().empty());
}

TEST_F(UpstreamServiceTest, ConcurrentRequestsForOneSymbolMakeOneUpstreamRequest) {
    UpstreamFake::Reply slow{200, UpstreamFake::ChartFor("TCS.NS")};
    slow.delayMs = 400;
    m_fake.Inject(std::string(kChart) + "TCS.NS", slow);
    std::vector<std::string> a, b;
    std::thread first([&] { a = Quotes({"TCS.NS"}); });
    std::thread second([&] { b = Quotes({"^BSESN", "TCS.NS"}); });
    first.join();
    second.join();
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(a[0], b[1]);
    EXPECT_TRUE(text::StartsWith(a[0], "\"TCS.NS\",1412.35,")) << a[0];
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "TCS.NS"), 1);
}

TEST_F(UpstreamServiceTest, AColdBarRequestKeepsToTheBudget) {
    Start(1500);
    std::vector<std::string> symbols = {"^NSEI", "^BSESN", "USDINR=X"};
    for (const auto& c : catalogue::Companies())
        if (symbols.size() < 150 && !c.nseName.empty() && c.nseName != "RELIANCE" &&
            c.nseName != "TCS" && c.nseName != "INFY")
            symbols.push_back(c.nseName + ".NS");
    // Last in the request, so they are not among the first fetched.
    symbols.resize(147);
    symbols.insert(symbols.end(), {"RELIANCE.NS", "TCS.NS", "INFY.NS"});
    const auto lines = Quotes(symbols);
    ASSERT_EQ(lines.size(), 150u);
    // The clock stood still: the burst and nothing more.
    EXPECT_LE(m_fake.Count(kChart), 8);
    EXPECT_GE(m_fake.Count(kChart), 4);
    EXPECT_TRUE(text::StartsWith(lines[0], "\"^NSEI\",23125.60,")) << lines[0];
    // Shares not fetched yet come from the exchange's file of the last session, with
    // that session's date; none gets a zero price.
    int fromFile = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QuoteRecord r;
        ParseQuoteLine(lines[i], r);
        EXPECT_EQ(r.symbol, symbols[i]);
        if (!IsUnknownSymbolLine(lines[i])) {
            EXPECT_GT(r.last, 0) << lines[i];
        }
        fromFile += r.last == 3512.40 || r.last == 1510.60;
    }
    EXPECT_EQ(fromFile, 2); // TCS and INFY
    EXPECT_EQ(m_fake.Count(UpstreamFake::kNseCmFile), 1);

    // A minute on, the next request asks for at most another burst, and does not wait.
    Advance(60);
    m_fake.ClearLog();
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Quotes(symbols).size(), 150u);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(1));
    Source().WaitIdle(300);
    EXPECT_LE(m_fake.Count(kChart), 8);
}

TEST_F(UpstreamServiceTest, RefusedHostGetsNoTrafficUntilItsBackoffEndsAndStaleLinesStay) {
    const std::vector<std::string> symbols = {"^NSEI", "RELIANCE.NS", "TCS.NS"};
    const auto fresh = Quotes(symbols);
    ASSERT_EQ(fresh.size(), 3u);
    Advance(120); // past the minute an open market's quote stays fresh
    m_fake.ClearLog();
    m_fake.Inject(kChart, UpstreamFake::TooMany(300));
    EXPECT_EQ(Quotes(symbols), fresh); // stale lines, at once, with their own date and time
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_fake.Count(kChart) >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the others in flight end
    const int refused = m_fake.Count(kChart);
    EXPECT_GE(refused, 1);
    for (int i = 0; i < 5; ++i) {
        Advance(50);
        EXPECT_EQ(Quotes(symbols), fresh);
        Source().WaitIdle(300);
    }
    EXPECT_EQ(m_fake.Count(kChart), refused); // 250 s of the 300 asked: nothing
    m_fake.ClearInjections();
    Advance(60);
    Quotes(symbols);
    EXPECT_TRUE(testsupport::WaitUntil([&] { return m_fake.Count(kChart) == refused + 3; }));
}

TEST_F(UpstreamServiceTest, UnavailableOnlyWhenNothingIsKnownBecauseOfAFailure) {
    // A cached symbol to mix in.
    ASSERT_EQ(Quotes({"RELIANCE.NS"}).size(), 1u);
    m_fake.Inject(kChart, UpstreamFake::Reply{500, "<html>oops</html>", "text/html"});
    EXPECT_EQ(Get("/d/quotes.csv?s=^NSEI&f=sl1d1t1c1ohgv"), "503");
    EXPECT_EQ(Get("/d/quotes.csv?s=^NSEI,NOSUCH.NS&f=sl1d1t1c1ohgv"), "503");
    // Known to be unknown: an answer, not an outage.
    m_fake.ClearInjections();
    EXPECT_TRUE(IsUnknownSymbolLine(Quotes({"NOSUCH.NS"})[0]));
    m_fake.Inject(kChart, UpstreamFake::Reply{500, "<html>oops</html>", "text/html"});
    const auto mixed = Quotes({"RELIANCE.NS", "^BSESN"});
    ASSERT_EQ(mixed.size(), 2u);
    EXPECT_FALSE(IsUnknownSymbolLine(mixed[0]));
    // Chart data and pictures without anything cached.
    EXPECT_EQ(Get("/instrument/1.0/^BSESN/chartdata;type=quote;range=1d/csv/"), "503");
    EXPECT_EQ(Get("/z?s=^BSESN&t=1d&q=l&l=off&z=m&p=&a=&c="), "503");
}

TEST_F(UpstreamServiceTest, BadUpstreamAnswersNeverBreakAKnownSymbolsLine) {
    ASSERT_EQ(Quotes({"RELIANCE.NS"}).size(), 1u);
    const std::string known = Quotes({"RELIANCE.NS"})[0];
    const std::string f1 = UpstreamFake::Fixture("yahoo_chart_quote_RELIANCE.NS_1d_1d.json");
    UpstreamFake::Reply hang{200, f1};
    hang.delayMs = 4000; // past the request timeout
    UpstreamFake::Reply drop{200, f1};
    drop.dropHalf = true;
    const struct {
        const char* name;
        UpstreamFake::Reply reply;
    } cases[] = {
        {"html instead of json", {200, "<html><body>Oops</body></html>", "text/html"}},
        {"truncated json", {200, f1.substr(0, f1.size() / 2)}},
        {"null fields",
         {200, R"({"chart":{"result":[{"meta":{"symbol":"RELIANCE.NS","regularMarketPrice":null,)"
               R"("regularMarketTime":null}}],"error":null}})"}},
        {"404 page", {404, "<html>Not Found</html>", "text/html"}},
        {"429 text", UpstreamFake::TooMany()},
        {"akamai 403", UpstreamFake::Forbidden()},
        {"crumb 401", UpstreamFake::Unauthorized()},
        {"hanging connection", hang},
        {"dropped body", drop},
    };
    for (const auto& c : cases) {
        Start(); // a fresh gate: no backoff carried over
        Advance(3600);
        m_fake.Inject(kChart, c.reply);
        m_fake.ClearLog();
        // Stale: the line of the last good answer.
        EXPECT_EQ(Quotes({"RELIANCE.NS"})[0], known) << c.name;
        Source().WaitIdle(6000);
        EXPECT_GE(m_fake.Count(kChart), 1) << c.name;
        // Never cached: an outage, not an unknown symbol.
        const std::string fresh = "SYM" + std::to_string(&c - cases) + ".NS";
        EXPECT_EQ(Get("/d/quotes.csv?s=" + fresh + "&f=sl1d1t1c1ohgv"), "503") << c.name;
        m_fake.ClearInjections();
    }
}

TEST_F(UpstreamServiceTest, RestartAnswersFromTheDiskCacheAndDropsCorruptFiles) {
    const std::vector<std::string> symbols = {"^NSEI", "RELIANCE.NS", "NOSUCH.NS"};
    const auto before = Quotes(symbols);
    const std::string chartData = Get("/instrument/1.0/^NSEI/chartdata;type=quote;range=1d/csv/");
    const std::string futures =
        Get("/marketinfo/fo/fomwatchsymbol.jsp?key=RELIANCE&Fut_Opt=Futures");
    Start();
    m_fake.ClearLog();
    EXPECT_EQ(Quotes(symbols), before);
    EXPECT_EQ(Get("/instrument/1.0/^NSEI/chartdata;type=quote;range=1d/csv/"), chartData);
    EXPECT_EQ(Get("/marketinfo/fo/fomwatchsymbol.jsp?key=RELIANCE&Fut_Opt=Futures"), futures);
    EXPECT_TRUE(m_fake.Log().empty());

    // A damaged file is thrown away and the answer asked for again.
    upstream::CacheStore files(m_cache.path());
    const std::string path = files.FileOf("quote/RELIANCE.NS");
    std::string text = testsupport::ReadFile(path);
    ASSERT_FALSE(text.empty());
    text[text.size() - 5] ^= 0x20;
    testsupport::WriteFile(path, text);
    testsupport::WriteFile(files.FileOf("quote/^NSEI"),
                           "koravel-upstream-cache 1\nkey quote/^NSEI");
    Start();
    m_fake.ClearLog();
    EXPECT_EQ(Quotes(symbols), before);
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "RELIANCE.NS"), 1);
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "^NSEI"), 1);
    EXPECT_EQ(m_fake.Count(std::string(kChart) + "NOSUCH.NS"), 0);
}

TEST_F(UpstreamServiceTest, FuturesStatisticsAndToppersFromTheExchangeFiles) {
    const std::string page = Get("/marketinfo/fo/fomwatchsymbol.jsp?key=RELIANCE&Fut_Opt=Futures");
    EXPECT_NE(page.find(">31MAR2026</a></td><td class=\"t1\">-</td><td class=\"t1\">-</td>"
                        "<td class=\"t1\">1428.00</td><td class=\"t1\">1405.10</td>"
                        "<td class=\"t1\">1409.60</td><td class=\"t1\">1419.80</td>"
                        "<td class=\"t1\">48213</td><td class=\"t1\">342315.84</td>"
                        "<td class=\"t1\">1412.35</td>"),
              std::string::npos)
        << page;
    EXPECT_NE(Get("/marketinfo/fo/fomwatchsymbol.jsp?key=NOSUCH&Fut_Opt=Futures")
                  .find("No Records Found"),
              std::string::npos);
    const std::string today = Get("/content/fo/fo_markettoday.htm");
    EXPECT_NE(today.find("Trade Statistics for 12-Mar-2026"), std::string::npos);
    EXPECT_EQ(m_fake.Count(UpstreamFake::kFoFile), 1); // one download serves both pages

    // A toppers batch: no chart requests; the cash-market files of both exchanges.
    std::vector<std::string> batch = {"RELIANCE.NS", "TCS.NS", "INFY.NS"};
    for (int i = 0; i < 25; ++i)
        batch.push_back("X" + std::to_string(i) + ".NS");
    m_fake.ClearLog();
    const auto lines = Quotes(batch, "sl1d1t1c1ohgv");
    ASSERT_EQ(lines.size(), batch.size());
    EXPECT_EQ(lines[1], "\"TCS.NS\",3512.40,\"3/12/2026\",\"3:30pm\",+14.40,3490.00,3521.00,"
                        "3480.50,2120455");
    EXPECT_TRUE(IsUnknownSymbolLine(lines[5]));
    EXPECT_EQ(m_fake.Count(kChart), 0);
    const auto bse = Quotes({"RELIANCE.BO", "TCS.BO", "A.BO", "B.BO", "C.BO", "D.BO", "E.BO",
                             "F.BO",        "G.BO",   "H.BO", "I.BO", "J.BO", "K.BO", "L.BO",
                             "M.BO",        "N.BO",   "O.BO", "P.BO", "Q.BO", "R.BO", "S.BO"},
                            "sl1d1t1c1ohgv");
    EXPECT_TRUE(text::StartsWith(bse[1], "\"TCS.BO\",3511.95,\"3/12/2026\"")) << bse[1];
    EXPECT_EQ(m_fake.Count(UpstreamFake::kBseCmFile), 1);
    EXPECT_EQ(m_fake.Count(kChart), 0);
}

TEST_F(UpstreamServiceTest, ExchangeFilesWalkBackOverHolidaysAndFailures) {
    m_nowMs = UpstreamFake::kInSessionMs + 4 * 86400000LL; // Monday 16th: no file since Thursday
    Start();
    EXPECT_NE(Get("/content/fo/fo_markettoday.htm").find("12-Mar-2026"), std::string::npos);
    // Monday, Friday (Saturday and Sunday are not asked), then Thursday's file.
    EXPECT_EQ(m_fake.Count("/content/fo/"), 3);

    const struct {
        const char* name;
        UpstreamFake::Reply reply;
    } bad[] = {
        {"empty zip", {200, "", "application/zip"}},
        {"corrupt zip", {200, "PK\x03\x04 this is not an archive", "application/zip"}},
        {"unexpected columns",
         {200, UpstreamFake::Zip("f.csv", "SYMBOL,CLOSE\nRELIANCE,1\n"), "application/zip"}},
        {"akamai 403", UpstreamFake::Forbidden()},
        {"an html page", {200, "<html>maintenance</html>", "text/html"}},
    };
    for (const auto& c : bad) {
        testsupport::TempDir cache;
        m_nowMs = UpstreamFake::kInSessionMs;
        m_fake.Inject("/content/", c.reply);
        marketserver::MarketOptions o;
        upstream::UpstreamOptions& u = o.upstream.emplace();
        std::string error;
        ASSERT_TRUE(upstream::ParseUpstreamBases(m_fake.Bases(), u, error));
        u.cacheDir = cache.path();
        u.now = [this] { return m_nowMs.load(); };
        m_market = std::make_unique<marketserver::MarketServer>(std::move(o));
        ASSERT_GT(m_market->Listen(), 0);
        EXPECT_EQ(Get("/content/fo/fo_markettoday.htm"), "503") << c.name;
        EXPECT_EQ(Get("/marketinfo/fo/fomwatchsymbol.jsp?key=RELIANCE&Fut_Opt=Futures"), "503")
            << c.name;
        m_fake.ClearInjections();
    }
}

TEST_F(UpstreamServiceTest, ChartPicturesAndLookup) {
    auto size = [&](const std::string& query) {
        const std::string png = Get("/z?" + query);
        QImage image;
        image.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()),
                           "PNG");
        return image.size();
    };
    EXPECT_EQ(size("s=^NSEI&t=1d&q=l&l=off&z=m&p=&a=&c=^BSESN"), QSize(512, 288));
    EXPECT_EQ(size("s=NOSUCH.NS&t=1y&q=c&l=off&z=m&p=&a=&c="), QSize(512, 288));
    const auto log = m_fake.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log[0].query.find("interval=1m&period1="), std::string::npos) << log[0].query;

    const std::string found = Get("/lookup?s=tata+steel");
    EXPECT_NE(found.find("<b>TATASTEEL.NS</b></td><td>Tata Steel Limited</td><td>NSE</td>"
                         "<td>Equity</td>"),
              std::string::npos)
        << found;
    EXPECT_EQ(m_fake.Log().back().query, "q=tata%20steel&quotesCount=10&newsCount=0");
    m_fake.Inject("/v1/finance/search", UpstreamFake::TooMany());
    EXPECT_NE(Get("/lookup?s=infosys").find("no results"), std::string::npos);
}

TEST_F(UpstreamServiceTest, StopDoesNotWaitForAnUpstreamRequest) {
    Start(30000);
    UpstreamFake::Reply slow{200, UpstreamFake::ChartFor("SLOW.NS")};
    slow.delayMs = 20000;
    m_fake.Inject(kChart, slow);
    std::thread client([&] { Get("/d/quotes.csv?s=SLOW.NS&f=sl1d1t1c1ohgv"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto t0 = std::chrono::steady_clock::now();
    m_market.reset(); // stops the server and its source, and joins every thread
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3));
    client.join();
}

TEST_F(UpstreamServiceTest, CheckReportsFieldsThatWentMissing) {
    upstream::UpstreamOptions o;
    std::string error;
    ASSERT_TRUE(upstream::ParseUpstreamBases(m_fake.Bases(), o, error));
    std::ostringstream all;
    // The fixtures' RELIANCE.NS chart has no trading periods and the exchange files are
    // only there for one day: the check names what it misses.
    const int rc = upstream::RunUpstreamCheck(o, all);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(all.str().find("chart ^NSEI (range=1d&interval=1m): all fields present"),
              std::string::npos)
        << all.str();
    EXPECT_NE(all.str().find("optional, a fallback stands in for: meta.tradingPeriods"),
              std::string::npos)
        << all.str();
    m_fake.Route(
        std::string(kChart) + "^NSEI",
        {200, text::ReplaceAll(UpstreamFake::Fixture("yahoo_chart_intraday_NSEI_1d_1m.json"),
                               "\"regularMarketPrice\"", "\"price\"")});
    std::ostringstream drift;
    upstream::RunUpstreamCheck(o, drift);
    EXPECT_NE(drift.str().find("needed, the answer is not usable without: meta.regularMarketPrice"),
              std::string::npos)
        << drift.str();
}

} // namespace
