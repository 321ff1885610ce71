#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "charts/core/live_chart_rules.h"
#include "platform/ui/dialog.h"

class QBarSet;
class QCategoryAxis;
class QChart;
class QChartView;
class QComboBox;
class QLineSeries;
class QValueAxis;

// Control ids of the live chart; Close is IDCANCEL (2).
enum LiveChartControl {
    IDC_LC_LINE_CHART = 1139,
    IDC_LC_BAR_CHART = 1140,
    IDC_LC_STOCK = 1141,
    IDC_LC_START = 1142,
    IDC_LC_STOP = 1143,
    IDC_LC_RATE = 1144,
    IDC_LC_NIFTY_VALUE = 1146,
    IDC_LC_STOCK_VALUE = 1147,
};

// The timer that reads the live file.
constexpr int kLiveChartTimer = 3;

inline constexpr const char* kNoNseCompany =
    "There is no NSE company in your Watch List.\nAdd an NSE company to the Watch List to chart "
    "it live.";
inline constexpr const char* kNoIntradayFile =
    "Unable to open IntraDay Data file. Check if Market is Open.\nLive Chart may not work now";
inline constexpr const char* kNoLiveDataFile =
    "Unable to open Live Data file. Check if Market is Open.\nLive Chart may not work now";

// Today's movement of one watched NSE stock and of NIFTY, read back from the logs the
// watch list writes: the intraday files for the history, the live file at every tick.
// A modeless window that deletes itself when closed.
class CLiveChartDlg final : public ui::CDialog {
    Q_OBJECT
public:
    explicit CLiveChartDlg(QWidget* owner);
    ~CLiveChartDlg() override;

    // Creates a new chart window owned by `owner` and shows it.
    static CLiveChartDlg* Open(QWidget* owner);

    const LiveSeries& StockSeries() const { return m_stock; }
    const LiveSeries& NiftySeries() const { return m_nifty; }
    std::vector<LineRow> LineRows() const { return LineChartRows(m_stock, m_nifty); }
    std::string Symbol() const;
    int Interval() const { return m_nInterval; }
    bool IsRunning() const { return m_bRunning; }

    QChart* LineChart() const;
    QChart* BarChart() const;

    // Public so that a test can tick without waiting for the timer.
    void OnTimer(int id) override;

protected:
    bool OnInitDialog() override;
    void OnOK() override {} // no OK button: Enter does not close the window
    void OnCancel() override;

private:
    void BuildTemplate();
    QChartView* AddChart(int id, int x, int y, int w, int h);
    void BuildLineChart();
    void BuildBarChart();
    void FillStockCombo();
    bool LoadStockHistory();
    bool LoadNiftyHistory();
    bool LoadHistory(LiveSeries& series, int labelId, const std::string& name);
    void AddPoint(LiveSeries& series, int labelId, std::string_view line);
    void ReadLiveData();
    void DrawCharts();
    void DrawLineChart();
    void DrawBarChart();
    void SetTimeLabels(QCategoryAxis* axis);
    void OnStart();
    void OnStop();
    void OnStockChanged();
    void OnRateChanged();

    LiveSeries m_stock;
    LiveSeries m_nifty;
    bool m_bRunning = true;
    int m_nInterval = 15000;
    bool m_bInTick = false;

    QComboBox* m_stockCombo = nullptr;
    QComboBox* m_rateCombo = nullptr;
    QChartView* m_lineView = nullptr;
    QChartView* m_barView = nullptr;
    QLineSeries* m_priceLine = nullptr;
    std::vector<QLineSeries*> m_niftyLines; // one per run of rows with a NIFTY value
    QValueAxis* m_stockAxis = nullptr;
    QValueAxis* m_niftyAxis = nullptr;
    QCategoryAxis* m_lineTimeAxis = nullptr;
    QBarSet* m_volumes = nullptr;
    QValueAxis* m_volumeAxis = nullptr;
    QCategoryAxis* m_barTimeAxis = nullptr;
};
