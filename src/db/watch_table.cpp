#include "db/watch_table.h"

#include "db/operations.h"
#include "db/statements.h"

namespace db {

namespace {

void OpenAll(CSelCompanyListset& rs) {
    if (rs.IsOpen())
        rs.Close();
    rs.m_strFilter.clear();
    rs.m_strSort.clear();
    rs.Open();
}

} // namespace

WatchRow ReadWatchRow(const CSelCompanyListset& rs) {
    return {rs.m_COMPNAME,     rs.m_INDEX,      rs.m_INDEXNAME,
            rs.m_ALERTSETTING, rs.m_LOWERLIMIT, rs.m_UPPERLIMIT};
}

void SetWatchRow(CSelCompanyListset& rs, const WatchRow& row) {
    rs.m_COMPNAME = row.companyName;
    rs.m_INDEX = row.exchange;
    rs.m_INDEXNAME = row.symbol;
    rs.m_ALERTSETTING = row.alertSetting;
    rs.m_LOWERLIMIT = row.lowerLimit;
    rs.m_UPPERLIMIT = row.upperLimit;
}

std::vector<WatchRow> ReadWatchList(CSelCompanyListset& rs) {
    OpenAll(rs);
    CloseOnExit<CSelCompanyListset> closer(rs);
    return ReadAllRows(rs, ReadWatchRow);
}

void AppendWatchRow(CSelCompanyListset& rs, const WatchRow& row) {
    AddRow(rs, [&row](CSelCompanyListset& set) { SetWatchRow(set, row); });
}

void ReplaceWatchList(CSelCompanyListset& rs, const std::vector<WatchRow>& rows) {
    OpenAll(rs);
    CloseOnExit<CSelCompanyListset> closer(rs);
    CDatabase::Transaction transaction(*rs.m_pDatabase);
    // Another machine saving its list at the same moment waits, then replaces this one
    // whole: the later save wins, and the two lists never mix.
    rs.m_pDatabase->LockTable("SelectedComp2Watch");
    rs.m_pDatabase->ExecuteSQL(SqlDeleteAllWatch());
    for (const WatchRow& row : rows) {
        rs.AddNew();
        SetWatchRow(rs, row);
        rs.Update();
    }
    transaction.Commit();
}

bool SetWatchAlert(CSelCompanyListset& rs, std::string_view symbol, int alertSetting,
                   double lowerLimit, double upperLimit) {
    return ChangeFirstRow(rs, SqlFilterWatchSymbol(symbol), [&](CSelCompanyListset& set) {
        set.m_ALERTSETTING = alertSetting;
        set.m_LOWERLIMIT = lowerLimit;
        set.m_UPPERLIMIT = upperLimit;
    });
}

} // namespace db
