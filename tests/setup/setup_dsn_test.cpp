// Setup with a data source the user made: it runs on the engine of the test run (SQLite, or
// PostgreSQL in the PostgreSQL suite).
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/odbc/database.h"
#include "platform/odbc/recordset.h"
#include "setup/odbc_ini.h"
#include "setup/setup.h"
#include "support/data_source_fixture.h"
#include "support/setup_options.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(PostgresDsnEntries, TurnsConnectionKeywordsIntoDataSourceEntries) {
    struct Case {
        const char* conninfo;
        setup::IniEntries entries; // empty: refused
        const char* error = "";
    };
    const Case cases[] = {
        {"host=db.local port=5433 dbname=koravel user=anita",
         {{"Driver", "PostgreSQL Unicode"},
          {"Servername", "db.local"},
          {"Port", "5433"},
          {"Database", "koravel"},
          {"Username", "anita"}}},
        {"  dbname = 'shop lists'  host=10.0.0.5 sslmode=require host=db2 ",
         {{"Driver", "PostgreSQL Unicode"},
          {"Servername", "db2"},
          {"Database", "shop lists"},
          {"SSLmode", "require"}}},
        {"host=db dbname='it\\'s'",
         {{"Driver", "PostgreSQL Unicode"}, {"Servername", "db"}, {"Database", "it's"}}},
        {"host=db dbname=k password=secret", {}, "~/.pgpass"},
        {"host=db dbname=k options=-cx", {}, "unknown keyword options"},
        {"host=db", {}, "host and dbname are needed"},
        {"host=db dbname=k port=54x", {}, "port must be a number"},
        {"host=db dbname=a;Driver=evil", {}, "';'"},
        {"host=db dbname='a\nDriver=evil'", {}, "control character"},
        {"host=db dbname='open", {}, "closing quote"},
        {"postgresql://db/k", {}, "keyword=value"},
        {"", {}, "host and dbname are needed"},
    };
    for (const Case& c : cases) {
        setup::IniEntries entries;
        std::string error;
        const bool ok = setup::PostgresDsnEntries(c.conninfo, entries, error);
        EXPECT_EQ(ok, !c.entries.empty()) << c.conninfo;
        if (ok)
            EXPECT_EQ(entries, c.entries) << c.conninfo;
        else
            EXPECT_NE(error.find(c.error), std::string::npos) << c.conninfo << ": " << error;
    }
}

class CCountset final : public CRecordset {
public:
    explicit CCountset(CDatabase* db) : CRecordset(db) { m_nFields = 1; }
    void DoFieldExchange(CFieldExchange* pFX) override { RFX_Long(pFX, "n", m_n); }
    std::int32_t m_n = 0;
};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

class SetupDsnTest : public ::testing::Test {
protected:
    SetupDsnTest() {
        m_postgres = testsupport::PostgresConnInfo();
        if (DataSourceTestEngineIsPostgres() && m_postgres.empty())
            ADD_FAILURE() << "the PostgreSQL run names no server (PGHOST, PGDATABASE)";
    }

    static bool DataSourceTestEngineIsPostgres() {
        const char* engine = std::getenv("KORAVEL_TEST_ENGINE");
        return engine && std::string(engine) == "postgresql";
    }

    Outcome Run(bool useDsn = false, bool replace = false, const std::string& postgres = {}) {
        setup::Options o = m_options;
        o.useDsn = useDsn;
        o.replaceDsn = replace;
        o.postgres = postgres;
        std::ostringstream out;
        std::ostringstream err;
        const int status = setup::Run(o, out, err);
        return {status, out.str(), err.str()};
    }

    // The connection string of a data source section.
    static std::string Connect(const setup::IniEntries& entries) {
        std::string text;
        for (const auto& [key, value] : entries)
            text += key + "=" + value + ";";
        return text;
    }

    // An empty database on the engine of the run, and the data source section naming it.
    setup::IniEntries EmptyDatabase() {
        if (!DataSourceTestEngineIsPostgres())
            return {{"Driver", "SQLite3"}, {"Database", m_dir.file("shared/lists.db")}};
        setup::IniEntries server;
        std::string error;
        EXPECT_TRUE(setup::PostgresDsnEntries(m_postgres, server, error)) << error;
        CDatabase admin;
        admin.Open(Connect(server));
        admin.ExecuteSQL("DROP DATABASE IF EXISTS koravel_setup_test");
        admin.ExecuteSQL("CREATE DATABASE koravel_setup_test");
        for (auto& [key, value] : server)
            if (key == "Database")
                value = "koravel_setup_test";
        return server;
    }

    static long Count(CDatabase& db, const std::string& table) {
        CCountset rs(&db);
        rs.Open(CRecordset::snapshot, ("SELECT COUNT(*) FROM " + table).c_str());
        return rs.m_n;
    }

    TempDir m_dir;
    setup::Options m_options = testsupport::SetupOptionsIn(m_dir, "Koravel");
    std::string m_postgres;
};

