#pragma once

#include <optional>
#include <string>

#include "controls/core/cell_colors.h"

// What a quote list hands the historical chart page when a row is double-clicked.
struct ChartRequest {
    std::string company;
    std::string indexName;
    std::string symbol;

    friend bool operator==(const ChartRequest&, const ChartRequest&) = default;
};

// Shown instead of a chart when the holder's last refresh did not get through.
inline constexpr const char* kNoConnectionMessage =
    "Sorry!!!There is no internet connection detected";

// The chart a double-click on `row` asks for, or nullopt when that row opens none. A click
// below the last row is row -1, whose cells are all empty.
std::optional<ChartRequest> IndexListChartRequest(int row, const RowCells& cells);
std::optional<ChartRequest> QuoteListChartRequest(const RowCells& cells);
std::optional<ChartRequest> ProfileListChartRequest(const RowCells& cells);
std::optional<ChartRequest> ToppersListChartRequest(const RowCells& cells, bool showsBse);
