#pragma once

#include <functional>
#include <optional>

#include <QPointer>

#include "controls/core/chart_request.h"
#include "controls/list_ctrl.h"

// A list whose rows open the historical chart page on a double-click, when its holder's
// last refresh got through.
class CChartListCtrl : public CListCtrl {
    Q_OBJECT
public:
    explicit CChartListCtrl(QWidget* parent = nullptr) : CListCtrl(parent) {}

    // The holder's connected flag; a list without one counts as not connected.
    void SetConnectedFlag(std::function<bool()> connected) { m_connected = std::move(connected); }
    // The chart page this list opened last, while it lives.
    QWidget* LastChartPage() const { return m_lastChartPage.data(); }

protected:
    virtual std::optional<ChartRequest> ChartRequestFor(int row) const = 0;
    void OnDoubleClick(int row) override;

private:
    std::function<bool()> m_connected;
    QPointer<QWidget> m_lastChartPage;
};

// The bar's NIFTY and SENSEX rows; column 8 is the hidden previous price.
class CIndexListCtrl final : public CChartListCtrl {
    Q_OBJECT
public:
    explicit CIndexListCtrl(QWidget* parent = nullptr) : CChartListCtrl(parent) {}
    CellColors CellColor(int row, int col) const override;

protected:
    std::optional<ChartRequest> ChartRequestFor(int row) const override;
};

// The lists of the Indian indices and world market pages.
class CQuoteListCtrl final : public CChartListCtrl {
    Q_OBJECT
public:
    explicit CQuoteListCtrl(QWidget* parent = nullptr) : CChartListCtrl(parent) {}
    CellColors CellColor(int row, int col) const override;

protected:
    std::optional<ChartRequest> ChartRequestFor(int row) const override;
};

// The portfolio page's lists.
class CProfileListCtrl final : public CChartListCtrl {
    Q_OBJECT
public:
    explicit CProfileListCtrl(QWidget* parent = nullptr) : CChartListCtrl(parent) {}
    CellColors CellColor(int row, int col) const override;

protected:
    std::optional<ChartRequest> ChartRequestFor(int row) const override;
};

// The toppers list; the page tells it which exchange it shows.
class CToppersListCtrl final : public CChartListCtrl {
    Q_OBJECT
public:
    explicit CToppersListCtrl(QWidget* parent = nullptr) : CChartListCtrl(parent) {}
    CellColors CellColor(int row, int col) const override;
    void SetShowsBse(bool showsBse) { m_bShowsBse = showsBse; }

protected:
    std::optional<ChartRequest> ChartRequestFor(int row) const override;

private:
    bool m_bShowsBse = false;
};
