#include "watch/watch_list_ctrl.h"

CellColors CWatchListCtrl::CellColor(int row, int col) const {
    static const WatchChecks kDefaults;
    return WatchCellColors(col, Cells(row), m_checks ? *m_checks : kDefaults);
}

std::optional<ChartRequest> CWatchListCtrl::ChartRequestFor(int row) const {
    const std::string symbol = GetItemText(row, kWcSymbol);
    if (symbol.empty())
        return std::nullopt;
    return ChartRequest{GetItemText(row, kWcName), GetItemText(row, kWcIndex), symbol};
}
