#include <cstdint>

#include <gtest/gtest.h>

#include "platform/inet/service_url.h"
#include "quotes/quote_record.h"
#include "quotes/quote_request.h"

namespace {

TEST(ParseQuoteLineTest, ElevenFieldLine) {
    QuoteRecord r;
    ParseQuoteLine(
        "\"^NSEI\",110.50,\"6/5/2008\",\"4:00pm\",+10.50,101.00,112.00,100.00,0,90.00,150.00", r);
    EXPECT_EQ(r.symbol, "^NSEI");
    EXPECT_DOUBLE_EQ(r.last, 110.5);
    EXPECT_EQ(r.date, "6/5/2008");
    EXPECT_EQ(r.time, "4:00PM");
    EXPECT_FLOAT_EQ(r.change, 10.5f);
    EXPECT_DOUBLE_EQ(r.open, 101);
    EXPECT_DOUBLE_EQ(r.high, 112);
    EXPECT_DOUBLE_EQ(r.low, 100);
    EXPECT_EQ(r.volume, 0);
    EXPECT_DOUBLE_EQ(r.yearLow, 90);
    EXPECT_DOUBLE_EQ(r.yearHigh, 150);
    EXPECT_FLOAT_EQ(r.changePercent, 0.0f); // derived only by the consumer
    ComputeChangePercent(r);
    EXPECT_FLOAT_EQ(r.changePercent, 10.5f);
}

TEST(ParseQuoteLineTest, UnknownSymbolGivesNaTextsAndZeros) {
    QuoteRecord r;
    r.last = 5; // a record is overwritten in place
    const std::string line = "\"NOSUCH.NS\",N/A,\"N/A\",\"N/A\",N/A,N/A,N/A,N/A,N/A,N/A,N/A";
    ParseQuoteLine(line, r);
    EXPECT_EQ(r.symbol, "NOSUCH.NS");
    EXPECT_EQ(r.date, "N/A");
    EXPECT_EQ(r.time, "N/A");
    for (double v : {r.last, r.open, r.high, r.low, r.yearLow, r.yearHigh})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(r.change, 0);
    EXPECT_EQ(r.volume, 0);
    EXPECT_TRUE(IsUnknownSymbolLine(line));
    EXPECT_FALSE(IsUnknownSymbolLine("\"RELIANCE.NS\",2900.00"));
}

TEST(ParseQuoteLineTest, QuotedCommaShiftsLaterFields) {
    QuoteRecord r;
    ParseQuoteLine(
        "\"A.NS\",10.00,\"6/5/2008\",\"4:00pm\",+1.00,9.00,11.00,8.00,\"1,234\",5.00,20.00", r);
    EXPECT_EQ(r.volume, 1);           // "1 ends the piece there
    EXPECT_DOUBLE_EQ(r.yearLow, 234); // and 234" lands in the next field
    EXPECT_DOUBLE_EQ(r.yearHigh, 5);
}

TEST(ParseQuoteLineTest, ShortAndForeignLines) {
    QuoteRecord r;
    r.yearLow = 1;
    r.yearHigh = 2;
    ParseQuoteLine("\"B.BO\",50.25,\"6/5/2008\",\"10:05am\",-0.75,51.00,51.50,50.00,1200", r);
    EXPECT_DOUBLE_EQ(r.last, 50.25);
    EXPECT_FLOAT_EQ(r.change, -0.75f);
    EXPECT_EQ(r.volume, 1200);
    EXPECT_EQ(r.yearLow, 0); // an 11-field parse that finds no such field
    EXPECT_EQ(r.yearHigh, 0);

    QuoteRecord nine;
    nine.yearLow = 7;
    nine.yearHigh = 9;
    ParseQuoteLine9("\"B.BO\",50.25,\"6/5/2008\",\"10:05am\",-0.75,51.00,51.50,50.00,1200,3,4",
                    nine);
    EXPECT_EQ(nine.volume, 1200);
    EXPECT_EQ(nine.yearLow, 7); // the 9-field parse leaves them alone
    EXPECT_EQ(nine.yearHigh, 9);

    QuoteRecord html;
    ParseQuoteLine("<html><head><title>Service Unavailable</title></head>", html);
    EXPECT_EQ(html.symbol, "<html><head><title>Service Unavailable</title></head>");
    EXPECT_EQ(html.last, 0);
    EXPECT_EQ(html.date, "");

    QuoteRecord empty;
    ParseQuoteLine("", empty);
    EXPECT_EQ(empty.symbol, "");
    EXPECT_EQ(empty.last, 0);

    QuoteRecord spaced;
    ParseQuoteLine(" \"C.NS\" , 12.5 ,\"1/2/2026\", \"9:15am\" , +0.5 ,1,2,3, 42 ,4,5", spaced);
    EXPECT_EQ(spaced.symbol, "C.NS");
    EXPECT_DOUBLE_EQ(spaced.last, 12.5);
    EXPECT_EQ(spaced.time, "9:15AM");
    EXPECT_EQ(spaced.volume, 42);

    // Volumes beyond 32 bits saturate.
    ParseQuoteLine("\"X\",1,\"d\",\"t\",0,1,1,1,9876543210,1,1", r);
    EXPECT_EQ(r.volume, INT32_MAX);
    ParseQuoteLine("\"X\",1,\"d\",\"t\",0,1,1,1,-9876543210,1,1", r);
    EXPECT_EQ(r.volume, INT32_MIN);
}

TEST(ChangePercentTest, BaseIsLastMinusChange) {
    EXPECT_FLOAT_EQ(ChangePercent(110, 10), 10.0f);
    EXPECT_FLOAT_EQ(ChangePercent(90, -10), -10.0f);
    EXPECT_EQ(ChangePercent(25.5, 25.5f), 0.0f); // previous close 0: no division
    EXPECT_EQ(ChangePercent(0, 0), 0.0f);
    EXPECT_NEAR(ChangePercent(24673.35, 4.49f), 0.018201, 1e-6); // NIFTY's 0.02 on the bar
}

TEST(QuoteRequestTest, SymbolFormsAndRequestUrl) {
    EXPECT_EQ(QuoteSymbol("RELIANCE", "NSE"), "RELIANCE.NS");
    EXPECT_EQ(QuoteSymbol("RELIANCE", "BSE"), "RELIANCE.BO");
    EXPECT_EQ(QuoteSymbol("RELIANCE", "nse"), "RELIANCE.BO"); // only exactly "NSE"
    EXPECT_EQ(QuoteSymbol("M&M", ""), "M&M.BO");

    inet::ResetMarketConfig();
    inet::SetCommandLineMarket("http://quotes.test:81");
    EXPECT_EQ(BuildQuoteRequest({"^NSEI", "^BSESN", "USDINR=X", ""}, kQuoteFormatFull),
              "http://quotes.test:81/d/quotes.csv?s=^NSEI,^BSESN,USDINR=X,&f=sl1d1t1c1ohgvjk");
    EXPECT_EQ(BuildQuoteRequest("M&M.NS", kQuoteFormatRange),
              "http://quotes.test:81/d/quotes.csv?s=M%26M.NS&f=w");
    inet::ResetMarketConfig();
}

} // namespace
