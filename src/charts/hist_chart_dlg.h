#pragma once

#include <string>

#include <QPointer>

#include "charts/core/hist_chart_address.h"
#include "platform/ui/dialog.h"

class CColorButton;
class CImageView;
class QCheckBox;

// Control ids of the historical chart page.
enum HistChartControl {
    IDC_HC_1D = 1027,
    IDC_HC_5D = 1029,
    IDC_HC_1M = 1035,
    IDC_HC_3M = 1032,
    IDC_HC_6M = 1033,
    IDC_HC_1Y = 1034,
    IDC_HC_2Y = 1043,
    IDC_HC_BAR = 1038,
    IDC_HC_LINE = 1039,
    IDC_HC_CDL = 1040,
    IDC_HC_LINEAR = 1041,
    IDC_HC_LOG = 1042,
    IDC_HC_SIZE_M = 1044,
    IDC_HC_SIZE_L = 1045,
    IDC_HC_MA5 = 1028,
    IDC_HC_MA10 = 1030,
    IDC_HC_MA20 = 1049,
    IDC_HC_MA50 = 1036,
    IDC_HC_MA100 = 1046,
    IDC_HC_MA200 = 1047,
    IDC_HC_EMA5 = 1031,
    IDC_HC_EMA10 = 1048,
    IDC_HC_EMA20 = 1053,
    IDC_HC_EMA50 = 1050,
    IDC_HC_EMA100 = 1051,
    IDC_HC_EMA200 = 1052,
    IDC_HC_BOLLINGER = 1063,
    IDC_HC_SAR = 1064,
    IDC_HC_SPLITS = 1065,
    IDC_HC_VOLUME = 1066,
    IDC_HC_MACD = 1054,
    IDC_HC_MFI = 1055,
    IDC_HC_ROC = 1056,
    IDC_HC_RSI = 1057,
    IDC_HC_SLOW_STOCH = 1058,
    IDC_HC_FAST_STOCH = 1059,
    IDC_HC_VOL = 1060,
    IDC_HC_VOL_MA = 1061,
    IDC_HC_WR = 1062,
    IDC_HC_COMPARE = 1126,
    IDC_HC_CLOSE = 1037,
    IDC_HC_BROWSER = 1026,
    IDC_HC_RANGE52 = 1127,
};

// The historical chart of one company or index: the chart service's picture with the
// user's choice of range, type, scale, size, averages, indicators and comparison.
class CHistChartDlg final : public ui::CDialog {
    Q_OBJECT
public:
    CHistChartDlg(const std::string& companyName, const std::string& indexName,
                  const std::string& symbol, QWidget* parent = nullptr);
    ~CHistChartDlg() override;

    const HistChartChoices& Choices() const { return m_choices; }
    std::string ChartSymbol() const {
        return HistChartChoices::ChartSymbol(m_strSymbol, m_strIndexName);
    }
    std::string Address() const;
    CImageView* Browser() const { return m_browser; }
    std::string YearRange() const { return m_strYearRange; }
    // The text colour a button shows now (red when chosen).
    COLORREF ButtonTextColor(int id) const;

    // Opens a page as the program's lists do: modeless, deleted when closed.
    static CHistChartDlg* Open(QWidget* parentList, const std::string& company,
                               const std::string& indexName, const std::string& symbol);

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    void BuildTemplate();
    void Navigate();
    void FetchYearRange();
    void SetTextColor(int id, COLORREF color);
    void OnButton(int id);

    std::string m_strCompanyName, m_strIndexName, m_strSymbol;
    std::string m_strYearRange;
    HistChartChoices m_choices;
    CImageView* m_browser = nullptr;
    QCheckBox* m_compare = nullptr;
};

// Lets the program's lists open this page on a double-click.
void InstallHistChartOpener();
