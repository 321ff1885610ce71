#include "setup/schema.h"

#include <algorithm>

#include "db/recordsets.h"
#include "platform/base/text.h"
#include "platform/odbc/database.h"

namespace setup {

namespace {

// The names of the tables in an SQLite database.
class CTableNameset final : public CRecordset {
public:
    explicit CTableNameset(CDatabase* db) : CRecordset(db) { m_nFields = 1; }
    std::string GetDefaultSQL() override {
        return "SELECT name FROM sqlite_master WHERE type='table'";
    }
    void DoFieldExchange(CFieldExchange* pFX) override { RFX_Text(pFX, "name", m_name); }
    std::string m_name;
};

std::vector<std::string> ExistingTables(CDatabase& db) {
    std::vector<std::string> names;
    CTableNameset rs(&db);
    rs.Open(CRecordset::snapshot);
    for (; !rs.IsEOF(); rs.MoveNext())
        names.push_back(rs.m_name);
    return names;
}

template <class Set> void CheckOpens(CDatabase& db, const std::string& table) {
    Set rs(&db);
    rs.m_strFilter = "1=0";
    try {
        rs.Open();
    } catch (const CDBException& e) {
        throw CDBException(e.m_nRetCode,
                           "The table " + table +
                               " does not have the expected columns: " + e.m_strError,
                           e.m_strStateNativeOrigin);
    }
}

} // namespace

const std::vector<TableDefinition>& Tables() {
    static const std::vector<TableDefinition> tables = {
        {"CompanyList", "CREATE TABLE IF NOT EXISTS CompanyList ("
                        "COMPNAME TEXT, BSENAME TEXT, NSENAME TEXT)"},
        {"SelectedComp2Watch", "CREATE TABLE IF NOT EXISTS SelectedComp2Watch ("
                               "ID INTEGER PRIMARY KEY AUTOINCREMENT, COMPNAME TEXT, [INDEX] TEXT, "
                               "INDEXNAME TEXT, ALERTSETTING INTEGER, LOWERLIMIT DOUBLE, "
                               "UPPERLIMIT DOUBLE)"},
        {"PROFILELIST", "CREATE TABLE IF NOT EXISTS PROFILELIST ("
                        "COMPNAME TEXT, [INDEX] TEXT, INDEXNAME TEXT, DELIVERYTYPE INTEGER, "
                        "PRICE DOUBLE, QUANTITY INTEGER, BROKERID INTEGER)"},
        {"BROKERLIST", "CREATE TABLE IF NOT EXISTS BROKERLIST ("
                       "BROKERID INTEGER PRIMARY KEY AUTOINCREMENT, BROKERNAME TEXT, "
                       "DELIVERY_BUY_BROKERAGE DOUBLE, DELIVERY_BUY_ST DOUBLE, "
                       "DELIVERY_BUY_STT DOUBLE, DELIVERY_BUY_OTHERS DOUBLE, "
                       "DELIVERY_SELL_BROKERAGE DOUBLE, DELIVERY_SELL_ST DOUBLE, "
                       "DELIVERY_SELL_STT DOUBLE, DELIVERY_SELL_OTHERS DOUBLE, "
                       "INTRADAY_BUY_BROKERAGE DOUBLE, INTRADAY_BUY_ST DOUBLE, "
                       "INTRADAY_BUY_STT DOUBLE, INTRADAY_BUY_OTHERS DOUBLE, "
                       "INTRADAY_SELL_BROKERAGE DOUBLE, INTRADAY_SELL_ST DOUBLE, "
                       "INTRADAY_SELL_STT DOUBLE, INTRADAY_SELL_OTHERS DOUBLE)"},
        {"Future", "CREATE TABLE IF NOT EXISTS Future ("
                   "ID INTEGER PRIMARY KEY AUTOINCREMENT, Underlying TEXT, Symbol TEXT)"},
        {"SelectedFuture", "CREATE TABLE IF NOT EXISTS SelectedFuture ("
                           "ID INTEGER PRIMARY KEY AUTOINCREMENT, Underlying TEXT, Symbol TEXT)"},
    };
    return tables;
}

std::vector<std::string> CreateTables(CDatabase& db) {
    const std::vector<std::string> existing = ExistingTables(db);
    std::vector<std::string> created;
    for (const TableDefinition& table : Tables()) {
        const auto same = [&table](const std::string& name) {
            return text::IEquals(name, table.name);
        };
        if (std::any_of(existing.begin(), existing.end(), same))
            continue;
        db.ExecuteSQL(table.create);
        created.push_back(table.name);
    }
    return created;
}

void CheckTables(CDatabase& db) {
    CheckOpens<CCompanyListset>(db, "CompanyList");
    CheckOpens<CSelCompanyListset>(db, "SelectedComp2Watch");
    CheckOpens<CProfileListset>(db, "PROFILELIST");
    CheckOpens<CBrokersListset>(db, "BROKERLIST");
    CheckOpens<CFutureset>(db, "Future");
    CheckOpens<CSelectedFutureset>(db, "SelectedFuture");
}

} // namespace setup
