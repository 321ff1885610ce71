#pragma once

#include <string>
#include <vector>

#include "controls/core/cell_colors.h"
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

// Columns of the watch list whose texts the rules read.
enum WatchColumn {
    kWcName = 0,
    kWcIndex = 1,
    kWcSymbol = 2,
    kWcPrice = 3,
    kWcChange = 4,
    kWcPercent = 5,
    kWcVolume = 6,
    kWcOpen = 7,
    kWcHigh = 8,
    kWcLow = 9,
    kWcYearLow = 10,
    kWcYearHigh = 11,
    kWcAlert = 12,
    kWcLower = 13,
    kWcUpper = 14,
    kWcPrevVolume = 15,
    kWcTaken = 16,
    kWcPrevPrice = 17,
    kWatchColumns = 18,
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
