#include "controls/core/chart_request.h"

std::optional<ChartRequest> IndexListChartRequest(int row, const RowCells& cells) {
    // Column 1 holds the price; the chart page takes it as the "index name" and, as it is
    // neither NSE nor BSE, uses the index symbol unchanged.
    return ChartRequest{cells(0), cells(1), row == 0 ? "^NSEI" : "^BSESN"};
}

std::optional<ChartRequest> QuoteListChartRequest(const RowCells& cells) {
    return ChartRequest{cells(0), "", cells(1)};
}

std::optional<ChartRequest> ProfileListChartRequest(const RowCells& cells) {
    std::string symbol = cells(2);
    if (symbol.empty())
        return std::nullopt;
    return ChartRequest{cells(0), cells(1), std::move(symbol)};
}

std::optional<ChartRequest> ToppersListChartRequest(const RowCells& cells, bool showsBse) {
    std::string symbol = cells(1);
    if (symbol.empty())
        return std::nullopt;
    return ChartRequest{cells(0), showsBse ? "BSE" : "NSE", std::move(symbol)};
}
