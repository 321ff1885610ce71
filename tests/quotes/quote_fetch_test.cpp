#include <atomic>

#include <gtest/gtest.h>

#include "marketserver/market_server.h"
#include "platform/inet/service_url.h"
#include "quotes/line_fetch.h"
#include "quotes/quote_fetcher.h"
#include "quotes/quote_record.h"
#include "quotes/quote_request.h"
#include "support/posted_messages.h"
#include "support/scripted_server.h"
#include "support/suite_market.h"

namespace {

using testsupport::PostedMessages;

class QuoteFetchTest : public testsupport::SuiteMarketTest<> {
protected:
    // Runs the worker on this thread and returns the wParam it posted.
    static msg::WPARAM RunWorker(const std::string& url) {
        PostedMessages posted;
        auto job = std::make_unique<LineFetchJob>();
        job->url = url;
        job->poster = posted.Poster();
        EXPECT_EQ(QuoteFetchWorker(std::move(job)), 1);
        auto m = posted.Next(std::chrono::milliseconds(0));
        EXPECT_TRUE(m);
        EXPECT_EQ(m->message, msg::WM_QUOTES_READY);
        EXPECT_EQ(m->lParam, 0);
        return m->wParam;
    }
};

TEST_F(QuoteFetchTest, CompleteReadFillsQuoteLinesInRequestOrder) {
    QuoteLines.RemoveAll();
    QuoteLines.Add("stale");
    const std::string url = BuildQuoteRequest(
        {"^NSEI", "^BSESN", "USDINR=X", "RELIANCE.NS", "M&M.NS", "NOSUCH.NS"}, kQuoteFormatFull);
    EXPECT_EQ(RunWorker(url), 1u);

    const auto lines = QuoteLines.Copy();
    ASSERT_EQ(lines.size(), 6u);
    const char* symbols[] = {"^NSEI", "^BSESN", "USDINR=X", "RELIANCE.NS", "M&M.NS", "NOSUCH.NS"};
    for (int i = 0; i < 6; ++i) {
        QuoteRecord r;
        ParseQuoteLine(lines[i], r);
        EXPECT_EQ(r.symbol, symbols[i]);
        EXPECT_EQ(lines[i].find('\r'), std::string::npos) << "the service ends lines with CR LF";
        EXPECT_EQ(r.last > 0, i < 5) << lines[i];
    }
    EXPECT_TRUE(IsUnknownSymbolLine(lines[5]));

    const auto log = s_market->RequestLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].userAgent, "Main session");
    EXPECT_EQ(log[0].query,
              "s=^NSEI,^BSESN,USDINR=X,RELIANCE.NS,M%26M.NS,NOSUCH.NS&f=sl1d1t1c1ohgvjk");
}

TEST_F(QuoteFetchTest, FailedOpenKeepsThePreviousLinesAndADropFails) {
    QuoteLines.RemoveAll();
    QuoteLines.Add("previous response");
    s_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Http500, 1));
    EXPECT_EQ(RunWorker(BuildQuoteRequest("^NSEI", kQuoteFormatFull)), 0u);
    EXPECT_EQ(QuoteLines.Copy(), std::vector<std::string>{"previous response"});

    std::string closedPort;
    {
        testsupport::ScriptedServer gone;
        closedPort = gone.BaseUrl();
    }
    EXPECT_EQ(RunWorker(closedPort + "/d/quotes.csv?s=^NSEI&f=sl1d1t1c1ohgvjk"), 0u);
    EXPECT_EQ(QuoteLines.Copy(), std::vector<std::string>{"previous response"});

    // A connection dropped mid-body fails the fetch too.
    s_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Drop, 1));
    EXPECT_EQ(RunWorker(BuildQuoteRequest({"^NSEI", "^BSESN", "USDINR=X", "TCS.NS", "INFY.NS"},
                                          kQuoteFormatFull)),
              0u);
    EXPECT_LT(QuoteLines.GetSize(), 5u);
}

TEST_F(QuoteFetchTest, LinesAreTrimmedAndBlankLinesKept) {
    testsupport::ScriptedServer server;
    server.SetReply({200, "  \"A.NS\",1.00  \r\n\r\n\t\"B.NS\",2.00\r\n", "text/plain"});
    EXPECT_EQ(RunWorker(server.BaseUrl() + "/d/quotes.csv?s=A.NS,,B.NS"), 1u);
    EXPECT_EQ(QuoteLines.Copy(), (std::vector<std::string>{"\"A.NS\",1.00", "", "\"B.NS\",2.00"}));
}

TEST_F(QuoteFetchTest, OneFetchInFlightAtATime) {
    s_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, "", 1500));
    PostedMessages posted;
    QuoteFetcher fetcher;
    int built = 0;
    auto build = [&] {
        ++built;
        return BuildQuoteRequest({"^NSEI", "^BSESN", "USDINR=X"}, kQuoteFormatFull);
    };
    EXPECT_TRUE(fetcher.StartQuoteFetch(build, posted.Poster()));
    EXPECT_TRUE(fetcher.IsBusy());
    EXPECT_FALSE(fetcher.StartQuoteFetch(build, posted.Poster())); // a tick during the fetch
    EXPECT_EQ(built, 1);

    auto done = posted.Next();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->wParam, 1u);
    EXPECT_TRUE(fetcher.IsBusy()); // until the handler says so
    fetcher.OnQuotesReady();
    EXPECT_FALSE(fetcher.IsBusy());
    EXPECT_EQ(s_market->RequestLog().size(), 1u);
    EXPECT_EQ(QuoteLines.GetSize(), 3u);

    EXPECT_TRUE(fetcher.StartQuoteFetch(build, posted.Poster()));
    ASSERT_TRUE(posted.Next());
    fetcher.OnQuotesReady();
    EXPECT_EQ(s_market->RequestLog().size(), 2u);
    EXPECT_EQ(posted.Count(), 2u);
}

TEST_F(QuoteFetchTest, EndingTheProgramCancelsAFetchInFlight) {
    s_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, "", 30000));
    PostedMessages posted;
    {
        QuoteFetcher fetcher;
        EXPECT_TRUE(fetcher.StartQuoteFetch(
            [] { return BuildQuoteRequest("^NSEI", kQuoteFormatFull); }, posted.Poster()));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } // the destructor cancels the transfer and joins the worker
    auto m = posted.Next(std::chrono::milliseconds(0));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->wParam, 0u);
    s_market->ClearFaults();
}

} // namespace
