#include "setup/schema.h"

#include <algorithm>

#include "db/recordsets.h"
#include "platform/base/text.h"
#include "platform/odbc/database.h"

namespace setup {

namespace {

// The names of the tables of the database the connection works in.
class CTableNameset final : public CRecordset {
public:
    explicit CTableNameset(CDatabase* db) : CRecordset(db) { m_nFields = 1; }
    std::string GetDefaultSQL() override {
        return odbc::Rules(m_pDatabase->Dialect()).tableNamesQuery;
    }
    void DoFieldExchange(CFieldExchange* pFX) override { RFX_Text(pFX, "name", m_name); }
    std::string m_name;
};

std::vector<std::string> ExistingTables(CDatabase& db) {
    if (!odbc::Rules(db.Dialect()).tableNamesQuery)
        throw CDBException(CDBException::kBadUsage,
                           "Koravel cannot set up tables in a " + db.DbmsName() +
                               " database; it knows SQLite3 and PostgreSQL.");
    std::vector<std::string> names;
    CTableNameset rs(&db);
    rs.Open(CRecordset::snapshot);
    for (; !rs.IsEOF(); rs.MoveNext())
        names.push_back(rs.m_name);
    return names;
}

// Whether a query of the table's row number runs.
bool HasRowKey(CDatabase& db, const std::string& table, const char* rowKey) {
    try {
        db.ExecuteSQL(std::string("SELECT ") + rowKey + " FROM " + table + " WHERE 1=0");
        return true;
    } catch (const CDBException&) {
        return false;
    }
}

struct Column {
    std::string name;
    odbc::ColumnType type;
};

struct Table {
    std::string name;
    std::vector<Column> columns;
};

const std::vector<Table>& Layout() {
    using odbc::ColumnType;
    static const std::vector<Table> tables = [] {
        std::vector<Table> t = {
            {"CompanyList",
             {{"COMPNAME", ColumnType::Text},
              {"BSENAME", ColumnType::Text},
              {"NSENAME", ColumnType::Text}}},
            {"SelectedComp2Watch",
             {{"ID", ColumnType::Counter},
              {"COMPNAME", ColumnType::Text},
              {"INDEX", ColumnType::Text},
              {"INDEXNAME", ColumnType::Text},
              {"ALERTSETTING", ColumnType::Short},
              {"LOWERLIMIT", ColumnType::Double},
              {"UPPERLIMIT", ColumnType::Double}}},
            {"PROFILELIST",
             {{"COMPNAME", ColumnType::Text},
              {"INDEX", ColumnType::Text},
              {"INDEXNAME", ColumnType::Text},
              {"DELIVERYTYPE", ColumnType::Short},
              {"PRICE", ColumnType::Double},
              {"QUANTITY", ColumnType::Long},
              {"BROKERID", ColumnType::Long}}},
            {"BROKERLIST", {{"BROKERID", ColumnType::Counter}, {"BROKERNAME", ColumnType::Text}}},
            {"Future",
             {{"ID", ColumnType::Counter},
              {"Underlying", ColumnType::Text},
              {"Symbol", ColumnType::Text}}},
            {"SelectedFuture",
             {{"ID", ColumnType::Counter},
              {"Underlying", ColumnType::Text},
              {"Symbol", ColumnType::Text}}},
        };
        for (const char* trade : {"DELIVERY", "INTRADAY"})
            for (const char* side : {"BUY", "SELL"})
                for (const char* rate : {"BROKERAGE", "ST", "STT", "OTHERS"})
                    t[3].columns.push_back(
                        {std::string(trade) + "_" + side + "_" + rate, ColumnType::Double});
        return t;
    }();
    return tables;
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

std::vector<TableDefinition> Tables(odbc::SqlDialect dialect) {
    const odbc::EngineRules& rules = odbc::Rules(dialect);
    std::vector<TableDefinition> tables;
    for (const Table& table : Layout()) {
        std::string create = "CREATE TABLE IF NOT EXISTS " + table.name + " (";
        bool hasCounter = false;
        for (const Column& column : table.columns) {
            if (&column != &table.columns.front())
                create += ", ";
            create += column.name + " " + rules.columnTypes[static_cast<int>(column.type)];
            hasCounter = hasCounter || column.type == odbc::ColumnType::Counter;
        }
        if (!hasCounter && rules.rowKeyDefinition)
            create += std::string(", ") + rules.rowKeyDefinition;
        create += ")";
        tables.push_back({table.name, create, hasCounter});
    }
    return tables;
}

SchemaChanges CreateTables(CDatabase& db) {
    const std::vector<std::string> existing = ExistingTables(db);
    const odbc::EngineRules& rules = odbc::Rules(db.Dialect());
    SchemaChanges changes;
    for (const TableDefinition& table : Tables(db.Dialect())) {
        const auto same = [&table](const std::string& name) {
            return text::IEquals(name, table.name);
        };
        if (std::none_of(existing.begin(), existing.end(), same)) {
            db.ExecuteSQL(table.create);
            changes.created.push_back(table.name);
        } else if (!table.hasCounter && rules.rowKeyDefinition &&
                   !HasRowKey(db, table.name, rules.rowKey)) {
            // Numbers the existing rows in their present order.
            db.ExecuteSQL("ALTER TABLE " + table.name + " ADD COLUMN " + rules.rowKeyDefinition);
            changes.rowKeys.push_back(table.name);
        }
    }
    return changes;
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
