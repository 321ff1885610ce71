// The quote lines and the list numbers are read and written by fast code; these tests hold
// it to the plain reading of the rules (the C library's conversions, printf's "%.2f") on a
// large corpus: every line the simulated market writes, and odd lines made at random.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "marketserver/market_server.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"
#include "quotes/indian_number.h"
#include "quotes/quote_record.h"
#include "support/test_market.h"

namespace {

// ---- the rules read plainly ------------------------------------------------------------

double PlainStrToD(const std::string& s) {
    // The decimal prefix (sign, digits, point, exponent) as strtod reads it; no hex, no inf.
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    bool any = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i, any = true;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i)
            any = true;
    if (!any)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-'))
            ++e;
        if (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) {
            while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e])))
                ++e;
            i = e;
        }
    }
    const double v = std::strtod(s.substr(start, i - start).c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

std::int32_t PlainStrToL32(const std::string& s) {
    const long long v = std::strtoll(s.c_str(), nullptr, 10);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(v);
}

std::string Clean(std::string piece) {
    std::string out;
    for (char c : piece)
        if (c != '"' && c != ',')
            out += c;
    return text::Trim(out);
}

QuoteRecord PlainParse(const std::string& line, int n) {
    std::vector<std::string> p(static_cast<std::size_t>(n));
    std::size_t pos = 0;
    for (int i = 0; i < n && pos <= line.size(); ++i) {
        std::size_t comma = line.find(',', pos);
        if (comma == std::string::npos)
            comma = line.size();
        p[static_cast<std::size_t>(i)] = Clean(line.substr(pos, comma - pos));
        pos = comma + 1;
    }
    QuoteRecord r;
    r.symbol = p[0];
    r.last = PlainStrToD(p[1]);
    r.date = p[2];
    r.time = text::ToUpperAscii(p[3]);
    r.change = static_cast<float>(PlainStrToD(p[4]));
    r.open = PlainStrToD(p[5]);
    r.high = PlainStrToD(p[6]);
    r.low = PlainStrToD(p[7]);
    r.volume = PlainStrToL32(p[8]);
    if (n == 11) {
        r.yearLow = PlainStrToD(p[9]);
        r.yearHigh = PlainStrToD(p[10]);
    }
    return r;
}

std::string PlainIndian(double value) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    std::string s = buf, sign;
    if (!s.empty() && s[0] == '-') {
        sign = "-";
        s.erase(0, 1);
    }
    if (s.size() > 6) {
        std::size_t point = s.find('.');
        if (point == std::string::npos)
            point = s.size();
        for (std::size_t pos = point >= 3 ? point - 3 : 0; pos > 0; pos = pos >= 2 ? pos - 2 : 0)
            s.insert(pos, 1, ',');
    }
    return sign + s;
}

// ---- the corpus ------------------------------------------------------------------------

std::vector<std::string> MarketLines() {
    marketserver::MarketServer market(testsupport::MarketOptionsAt());
    std::string target = "/d/quotes.csv?s=";
    bool first = true;
    for (const auto& s : market.Engine().universe().Symbols()) {
        target += (first ? "" : ",") + inet::EncodeUrlText(s);
        first = false;
    }
    target += ",NOSUCH.NS&f=sl1d1t1c1ohgvjk";
    return text::SplitLines(market.QuoteResponse(target));
}

std::vector<std::string> OddLines(int count) {
    static const char* kPieces[] = {
        "\"RELIANCE.NS\"",
        "\"M&M.NS\"",
        "N/A",
        "",
        " ",
        "\"\"",
        "\"",
        "110.50",
        "+10.50",
        "-0.25",
        " 42 ",
        "1e3",
        "1E-2",
        "5.",
        ".5",
        "-.",
        "1e",
        "1e+",
        "0x1A",
        "inf",
        "-nan",
        "NaN",
        "1e400",
        "-1e400",
        "1e-400",
        "4.9e-324",
        "2.2250738585072014e-308",
        "179769313486231570000000000000000000000000000000000000000000000000000000000000000000"
        "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
        "0000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
        "000000000000000000000000000000000000000000000000000000000",
        "0.1",
        "123456789012345678901234567890",
        "9999999999",
        "-2147483648",
        "2147483647",
        "2147483648",
        "-99999999999",
        "\"6/5/2008\"",
        "\"4:00pm\"",
        "\"12\"3",
        "1\"2.5\"",
        "\t7\r",
        "abc",
        "12abc",
        "00012.5000",
        "-0",
        "+",
        "++1",
        "1.2.3",
        "\"a b\"  ",
        "3.14159265358979323846264338327950288",
        "0.000000000000000000000000001"};
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> fields(0, 14);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
        std::string line;
        for (int f = 0, n = fields(rng); f < n; ++f)
            line += (f ? "," : "") + std::string(kPieces[piece(rng)]);
        lines.push_back(line);
    }
    return lines;
}

void ExpectSame(const QuoteRecord& a, const QuoteRecord& b, const std::string& line) {
    EXPECT_EQ(a.symbol, b.symbol) << line;
    EXPECT_EQ(a.date, b.date) << line;
    EXPECT_EQ(a.time, b.time) << line;
    // Bit for bit: -0 and 0 differ on screen ("-0.00").
    for (auto [x, y] : {std::pair{a.last, b.last},
                        {a.open, b.open},
                        {a.high, b.high},
                        {a.low, b.low},
                        {a.yearLow, b.yearLow},
                        {a.yearHigh, b.yearHigh}})
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << line << ": " << x << " vs " << y;
    EXPECT_EQ(std::memcmp(&a.change, &b.change, sizeof a.change), 0) << line;
    EXPECT_EQ(a.volume, b.volume) << line;
}

TEST(ParseEquivalenceTest, EveryMarketLineAndOddLinesReadAsTheCLibraryReadsThem) {
    std::vector<std::string> lines = MarketLines();
    ASSERT_GT(lines.size(), 1000u);
    const std::vector<std::string> odd = OddLines(20000);
    lines.insert(lines.end(), odd.begin(), odd.end());
    for (const std::string& line : lines) {
        QuoteRecord fast11, fast9;
        ParseQuoteLine(line, fast11);
        ParseQuoteLine9(line, fast9);
        ExpectSame(fast11, PlainParse(line, 11), line);
        ExpectSame(fast9, PlainParse(line, 9), line);
        if (HasFailure())
            return; // one line is enough to see what is wrong
    }
    // A record is filled in place: what an earlier line left is overwritten.
    QuoteRecord reused;
    ParseQuoteLine(lines[0], reused);
    ParseQuoteLine("\"X\"", reused);
    ExpectSame(reused, PlainParse("\"X\"", 11), "\"X\"");
}

TEST(ParseEquivalenceTest, IndianNumbersAreThePrintfTextWithItsCommas) {
    std::vector<double> values = {
        0.0, -0.0, 0.004, -0.004, 0.005, 999.995, 9999.99, 99999.995, 1e6, -1e6, 123456789.125,
        1e20, -1e20, 1e300, -1e308, 5e-324, NAN, INFINITY,
        // ties in binary (to even), and both sides of the quick way
        0.125, -0.125, 0.375, 2.675, 1e15 + 0.125, 9.0e16, 1.44e17, 1.45e17, -1.8e17, 2.5e-3};
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> uniform(-1e7, 1e7);
    std::uniform_int_distribution<int> exponent(-10, 40);
    for (int i = 0; i < 20000; ++i)
        values.push_back(uniform(rng) * std::pow(10.0, exponent(rng) - 7));
    for (double v : values)
        ASSERT_EQ(FormatIndianNumber(v), PlainIndian(v)) << v;
    for (std::int64_t v : {0LL, 999LL, 1000LL, -123456LL, 2147483647LL, 12345678901LL})
        EXPECT_EQ(FormatIndianVolume(v),
                  PlainIndian(static_cast<double>(v))
                      .substr(0, PlainIndian(static_cast<double>(v)).size() - 3));
}

} // namespace
