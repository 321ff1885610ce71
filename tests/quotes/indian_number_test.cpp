#include <gtest/gtest.h>

#include "quotes/indian_number.h"

namespace {

TEST(IndianNumberTest, GroupsInLakhsAndCrores) {
    struct Case {
        double in;
        const char* out;
    };
    const Case cases[] = {
        {0, "0.00"},
        {5, "5.00"},
        {999.99, "999.99"},   // six characters: left alone
        {-999.99, "-999.99"}, // the sign does not count
        {1000, "1,000.00"},
        {-1000, "-1,000.00"},          // never "-,"
        {123456.78, "1,23,456.78"},    // six integer digits
        {1234567.891, "12,34,567.89"}, // seven: d,dd,dd,ddd.dd
        {-1234567.5, "-12,34,567.50"},
        {9999999.999, "1,00,00,000.00"},
        {1e15, "1,00,00,00,00,00,00,000.00"},
        {-0.001, "-0.00"},
        {0.005, "0.01"},
        {25386.4, "25,386.40"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatIndianNumber(c.in), c.out) << c.in;
}

TEST(IndianNumberTest, VolumesDropTheDecimals) {
    EXPECT_EQ(FormatIndianVolume(0), "0");
    EXPECT_EQ(FormatIndianVolume(999), "999");
    EXPECT_EQ(FormatIndianVolume(9999), "9,999");
    EXPECT_EQ(FormatIndianVolume(1234567), "12,34,567");
    EXPECT_EQ(FormatIndianVolume(2147483647), "2,14,74,83,647");
}

TEST(IndianNumberTest, ListReadersRemoveCommas) {
    EXPECT_DOUBLE_EQ(ParseListNumber("-12,34,567.89"), -1234567.89);
    EXPECT_DOUBLE_EQ(ParseListNumber(FormatIndianNumber(98765.43)), 98765.43);
    EXPECT_DOUBLE_EQ(ParseListNumber(""), 0);
}

} // namespace
