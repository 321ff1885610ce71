#pragma once

#include <string>

#include "db/watch_table.h"

// One watched company on one exchange, as the watch list keeps it and its table stores it.
using WatchItem = db::WatchRow;

// What any add to the watch list says while the charting program is being fed: its stock list
// must stay the watch list's.
inline constexpr const char* kFeedAddRefusal =
    "AmiBroker data feeding is in START mode at the moment \nPlease STOP it then Add Stocks here";

// The watch list page as the dialogs that add to it see it.
class IWatchList {
public:
    virtual ~IWatchList() = default;
    virtual int ItemCount() const = 0;
    virtual const WatchItem& Item(int index) const = 0;
    // Appends to the list only (the table follows when the list is saved).
    virtual void AppendItem(const WatchItem& item) = 0;
    // Adds a company the way the Add button does (refusals, table row, refresh).
    virtual void AddWatchItem(const std::string& companyName, const std::string& exchange,
                              const std::string& symbol, int alertSetting, double lowerLimit,
                              double upperLimit) = 0;
    virtual void RefreshWatchList() = 0;
};
