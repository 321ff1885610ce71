#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "db/operations.h"
#include "db/recordsets.h"
#include "db/statements.h"
#include "support/data_source_fixture.h"

namespace {

// Every statement runs against the data source below; these pin the escaping and the
// formatting of the extreme id, which no stored row shows.
TEST(Statements, TextsEscapeQuotesAndCarryAnyId) {
    const std::pair<std::string, std::string> cases[] = {
        {db::SqlFilterBseCompanies("Reddy's"),
         "COMPNAME LIKE '%Reddy''s%' AND (BSENAME<>NULL AND BSENAME<>'')"},
        {db::SqlFilterBseName("O'X"), "BSENAME='O''X'"},
        {db::SqlFilterBrokerName("x' OR '1'='1"), "BROKERNAME='x'' OR ''1''=''1'"},
        {db::SqlFilterLotsOfBroker(-2147483647L - 1), "BROKERID=-2147483648"},
    };
    for (const auto& [actual, expected] : cases)
        EXPECT_EQ(actual, expected);
}

using StatementsTest = DataSourceTest;

std::vector<std::string> SearchNames(const std::string& filter) {
    CCompanyListset rs;
    rs.m_strFilter = filter;
    rs.m_strSort = db::kSortCompanyName;
    rs.Open(CRecordset::snapshot, "CompanyList");
    return db::ReadAllRows(rs, [](const CCompanyListset& set) { return set.m_COMPNAME; });
}

void AddCompany(const std::string& name, const std::string& nse, const std::string& bse) {
    CCompanyListset rs;
    db::AddRow(rs, [&](CCompanyListset& set) {
        set.m_COMPNAME = name;
        set.m_NSENAME = nse;
        set.m_BSENAME = bse;
    });
}

TEST_F(StatementsTest, CompanyFiltersFindOnlyCompaniesListedOnThatExchange) {
    // Not listed means NULL or empty; both must be left out.
    m_db.ExecuteSQL("INSERT INTO CompanyList VALUES ('Zyzzy Null Nse Ltd', 'ZYBSE1', NULL)");
    m_db.ExecuteSQL("INSERT INTO CompanyList VALUES ('Zyzzy Empty Nse Ltd', 'ZYBSE2', '')");
    m_db.ExecuteSQL("INSERT INTO CompanyList VALUES ('Zyzzy Null Bse Ltd', NULL, 'ZYNSE1')");
    m_db.ExecuteSQL("INSERT INTO CompanyList VALUES ('Zyzzy Empty Bse Ltd', '', 'ZYNSE2')");
    m_db.ExecuteSQL("INSERT INTO CompanyList VALUES ('Zyzzy Both Ltd', 'ZYB', 'ZYN')");

    EXPECT_EQ(
        SearchNames(db::SqlFilterNseCompanies("zyzzy")),
        (std::vector<std::string>{"Zyzzy Both Ltd", "Zyzzy Empty Bse Ltd", "Zyzzy Null Bse Ltd"}));
    EXPECT_EQ(
        SearchNames(db::SqlFilterBseCompanies("Zyzzy")),
        (std::vector<std::string>{"Zyzzy Both Ltd", "Zyzzy Empty Nse Ltd", "Zyzzy Null Nse Ltd"}));

    // Filter 3 lists every company with a symbol on the exchange, the catalogue's included.
    // Setup stores each symbol of the catalogue once.
    std::set<std::string> onNse;
    std::set<std::string> onBse;
    for (const catalogue::Company& c : catalogue::Companies()) {
        if (!c.nseName.empty())
            onNse.insert(c.nseName);
        if (!c.bseName.empty())
            onBse.insert(c.bseName);
    }
    const std::vector<std::string> nse = SearchNames(db::SqlFilterListedOn(true));
    EXPECT_EQ(nse.size(), onNse.size() + 3);
    EXPECT_TRUE(std::is_sorted(nse.begin(), nse.end()));
    EXPECT_EQ(SearchNames(db::SqlFilterListedOn(false)).size(), onBse.size() + 3);
    EXPECT_EQ(std::count(nse.begin(), nse.end(), "Zyzzy Null Nse Ltd"), 0);
}

TEST_F(StatementsTest, QuotesAndNonAsciiTextAreStoredAndFound) {
    AddCompany("Dr. Reddy's Test Laboratories Ltd", "DRR'TEST", "");
    AddCompany("टाटा परीक्षण लिमिटेड", "TATATEST", "500999");

    EXPECT_EQ(SearchNames(db::SqlFilterNseCompanies("Reddy's Test")),
              (std::vector<std::string>{"Dr. Reddy's Test Laboratories Ltd"}));
    EXPECT_EQ(SearchNames(db::SqlFilterBseCompanies("परीक्षण")),
              (std::vector<std::string>{"टाटा परीक्षण लिमिटेड"}));

    // Statement 4: the symbol is looked up on NSE, then the same recordset requeried on BSE.
    CCompanyListset rs;
    rs.m_strFilter = db::SqlFilterNseName("DRR'TEST");
    rs.Open();
    EXPECT_EQ(rs.m_COMPNAME, "Dr. Reddy's Test Laboratories Ltd");
    rs.m_strFilter = db::SqlFilterBseName("500999");
    rs.Requery();
    EXPECT_EQ(rs.m_COMPNAME, "टाटा परीक्षण लिमिटेड");
    rs.m_strFilter = db::SqlFilterBseName("DRR'TEST");
    rs.Requery();
    EXPECT_TRUE(rs.IsEOF());
}

TEST_F(StatementsTest, TypedTextNeverBecomesPartOfTheStatement) {
    const std::string attack = "x' OR '1'='1";
    const long companies = Count("CompanyList");
    EXPECT_TRUE(SearchNames(db::SqlFilterNseCompanies(attack)).empty());
    EXPECT_TRUE(SearchNames(db::SqlFilterBseCompanies(attack)).empty());

    m_db.ExecuteSQL(
        "INSERT INTO PROFILELIST VALUES ('Infosys Ltd', 'NSE', 'INFY', 0, 1500, 10, 1)");
    m_db.ExecuteSQL("INSERT INTO SelectedFuture (Underlying, Symbol) VALUES ('NIFTY 50', 'NIFTY')");
    m_db.ExecuteSQL(db::SqlDeleteLots(attack, 0));
    m_db.ExecuteSQL(db::SqlDeleteSelectedFuture(attack));
    m_db.ExecuteSQL(db::SqlDeleteLots("INFY' --", 0));
    EXPECT_EQ(Count("PROFILELIST"), 1);
    EXPECT_EQ(Count("SelectedFuture"), 1);
    EXPECT_EQ(Count("CompanyList"), companies);
    m_db.ExecuteSQL(db::SqlDeleteSelectedFuture("NIFTY"));
    EXPECT_EQ(Count("SelectedFuture"), 0);
}

TEST_F(StatementsTest, BrokerStatements) {
    CBrokersListset brokers;
    db::AddRow(brokers, [](CBrokersListset& set) {
        set.m_BROKERNAME = "O'Brien Securities";
        set.m_DELIVERY_BUY_BROKERAGE = 0.5;
        set.m_INTRADAY_SELL_OTHERS = 0.01;
    });
    db::AddRow(brokers, [](CBrokersListset& set) { set.m_BROKERNAME = "Idle Broker"; });

    // Statement 11 finds a broker by a name with a quote; the database gave the counters.
    brokers.m_strFilter = db::SqlFilterBrokerName("O'Brien Securities");
    brokers.Open();
    const std::int32_t used = brokers.m_BROKERID;
    EXPECT_GT(used, 0);
    EXPECT_DOUBLE_EQ(brokers.m_DELIVERY_BUY_BROKERAGE, 0.5);
    EXPECT_DOUBLE_EQ(brokers.m_INTRADAY_SELL_OTHERS, 0.01);
    brokers.m_strFilter = db::SqlFilterBrokerName("Idle Broker");
    brokers.Requery();
    const std::int32_t idle = brokers.m_BROKERID;
    EXPECT_NE(idle, used);
    brokers.Close();

    CProfileListset lots;
    db::AddRow(lots, [used](CProfileListset& set) {
        set.m_COMPNAME = "Infosys Ltd";
        set.m_INDEX = "NSE";
        set.m_INDEXNAME = "INFY";
        set.m_PRICE = 1500.25;
        set.m_QUANTITY = 10;
        set.m_BROKERID = used;
    });

    // Statement 9: any row means the broker is in use.
    lots.m_strFilter = db::SqlFilterLotsOfBroker(used);
    lots.Open();
    EXPECT_FALSE(lots.IsEOF());
    EXPECT_EQ(lots.m_QUANTITY, 10);
    lots.m_strFilter = db::SqlFilterLotsOfBroker(idle);
    lots.Requery();
    EXPECT_TRUE(lots.IsEOF());
    lots.Close();

    // Statement 10 on the recordset's own connection.
    brokers.m_strFilter.clear();
    brokers.Open();
    brokers.m_pDatabase->ExecuteSQL(db::SqlDeleteBroker(idle));
    brokers.Close();
    EXPECT_EQ(Count("BROKERLIST"), 1);
    EXPECT_EQ(Count("BROKERLIST", "BROKERID=" + std::to_string(used)), 1);
}

TEST_F(StatementsTest, LotStatementsSelectBySymbolAndDeliveryType) {
    m_db.ExecuteSQL(
        "INSERT INTO PROFILELIST VALUES ('Infosys Ltd', 'NSE', 'INFY', 0, 1500, 10, 1)");
    m_db.ExecuteSQL("INSERT INTO PROFILELIST VALUES ('Infosys Ltd', 'NSE', 'INFY', 0, 1510, 5, 1)");
    m_db.ExecuteSQL("INSERT INTO PROFILELIST VALUES ('Infosys Ltd', 'NSE', 'INFY', 1, 1490, 7, 1)");
    m_db.ExecuteSQL("INSERT INTO PROFILELIST VALUES ('Wipro Ltd', 'BSE', 'WIPRO', 0, 250, 3, 1)");

    CProfileListset lots;
    lots.m_strFilter = db::SqlFilterLots("INFY", 0);
    lots.Open();
    const auto quantities =
        db::ReadAllRows(lots, [](const CProfileListset& set) { return set.m_QUANTITY; });
    EXPECT_EQ(quantities, (std::vector<std::int32_t>{10, 5}));
    lots.Close();

    m_db.ExecuteSQL(db::SqlDeleteLots("INFY", 0));
    EXPECT_EQ(Count("PROFILELIST", "INDEXNAME='INFY'"), 1);
    EXPECT_EQ(Count("PROFILELIST", "INDEXNAME='INFY' AND DELIVERYTYPE=1"), 1);
    EXPECT_EQ(Count("PROFILELIST"), 2);
}

TEST_F(StatementsTest, ReportedErrorsCarryTheDataSourceText) {
    std::vector<std::string> shown;
    const db::ErrorReporter report = [&shown](const std::string& text) { shown.push_back(text); };

    CCompanyListset rs;
    EXPECT_FALSE(db::RunReported(report, [&rs] {
        rs.m_strFilter = "NOSUCH='x'";
        return rs.Open();
    }));
    ASSERT_EQ(shown.size(), 1u);
    const char* expected =
        OnPostgres() ? "column \"nosuch\" does not exist" : "no such column: NOSUCH";
    EXPECT_NE(shown[0].find(expected), std::string::npos) << shown[0];

    // A failed open ends the operation without a message.
    EXPECT_FALSE(db::RunReported(report, [] { return false; }));
    EXPECT_TRUE(db::RunReported(report, [] { return true; }));
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace
