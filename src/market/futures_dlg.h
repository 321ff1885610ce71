#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/bar_page.h"
#include "db/recordsets.h"
#include "market/core/futures_pages.h"
#include "platform/ui/dialog.h"

class CListCtrl;
class QListWidget;

// Control ids of the futures page.
enum FuturesControl {
    IDC_FU_CLOSE = 1154,
    IDC_FU_CHOICES = 1155,
    IDC_FU_ADD = 1156,
    IDC_FU_NEAR_LIST = 1157, // then 1158, 1159
    IDC_FU_GET_DATA = 1160,
    IDC_FU_STATS_LIST = 1161,
    IDC_FU_NEAR_DELETE = 1163, // then 1164, 1165
    IDC_FU_STATS_TITLE = 1166,
    IDC_FU_NEAR_EXPIRY = 1167, // then 1168, 1169
    IDC_FU_STATUS = 1170,
};

// "FUTURE contracts": up to 25 chosen underlyings with their near, next and far month
// contracts, and the day's futures totals, read from the exchange's pages when the user
// asks. The chosen symbols live in table SelectedFuture; the choices come from Future.
class CFuturesDlg final : public ui::CDialog, public CBarPage {
    Q_OBJECT
public:
    explicit CFuturesDlg(IBar& bar);

    // CBarPage
    ui::CDialog* PageWindow() override { return this; }
    void SetConnected(bool connected) override { m_bConnected = connected; }

    // The buttons.
    void OnAdd();
    void OnDelete();
    void OnGetLatestData();

    const std::vector<market::FutureChoice>& Choices() const { return m_choices; }
    const market::FutureSlots& Slots() const { return m_slots; }
    QListWidget* ChoiceList() const { return m_choiceList; }
    CListCtrl* ContractList(int table) const { return m_lists[table]; }
    CListCtrl* StatsList() const { return m_statsList; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override; // Esc closes the page as X does

private:
    void BuildTemplate();
    void LoadChoices();
    void LoadChosen();
    void FillLists();
    void ReadContracts();
    void ReadStatistics();
    void ReportDbError(const std::string& error);

    IBar& m_bar;
    bool m_bConnected = false;
    std::vector<market::FutureChoice> m_choices;
    market::FutureSlots m_slots;
    std::array<market::FutureStatsRow, 2> m_stats;
    std::string m_strTitle = "Trade Statisc for DD-MMM-YYYY";
    std::array<std::string, market::kContractRows> m_strExpiry;
    CFutureset m_futureSet;
    CSelectedFutureset m_selectedSet;

    QListWidget* m_choiceList = nullptr;
    std::array<CListCtrl*, market::kContractRows> m_lists{};
    CListCtrl* m_statsList = nullptr;
};
