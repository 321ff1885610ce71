#pragma once

#include <string>
#include <vector>

#include "controls/core/cell_colors.h"
#include "controls/core/watch_columns.h"
#include "platform/base/clock.h"

// The watch list's check boxes that decide colours, pop-ups and logging.
struct WatchChecks {
    bool popup = false;       // "Alerts as Pop-Up Msg"
    bool myConfigured = true; // "My Configured"
    bool dayHighLow = true;   // "DAY High/Low"
    bool yearHiLo = false;    // "YEAR Hi/Lo"
    bool intraday = false;    // "Intraday"
    bool liveData = false;    // "LiveData"
};

// A cell's colours from its row's texts and the check boxes: the alert colours of the
// company, day and year columns and the movement colours of price and change.
CellColors WatchCellColors(int column, const RowCells& cells, const WatchChecks& checks);

// "Monday, December 07, 2026 ::  11:00:05 AM"
std::string AlertTimeText(const LocalTime& t);

// The pop-up's text for the rows (in list order), or "" when no configured limit is
// crossed (or "My Configured" is clear).
std::string AlertPopupText(const std::string& timeText, const std::vector<RowCells>& rows,
                           const WatchChecks& checks);
