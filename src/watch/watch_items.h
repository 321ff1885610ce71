#pragma once

#include <string>

#include "db/watch_table.h"

// One watched company on one exchange, as the watch list keeps it and its table stores it.
using WatchItem = db::WatchRow;

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
