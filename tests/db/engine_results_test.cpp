// What users see must not depend on the engine behind the data source: every test here runs
// on SQLite and, in the PostgreSQL suite, on PostgreSQL.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "db/operations.h"
#include "db/recordsets.h"
#include "db/statements.h"
#include "db/watch_table.h"
#include "support/data_source_fixture.h"

namespace {

using db::WatchRow;
using EngineResultsTest = DataSourceTest;

void AddCompany(const std::string& name, const std::string& nse) {
    CCompanyListset rs;
    db::AddRow(rs, [&](CCompanyListset& set) {
        set.m_COMPNAME = name;
        set.m_NSENAME = nse;
    });
}

std::vector<std::string> FoundOnNse(const std::string& text) {
    CCompanyListset rs;
    rs.m_strFilter = db::SqlFilterNseCompanies(text);
    rs.m_strSort = db::kSortCompanyName;
    rs.Open(CRecordset::snapshot, "CompanyList");
    std::vector<std::string> names;
    for (const std::string& name :
         db::ReadAllRows(rs, [](const CCompanyListset& set) { return set.m_COMPNAME; }))
        if (name.rfind("Zq ", 0) == 0) // the catalogue's own companies are not the point here
            names.push_back(name);
    return names;
}

TEST_F(EngineResultsTest, SearchFindsTheSameCompaniesOnEveryEngine) {
    const std::string longName = "Zq " + std::string(252, 'L');
    AddCompany("Zq Bank of Baroda Ltd", "ZQBOB");
    AddCompany("Zq O'Hara Ltd", "ZQOH");
    AddCompany("Zq Société Générale ₹ Ltd", "ZQSG");
    AddCompany("Zq 100% Growth Ltd", "ZQPCT");
    AddCompany("Zq Under_Score Ltd", "ZQUS");
    AddCompany("Zq Back\\Slash Ltd", "ZQBS");
    AddCompany(longName, "ZQLONG");

    struct Case {
        const char* text;
        std::vector<std::string> found;
    };
    const Case cases[] = {
        {"zq bank", {"Zq Bank of Baroda Ltd"}}, // case does not matter
        {"ZQ BANK OF", {"Zq Bank of Baroda Ltd"}},
        {"o'hara", {"Zq O'Hara Ltd"}},
        {"Société", {"Zq Société Générale ₹ Ltd"}},
        {"₹", {"Zq Société Générale ₹ Ltd"}},
        {"100%", {"Zq 100% Growth Ltd"}},
        {"zq b_nk", {"Zq Bank of Baroda Ltd"}}, // '_' and '%' match as in any LIKE
        {"Under_", {"Zq Under_Score Ltd"}},
        {"back\\slash", {"Zq Back\\Slash Ltd"}}, // a backslash is an ordinary character
        {"LLLLLLLLLL", {longName}},
        {"no such company", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FoundOnNse(c.text), c.found) << c.text;
}

TEST_F(EngineResultsTest, TextsThatDoNotFitAreRefusedAlike) {
    std::vector<std::string> shown;
    const db::ErrorReporter report = [&shown](const std::string& text) { shown.push_back(text); };
    const long companies = Count("CompanyList");

    EXPECT_FALSE(db::RunReported(report, [] {
        AddCompany("Zq " + std::string(297, 'L'), "ZQ300");
        return true;
    }));
    EXPECT_FALSE(db::RunReported(report, [] {
        AddCompany(std::string("Zq Nul\0Ltd", 10), "ZQNUL");
        return true;
    }));
    // A typed search text with a NUL never reaches the data source.
    EXPECT_FALSE(
        db::RunReported(report, [] { return !FoundOnNse(std::string("a\0b", 3)).empty(); }));
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "The text for COMPNAME has 300 characters; at most 255 can be stored.",
                         "The text for COMPNAME contains a NUL character, which cannot be stored.",
                         "The text contains a NUL character, which cannot be stored.",
                     }));
    EXPECT_EQ(Count("CompanyList"), companies);
}

const std::vector<WatchRow> kList = {
    {"Tata Consultancy Services Ltd", "NSE", "TCS", 1, 3500, 4200.5},
    {"Dr. Reddy's Laboratories Ltd", "BSE", "500124", 0, 0, 0},
    {"Infosys Ltd", "NSE", "INFY", 0, 0, 0},
    {"Wipro Ltd", "NSE", "WIPRO", 0, 0, 0},
};

