#pragma once

#include <string>
#include <vector>

#include "db/recordsets.h"
#include "platform/ui/dialog.h"
#include "portfolio/core/charges.h"

class QListWidget;

// Control ids of "Configure A Broker". Rate edits come in buy/sell pairs, row by row:
// brokerage, ST, STT, others; delivery first, then intraday.
enum BrokerControl {
    IDC_BROKER_NAME = 1083,
    IDC_DELIVERY_BUY_BROKERAGE = 1085, // 1085..1092 delivery, 1093..1100 intraday
    IDC_INTRADAY_BUY_BROKERAGE = 1093,
};
// The edit of rate i (0-15, in the broker table's column order).
int RateControlId(int rate);

// "Configure A Broker": adds a broker (empty name) or edits the one of that name.
class CBrokerDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 166;

    CBrokerDlg(const std::string& brokerName, QWidget* parent = nullptr);

    int Mode() const { return m_nMode; } // 0 add, 1 edit
    // After OK: the name as stored (trimmed).
    const std::string& BrokerName() const { return m_strBrokerName; }
    const BrokerRecord& Broker() const { return m_broker; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void ShowValues();

    std::string m_strOpeningName;
    std::string m_strBrokerName;
    int m_nMode = 0;
    BrokerRecord m_broker;
    CBrokersListset m_set;
};

// Control ids of "Brokers List".
enum BrokersListControl {
    IDC_BROKERS_LIST = 1082,
    IDC_BROKERS_ADD = 1079,
    IDC_BROKERS_EDIT = 1080,
    IDC_BROKERS_DELETE = 1081,
};

// "Brokers List": the brokers by name, with add, edit and delete.
class CBrokersListDlg final : public ui::CDialog {
    Q_OBJECT
public:
    static constexpr int IDD = 162;

    explicit CBrokersListDlg(QWidget* parent = nullptr);

    const std::vector<BrokerRecord>& Brokers() const { return m_brokers; }
    QListWidget* List() const { return m_list; }

    void OnAddNew();
    void OnEdit();
    void OnDelete();

protected:
    bool OnInitDialog() override;

private:
    void FillList();
    int Selected() const;

    std::vector<BrokerRecord> m_brokers; // table order
    CBrokersListset m_set;
    QListWidget* m_list = nullptr;
};
