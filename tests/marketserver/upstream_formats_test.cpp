// Upstream answers turned into the legacy bytes the program reads: the worked examples of
// the fixtures, and the answers that leave fields out.
#include <gtest/gtest.h>

#include "marketserver/chart_data.h"
#include "marketserver/html_pages.h"
#include "marketserver/quote_csv.h"
#include "marketserver/upstream/aliases.h"
#include "marketserver/upstream/bhavcopy.h"
#include "marketserver/upstream/yahoo_chart.h"
#include "marketserver/upstream/yahoo_search.h"
#include "platform/base/text.h"
#include "quotes/quote_record.h"
#include "support/upstream_fake.h"

namespace {

using testsupport::UpstreamFake;
using namespace upstream;

const std::vector<std::string> kBarCodes = marketserver::ParseFormatCodes("sl1d1t1c1ohgvjk");

upstream::YahooChart Chart(const std::string& json) {
    YahooChart c;
    std::string why;
    EXPECT_EQ(ParseYahooChart(json, c, why), ParseStatus::Ok) << why;
    return c;
}

std::string QuoteLineOf(const std::string& symbol, const std::string& json,
                        const std::vector<std::string>& codes = kBarCodes) {
    const auto q = QuoteFromChart(Chart(json));
    return marketserver::QuoteLine(symbol, q ? &*q : nullptr, codes);
}

std::string Without(std::string json, const std::vector<std::string>& fields) {
    // Drops "field":value pairs of the meta (numbers only).
    for (const std::string& f : fields) {
        const std::size_t at = json.find("\"" + f + "\":");
        if (at == std::string::npos)
            continue;
        const std::size_t end = json.find_first_of(",}", at);
        json.erase(at, end - at + (json[end] == ',' ? 1 : 0));
    }
    return json;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    return text::ReplaceAll(s, from, to);
}

TEST(UpstreamFormatsTest, QuoteLinesFromChartAnswers) {
    const std::string f1 = UpstreamFake::Fixture("yahoo_chart_quote_RELIANCE.NS_1d_1d.json");
    const std::string f2 = UpstreamFake::Fixture("yahoo_chart_intraday_NSEI_1d_1m.json");
    EXPECT_EQ(QuoteLineOf("RELIANCE.NS", f1),
              "\"RELIANCE.NS\",1412.35,\"3/12/2026\",\"3:30pm\",+10.25,1404.00,1421.90,1398.20,"
              "9183421,1114.85,1551.00");
    EXPECT_EQ(QuoteLineOf("^NSEI", f2),
              "\"^NSEI\",23125.60,\"3/12/2026\",\"3:30pm\",+115.20,23031.50,23160.05,23002.75,0,"
              "21743.65,26277.35");
    EXPECT_EQ(QuoteLineOf("RELIANCE.NS", f1, marketserver::ParseFormatCodes("w")),
              "\"1114.85 - 1551.00\"");

    // An answer without the 52-week range, the day's range, the volume, the previous close
    // or the names still gives a line the program takes for a known symbol.
    const std::string bare =
        Without(f1, {"fiftyTwoWeekHigh", "fiftyTwoWeekLow", "regularMarketDayHigh",
                     "regularMarketDayLow", "regularMarketVolume", "previousClose", "priceHint"});
    const std::string line = QuoteLineOf("RELIANCE.NS", Replace(bare, "\"longName\"", "\"x\""));
    EXPECT_FALSE(IsUnknownSymbolLine(line)) << line;
    EXPECT_EQ(line, "\"RELIANCE.NS\",1412.35,\"3/12/2026\",\"3:30pm\",+10.25,1404.00,1421.90,"
                    "1398.20,0,1398.20,1421.90");
    // Not even a bar: open, high and low are the price.
    const std::string noBars =
        Without(Replace(bare, "\"timestamp\":[1773287100],", ""), {"open", "high", "low"});
    EXPECT_EQ(QuoteLineOf("X.NS", noBars),
              "\"X.NS\",1412.35,\"3/12/2026\",\"3:30pm\",+10.25,1412.35,1412.35,1412.35,0,"
              "1412.35,1412.35");

    // Date and time are the exchange's own, whatever its offset from UTC.
    const struct {
        const char* offset;
        const char* date;
        const char* time;
    } zones[] = {{"19800", "3/12/2026", "5:30am"},
                 {"-14400", "3/11/2026", "8:00pm"},
                 {"-18000", "3/11/2026", "7:00pm"}};
    for (const auto& z : zones) {
        std::string json = Replace(f1, "\"regularMarketTime\":1773309600",
                                   "\"regularMarketTime\":1773273600"); // 00:00 UTC
        json = Replace(json, "\"gmtoffset\":19800,\"timezone\"",
                       std::string("\"gmtoffset\":") + z.offset + ",\"timezone\"");
        QuoteRecord r;
        ParseQuoteLine(QuoteLineOf("RELIANCE.NS", json), r);
        EXPECT_EQ(r.date, z.date) << z.offset;
        EXPECT_EQ(r.time, text::ToUpperAscii(z.time)) << z.offset;
    }
}

TEST(UpstreamFormatsTest, UnreadableAnswersAreTold) {
    const struct {
        const char* name;
        std::string body;
        ParseStatus status;
    } cases[] = {
        {"unknown symbol", UpstreamFake::Fixture("yahoo_chart_notfound.json"),
         ParseStatus::NotFound},
        {"html", "<html><body>Will be right back</body></html>", ParseStatus::Malformed},
        {"truncated",
         UpstreamFake::Fixture("yahoo_chart_quote_RELIANCE.NS_1d_1d.json").substr(0, 300),
         ParseStatus::Malformed},
        {"429 text", UpstreamFake::Fixture("yahoo_429_body.txt"), ParseStatus::Malformed},
        {"crumb error", UpstreamFake::Fixture("yahoo_quote_v7_unauthorized.json"),
         ParseStatus::Malformed},
        {"result null",
         R"({"chart":{"result":null,"error":{"code":"Internal","description":"x"}}})",
         ParseStatus::Malformed},
        {"no meta", R"({"chart":{"result":[{"timestamp":[1]}],"error":null}})",
         ParseStatus::Malformed},
        {"timestamps of text",
         R"({"chart":{"result":[{"meta":{"symbol":"A"},"timestamp":["x"]}],"error":null}})",
         ParseStatus::Malformed},
    };
    for (const auto& c : cases) {
        YahooChart chart;
        std::string why;
        EXPECT_EQ(ParseYahooChart(c.body, chart, why), c.status) << c.name;
    }
    // Readable, but no price anywhere: nothing to quote.
    const std::string noPrice =
        R"({"chart":{"result":[{"meta":{"symbol":"A","regularMarketPrice":null}}],"error":null}})";
    EXPECT_FALSE(QuoteFromChart(Chart(noPrice)));
}

TEST(UpstreamFormatsTest, ChartDataKeepsItsHeaderLength) {
    const auto oneDay = text::SplitLines(marketserver::ChartDataCsv(
        "^NSEI", 1,
        ChartDataSheetFromChart(
            Chart(UpstreamFake::Fixture("yahoo_chart_intraday_NSEI_1d_1m.json")))));
    ASSERT_EQ(oneDay.size(), 14u + 3); // the minute without a trade is left out
    EXPECT_EQ(oneDay[0], "uri:/instrument/1.0/^NSEI/chartdata;type=quote;range=1d/csv/");
    EXPECT_EQ(oneDay[2], "Company-Name:NIFTY 50");
    EXPECT_EQ(oneDay[3], "Exchange-Name:NSE");
    EXPECT_EQ(oneDay[5], "timezone:IST");
    EXPECT_EQ(oneDay[6], "gmtoffset:19800");
    EXPECT_EQ(oneDay[7], "previous_close:23010.4000");
    EXPECT_EQ(oneDay[8], "Timestamp:1773287100,1773309600");
    EXPECT_EQ(oneDay[9], "labels:1773289800,1773293400,1773297000,1773300600,1773304200,"
                         "1773307800");
    EXPECT_EQ(oneDay[13], "low:23028.3000,23118.7500");
    EXPECT_EQ(oneDay[14], "1773287100,23040.1000,23044.9000,23028.3000,23031.5000,0");
    EXPECT_EQ(oneDay[16], "1773309540,23125.6000,23128.3000,23118.7500,23120.0000,0");

    // Five days asked, four came: still five range lines, the oldest repeated.
    const auto fiveDays = text::SplitLines(marketserver::ChartDataCsv(
        "^NSEI", 5,
        ChartDataSheetFromChart(Chart(UpstreamFake::Fixture("yahoo_chart_5d_4days_NSEI.json")))));
    ASSERT_EQ(fiveDays.size(), 19u + 5);
    for (int i = 9; i < 14; ++i)
        EXPECT_TRUE(text::StartsWith(fiveDays[i], "TimeStamp-Ranges:{date:")) << fiveDays[i];
    EXPECT_EQ(fiveDays[9], fiveDays[10]);
    EXPECT_EQ(fiveDays[10], "TimeStamp-Ranges:{date:20260309,min:1773027900,max:1773050400}");
    EXPECT_EQ(fiveDays[13], "TimeStamp-Ranges:{date:20260312,min:1773287100,max:1773309600}");
    EXPECT_EQ(fiveDays[18].substr(0, 4), "low:");
    EXPECT_EQ(fiveDays[23], "1773287400,23046.5500,23050.0000,23036.2000,23040.1000,0");
}

TEST(UpstreamFormatsTest, FuturesAndStatisticsFromTheExchangeFile) {
    UdiffTable fo;
    std::string why;
    ASSERT_TRUE(fo.Parse(UpstreamFake::Fixture("nse_fo_udiff_20260312.csv"),
                         RequiredColumns(BhavcopyKind::NseFutures), why, {"STF", "IDF"}))
        << why;
    EXPECT_EQ(fo.Rows(), 4u); // the option row is not kept

    marketserver::FuturesTable table;
    ASSERT_TRUE(FuturesFromUdiff(fo, "reliance", table));
    ASSERT_EQ(table.contracts.size(), 3u);
    EXPECT_FALSE(table.isIndex);
    auto row = [](const marketserver::FuturesContract& c) {
        return c.expiry + " " + text::FormatFixed(c.high, 2) + " " + text::FormatFixed(c.low, 2) +
               " " + text::FormatFixed(c.prevClose, 2) + " " + text::FormatFixed(c.last, 2) + " " +
               std::to_string(c.contracts) + " " + text::FormatFixed(c.turnoverLakh, 2) + " " +
               text::FormatFixed(c.underlying, 2);
    };
    EXPECT_EQ(row(table.contracts[0]),
              "31MAR2026 1428.00 1405.10 1409.60 1419.80 48213 342315.84 1412.35");
    EXPECT_EQ(table.contracts[1].expiry, "28APR2026");
    EXPECT_EQ(table.contracts[2].expiry, "26MAY2026");
    ASSERT_TRUE(FuturesFromUdiff(fo, "NIFTY", table));
    EXPECT_TRUE(table.isIndex);
    EXPECT_EQ(table.contracts.size(), 1u);
    EXPECT_FALSE(FuturesFromUdiff(fo, "NOSUCH", table));

    const std::string page = marketserver::FuturesPage("RELIANCE", &table);
    EXPECT_NE(page.find("FUTIDX"), std::string::npos);

    marketserver::TradeStatistics stats;
    ASSERT_TRUE(StatisticsFromUdiff(fo, stats));
    const std::string today = marketserver::MarketTodayPage(stats);
    EXPECT_NE(today.find("Trade Statistics for 12-Mar-2026<"), std::string::npos);
    EXPECT_NE(today.find("Index Futures</TD><TD class=\"t1\">120450</TD><TD class=\"t1\">"
                         "18124.71<"),
              std::string::npos)
        << today;
    EXPECT_NE(today.find("Stock Futures</TD><TD class=\"t1\">53943</TD><TD class=\"t1\">"
                         "3831.32<"),
              std::string::npos)
        << today;
}

TEST(UpstreamFormatsTest, ExchangeFilesOfAnotherShapeAreRefused) {
    const std::string fo = UpstreamFake::Fixture("nse_fo_udiff_20260312.csv");
    const struct {
        const char* name;
        std::string csv;
        bool ok;
    } cases[] = {
        {"as published", fo, true},
        {"columns in another order",
         Replace(Replace(fo, "TradDt,BizDt", "BizDt,TradDt"), "2026-03-12,2026-03-12",
                 "2026-03-12,2026-03-12"),
         true},
        {"a column renamed", Replace(fo, "TtlTrfVal", "TurnoverValue"), false},
        {"the old layout", "SYMBOL,SERIES,OPEN,HIGH,LOW,CLOSE\nRELIANCE,EQ,1,2,3,4\n", false},
        {"header only", fo.substr(0, fo.find('\n') + 1), false},
        {"empty", "", false},
        {"an html page", UpstreamFake::Fixture("nse_403_akamai.html"), false},
    };
    for (const auto& c : cases) {
        UdiffTable t;
        std::string why;
        EXPECT_EQ(t.Parse(c.csv, RequiredColumns(BhavcopyKind::NseFutures), why, {"STF", "IDF"}),
                  c.ok)
            << c.name << ": " << why;
    }
}

TEST(UpstreamFormatsTest, CashFilesGiveEndOfDayQuotes) {
    UdiffTable cm;
    std::string why;
    ASSERT_TRUE(cm.Parse(UpstreamFake::Fixture("nse_cm_udiff_20260312.csv"),
                         RequiredColumns(BhavcopyKind::NseCash), why));
    const auto quotes = QuotesFromCash(cm, BhavcopyKind::NseCash);
    ASSERT_EQ(quotes.count("INFY"), 1u);
    const auto& infy = quotes.at("INFY"); // series EQ, not BE; a name with a comma
    EXPECT_EQ(infy.last, 1510.60);
    EXPECT_EQ(infy.name, "INFOSYS LIMITED, BANGALORE");
    const auto& reliance = quotes.at("RELIANCE");
    EXPECT_EQ(marketserver::QuoteLine("RELIANCE.NS", &reliance,
                                      marketserver::ParseFormatCodes("sl1d1t1c1ohgv")),
              "\"RELIANCE.NS\",1412.35,\"3/12/2026\",\"3:30pm\",+10.25,1404.00,1421.90,1398.20,"
              "9183421");
}

TEST(UpstreamFormatsTest, LookupRowsIndianFirst) {
    std::vector<marketserver::LookupRow> rows;
    std::string why;
    const std::string mixed =
        R"({"quotes":[{"exchange":"NYQ","symbol":"TTM","longname":"Tata Motors ADR","exchDisp":"NYSE","typeDisp":"equity"},)"
        R"({"index":"news","title":"no symbol here"},)"
        R"({"exchange":"BSE","symbol":"TATASTEEL.BO","shortname":"TATA STEEL LTD.","exchDisp":"BSE","typeDisp":"EQUITY"},)"
        R"({"exchange":"NSI","symbol":"TATASTEEL.NS","longname":"Tata Steel Limited","exchDisp":"NSE","typeDisp":"Equity"}]})";
    ASSERT_EQ(ParseYahooSearch(mixed, rows, why), ParseStatus::Ok);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].symbol, "TATASTEEL.BO");
    EXPECT_EQ(rows[0].name, "TATA STEEL LTD.");
    EXPECT_EQ(rows[0].type, "Equity");
    EXPECT_EQ(rows[1].symbol, "TATASTEEL.NS");
    EXPECT_EQ(rows[2].symbol, "TTM");
    EXPECT_EQ(ParseYahooSearch("<html>", rows, why), ParseStatus::Malformed);
}

TEST(UpstreamFormatsTest, AliasesTrimAndRetire) {
    const AliasTable& t = AliasTable::Default();
    EXPECT_GE(t.Size(), 5u);
    EXPECT_EQ(t.Resolve("^FTSE ").symbol, "^FTSE");
    EXPECT_EQ(t.Resolve("reliance.ns").symbol, "RELIANCE.NS");
    EXPECT_EQ(t.Resolve("^MIBTEL").symbol, "FTSEMIB.MI");
    EXPECT_TRUE(t.Resolve("TTM").retired);
    int skipped = 0;
    const AliasTable parsed =
        AliasTable::Parse("legacy,upstream\n# a note\nA,B\n../X,Y\nC,retired\nD\n", &skipped);
    EXPECT_EQ(parsed.Size(), 2u);
    EXPECT_EQ(skipped, 2); // a path is not a symbol; a line without its second field
    // The symbol is echoed as the program sent it, blank and all.
    const auto q = QuoteFromChart(Chart(UpstreamFake::ChartFor("^FTSE")));
    EXPECT_EQ(marketserver::QuoteLine("^ftse ", &*q, marketserver::ParseFormatCodes("s")),
              "\"^FTSE \"");
}

} // namespace
