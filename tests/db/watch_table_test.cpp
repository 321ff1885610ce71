#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "db/operations.h"
#include "db/statements.h"
#include "db/watch_table.h"
#include "support/data_source_fixture.h"

namespace {

using db::WatchRow;
using WatchTableTest = DataSourceTest;

const std::vector<WatchRow> kList = {
    {"Tata Consultancy Services Ltd", "NSE", "TCS", 1, 3500, 4200.5},
    {"Dr. Reddy's Laboratories Ltd", "BSE", "500124", 0, 0, 0},
    {"Infosys Ltd", "NSE", "INFY", 0, 0, 0},
    {"Infosys Ltd", "BSE", "INFY", 1, 1400, 1700},
    {"टाटा मोटर्स", "NSE", "TATAMOTORS", 0, 0, 0},
};

TEST_F(WatchTableTest, ReplacingKeepsTheListOrder) {
    CSelCompanyListset rs;
    EXPECT_TRUE(db::ReadWatchList(rs).empty());

    db::ReplaceWatchList(rs, kList);
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(db::ReadWatchList(rs), kList);

    // Saving again, reordered and shorter, is what the page does at every exit.
    const std::vector<WatchRow> reordered = {kList[4], kList[0], kList[2]};
    db::ReplaceWatchList(rs, reordered);
    EXPECT_EQ(db::ReadWatchList(rs), reordered);

    db::AppendWatchRow(rs, kList[1]);
    EXPECT_EQ(db::ReadWatchList(rs).back(), kList[1]);

    db::ReplaceWatchList(rs, {});
    EXPECT_EQ(Count("SelectedComp2Watch"), 0);
}

TEST_F(WatchTableTest, FailedReplaceLeavesTheOldList) {
    CSelCompanyListset rs;
    db::ReplaceWatchList(rs, kList);
    if (OnPostgres()) {
        m_db.ExecuteSQL("CREATE OR REPLACE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                        "$$ BEGIN IF NEW.COMPNAME = 'refused' THEN RAISE 'row refused'; END IF; "
                        "RETURN NEW; END $$");
        m_db.ExecuteSQL("CREATE TRIGGER refuse BEFORE INSERT ON SelectedComp2Watch "
                        "FOR EACH ROW EXECUTE FUNCTION refuse()");
    } else {
        m_db.ExecuteSQL("CREATE TRIGGER refuse BEFORE INSERT ON SelectedComp2Watch WHEN "
                        "NEW.COMPNAME='refused' BEGIN SELECT RAISE(ABORT, 'row refused'); END");
    }
    std::vector<WatchRow> changed = {kList[2], {"refused", "NSE", "X", 0, 0, 0}, kList[0]};
    try {
        db::ReplaceWatchList(rs, changed);
        FAIL() << "no error";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.find("row refused"), std::string::npos) << e.m_strError;
    }
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_EQ(db::ReadWatchList(rs), kList);
}

TEST_F(WatchTableTest, AlertChangesOnlyTheFirstRowOfTheSymbol) {
    CSelCompanyListset rs;
    db::ReplaceWatchList(rs, kList);
    EXPECT_TRUE(db::SetWatchAlert(rs, "INFY", 1, 10, 20));
    EXPECT_FALSE(db::SetWatchAlert(rs, "NOSUCH", 1, 10, 20));

    std::vector<WatchRow> expected = kList;
    expected[2].alertSetting = 1;
    expected[2].lowerLimit = 10;
    expected[2].upperLimit = 20;
    EXPECT_EQ(db::ReadWatchList(rs), expected);
}

TEST_F(WatchTableTest, NseFilterSelectsTheNseRows) {
    CSelCompanyListset rs;
    db::ReplaceWatchList(rs, kList);
    rs.m_strFilter = db::SqlFilterWatchNse();
    rs.Open();
    const auto symbols =
        db::ReadAllRows(rs, [](const CSelCompanyListset& set) { return set.m_INDEXNAME; });
    EXPECT_EQ(symbols, (std::vector<std::string>{"TCS", "INFY", "TATAMOTORS"}));
    // The counter is the database's: increasing in insertion order.
    rs.MoveFirst();
    const std::int32_t first = rs.m_ID;
    rs.MoveNext();
    EXPECT_GT(rs.m_ID, first);
}

} // namespace
