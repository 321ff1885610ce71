#include "db/data_source_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "db/recordsets.h"
#include "setup/setup.h"
#include "support/temp_dir.h"

namespace {

struct Place {
    testsupport::TempDir dir;
    setup::Options options;

    Place() {
        options.root = dir.file("root");
        options.dbFile = dir.file("root/CompanyList.db");
        options.odbcIni = dir.file("odbc.ini");
        setenv("ODBCINI", options.odbcIni.c_str(), 1);
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

const std::string& DataSourceTest::DatabaseFile() {
    return ThePlace().options.dbFile;
}

void DataSourceTest::SetUp() {
    std::remove(DatabaseFile().c_str());
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(setup::Run(ThePlace().options, out, err), 0) << err.str();
    m_db.Open(db::kDefaultConnect);
}

long DataSourceTest::Count(const std::string& table, const std::string& where) {
    CCountset rs(&m_db);
    rs.Open(CRecordset::snapshot,
            ("SELECT COUNT(*) AS n FROM " + table + " WHERE " + where).c_str());
    return rs.m_n;
}
