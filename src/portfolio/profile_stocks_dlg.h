#pragma once

#include <string>
#include <vector>

#include "db/recordsets.h"
#include "platform/ui/dialog.h"
#include "portfolio/core/charges.h"
#include "portfolio/core/profile_rows.h"

class CListCtrl;
class QComboBox;

// Control ids of "Add/Edit Profile Stocks".
enum ProfileStocksControl {
    IDC_PS_SEARCH_TEXT = 1090,
    IDC_PS_SEARCH = 1091,
    IDC_PS_NSE = 1093,
    IDC_PS_BSE = 1071,
    IDC_PS_BROKER = 1102,
    IDC_PS_COMPANY = 1097,
    IDC_PS_ADD = 1092,
    IDC_PS_EDIT = 1094,
    IDC_PS_DELETE = 1096,
    IDC_PS_LIST = 1089,
};

// "Add/Edit Profile Stocks": one company on one exchange, a broker and the transactions
// bought through it. OK writes one lot per transaction (add) or rewrites the stock's lots
// in place (edit).
class CProfileStocksDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 168;

    CProfileStocksDlg(std::string companyName, std::string index, std::string symbol,
                      std::int32_t brokerId, int mode, int deliveryType, QWidget* parent = nullptr);

    // After OK.
    const std::string& CompanyName() const { return m_strCompanyName; }
    const std::string& Index() const { return m_strIndex; }
    const std::string& Symbol() const { return m_strSymbol; }
    std::int32_t BrokerId() const { return m_nBrokerId; }
    const std::vector<LotEntry>& Transactions() const { return m_transactions; }

    const std::vector<BrokerRecord>& Brokers() const { return m_brokers; }
    CListCtrl* List() const { return m_list; }

    void OnSearch();
    void OnExchangeClicked(int exchange); // 0 NSE, 1 BSE
    void OnAddLot();
    void OnEditLot();
    void OnDeleteLot();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void ReadControls();
    void ShowValues();
    void FillList();
    void ReportDbError(const std::string& error);

    std::string m_strCompanyName;
    std::string m_strIndex;
    std::string m_strSymbol;
    std::string m_strSearchText;
    std::int32_t m_nBrokerId;
    int m_nMode;         // 0 add, 1 edit
    int m_nDeliveryType; // 0 delivery, 1 intraday
    int m_nExchange;     // the radio: 0 NSE, 1 BSE
    bool m_bCompanyChosen = false;
    std::vector<LotEntry> m_transactions;
    std::vector<BrokerRecord> m_brokers;
    CProfileListset m_set;
    CBrokersListset m_brokerSet;
    CListCtrl* m_list = nullptr;
    QComboBox* m_combo = nullptr;
};

// Control ids of "Add/Edit Stocks".
enum LotControl {
    IDC_LOT_NAME = 1098,
    IDC_LOT_PRICE = 1100,
    IDC_LOT_SHARES = 1099,
};

// "Add/Edit Stocks": one transaction.
class CLotDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 169;

    CLotDlg(const std::string& stockName, double price, std::int32_t shares,
            QWidget* parent = nullptr);

    double Price() const { return m_dPrice; }
    std::int32_t Shares() const { return m_nShares; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    double m_dPrice;
    std::int32_t m_nShares;
};
