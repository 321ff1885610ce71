#include <gtest/gtest.h>

#include "portfolio/core/charges.h"
#include "portfolio/core/profile_export.h"
#include "portfolio/core/profile_rows.h"
#include "portfolio/core/profit_calc.h"

namespace {

BrokerRecord Broker(std::int32_t id, const std::string& name) {
    BrokerRecord b = NewBrokerRecord();
    b.id = id;
    b.name = name;
    return b;
}

ProfileLot Lot(const std::string& symbol, double price, int quantity, double market = 0,
               double change = 0, int brokerId = 1, const std::string& index = "NSE") {
    ProfileLot l;
    l.companyName = symbol + " Ltd";
    l.index = index;
    l.symbol = symbol;
    l.price = price;
    l.quantity = quantity;
    l.brokerId = brokerId;
    l.marketPrice = market;
    l.change = change;
    return l;
}

TEST(RoundToTest, RoundsHalfAwayFromZero) {
    const struct {
        double x;
        int n;
        double expected;
    } cases[] = {{1.23456, 4, 1.2346},  {-1.23456, 4, -1.2346}, {2.5, 0, 3}, {-2.5, 0, -3},
                 {0.123449, 4, 0.1234}, {0.12346, 4, 0.1235},   {0.0, 4, 0}, {0.0, 0, 0},
                 {13.75, 2, 13.75}};
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(RoundTo(c.x, c.n), c.expected) << c.x << " at " << c.n;
}

TEST(ChargesTest, IciciDirectPaysAtLeastTwentyFiveRupeesPerSide) {
    const BrokerRates delivery = RatesOf(NewBrokerRecord(), 0);
    const BrokerRates intraday = RatesOf(NewBrokerRecord(), 1);
    // B + T + transaction tax, to the paisa.
    EXPECT_NEAR(BuyCharges(10, 100, delivery, "ICICI Direct"), 25 + 3.09 + 1.25, 1e-9);
    EXPECT_NEAR(BuyCharges(1000, 100, delivery, "ICICI Direct"), 750 + 92.7 + 125, 1e-9);
    EXPECT_NEAR(BuyCharges(10, 100, delivery, "Sharekhan"), 7.5 + 0.927 + 1.25, 1e-9);
    EXPECT_NEAR(BuyCharges(10, 100, delivery, "icici direct"), 7.5 + 0.927 + 1.25, 1e-9);
    // Selling is priced at the market; no brokerage means no minimum either.
    EXPECT_NEAR(SellCharges(10, 50, 100, delivery, "ICICI Direct"), 25 + 3.09 + 1.25, 1e-9);
    EXPECT_NEAR(SellCharges(10, 100, 100, intraday, "ICICI Direct"), 0.25, 1e-9);
}

TEST(ProfitCalcRulesTest, WorkedExamplesWithTheNewBrokerRates) {
    const BrokerRates r = RatesOf(NewBrokerRecord(), 0);
    EXPECT_NEAR(CalcBuyCharges(100, 100, r), 96.77, 1e-9);
    EXPECT_EQ(SellingPriceText(TargetSellingPrice(100, 100, 0, r)), "101.95");
    EXPECT_NEAR(CalcSellCharges(100, 110, r), 106.45, 1e-9);
    EXPECT_EQ(ProfitText(ProfitAtPrice(100, 100, 110, r)), "796.78");
    EXPECT_EQ(SellingPriceText(TargetSellingPrice(0, 100, 500, r)), "0.00") << "no shares";
    BrokerRates allCharges;
    allCharges.sB = 100;
    EXPECT_EQ(SellingPriceText(TargetSellingPrice(10, 100, 0, allCharges)), "0.00");
    EXPECT_EQ(ProfitText(ProfitAtPrice(0, 0, 0, r)), "0.00");
    EXPECT_EQ(ProfitText(ProfitAtPrice(1000, 223.47, 100, BrokerRates{})), "-1,23,470.00");
}

TEST(ProfileRowsTest, LotsOfAStockMergeIntoOneRow) {
    // Quantities and average costs of merged lots are in the export below and the page's test.
    // Intraday rows match symbols whatever their case; delivery rows do not.
    EXPECT_EQ(MergeLots({Lot("INFY", 1, 1), Lot("infy", 1, 1)}, true).size(), 1u);
    EXPECT_EQ(MergeLots({Lot("INFY", 1, 1), Lot("infy", 1, 1)}, false).size(), 2u);
    // A price equal to its change (no previous close) has no percentage.
    EXPECT_EQ(MergeLots({Lot("NEW", 10, 1, 5, 5)}, false)[0].changePercent, 0);
}

TEST(ProfileRowsTest, RowsAreValuedAfterEveryChargeOfTheirBroker) {
    const std::vector<BrokerRecord> brokers = {Broker(1, "Sharekhan"), Broker(2, "ICICI Direct")};
    std::vector<ProfileRow> rows =
        MergeLots({Lot("A", 100, 100, 110, 0, 1), Lot("B", 100, 10, 0, 0, 2), // no quote yet
                   Lot("C", 123456.78, 1, 0, 0, 9),                           // broker gone
                   Lot("D", 0, 5, 10, 0, 9)},                                 // cost 0
                  false);
    const ProfileTotals totals = ComputeRows(rows, 0, brokers);
    const struct {
        int column;
        std::vector<std::string> texts;
    } expected[] = {
        {kPcCostPlusBrokerage, {"10,096.77", "1,029.34", "1,23,456.78", "0.00"}},
        {kPcYoullGet, {"10,796.78", "0.00", "0.00", "50.00"}},
        {kPcNetPL, {"796.78", "0.00", "0.00", "50.00"}},
        {kPcNetPLPercent, {"7.97", "0.00", "0.00", "0.00"}},
    };
    for (const auto& e : expected)
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(ProfileCellText(rows[i], e.column), e.texts[i]) << e.column << "/" << i;
    EXPECT_NEAR(totals.cost, 10096.77 + 1029.34 + 123456.78, 1e-6);
    EXPECT_NEAR(totals.youllGet, 10796.78 + 50, 1e-6);
    EXPECT_NEAR(totals.netPL, 846.78, 1e-6);

    EXPECT_EQ(ProfitTotalColor("1,800.00"), RGB(0, 128, 0));
    EXPECT_EQ(ProfitTotalColor("-0.50"), RGB(255, 0, 0));
    EXPECT_EQ(ProfitTotalColor("0.00"), RGB(0, 0, 255));
}

TEST(ProfileExportTest, WritesTheSectionsThatHaveRowsWithPlainTotals) {
    std::vector<ProfileRow> rows =
        MergeLots({Lot("LT", 50, 100, 62, 2), Lot("LT", 60, 300, 62, 2)}, false);
    rows[0].companyName = "Larsen & Toubro, Ltd";
    ComputeRows(rows, 0, {});
    const std::vector<ProfileRow> none;
    const std::string text = ProfileExportText({&rows, "23,000.00", "24,800.00", "1,800.00"},
                                               {&none, "0.00", "0.00", "0.00"});
    EXPECT_EQ(text,
              "My PROFILE for Current Stocks in My Hand\r\n\r\nDELIVERY STOCKS\r\n\r\n"
              "Stock Name,Index,Quantity,Average CP,Market Price,%Change,Cost "
              "Price+Brkrge,You'll get,Net Profit/Loss,Net %P/L\r\n"
              "Larsen & Toubro Ltd,NSE,400,57.50,62.00,3.33,23000.00,24800.00,1800.00,7.83\r\n"
              "\r\nTotal Cost Price,23000.00\r\nOn selling all now you'll get,24800.00\r\n"
              "Net Profit/Loss after deducting all Brokerage,1800.00");
}

} // namespace
