#include "support/data_source_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "db/recordsets.h"
#include "setup/setup.h"
#include "support/setup_options.h"
#include "support/temp_dir.h"

namespace {

struct Place {
    testsupport::TempDir dir;
    setup::Options options = testsupport::SetupOptionsIn(dir, "root");
    bool postgres = false;
    std::string problem; // why the data source cannot be made

    Place() {
        setenv("ODBCINI", options.odbcIni.c_str(), 1);
        const char* engine = std::getenv("KORAVEL_TEST_ENGINE");
        postgres = engine && std::string(engine) == "postgresql";
        // The test's own file, even where the system names a shared CompanyList.
        options.replaceDsn = !postgres;
        if (!postgres)
            return;
        options.postgres = testsupport::PostgresConnInfo();
        if (options.postgres.empty()) {
            problem = "KORAVEL_TEST_ENGINE=postgresql, but PGHOST and PGDATABASE name no "
                      "PostgreSQL server: run the suite through pg_virtualenv";
            return;
        }
        std::ostringstream out, err;
        if (setup::Run(options, out, err) != 0)
            problem = "PostgreSQL could not be set up: " + err.str();
        options.postgres.clear();
        options.useDsn = true;
    }
};

Place& ThePlace() {
    static Place place;
    return place;
}

class CCountset final : public CRecordset {
public:
    explicit CCountset(CDatabase* db) : CRecordset(db) { m_nFields = 1; }
    void DoFieldExchange(CFieldExchange* pFX) override { RFX_Long(pFX, "n", m_n); }
    std::int32_t m_n = 0;
};

} // namespace

namespace testsupport {

std::string PostgresConnInfo() {
    const char* host = std::getenv("PGHOST");
    const char* database = std::getenv("PGDATABASE");
    if (!host || !*host || !database || !*database)
        return {};
    std::string info = std::string("host=") + host + " dbname=" + database;
    for (const auto& [key, variable] : {std::pair{"port", "PGPORT"}, std::pair{"user", "PGUSER"}})
        if (const char* value = std::getenv(variable); value && *value)
            info += std::string(" ") + key + "=" + value;
    return info;
}

} // namespace testsupport

bool DataSourceTest::OnPostgres() {
    return ThePlace().postgres;
}

void DataSourceTest::SetUp() {
    Place& place = ThePlace();
    ASSERT_TRUE(place.problem.empty()) << place.problem;
    if (place.postgres) {
        m_db.Open(db::kDefaultConnect);
        m_db.ExecuteSQL("DROP TABLE IF EXISTS CompanyList, SelectedComp2Watch, PROFILELIST, "
                        "BROKERLIST, Future, SelectedFuture");
        m_db.Close();
    } else {
        std::remove(place.options.dbFile.c_str());
    }
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(setup::Run(place.options, out, err), 0) << err.str();
    m_db.Open(db::kDefaultConnect);
}

long DataSourceTest::Count(const std::string& table, const std::string& where) {
    CCountset rs(&m_db);
    rs.Open(CRecordset::snapshot,
            ("SELECT COUNT(*) AS n FROM " + table + " WHERE " + where).c_str());
    return rs.m_n;
}
