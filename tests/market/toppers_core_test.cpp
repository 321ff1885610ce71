#include <gtest/gtest.h>

#include "market/core/toppers_rows.h"

namespace {

ToppersTable Table(const std::vector<std::string>& symbols) {
    std::vector<TopperCompany> companies;
    for (const std::string& s : symbols)
        companies.push_back({s + " Ltd", "NSE", s});
    ToppersTable t;
    t.Load(kToppersNse, companies);
    return t;
}

TopperRow Row(double price, float percent, double low = 0, double high = 0) {
    TopperRow r;
    r.price = price;
    r.changePercent = percent;
    r.low = low;
    r.high = high;
    return r;
}

TEST(ToppersCoreTest, ABatchWritesOnlyItsOwnSlotsAndOnlyFromAQuoteAnswer) {
    EXPECT_EQ(CutToppersBatches(kToppersBse, 401).back(), (ToppersBatchJob{1, 400, 400}));
    const ToppersBatchJob job{kToppersNse, 1, 2};
    const std::vector<std::string> answer = {
        "\"BBB.NS\",10.5,\"12/7/2026\",\"11:00am\",+0.5,10,11,9,7",
        "\"CCC.NS\",20,\"12/7/2026\",\"11:00am\",-1,21,21,19,8",
        "\"DDD.NS\",30,\"12/7/2026\",\"11:00am\",0,30,30,30,9"};
    ToppersTable t = Table({"AAA", "BBB", "CCC", "DDD"});
    EXPECT_TRUE(StoreToppersBatch(answer, job, t)); // one line too many: it goes nowhere
    EXPECT_EQ(t.quotes[2].volume, 8);
    EXPECT_EQ(t.quotes[3].last, 0);
    EXPECT_EQ(t.quotes[0].last, 0);

    t = Table({"AAA", "BBB", "CCC", "DDD"});
    EXPECT_FALSE(StoreToppersBatch({answer[0]}, job, t)); // short: what came stays
    EXPECT_EQ(t.quotes[1].last, 10.5);
    EXPECT_FALSE(StoreToppersBatch({"<html><body>Service unavailable", answer[1]}, job, t));
    EXPECT_EQ(t.quotes[2].last, 0);
}

TEST(ToppersCoreTest, CellTextsRangesAndTheirEdits) {
    QuoteRecord q;
    q.last = 110;
    q.change = 10;
    q.volume = 1234567;
    const TopperRow r = MakeTopperRow({"Alpha Ltd", "NSE", "ALPHA"}, q);
    EXPECT_FLOAT_EQ(r.changePercent, 10);
    EXPECT_EQ(TopperCellText(r, kTcVolume), "12,34,567");
    TopperRow t = Row(1234.5, -0.5f);
    t.turnover = 1234567.89;
    EXPECT_EQ(TopperCellText(t, kTcTurnover), "12,34,567");
    EXPECT_EQ(TopperCellText(t, kTcPrice), "1,234.50");

    ToppersRanges g;
    EXPECT_FALSE(PassesToppersRanges(g, Row(0, 0))); // unknown to the service
    EXPECT_TRUE(PassesToppersRanges(g, Row(20000, -100)));
    EXPECT_FALSE(PassesToppersRanges(g, Row(20000.5, 0)));

    const struct {
        int field;
        const char* text;
        const char* message;
    } refusals[] = {{0, "20000", "Please enter a number between 0 and 19999."},
                    {3, "-100", "Please enter a number between -99 and 300."},
                    {4, "1.5", "Please enter an integer."},
                    {5, "1000000001", "Please enter an integer between 0 and 1000000000."}};
    for (const auto& f : refusals) {
        ToppersRangeTexts texts = {"1", "2", "3", "4", "5", "6"};
        texts[f.field] = f.text;
        int bad = -1;
        EXPECT_EQ(ReadToppersRanges(texts, g, &bad), f.message);
        EXPECT_EQ(bad, f.field);
        EXPECT_EQ(g.volumeMax, 1000000000); // nothing taken
    }
}

TEST(ToppersCoreTest, SortsHighestFirstAndTreatsNearValuesAsEqual) {
    std::vector<TopperRow> rows = {Row(1, -0.005f), Row(2, -3), Row(3, -0.009f), Row(4, 2.5f)};
    EXPECT_EQ(CompareToppers(rows[2], rows[0], kTcPercent), 0);
    ASSERT_TRUE(SortToppers(rows, kTcPercent));
    std::vector<double> order;
    for (const TopperRow& r : rows)
        order.push_back(r.price);
    EXPECT_EQ(order, (std::vector<double>{4, 1, 3, 2})); // equal rows keep their order

    TopperRow a, b;
    a.turnover = 5000;
    b.turnover = 5999;
    EXPECT_EQ(CompareToppers(a, b, kTcTurnover), 0);
    b.turnover = 4e13; // far beyond a 32-bit difference
    EXPECT_GT(CompareToppers(a, b, kTcTurnover), 0);
    EXPECT_FALSE(SortToppers(rows, kTcName));
}

// The colour rules themselves are the list control's; this is the row's cells feeding them.
TEST(ToppersCoreTest, HighAndLowCellsShowWhereThePriceStandsInTheDaysRange) {
    const TopperRow falling = Row(95, -2, 95, 100);
    for (int col : {kTcHigh, kTcLow})
        EXPECT_EQ(ToppersListCellColors(col, TopperRowCells(falling)),
                  (CellColors{colors::kBlack, colors::kRed}));
    EXPECT_EQ(ToppersListCellColors(kTcPrice, TopperRowCells(falling)).text, colors::kRed);
}

TEST(ToppersCoreTest, ExportWritesTheCellsWithoutCommas) {
    TopperRow r = Row(1234.5, 10, 1200, 1250.75);
    r.companyName = "Tata Motors, Ltd";
    r.volume = 1234567;
    r.turnover = 1524048961.5;
    r.open = 1210;
    EXPECT_EQ(
        ToppersExportCsv({TopperRowCells(r)}),
        "CompanyName,Last Close,Current Price,Change,% Change,Volume,Turnover,Open,High,Low\r\n"
        "Tata Motors Ltd,1111.05,1234.50,123.45,10.00,1234567,1524048961,1210.00,1250.75,"
        "1200.00\r\n");
}

} // namespace
