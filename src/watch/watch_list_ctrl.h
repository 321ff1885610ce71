#pragma once

#include "controls/quote_lists.h"
#include "watch/core/alert_rules.h"

// The watch list's list: alert and movement colours from its rows' texts and the page's
// check boxes; a double-click on a row opens its chart.
class CWatchListCtrl final : public CChartListCtrl {
    Q_OBJECT
public:
    explicit CWatchListCtrl(QWidget* parent = nullptr) : CChartListCtrl(parent) {}
    void SetChecks(const WatchChecks* checks) { m_checks = checks; }
    CellColors CellColor(int row, int col) const override;

protected:
    std::optional<ChartRequest> ChartRequestFor(int row) const override;

private:
    const WatchChecks* m_checks = nullptr;
};
