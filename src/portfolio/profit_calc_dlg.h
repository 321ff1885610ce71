#pragma once

#include <vector>

#include "db/recordsets.h"
#include "platform/ui/dialog.h"
#include "portfolio/core/charges.h"

class QComboBox;

// Control ids of the "PROFIT Calculator".
enum ProfitCalcControl {
    IDC_PC_DELIVERY = 1117,
    IDC_PC_INTRADAY = 1118,
    IDC_PC_BROKER = 1119,
    IDC_PC_SHARES1 = 1120,
    IDC_PC_COST1 = 1121,
    IDC_PC_GAIN = 1122,
    IDC_PC_CALC1 = 1123,
    IDC_PC_RESULT1 = 1124,
    IDC_PC_SHARES2 = 1125,
    IDC_PC_COST2 = 1126,
    IDC_PC_PRICE = 1127,
    IDC_PC_CALC2 = 1128,
    IDC_PC_RESULT2 = 1129,
};

inline constexpr const char* kMsgNoBrokerConfigured =
    "Not a single Broker has been configured. Please configure atleast one Broker\nthen Use "
    "PROFIT CALCULATOR";

// "PROFIT Calculator": the selling price for a wanted gain, and the profit or loss at a
// selling price, after the charges of one broker for delivery or intraday trades.
class CProfitCalcDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 175;

    explicit CProfitCalcDlg(QWidget* parent = nullptr);

    const std::vector<BrokerRecord>& Brokers() const { return m_brokers; }

    // What "Calculate" of each group, the radios and the broker choice do.
    void OnCalculate1();
    void OnCalculate2();
    void OnRecalculateBoth();

protected:
    bool OnInitDialog() override;

private:
    // Reads every field with its range; false (after the message) on the first bad one,
    // or when there is no broker to price the trade with.
    bool ReadControls();
    void ShowAnswer1();
    void ShowAnswer2();

    int m_nTradeType = 0; // 0 delivery, 1 intraday
    long m_nShares1 = 0;
    double m_dCost1 = 0;
    double m_dGain = 0;
    long m_nShares2 = 0;
    double m_dCost2 = 0;
    double m_dPrice = 0;
    BrokerRates m_rates;
    std::vector<BrokerRecord> m_brokers;
    CBrokersListset m_set;
    QComboBox* m_combo = nullptr;
};
