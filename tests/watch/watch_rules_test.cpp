#include <map>

#include <gtest/gtest.h>

#include "platform/base/colorref.h"
#include "watch/core/alert_rules.h"
#include "watch/core/watch_rows.h"

namespace {

using Texts = std::map<int, std::string>;

// A row given by the texts of the columns it sets; the others are empty.
RowCells Row(Texts texts) {
    return [texts](int c) {
        auto it = texts.find(c);
        return it == texts.end() ? std::string() : it->second;
    };
}

// A row's price against its limits, its alert set unless told.
Texts Limits(const char* price, const char* upper, const char* lower, const char* alert = "1.00",
             const char* name = "") {
    return {{kWcName, name},
            {kWcAlert, alert},
            {kWcPrice, price},
            {kWcUpper, upper},
            {kWcLower, lower}};
}

TEST(AlertRulesTest, ColoursOfEveryAlertColumn) {
    using namespace colors;
    const WatchChecks all{false, true, true, true, false, false};
    const WatchChecks noLimits{false, false, true, true}, noDay{false, true, false, true},
        byDefault;
    auto moved = [](const char* price, const char* previous) {
        return Texts{{kWcPrice, price}, {kWcPrevPrice, previous}};
    };
    auto change = [](const char* change) { return Texts{{kWcChange, change}}; };
    auto day = [](const char* price, const char* change) { // the day's range is 90 to 99
        return Texts{{kWcPrice, price}, {kWcLow, "90.00"}, {kWcHigh, "99.00"}, {kWcChange, change}};
    };
    auto year = [](const char* price, const char* high, const char* low) {
        return Texts{{kWcPrice, price}, {kWcYearHigh, high}, {kWcYearLow, low}};
    };
    struct Case {
        const char* what;
        Texts row;
        int column;
        WatchChecks checks;
        COLORREF text, background;
    };
    const Case cases[] = {
        {"at the upper limit", Limits("500.00", "500.00", "450.00"), kWcName, all, kBlack, kGreen},
        {"at the lower limit", Limits("450.00", "500.00", "450.00"), kWcIndex, all, kBlack, kRed},
        {"no quote yet", Limits("0.00", "500.00", "450.00"), kWcName, all, kBlack, kRed},
        {"inside the limits", Limits("470.00", "500.00", "450.00"), kWcName, all, kBlack, kWhite},
        {"grouped limit", Limits("1,250.00", "1,250.00", "900.00"), kWcName, all, kBlack, kGreen},
        {"My Configured clear", Limits("500.00", "500.00", ""), kWcName, noLimits, kBlack, kWhite},
        {"alert off", Limits("500.00", "500.00", "", "0.00"), kWcName, all, kBlack, kWhite},
        {"first refresh", moved("10.00", "0.00"), kWcPrice, all, kWhite, kBlack},
        {"unchanged", moved("10.00", "10.00"), kWcPrice, all, kWhite, kBlue},
        {"up", moved("10.05", "10.00"), kWcPrice, all, kBlack, kGreen},
        {"down", moved("9.95", "10.00"), kWcPrice, all, kWhite, kRed},
        {"change up", change("1.50"), kWcPercent, all, kDarkGreen, kWhite},
        {"change none", change("0.00"), kWcChange, all, kBlue, kWhite},
        {"change down", change("-1.50"), kWcChange, all, kRed, kWhite},
        {"at the day low, falling", day("90.00", "-2.00"), kWcVolume, all, kBlack, kRed},
        {"at the day low, rising", day("90.00", "2.00"), kWcOpen, all, kBlack, kWhite},
        {"at the day high, rising", day("99.00", "2.00"), kWcOpen, all, kBlack, kGreen},
        {"day colours off", day("90.00", "-2.00"), kWcVolume, noDay, kBlack, kWhite},
        {"year high", year("150.00", "150.00", "80.00"), kWcHigh, all, kBlack, kGreen},
        {"both year tests: green first", year("0.00", "0.00", "0.00"), kWcLow, all, kBlack, kGreen},
        {"year low", year("80.00", "150.00", "80.00"), kWcLow, all, kBlack, kRed},
        {"year colours off", year("80.00", "150.00", "80.00"), kWcLow, byDefault, kBlack, kWhite},
        {"hidden column", {{kWcPrice, "80.00"}}, kWcUpper, all, kBlack, kWhite},
    };
    for (const auto& c : cases) {
        const CellColors got = WatchCellColors(c.column, Row(c.row), c.checks);
        EXPECT_EQ(got.text, c.text) << c.what;
        EXPECT_EQ(got.background, c.background) << c.what;
    }
}

TEST(AlertRulesTest, PopupTextListsTheConfiguredCrossings) {
    const WatchChecks checks{.popup = true, .myConfigured = true, .dayHighLow = true};
    const std::vector<RowCells> rows = {
        Row(Limits("500.00", "500.00", "4.00", "1.00", "Alpha Ltd")),
        Row(Limits("1.00", "0.50", "", "0.00", "Beta, Ltd")),
        Row(Limits("450.00", "1,250.00", "450.00", "1.00", "Gamma Ltd")),
        Row(Limits("460.00", "500.00", "450.00", "1.00", "Delta Ltd")),
        Row(Limits("0.00", "500.00", "450.00", "1.00", "No Price Ltd")), // N/A: no false alarm
    };
    EXPECT_EQ(
        AlertPopupText("TIME", rows, checks),
        "TIME\n---------------------------------------------------------\n\n"
        "Alpha Ltd::above UPPER LIMIT of 500.00\n\nGamma Ltd::below LOWER LIMIT of 450.00\n\n");
    EXPECT_EQ(AlertPopupText("TIME", rows, WatchChecks{.popup = true, .myConfigured = false}), "");
    EXPECT_EQ(AlertPopupText("TIME", {rows[3]}, checks), "");
    EXPECT_EQ(AlertTimeText(MakeLocalTime(2026, 12, 7, 15, 4, 9)),
              "Monday, December 07, 2026 ::  03:04:09 PM");
    EXPECT_EQ(AlertTimeText(MakeLocalTime(2026, 1, 1, 0, 30, 0)),
              "Thursday, January 01, 2026 ::  12:30:00 AM");
}

WatchListRow Priced(const char* name, double price, float change, std::int32_t volume = 0) {
    WatchListRow r;
    r.companyName = name;
    r.price = price;
    r.change = change;
    r.volume = volume;
    return r;
}

std::vector<std::string> Names(const std::vector<WatchListRow>& rows) {
    std::vector<std::string> out;
    for (const auto& r : rows)
        out.push_back(r.companyName);
    return out;
}

TEST(WatchSortTest, ColumnsCompareAsTheirValues) {
    std::vector<WatchListRow> rows = {Priced("c", 100.004, 1.0f), Priced("a", 250.0, -3.0f),
                                      Priced("b", 100.001, 2.0f), Priced("d", 99.0, 0.5f)};
    // Prices (near-equal ones among them) and changes both ways are the page's sort test.
    ASSERT_TRUE(SortWatchRows(rows, kWcName, true));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(SortWatchRows(rows, kWcSymbol, true));
    EXPECT_FALSE(SortWatchRows(rows, kWcUpper, true));
    EXPECT_EQ(CompareWatchRows(Priced("x", 0, 0, 10), Priced("y", 0, 0, 9), kWcVolume), 1);
    EXPECT_EQ(CompareWatchRows(Priced("Tata", 0, 0), Priced("tata", 0, 0), kWcName), 0);
}

TEST(WatchRowsTest, RowsComeFromTheItemItsQuoteAndSampleAndCellsOutliveThem) {
    QuoteRecord q;
    q.last = 110;
    q.change = 10;
    q.volume = 1234567;
    q.yearHigh = 150;
    std::vector<RowCells> cells;
    {
        const std::vector<WatchListRow> rows = {
            MakeWatchListRow({"Alpha, Ltd", "NSE", "ALPHA", 1, 1000, 1250}, q,
                             {.prevVolume = 5, .prevPrice = 99, .dataTaken = 1})};
        EXPECT_FLOAT_EQ(rows[0].changePercent, 10);
        cells = WatchRowsCells(rows);
    } // the rows are gone; their cells keep their own copy
    const Texts expected = {
        {kWcName, "Alpha, Ltd"},  {kWcIndex, "NSE"},       {kWcSymbol, "ALPHA"},
        {kWcPrice, "110.00"},     {kWcChange, "10.00"},    {kWcPercent, "10.00"},
        {kWcVolume, "12,34,567"}, {kWcYearHigh, "150.00"}, {kWcAlert, "1.00"},
        {kWcUpper, "1,250.00"},   {kWcPrevPrice, "99.00"}, {kWcTaken, "1.00"}};
    for (const auto& [column, text] : expected)
        EXPECT_EQ(cells[0](column), text) << column;
}

} // namespace