TEST_F(SetupDsnTest, AnotherDataSourceIsLeftAloneAndSetUpOnlyWhenAsked) {
    fs::create_directories(m_dir.file("shared"));
    const setup::IniEntries shared = EmptyDatabase();
    std::string dsn = "; my data sources\n[CompanyList]\n";
    for (const auto& [key, value] : shared)
        dsn += key + "=" + value + "\n";
    dsn += "\n[Shop]\nDriver=SQLite3\nDatabase=/srv/shop.db\n";
    WriteFile(m_options.odbcIni, dsn);

    // What scripts/run does at every start: the user's data source stays, no file appears.
    const Outcome plain = Run();
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("CompanyList in " + m_options.odbcIni + ": left as it is"),
              std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find("koravel-setup --use-dsn"), std::string::npos) << plain.out;
    EXPECT_EQ(ReadFile(m_options.odbcIni), dsn);
    EXPECT_FALSE(fs::exists(m_options.dbFile));

    // Setup on the empty database, through the data source as it stands.
    const Outcome first = Run(true);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("created tables CompanyList, SelectedComp2Watch, PROFILELIST, "
                             "BROKERLIST, Future, SelectedFuture"),
              std::string::npos)
        << first.out;
    EXPECT_EQ(ReadFile(m_options.odbcIni), dsn);
    long companies = 0;
    {
        CDatabase db;
        db.Open(Connect(shared));
        companies = Count(db, "CompanyList");
        EXPECT_GT(companies, 500);
        db.ExecuteSQL("INSERT INTO SelectedComp2Watch (COMPNAME, INDEX, INDEXNAME) "
                      "VALUES ('Mine Ltd', 'NSE', 'MINE')");
    }

    // Twice: nothing doubles, the user's rows stay.
    const Outcome second = Run(true);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_NE(second.out.find("all tables present"), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("0 companies added"), std::string::npos) << second.out;
    {
        CDatabase db;
        db.Open(Connect(shared));
        EXPECT_EQ(Count(db, "CompanyList"), companies);
        EXPECT_EQ(Count(db, "SelectedComp2Watch"), 1);
    }

    // Asked to, setup points the data source at its own file; the old driver's keys go.
    const Outcome replaced = Run(false, true);
    ASSERT_EQ(replaced.status, 0) << replaced.err;
    const std::string ini = ReadFile(m_options.odbcIni);
    EXPECT_EQ(setup::ReadIniSection(ini, "CompanyList"),
              (setup::IniEntries{{"Driver", "SQLite3"},
                                 {"Database", m_options.dbFile},
                                 {"Timeout", "5000"},
                                 {"SyncPragma", "FULL"},
                                 {"NoCreat", "1"}}));
    EXPECT_EQ(ini.rfind("; my data sources\n", 0), 0u);
    EXPECT_NE(ini.find("[Shop]\nDriver=SQLite3\nDatabase=/srv/shop.db\n"), std::string::npos);

    // With no data source at all, --use-dsn has nothing to use.
    WriteFile(m_options.odbcIni, "");
    const Outcome none = Run(true);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.err.find("There is no data source CompanyList"), std::string::npos);
}

TEST_F(SetupDsnTest, ASystemWideDataSourceIsAnothersToo) {
    // With none of the user's own, the driver manager takes the system's: not to be shadowed.
    fs::create_directories(m_dir.file("etc"));
    WriteFile(m_dir.file("etc/odbc.ini"),
              "[CompanyList]\nDriver=PostgreSQL Unicode\nServername=office\nDatabase=koravel\n");
    const testsupport::ScopedEnv system("ODBCSYSINI", m_dir.file("etc"));
    const Outcome plain = Run();
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("CompanyList in " + m_dir.file("etc/odbc.ini") +
                             ": left as it is; it points to Driver=PostgreSQL Unicode, "
                             "Servername=office, Database=koravel"),
              std::string::npos)
        << plain.out;
    EXPECT_FALSE(fs::exists(m_options.odbcIni));
    EXPECT_FALSE(fs::exists(m_options.dbFile));
}

TEST_F(SetupDsnTest, PostgresOptionWritesTheDataSourceForAServerItReaches) {
    if (!DataSourceTestEngineIsPostgres())
        GTEST_SKIP() << "needs a PostgreSQL server; runs in the PostgreSQL suite";
    const setup::IniEntries server = EmptyDatabase();
    const std::string conninfo = m_postgres + " dbname=koravel_setup_test";

    // A server that does not answer: nothing is written.
    const Outcome unreachable = Run(false, false, conninfo + " port=1");
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_NE(unreachable.err.find("Cannot connect to the data source CompanyList"),
              std::string::npos)
        << unreachable.err;
    EXPECT_FALSE(fs::exists(m_options.odbcIni));

    // Setup's own SQLite data source may become the shared one.
    ASSERT_EQ(Run().status, 0);
    const Outcome moved = Run(false, false, conninfo);
    ASSERT_EQ(moved.status, 0) << moved.err;
    EXPECT_NE(moved.out.find("created tables"), std::string::npos) << moved.out;
    const std::string ini = ReadFile(m_options.odbcIni);
    const auto dsn = setup::ReadIniSection(ini, "CompanyList");
    ASSERT_TRUE(dsn);
    EXPECT_EQ(setup::IniValue(*dsn, "Driver"), "PostgreSQL Unicode");
    EXPECT_EQ(setup::IniValue(*dsn, "Database"), "koravel_setup_test");
    EXPECT_EQ(setup::IniValue(*dsn, "SyncPragma"), "");
    EXPECT_EQ(setup::IniValue(*dsn, "Password"), "");

    // Another's data source is not replaced unless asked.
    const std::string foreign = "[CompanyList]\nDriver=SQLite3\nDatabase=/srv/theirs.db\n";
    WriteFile(m_options.odbcIni, foreign);
    const Outcome refused = Run(false, false, conninfo);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("already points to Driver=SQLite3, Database=/srv/theirs.db"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(ReadFile(m_options.odbcIni), foreign);
    const Outcome asked = Run(false, true, conninfo);
    ASSERT_EQ(asked.status, 0) << asked.err;
    EXPECT_NE(asked.out.find("0 companies added"), std::string::npos) << asked.out;
    EXPECT_EQ(setup::IniValue(*setup::ReadIniSection(ReadFile(m_options.odbcIni), "CompanyList"),
                              "Driver"),
              "PostgreSQL Unicode");
}

} // namespace
