#pragma once

#include <string>
#include <vector>

#include "app/bar_page.h"
#include "db/recordsets.h"
#include "platform/ui/dialog.h"
#include "portfolio/core/charges.h"
#include "portfolio/core/profile_rows.h"

class CProfileListCtrl;

// Control ids of the portfolio page.
enum ProfileControl {
    IDC_PF_CLOSE = 1075,
    IDC_PF_BROKERS = 1078,
    IDC_PF_PROFIT_CALC = 1092,
    IDC_PF_EXPORT = 1085,
    IDC_PF_DELIVERY_ADD = 1076,
    IDC_PF_DELIVERY_EDIT = 1079,
    IDC_PF_DELIVERY_DELETE = 1077,
    IDC_PF_DELIVERY_LIST = 1080,
    IDC_PF_DELIVERY_COST = 1086,
    IDC_PF_DELIVERY_GET = 1087,
    IDC_PF_DELIVERY_PL = 1088,
    IDC_PF_INTRADAY_ADD = 1081,
    IDC_PF_INTRADAY_EDIT = 1084,
    IDC_PF_INTRADAY_DELETE = 1082,
    IDC_PF_INTRADAY_LIST = 1083,
    IDC_PF_INTRADAY_COST = 1089,
    IDC_PF_INTRADAY_GET = 1090,
    IDC_PF_INTRADAY_PL = 1091,
    IDC_PF_DELIVERY_CAPTION = 1106,
    IDC_PF_INTRADAY_CAPTION = 1107,
};

// "My Profile": the shares held, delivery above and intraday below, valued at the bar's
// live prices after every charge of their brokers, with totals under each list. Its
// distinct stocks ride on the bar's request; its X destroys it.
class CProfileDlg final : public ui::CDialog, public CBarPage {
    Q_OBJECT
public:
    static constexpr int IDD = 160;

    explicit CProfileDlg(IBar& bar);

    // CBarPage
    ui::CDialog* PageWindow() override { return this; }
    int QuoteCount() const override { return static_cast<int>(m_symbols.size()); }
    std::string QuoteSymbol(int index) const override;
    QuoteRecord& QuoteSlot(int index) override { return m_quotes[index]; }
    void OnBarRefresh() override { RefreshProfile(); }
    void SetConnected(bool connected) override { m_bConnected = connected; }

    // The distinct stocks of both lists; a message when they are very many.
    void BuildProfileSymbols();
    // Prices to the lots, rows and totals anew, both lists refilled.
    void RefreshProfile();
    void LoadBrokers();

    // The buttons; deliveryType 0 is the upper list, 1 the lower.
    void OnAdd(int deliveryType);
    void OnEdit(int deliveryType);
    void OnDelete(int deliveryType);
    void OnBrokersList();
    void OnProfitCalc();
    void OnExport();

    const std::vector<ProfileLot>& Lots(int deliveryType) const {
        return deliveryType == 0 ? m_deliveryLots : m_intradayLots;
    }
    const std::vector<ProfileRow>& Rows(int deliveryType) const {
        return deliveryType == 0 ? m_deliveryRows : m_intradayRows;
    }
    const std::vector<ProfileSymbol>& Symbols() const { return m_symbols; }
    const std::vector<BrokerRecord>& Brokers() const { return m_brokers; }
    CProfileListCtrl* List(int deliveryType) const {
        return deliveryType == 0 ? m_deliveryList : m_intradayList;
    }
    const std::string& ExportPath() const { return m_strExportPath; }

protected:
    bool OnInitDialog() override;
    // Enter on a list must not make the page vanish behind the bar's back.
    void OnOK() override {}
    void OnCancel() override;

private:
    void BuildTemplate();
    void LoadLots();
    void ShowTotals(int deliveryType, const ProfileTotals& totals);
    void FillList(CProfileListCtrl* list, const std::vector<ProfileRow>& rows);
    void ShowCapacityMessage(const char* text);
    std::vector<ProfileLot>& MutableLots(int deliveryType) {
        return deliveryType == 0 ? m_deliveryLots : m_intradayLots;
    }

    IBar& m_bar;
    std::vector<ProfileLot> m_deliveryLots;
    std::vector<ProfileLot> m_intradayLots;
    std::vector<ProfileRow> m_deliveryRows;
    std::vector<ProfileRow> m_intradayRows;
    std::vector<ProfileSymbol> m_symbols;
    std::vector<QuoteRecord> m_quotes; // one per symbol, the bar fills them
    std::vector<BrokerRecord> m_brokers;
    bool m_bConnected = false;
    bool m_bMessageUp = false;
    std::string m_strExportPath;
    CProfileListset m_set;
    CBrokersListset m_brokerSet;
    CProfileListCtrl* m_deliveryList = nullptr;
    CProfileListCtrl* m_intradayList = nullptr;
};
