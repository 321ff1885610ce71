#include "controls/quote_lists.h"

#include "controls/chart_opener.h"

void CChartListCtrl::OnDoubleClick(int row) {
    const std::optional<ChartRequest> request = ChartRequestFor(row);
    if (!request)
        return;
    const bool connected = m_connected && m_connected();
    if (QWidget* page = RequestChartPage(this, *request, connected))
        m_lastChartPage = page;
}

CellColors CIndexListCtrl::CellColor(int row, int col) const {
    return IndexListCellColors(col, Cells(row));
}

std::optional<ChartRequest> CIndexListCtrl::ChartRequestFor(int row) const {
    return IndexListChartRequest(row, Cells(row));
}

CellColors CQuoteListCtrl::CellColor(int row, int col) const {
    return QuoteListCellColors(col, Cells(row));
}

std::optional<ChartRequest> CQuoteListCtrl::ChartRequestFor(int row) const {
    return QuoteListChartRequest(Cells(row));
}

CellColors CProfileListCtrl::CellColor(int row, int col) const {
    return ProfileListCellColors(col, Cells(row));
}

std::optional<ChartRequest> CProfileListCtrl::ChartRequestFor(int row) const {
    return ProfileListChartRequest(Cells(row));
}

CellColors CToppersListCtrl::CellColor(int row, int col) const {
    return ToppersListCellColors(col, Cells(row));
}

std::optional<ChartRequest> CToppersListCtrl::ChartRequestFor(int row) const {
    return ToppersListChartRequest(Cells(row), m_bShowsBse);
}
