#pragma once

#include <string>
#include <vector>

#include "controls/core/cell_colors.h"

// The rules of the charting-program link that need no window.
namespace amilink {

// What the live feed sends for one refresh: NIFTY and SENSEX (once they have a previous
// value) and every watched NSE share with a previous price, each as
// symbol,previous,current,volume; records joined by '*'. Rows are the watch list's cells:
// 1 exchange, 2 symbol, 3 price, 6 volume, 15 previous volume, 16 data-taken count,
// 17 previous price.
std::string LiveFeedText(double previousNifty, double nifty, double previousSensex, double sensex,
                         const std::vector<RowCells>& rows);

// "NIFTY,SENSEX," after the watched NSE symbols: what the charting program's list gets.
std::string SyncList(const std::vector<std::pair<std::string, std::string>>& symbolsAndExchanges);

// One step of a back-fill: step 0 NIFTY, 1 SENSEX, then the watched companies in order.
struct BackfillStep {
    std::string name;        // shown and handed to the bridge
    std::string chartSymbol; // asked of the chart-data service; empty: nothing to fetch
};
BackfillStep StepOf(int position,
                    const std::vector<std::pair<std::string, std::string>>& symbolsAndExchanges);
// The progress bar's value for a step: position * 100 / total + 1.
int StepProgress(int position, int total);
// Lines of the chart-data answer's header: 14 for one day of minute bars, 19 for five days.
int HeaderLines(int mode);
// The chart-data path for a symbol and mode (1 or 5).
std::string ChartDataPath(const std::string& chartSymbol, int mode);
// The bars after the header, each followed by '*'.
std::string JoinBars(const std::vector<std::string>& lines, int headerLines);

// Status codes of KillProcessByName.
enum KillStatus {
    kKilled = 0,
    kCannotTerminate = 602,
    kNoSuchProcess = 603,
    kCannotOpen = 604,
    kCannotList = 701,
    kBadName = 632,
};
// Ends the first running process of this user whose program's file name, upper-cased,
// equals the name upper-cased. Zombies and other users' processes are never touched.
int KillProcessByName(const std::string& name);

} // namespace amilink
