#include <gtest/gtest.h>

#include "platform/inet/service_url.h"
#include "support/temp_dir.h"

namespace {

using testsupport::ScopedEnv;

TEST(ServiceUrlTest, EncodesOnlyWhatARequestLineCannotCarry) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"^NSEI,^BSESN,USDINR=X", "^NSEI,^BSESN,USDINR=X"},
        {"^FTSE ", "^FTSE%20"},
        {"M&M.NS", "M%26M.NS"},
        {"a#b%c+d", "a%23b%25c%2Bd"},
        {"BSE-AUTO.BO", "BSE-AUTO.BO"},
        {"x\ty\r\n", "x%09y%0D%0A"},
        {"caf\xc3\xa9", "caf%C3%A9"},
        {"/chartdata;type=quote;range=1d/csv/", "/chartdata;type=quote;range=1d/csv/"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(inet::EncodeUrlText(c.in), c.out) << c.in;
}

TEST(ServiceUrlTest, BuildsPathAndQueryOnABase) {
    EXPECT_EQ(inet::BuildUrl("http://h:8/", "/d/quotes.csv", {{"s", "^FTSE ,M&M.NS"}, {"f", "w"}}),
              "http://h:8/d/quotes.csv?s=^FTSE%20,M%26M.NS&f=w");
    EXPECT_EQ(inet::BuildUrl("http://h/prefix", "/z", {{"s", "X.NS"}, {"t", "1d"}, {"p", ""}}),
              "http://h/prefix/z?s=X.NS&t=1d&p=");
    EXPECT_EQ(
        inet::BuildUrl("http://h", "/instrument/1.0/M&M.NS/chartdata;type=quote;range=5d/csv/"),
        "http://h/instrument/1.0/M%26M.NS/chartdata;type=quote;range=5d/csv/");
}

TEST(ServiceUrlTest, BasesResolveInOrder) {
    inet::ResetMarketConfig();
    ScopedEnv market("KORAVEL_MARKET_URL", std::nullopt);
    ScopedEnv quote("KORAVEL_QUOTE_URL", std::nullopt);
    ScopedEnv nse("KORAVEL_NSE_URL", std::nullopt);
    for (auto s : {inet::Service::Chart, inet::Service::ChartData, inet::Service::Lookup})
        unsetenv(inet::ServiceEnvVar(s));

    EXPECT_EQ(inet::ServiceBase(inet::Service::Quote), "");
    EXPECT_TRUE(inet::NeedsEmbeddedMarket());

    inet::SetEmbeddedMarket("http://127.0.0.1:1/");
    EXPECT_EQ(inet::ServiceBase(inet::Service::Quote), "http://127.0.0.1:1");

    setenv("KORAVEL_MARKET_URL", "http://env-market", 1);
    EXPECT_EQ(inet::ServiceBase(inet::Service::Quote), "http://env-market");
    EXPECT_FALSE(inet::NeedsEmbeddedMarket());

    inet::SetCommandLineMarket("http://cmdline/");
    EXPECT_EQ(inet::ServiceBase(inet::Service::Nse), "http://cmdline");

    setenv("KORAVEL_QUOTE_URL", "http://quotes.example/", 1);
    EXPECT_EQ(inet::ServiceBase(inet::Service::Quote), "http://quotes.example");
    EXPECT_EQ(inet::ServiceBase(inet::Service::Lookup), "http://cmdline");
    EXPECT_EQ(inet::BuildServiceUrl(inet::Service::Quote, "/d/quotes.csv", {{"s", "A"}}),
              "http://quotes.example/d/quotes.csv?s=A");

    inet::ResetMarketConfig();
    unsetenv("KORAVEL_MARKET_URL");
    unsetenv("KORAVEL_QUOTE_URL");
    EXPECT_TRUE(inet::NeedsEmbeddedMarket());
}

} // namespace
