#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "db/recordsets.h"

// The watch list as stored in SelectedComp2Watch. Row order is the list's order.
namespace db {

struct WatchRow {
    std::string companyName;
    std::string exchange; // "NSE" or "BSE"
    std::string symbol;   // without the exchange suffix
    int alertSetting = 0; // 1 when the limits are active
    double lowerLimit = 0;
    double upperLimit = 0;

    bool operator==(const WatchRow&) const = default;
};

WatchRow ReadWatchRow(const CSelCompanyListset& rs);
void SetWatchRow(CSelCompanyListset& rs, const WatchRow& row);

// All rows in table order. Throws CDBException.
std::vector<WatchRow> ReadWatchList(CSelCompanyListset& rs);
// Appends one row. Throws CDBException.
void AppendWatchRow(CSelCompanyListset& rs, const WatchRow& row);
// Deletes every row and adds the rows in list order, in one transaction that keeps other
// connections from writing the table meanwhile: a failure part-way leaves the stored list as
// it was, and of two saves at once the later one is stored whole. Throws CDBException.
void ReplaceWatchList(CSelCompanyListset& rs, const std::vector<WatchRow>& rows);
// Sets the alert of the first row with the symbol; false when there is none.
bool SetWatchAlert(CSelCompanyListset& rs, std::string_view symbol, int alertSetting,
                   double lowerLimit, double upperLimit);

} // namespace db