TEST_F(EngineResultsTest, RowsComeInTheOrderTheyWereAddedAfterEdits) {
    // An engine that moves a changed row to the end of its table must not reorder the list.
    CSelCompanyListset watch;
    db::ReplaceWatchList(watch, kList);
    EXPECT_TRUE(db::SetWatchAlert(watch, "TCS", 0, 0, 0));
    EXPECT_TRUE(db::SetWatchAlert(watch, "INFY", 1, 1400, 1700));
    std::vector<WatchRow> expected = kList;
    expected[0] = {"Tata Consultancy Services Ltd", "NSE", "TCS", 0, 0, 0};
    expected[2] = {"Infosys Ltd", "NSE", "INFY", 1, 1400, 1700};
    EXPECT_EQ(db::ReadWatchList(watch), expected);

    CProfileListset lots;
    for (const int quantity : {1, 2, 3})
        db::AddRow(lots, [quantity](CProfileListset& set) {
            set.m_INDEXNAME = "INFY";
            set.m_QUANTITY = quantity;
        });
    EXPECT_TRUE(db::ChangeFirstRow(lots, db::SqlFilterLots("INFY", 0),
                                   [](CProfileListset& set) { set.m_PRICE = 1500; }));
    lots.Open();
    EXPECT_EQ(db::ReadAllRows(lots, [](const CProfileListset& set) { return set.m_QUANTITY; }),
              (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(EngineResultsTest, IdenticalLotsAreChangedOneAtATime) {
    for (int i = 0; i < 3; ++i)
        m_db.ExecuteSQL("INSERT INTO PROFILELIST VALUES ('Infosys Ltd', 'NSE', 'INFY', 0, 1500, "
                        "10, 1)");
    CProfileListset lots;
    lots.m_strFilter = db::SqlFilterLots("INFY", 0);
    lots.Open();
    lots.MoveNext();
    lots.Edit();
    lots.m_QUANTITY = 20;
    lots.Update();
    lots.MoveNext();
    lots.Delete();
    lots.Requery();
    EXPECT_EQ(db::ReadAllRows(lots, [](const CProfileListset& set) { return set.m_QUANTITY; }),
              (std::vector<std::int32_t>{10, 20}));
}

TEST_F(EngineResultsTest, AnAddedRowShowsTheCounterTheDatabaseGaveIt) {
    CSelCompanyListset watch;
    watch.Open();
    for (const WatchRow& row : kList) {
        watch.AddNew();
        db::SetWatchRow(watch, row);
        watch.Update();
    }
    std::vector<std::int32_t> shown;
    for (watch.MoveFirst(); !watch.IsEOF(); watch.MoveNext())
        shown.push_back(watch.m_ID);
    watch.Requery();
    std::vector<std::int32_t> stored;
    for (; !watch.IsEOF(); watch.MoveNext())
        stored.push_back(watch.m_ID);
    EXPECT_EQ(shown, stored);
    ASSERT_EQ(stored.size(), kList.size());
    EXPECT_GT(stored[0], 0);
    EXPECT_TRUE(std::is_sorted(stored.begin(), stored.end()));
}

// Two lists of the same length that share no row, so any mix of them is recognised.
std::vector<WatchRow> ListOf(char who) {
    std::vector<WatchRow> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back({std::string("Company ") + who + std::to_string(i), "NSE",
                        std::string(1, who) + std::to_string(i), 0, 0, 0});
    return rows;
}

// Run only as one of the two processes of the test below: saves its list again and again and
// checks that every list it reads back is one of the two, whole.
TEST(WatchListSaver, DISABLED_SavesAndReadsBack) {
    const char* who = std::getenv("KORAVEL_TEST_SAVER");
    ASSERT_TRUE(who && *who);
    const std::vector<WatchRow> mine = ListOf(*who);
    const std::vector<WatchRow> a = ListOf('A');
    const std::vector<WatchRow> b = ListOf('B');
    CSelCompanyListset rs;
    for (int i = 0; i < 25; ++i) {
        db::ReplaceWatchList(rs, mine);
        const std::vector<WatchRow> seen = db::ReadWatchList(rs);
        ASSERT_TRUE(seen == a || seen == b) << "a mixed list of " << seen.size() << " rows";
    }
}

TEST_F(EngineResultsTest, TwoProcessesSavingTheirListsNeverMerge) {
    pid_t children[2];
    for (int i = 0; i < 2; ++i) {
        const std::string who = i == 0 ? "A" : "B";
        children[i] = fork();
        ASSERT_GE(children[i], 0);
        if (children[i] == 0) {
            setenv("KORAVEL_TEST_SAVER", who.c_str(), 1);
            execl("/proc/self/exe", "db_tests", "--gtest_also_run_disabled_tests",
                  "--gtest_filter=WatchListSaver.DISABLED_SavesAndReadsBack",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a saver failed";
    }
    CSelCompanyListset rs;
    const std::vector<WatchRow> final = db::ReadWatchList(rs);
    EXPECT_TRUE(final == ListOf('A') || final == ListOf('B'));
}

TEST_F(EngineResultsTest, AServerThatWentAwayIsReportedOnceAndTheNextSaveStores) {
    if (!OnPostgres())
        GTEST_SKIP() << "a file has no server to stop; this runs in the PostgreSQL suite";
    CSelCompanyListset rs;
    db::ReplaceWatchList(rs, kList);
    const std::string cluster =
        std::string("pg_ctlcluster ") + std::getenv("PGVERSION") + " regress ";
    ASSERT_EQ(std::system((cluster + "stop -m fast").c_str()), 0);

    std::vector<std::string> shown;
    const db::ErrorReporter report = [&shown](const std::string& text) { shown.push_back(text); };
    const std::vector<WatchRow> changed = {kList[3], kList[0]};
    EXPECT_FALSE(db::RunReported(report, [&] {
        db::ReplaceWatchList(rs, changed);
        return true;
    }));
    ASSERT_EQ(std::system((cluster + "start").c_str()), 0);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("connect"), std::string::npos) << shown[0];
    EXPECT_FALSE(rs.IsOpen());

    EXPECT_TRUE(db::RunReported(report, [&] {
        db::ReplaceWatchList(rs, changed);
        return true;
    }));
    EXPECT_EQ(db::ReadWatchList(rs), changed);
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace
