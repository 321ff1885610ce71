#include <cstdio>

#include <gtest/gtest.h>

#include "platform/base/text.h"
#include "platform/base/validate.h"

namespace {

TEST(TextTest, CStrToDReadsLikeTheCLibrary) {
    struct Case {
        const char* in;
        double out;
    };
    const Case cases[] = {
        {"110.50", 110.5},
        {"+10.25", 10.25},
        {"  -3.5", -3.5},
        {"N/A", 0},
        {"", 0},
        {"1.5abc", 1.5},
        {"1e3", 1000},
        {"1e", 1},
        {".5", 0.5},
        {"-", 0},
        {"\t42\r", 42},
        {"abc", 0},
        // Only decimal numbers: a garbage field never reads as infinite, NaN or hex.
        {"inf", 0},
        {"-nan", 0},
        {"0x1A", 0},
        {"1e999", 0},
        {"-.", 0},
        {"2.E2", 200},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(text::CStrToD(c.in), c.out) << c.in;
}

TEST(TextTest, CStrToL32SaturatesLikeA32BitLong) {
    EXPECT_EQ(text::CStrToL32("123456"), 123456);
    EXPECT_EQ(text::CStrToL32(" +77x"), 77);
    EXPECT_EQ(text::CStrToL32("2147483647"), 2147483647);
    EXPECT_EQ(text::CStrToL32("2147483648"), 2147483647);
    EXPECT_EQ(text::CStrToL32("99999999999999999999"), 2147483647);
    EXPECT_EQ(text::CStrToL32("-2147483649"), -2147483647 - 1);
    EXPECT_EQ(text::CStrToL32("12.9"), 12);
    EXPECT_EQ(text::CStrToL32("N/A"), 0);
}

TEST(TextTest, FormatFixedMatchesPrintf) {
    const double values[] = {0.0,  -0.0,       0.005, 0.015,  1.005, 2.675, -1234.565,
                             1e15, 123456.785, 9.995, -0.001, 1e-7,  4.35,  1e300};
    for (double v : values) {
        for (int decimals : {2, 3, 4}) {
            char buf[512];
            std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
            EXPECT_EQ(text::FormatFixed(v, decimals), buf) << v << " " << decimals;
        }
    }
}

TEST(TextTest, TrimAndCase) {
    EXPECT_EQ(text::Trim("  a b \t\r\n"), "a b");
    EXPECT_EQ(text::Trim(" \r\n"), "");
    EXPECT_EQ(text::TrimLeft("  x "), "x ");
    EXPECT_EQ(text::TrimRight("  x "), "  x");
    EXPECT_EQ(text::ToUpperAscii("4:00pm é"), "4:00PM é");
    EXPECT_TRUE(text::IEquals("CompName", "COMPNAME"));
    EXPECT_EQ(text::RemoveChar("\"a,b\"", '"'), "a,b");
    EXPECT_EQ(text::ReplaceAll("a--b--", "--", "-"), "a-b-");
}

TEST(TextTest, SplitLinesDropsBreaksAndTrailingCr) {
    EXPECT_EQ(text::SplitLines("a\r\n\r\nb\nc"), (std::vector<std::string>{"a", "", "b", "c"}));
    EXPECT_EQ(text::SplitLines("a\n"), (std::vector<std::string>{"a"}));
    EXPECT_TRUE(text::SplitLines("").empty());
    EXPECT_EQ(text::Split(",a,,b,", ','), (std::vector<std::string>{"", "a", "", "b", ""}));
}

TEST(TextTest, CsvRecordsHonourQuotes) {
    EXPECT_EQ(text::ParseCsvRecord("a,\"b, c\",\"d \"\"e\"\"\",,f\r"),
              (std::vector<std::string>{"a", "b, c", "d \"e\"", "", "f"}));
    EXPECT_EQ(text::ParseCsvRecord(""), (std::vector<std::string>{""}));
    EXPECT_EQ(text::ParseCsvRecord("Dr. Reddy's Laboratories Ltd,DRREDDY"),
              (std::vector<std::string>{"Dr. Reddy's Laboratories Ltd", "DRREDDY"}));
}

TEST(ValidateTest, OnlyPlainDecimalNumbersAreNumbers) {
    const std::pair<const char*, double> numbers[] = {{"12.5", 12.5}, {" 12.5 ", 12.5}, {"-3", -3},
                                                      {"+3", 3},      {".5", .5},       {"5.", 5},
                                                      {"1e3", 1000},  {"1E-2", .01}};
    for (const auto& [t, v] : numbers)
        EXPECT_EQ(validate::ParseDouble(t), v) << t;
    for (const char* t : {"", " ", "nan", "-nan", "NAN", "inf", "-infinity", "0x10", "0X1p3", "1e",
                          "1e+", ".", "-", "1.2.3", "--1", "1,5", "1e400", "12abc"})
        EXPECT_EQ(validate::ParseDouble(t), std::nullopt) << t;
    EXPECT_EQ(validate::CheckDouble("nan", 0, 10000), "Please enter a number.");
    EXPECT_EQ(validate::CheckDouble("0x10", 0, 100), "Please enter a number.");
    EXPECT_EQ(validate::CheckDouble("100.5", 0, 100), "Please enter a number between 0 and 100.");
    EXPECT_EQ(validate::CheckInt("0x10", 0, 100), "Please enter an integer.");
}

} // namespace
