#include <map>

#include <gtest/gtest.h>

#include "platform/base/colorref.h"
#include "watch/core/alert_rules.h"
#include "watch/core/watch_sort.h"

namespace {

// A row given by the texts of the columns it sets; the others are empty.
RowCells Row(std::map<int, std::string> texts) {
    return [texts](int c) {
        auto it = texts.find(c);
        return it == texts.end() ? std::string() : it->second;
    };
}

TEST(AlertRulesTest, ColoursOfEveryAlertColumn) {
    const WatchChecks all{false, true, true, true, false, false};
    struct Case {
        const char* what;
        std::map<int, std::string> row;
        int column;
        WatchChecks checks;
        COLORREF text, background;
    };
    const Case cases[] = {
        {"at the upper limit",
         {{kWcAlert, "1.00"}, {kWcPrice, "500.00"}, {kWcUpper, "500.00"}, {kWcLower, "450.00"}},
         kWcName,
         all,
         colors::kBlack,
         colors::kGreen},
        {"at the lower limit",
         {{kWcAlert, "1.00"}, {kWcPrice, "450.00"}, {kWcUpper, "500.00"}, {kWcLower, "450.00"}},
         kWcIndex,
         all,
         colors::kBlack,
         colors::kRed},
        {"no quote yet",
         {{kWcAlert, "1.00"}, {kWcPrice, "0.00"}, {kWcUpper, "500.00"}, {kWcLower, "450.00"}},
         kWcName,
         all,
         colors::kBlack,
         colors::kRed},
        {"inside the limits",
         {{kWcAlert, "1.00"}, {kWcPrice, "470.00"}, {kWcUpper, "500.00"}, {kWcLower, "450.00"}},
         kWcName,
         all,
         colors::kBlack,
         colors::kWhite},
        {"grouped limit",
         {{kWcAlert, "1.00"}, {kWcPrice, "1,250.00"}, {kWcUpper, "1,250.00"}, {kWcLower, "900.00"}},
         kWcName,
         all,
         colors::kBlack,
         colors::kGreen},
        {"My Configured clear",
         {{kWcAlert, "1.00"}, {kWcPrice, "500.00"}, {kWcUpper, "500.00"}},
         kWcName,
         WatchChecks{false, false, true, true},
         colors::kBlack,
         colors::kWhite},
        {"alert off",
         {{kWcAlert, "0.00"}, {kWcPrice, "500.00"}, {kWcUpper, "500.00"}},
         kWcName,
         all,
         colors::kBlack,
         colors::kWhite},
        {"first refresh",
         {{kWcPrice, "10.00"}, {kWcPrevPrice, "0.00"}},
         kWcPrice,
         all,
         colors::kWhite,
         colors::kBlack},
        {"unchanged",
         {{kWcPrice, "10.00"}, {kWcPrevPrice, "10.00"}},
         kWcPrice,
         all,
         colors::kWhite,
         colors::kBlue},
        {"up",
         {{kWcPrice, "10.05"}, {kWcPrevPrice, "10.00"}},
         kWcPrice,
         all,
         colors::kBlack,
         colors::kGreen},
        {"down",
         {{kWcPrice, "9.95"}, {kWcPrevPrice, "10.00"}},
         kWcPrice,
         all,
         colors::kWhite,
         colors::kRed},
        {"change up", {{kWcChange, "1.50"}}, kWcPercent, all, colors::kDarkGreen, colors::kWhite},
        {"change none", {{kWcChange, "0.00"}}, kWcChange, all, colors::kBlue, colors::kWhite},
        {"change down", {{kWcChange, "-1.50"}}, kWcChange, all, colors::kRed, colors::kWhite},
        {"at the day low, falling",
         {{kWcPrice, "90.00"}, {kWcLow, "90.00"}, {kWcHigh, "99.00"}, {kWcChange, "-2.00"}},
         kWcVolume,
         all,
         colors::kBlack,
         colors::kRed},
        {"at the day low, rising",
         {{kWcPrice, "90.00"}, {kWcLow, "90.00"}, {kWcHigh, "99.00"}, {kWcChange, "2.00"}},
         kWcOpen,
         all,
         colors::kBlack,
         colors::kWhite},
        {"at the day high, rising",
         {{kWcPrice, "99.00"}, {kWcLow, "90.00"}, {kWcHigh, "99.00"}, {kWcChange, "2.00"}},
         kWcOpen,
         all,
         colors::kBlack,
         colors::kGreen},
        {"day colours off",
         {{kWcPrice, "90.00"}, {kWcLow, "90.00"}, {kWcChange, "-2.00"}},
         kWcVolume,
         WatchChecks{false, true, false, true},
         colors::kBlack,
         colors::kWhite},
        {"year high",
         {{kWcPrice, "150.00"}, {kWcYearHigh, "150.00"}, {kWcYearLow, "80.00"}},
         kWcHigh,
         all,
         colors::kBlack,
         colors::kGreen},
        {"both year tests: green first",
         {{kWcPrice, "0.00"}, {kWcYearHigh, "0.00"}, {kWcYearLow, "0.00"}},
         kWcLow,
         all,
         colors::kBlack,
         colors::kGreen},
        {"year low",
         {{kWcPrice, "80.00"}, {kWcYearHigh, "150.00"}, {kWcYearLow, "80.00"}},
         kWcLow,
         all,
         colors::kBlack,
         colors::kRed},
        {"year colours off by default",
         {{kWcPrice, "80.00"}, {kWcYearLow, "80.00"}},
         kWcLow,
         WatchChecks{},
         colors::kBlack,
         colors::kWhite},
        {"hidden column", {{kWcPrice, "80.00"}}, kWcUpper, all, colors::kBlack, colors::kWhite},
    };
    for (const auto& c : cases) {
        const CellColors got = WatchCellColors(c.column, Row(c.row), c.checks);
        EXPECT_EQ(got.text, c.text) << c.what;
        EXPECT_EQ(got.background, c.background) << c.what;
    }
}

TEST(AlertRulesTest, PopupTextListsTheConfiguredCrossings) {
    const WatchChecks checks{true, true, true, false};
    const std::vector<RowCells> rows = {
        Row({{kWcName, "Alpha Ltd"},
             {kWcAlert, "1.00"},
             {kWcPrice, "500.00"},
             {kWcUpper, "500.00"},
             {kWcLower, "4.00"}}),
        Row({{kWcName, "Beta, Ltd"}, {kWcAlert, "0.00"}, {kWcPrice, "1.00"}, {kWcUpper, "0.50"}}),
        Row({{kWcName, "Gamma Ltd"},
             {kWcAlert, "1.00"},
             {kWcPrice, "450.00"},
             {kWcUpper, "1,250.00"},
             {kWcLower, "450.00"}}),
        Row({{kWcName, "Delta Ltd"},
             {kWcAlert, "1.00"},
             {kWcPrice, "460.00"},
             {kWcUpper, "500.00"},
             {kWcLower, "450.00"}}),
    };
    EXPECT_EQ(
        AlertPopupText("TIME", rows, checks),
        "TIME\n---------------------------------------------------------\n\n"
        "Alpha Ltd::above UPPER LIMIT of 500.00\n\nGamma Ltd::below LOWER LIMIT of 450.00\n\n");
    EXPECT_EQ(AlertPopupText("TIME", rows, WatchChecks{true, false, true, false}), "");
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
    ASSERT_TRUE(SortWatchRows(rows, kWcPrice, true));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"d", "c", "b", "a"}))
        << "100.004 and 100.001 are equal";
    ASSERT_TRUE(SortWatchRows(rows, kWcPrice, false));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "c", "b", "d"}));
    ASSERT_TRUE(SortWatchRows(rows, kWcChange, true));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "d", "c", "b"}));
    ASSERT_TRUE(SortWatchRows(rows, kWcName, true));
    EXPECT_EQ(Names(rows), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_FALSE(SortWatchRows(rows, kWcSymbol, true));
    EXPECT_FALSE(SortWatchRows(rows, kWcUpper, true));
    EXPECT_EQ(CompareWatchRows(Priced("x", 0, 0, 10), Priced("y", 0, 0, 9), kWcVolume), 1);
    EXPECT_EQ(CompareWatchRows(Priced("Tata", 0, 0), Priced("tata", 0, 0), kWcName), 0);
}

TEST(WatchSortTest, ExportLinesDropCommasAndAddTheLastClose) {
    WatchListRow r = Priced("Larsen & Toubro, Ltd", 1234567.5, 12.5f, 1500000);
    r.exchange = "NSE";
    r.changePercent = 1.0f;
    r.open = r.high = r.low = 1234000;
    const std::string csv = WatchExportCsv({WatchRowCells(r)});
    EXPECT_EQ(
        csv,
        "Company Name,Index,Last Close,Current Price,Change,% Change,Volume,Open,High,Low\r\n"
        "Larsen & Toubro "
        "Ltd,NSE,1234555.00,1234567.50,12.50,1.00,1500000,1234000.00,1234000.00,1234000.00\r\n");
}

} // namespace
