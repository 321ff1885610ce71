#include <vector>

#include <gtest/gtest.h>

#include "controls/core/bevel.h"
#include "controls/core/cell_colors.h"
#include "controls/core/export_name.h"
#include "controls/core/web_address.h"

namespace {

using namespace colors;

constexpr CellColors kPlain{kBlack, kWhite};
constexpr CellColors kFalling{kRed, kWhite};
constexpr CellColors kFlat{kBlue, kWhite};
constexpr CellColors kRising{kDarkGreen, kWhite};

struct ColourCase {
    const char* what;
    std::vector<std::string> row;
    std::vector<int> columns;
    CellColors expected;
};

void Check(CellColors (*rule)(int, const RowCells&), const std::vector<ColourCase>& cases) {
    for (const ColourCase& c : cases) {
        const RowCells cells = [&](int col) {
            return col < static_cast<int>(c.row.size()) ? c.row[col] : std::string();
        };
        for (int col : c.columns) {
            const CellColors got = rule(col, cells);
            EXPECT_EQ(got.text, c.expected.text) << c.what << ", column " << col;
            EXPECT_EQ(got.background, c.expected.background) << c.what << ", column " << col;
        }
    }
}

TEST(CellColoursTest, IndexList) {
    // name, price, -, change, change %, -, -, -, previous price
    auto row = [](const char* price, const char* change, const char* previous) {
        return std::vector<std::string>{"N", price, "", change, "", "", "", "", previous};
    };
    Check(IndexListCellColors,
          {
              {"first refresh", row("5,120.35", "1", "0"), {1}, {kWhite, kBlack}},
              {"no previous at all", {"N", "5,120.35"}, {1}, {kWhite, kBlack}},
              {"unchanged", row("5,120.35", "1", "5120.35"), {1}, {kWhite, kBlue}},
              {"fell", row("5,120.35", "1", "5,121"), {1}, {kWhite, kRed}},
              {"rose", row("15,120.35", "1", "15,120"), {1}, {kBlack, kGreen}},
              {"change down", row("1", "-1,025.40", "1"), {3, 4}, kFalling},
              {"change zero", row("1", "0.00", "1"), {3, 4}, kFlat},
              {"change up", row("1", "25.40", "1"), {3, 4}, kRising},
              {"others", row("1", "-2", "2"), {0, 2, 5, 8}, kPlain},
          });
}

TEST(CellColoursTest, QuoteAndProfileLists) {
    // Quote list: the change in column 4 colours price, change and percent.
    Check(QuoteListCellColors, {
                                   {"down", {"H", "^H", "1", "", "-1.25"}, {2, 4, 5}, kFalling},
                                   {"zero", {"H", "^H", "1", "", "0.00"}, {2, 4, 5}, kFlat},
                                   {"up", {"H", "^H", "1", "", "1,001.25"}, {2, 4, 5}, kRising},
                                   {"others", {"H", "^H", "1", "", "-1"}, {0, 1, 3, 6}, kPlain},
                               });
    // Profile list: column 7 colours 6 and 7, column 10 colours 10 and 11.
    std::vector<std::string> row(12, "-5");
    row[7] = "0";
    row[10] = "1,00,000.00";
    Check(ProfileListCellColors, {
                                     {"change zero", row, {6, 7}, kFlat},
                                     {"profit", row, {10, 11}, kRising},
                                     {"others", row, {0, 5, 8, 9, 12}, kPlain},
                                 });
    row[7] = "0.5";
    row[10] = "-12";
    Check(ProfileListCellColors, {{"up", row, {6, 7}, kRising}, {"loss", row, {10, 11}, kFalling}});
}

TEST(CellColoursTest, ToppersList) {
    // company, symbol, price, % change, -, -, -, high, low
    auto row = [](const char* price, const char* percent) {
        return std::vector<std::string>{"A", "A", price,      percent,   "",
                                        "",  "",  "1,050.00", "1,010.00"};
    };
    Check(ToppersListCellColors,
          {
              {"at the low, falling", row("1,010.00", "-2"), {7, 8}, {kBlack, kRed}},
              {"below the low, falling", row("1,000.00", "-2"), {7, 8}, {kBlack, kRed}},
              {"at the low, rising", row("1,010.00", "2"), {7, 8}, kPlain},
              {"at the high, rising", row("1,050.00", "2"), {7, 8}, {kBlack, kGreen}},
              {"at the high, falling", row("1,050.00", "-2"), {7, 8}, kPlain},
              {"in between", row("1,020.00", "-2"), {7, 8}, kPlain},
              {"flat", row("1,050.00", "0"), {2, 3}, kFlat},
              {"falling", row("1,050.00", "-2"), {2, 3}, kFalling},
              {"others", row("1,050.00", "-2"), {0, 1, 4, 9}, kPlain},
          });
}

TEST(BevelTest, RingsFromTheOutsideIn) {
    auto grey = [](int g) { return RGB(g, g, g); };
    const std::vector<std::pair<int, std::vector<BevelRing>>> cases = {
        {0, {}},
        {1, {{kWhite, 0x808080}}},
        {-1, {{0x808080, kWhite}}},
        {2, {{grey(255), grey(127)}, {grey(223), grey(85)}}},
        {-2, {{grey(127), grey(255)}, {grey(85), 0x010101}}},
        {-3, {{grey(127), grey(255)}, {grey(85), grey(223)}, {grey(63), 0x010101}}},
    };
    for (const auto& [w, rings] : cases)
        EXPECT_EQ(BevelRings(w), rings) << "width " << w;
}

TEST(ExportNameTest, ProposesTheTimeOnTheTwelveHourClock) {
    const std::pair<LocalTime, const char*> cases[] = {
        {MakeLocalTime(2008, 5, 6, 15, 4, 9), "06-05-2008_03-04-09PM"},
        {MakeLocalTime(2008, 5, 6, 12, 0, 0), "06-05-2008_12-00-00PM"},
        {MakeLocalTime(2008, 5, 6, 0, 30, 0), "06-05-2008_00-30-00AM"},
        {MakeLocalTime(2008, 5, 6, 11, 59, 59), "06-05-2008_11-59-59AM"},
        {MakeLocalTime(2024, 12, 31, 23, 9, 1), "31-12-2024_11-09-01PM"},
    };
    for (const auto& [t, name] : cases)
        EXPECT_EQ(ProposedExportName(t), name);
}

TEST(ExportNameTest, RefusesEmptyNamesAndNamesThatLeaveTheFolder) {
    const std::string empty = "Please write a name for the CSV file";
    const std::string outside = "The file name can't contain \\, / or ..";
    const std::pair<const char*, std::string> cases[] = {
        {"", empty},        {"   ", empty},    {"a/b", outside},
        {"..\\x", outside}, {"x\\y", outside}, {"report..old", outside},
        {"my shares ", ""}, {"v1.2", ""},      {"06-05-2008_03-04-09PM", ""},
    };
    for (const auto& [name, message] : cases)
        EXPECT_EQ(CheckExportName(name), message) << '"' << name << '"';
}

TEST(WebAddressTest, OnlyHttpAndHttpsAreOpened) {
    for (const char* yes : {"http://example.com", "HTTPS://X.IN/a?b=1", " http://example.com "})
        EXPECT_TRUE(IsWebAddress(yes)) << yes;
    for (const char* no : {"", "5,120.35", "file:///etc/passwd", "javascript:alert(1)", "http://",
                           "example.com", "http://a b"})
        EXPECT_FALSE(IsWebAddress(no)) << no;
}

} // namespace
