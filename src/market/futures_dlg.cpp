#include "market/futures_dlg.h"

#include <cstdio>

#include <QFontMetrics>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>

#include "app/main_bar_dlg.h"
#include "app/tour.h"
#include "controls/color_button.h"
#include "controls/list_ctrl.h"
#include "db/operations.h"
#include "db/statements.h"
#include "market/market_pages.h"
#include "platform/inet/internet_session.h"

namespace {

struct Column {
    const char* heading;
    int width;
    int format;
};

const Column kContractColumns[market::kFutureColumns] = {
    {"Stock Name", 100, LVCFMT_LEFT},   {"Symbol", 0, LVCFMT_RIGHT},
    {"Hi Price", 60, LVCFMT_RIGHT},     {"Lo Price", 60, LVCFMT_RIGHT},
    {"Prev Clse", 60, LVCFMT_RIGHT},    {"Last Price", 60, LVCFMT_RIGHT},
    {"Contracts", 60, LVCFMT_RIGHT},    {"Trnovr(Lakh)", 73, LVCFMT_RIGHT},
    {"Underlying V", 75, LVCFMT_RIGHT},
};

const Column kStatsColumns[] = {
    {"Product", 105, LVCFMT_LEFT},
    {"Tot. Contracts", 80, LVCFMT_RIGHT},
    {"Turnover(Rs Cr)", 89, LVCFMT_RIGHT},
};

constexpr const char* kWaitText = "WAIT...Retrieving Data...";

// Where each contract list and its expiry and Delete sit, in dialog units.
constexpr int kBlockTop = 126;
constexpr int kBlockStep = 74;

// Future and SelectedFuture bind the same columns: every row, in table order.
template <class Set> std::vector<market::FutureChoice> ReadChoices(Set& rs) {
    if (rs.IsOpen())
        rs.Close();
    rs.m_strFilter.clear();
    rs.m_strSort.clear();
    rs.Open();
    db::CloseOnExit<Set> closer(rs);
    return db::ReadAllRows(rs, [](const Set& set) {
        return market::FutureChoice{set.m_Underlying, set.m_Symbol};
    });
}

void DeleteChosen(CSelectedFutureset& rs, const std::string& symbol) {
    if (rs.IsOpen())
        rs.Close();
    rs.m_strFilter.clear();
    rs.m_strSort.clear();
    rs.Open();
    db::CloseOnExit<CSelectedFutureset> closer(rs);
    rs.m_pDatabase->ExecuteSQL(db::SqlDeleteSelectedFuture(symbol));
}

void AddChosen(CSelectedFutureset& rs, const market::FutureChoice& choice) {
    db::AddRow(rs, [&choice](CSelectedFutureset& set) {
        set.m_Underlying = choice.name;
        set.m_Symbol = choice.symbol;
    });
}

} // namespace

CFuturesDlg::CFuturesDlg(IBar& bar) : ui::CDialog(183, bar.Window()), m_bar(bar) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    m_stats[0].product = "Index Futures";
    m_stats[1].product = "Stock Futures";
    BuildTemplate();
    EnsureInitialized();
}

void CFuturesDlg::BuildTemplate() {
    SetTemplateSize(388, 349);
    AddStatic(-1, " Select  Max 25\nStocks to watch", 4, 2, 90, 18);
    m_choiceList = Add<QListWidget>(IDC_FU_CHOICES, 2, 22, 120, 84);
    Add<CColorButton>(IDC_FU_ADD, 2, 109, 36, 14, std::string("Add"));
    Add<CColorButton>(IDC_FU_GET_DATA, 42, 109, 80, 14, std::string("Get Latest Data"));
    AddStatic(IDC_FU_STATS_TITLE, m_strTitle, 130, 18, 230, 10);
    // The statistics list shows its heading and both rows without scrolling.
    const int line = fontMetrics().height();
    const int statsHeight =
        ((line + 4 + 2 * (line + 2) + 6) * 8 + Dlu().baseY() - 1) / Dlu().baseY();
    m_statsList = Add<CListCtrl>(IDC_FU_STATS_LIST, 130, 30, 188, statsHeight);
    QLabel* status = AddStatic(IDC_FU_STATUS, kWaitText, 130, 36 + statsHeight, 200, 10);
    QFont bold = status->font();
    bold.setBold(true);
    status->setFont(bold);
    status->hide();
    for (int t = 0; t < market::kContractRows; ++t) {
        const int y = kBlockTop + t * kBlockStep;
        AddStatic(IDC_FU_NEAR_EXPIRY + t, "DD-MMM-YYYY", 6, y + 2, 120, 10);
        Add<CColorButton>(IDC_FU_NEAR_DELETE + t, 342, y, 42, 12, std::string("Delete"));
        m_lists[t] = Add<CListCtrl>(IDC_FU_NEAR_LIST + t, 2, y + 13, 384, t == 2 ? 57 : 59);
        m_lists[t]->horizontalHeader()->setSectionsClickable(false); // nothing sorts here
    }
    Add<CColorButton>(IDC_FU_CLOSE, 372, 1, 14, 11, std::string("X"));
}

bool CFuturesDlg::OnInitDialog() {
    m_bConnected = m_bar.IsConnected();
    SetPageColor(colors::kPage);
    for (int id : {int{IDC_FU_CLOSE}, int{IDC_FU_ADD}, int{IDC_FU_GET_DATA},
                   int{IDC_FU_NEAR_DELETE}, IDC_FU_NEAR_DELETE + 1, IDC_FU_NEAR_DELETE + 2})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    // Unlike the other controls, the list box keeps its white field.
    QPalette white = m_choiceList->palette();
    white.setColor(QPalette::Base, Qt::white);
    m_choiceList->setPalette(white);
    m_choiceList->setSelectionMode(QAbstractItemView::MultiSelection);

    OnClicked(IDC_FU_CLOSE, [this] { OnCancel(); });
    OnClicked(IDC_FU_ADD, &CFuturesDlg::OnAdd);
    OnClicked(IDC_FU_GET_DATA, &CFuturesDlg::OnGetLatestData);
    for (int t = 0; t < market::kContractRows; ++t)
        OnClicked(IDC_FU_NEAR_DELETE + t, &CFuturesDlg::OnDelete);

    for (int t = 0; t < market::kContractRows; ++t) {
        CListCtrl* list = m_lists[t];
        list->SetGridLines(true);
        list->SetSingleSelection(true);
        for (int c = 0; c < market::kFutureColumns; ++c)
            list->InsertColumn(c, kContractColumns[c].heading, kContractColumns[c].format,
                               kContractColumns[c].width);
        list->SetTextCallback([this, list, t](int row, int col) -> std::string {
            const int* slot = list->ItemData<int>(row);
            return slot ? market::FutureCellText(m_slots.Row(t, *slot), col) : std::string();
        });
    }
    m_statsList->SetGridLines(true);
    m_statsList->SetSingleSelection(true);
    for (int c = 0; c < 3; ++c)
        m_statsList->InsertColumn(c, kStatsColumns[c].heading, kStatsColumns[c].format,
                                  kStatsColumns[c].width);
    m_statsList->SetTextCallback([this](int row, int col) -> std::string {
        const int* index = m_statsList->ItemData<int>(row);
        if (!index)
            return {};
        const market::FutureStatsRow& r = m_stats[*index];
        return col == 0 ? r.product : col == 1 ? r.contracts : col == 2 ? r.turnover : "";
    });

    LoadChoices();
    LoadChosen();
    FillLists();
    return true;
}

void CFuturesDlg::ReportDbError(const std::string& error) {
    ui::messageBox(error, ui::MB_OK | ui::MB_ICONERROR, this);
}

void CFuturesDlg::LoadChoices() {
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [this] { m_choices = ReadChoices(m_futureSet); });
    m_choiceList->clear();
    for (const market::FutureChoice& c : m_choices)
        m_choiceList->addItem(ui::Q(c.name));
}

void CFuturesDlg::LoadChosen() {
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [this] { m_slots.Load(ReadChoices(m_selectedSet)); });
}

void CFuturesDlg::FillLists() {
    for (int t = 0; t < market::kContractRows; ++t) {
        m_lists[t]->DeleteAllItems();
        for (int slot = 0; slot < m_slots.Count(); ++slot)
            m_lists[t]->InsertCallbackItem(-1, slot);
    }
    m_statsList->DeleteAllItems();
    for (int i = 0; i < 2; ++i)
        m_statsList->InsertCallbackItem(-1, i);
}

void CFuturesDlg::ReadContracts() {
    for (int slot = 0; slot < m_slots.Count(); ++slot) {
        std::array<market::ContractCells, market::kContractRows> cells;
        try {
            cells =
                market::ExtractContracts(market::ReadContractsPage(m_slots.Row(0, slot).symbol));
        } catch (const CInternetException&) {
            ui::messageBox("Internet Problem in getting Future Data", ui::MB_OK, this);
            return;
        }
        for (int t = 0; t < market::kContractRows; ++t) {
            m_slots.Row(t, slot).expiry = cells[t].expiry;
            m_slots.Row(t, slot).values = cells[t].values;
        }
    }
}

void CFuturesDlg::ReadStatistics() {
    market::FutureStats stats;
    try {
        stats = market::ExtractStatistics(market::ReadStatisticsPage());
    } catch (const CInternetException&) {
        ui::messageBox("Internet Problem in getting Future Stats Data", ui::MB_OK, this);
        return;
    }
    m_strTitle = stats.title;
    SetDlgItemText(IDC_FU_STATS_TITLE, m_strTitle);
    m_stats = stats.rows;
}

void CFuturesDlg::OnGetLatestData() {
    QWidget* status = GetDlgItem(IDC_FU_STATUS);
    SetDlgItemText(IDC_FU_STATUS, kWaitText);
    status->show();
    status->repaint(); // the reads below hold the window until they are done
    ReadContracts();
    ReadStatistics();
    for (int t = 0; t < market::kContractRows; ++t) {
        m_strExpiry[t] = market::ExpiryDisplay(m_slots.Row(t, 0).expiry);
        SetDlgItemText(IDC_FU_NEAR_EXPIRY + t, m_strExpiry[t]);
    }
    FillLists();
    status->hide();
}

void CFuturesDlg::OnAdd() {
    std::vector<market::FutureChoice> selected;
    for (int i = 0; i < m_choiceList->count() && i < static_cast<int>(m_choices.size()); ++i)
        if (m_choiceList->item(i)->isSelected())
            selected.push_back(m_choices[i]);
    const market::AddPlan plan = market::PlanFutureAdd(m_slots, selected);
    if (plan.refusal == market::AddRefusal::NothingSelected) {
        ui::messageBox("Select atleast ONE stock to add", ui::MB_OK, this);
        return;
    }
    if (plan.refusal == market::AddRefusal::TooMany) {
        ui::messageBox("Sorry!!!Total Stocks to watch here can't be more than 25 Stocks", ui::MB_OK,
                       this);
        return;
    }
    for (const market::FutureChoice& choice : plan.added)
        m_slots.Append(choice);
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [&] {
                        for (const market::FutureChoice& choice : plan.added)
                            AddChosen(m_selectedSet, choice);
                    });
    FillLists();
    OnGetLatestData();
}

void CFuturesDlg::OnDelete() {
    int table = 0;
    int row = -1;
    for (; table < market::kContractRows; ++table)
        if ((row = m_lists[table]->GetNextSelected(-1)) >= 0)
            break;
    if (row < 0) {
        ui::messageBox("Select a Stock to delete", ui::MB_OK, this);
        return;
    }
    const std::string symbol = m_lists[table]->GetItemText(row, 1);
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [&] { DeleteChosen(m_selectedSet, symbol); });
    LoadChosen();
    FillLists();
}

void CFuturesDlg::OnCancel() {
    // The bar holds the page by a guarded pointer: once it is gone, the button makes a new one.
    hide();
    deleteLater();
}

void RegisterFuturesPage() {
    RegisterBarPage(BarPage::Futures, [](IBar& bar) -> CBarPage* { return new CFuturesDlg(bar); });

    // The tour's pictures show three well-known underlyings: a stock, the index, another stock.
    CTour::AddDataFiller([] {
        db::RunReported(
            [](const std::string& e) {
                std::fprintf(stderr, "koravel: tour data: %s\n", e.c_str());
            },
            [] {
                CFutureset all;
                CSelectedFutureset chosen;
                const std::vector<market::FutureChoice> choices = ReadChoices(all);
                for (const char* symbol : {"RELIANCE", "NIFTY", "TCS"})
                    for (const market::FutureChoice& choice : choices)
                        if (choice.symbol == symbol) {
                            DeleteChosen(chosen, symbol); // a second tour adds no second row
                            AddChosen(chosen, choice);
                            break;
                        }
            });
    });
    CTour::AddStep("futures", [](CMainBarDlg& bar) {
        if (!bar.IsPageShown(BarPage::Futures))
            bar.OnPageButton(BarPage::Futures);
        QImage image;
        if (auto* page = dynamic_cast<CFuturesDlg*>(bar.Page(BarPage::Futures))) {
            page->Control<QPushButton>(IDC_FU_GET_DATA)->click();
            CTour::Wait(300);
            image = CTour::Docked(bar, *page);
        }
        bar.OnPageButton(BarPage::Futures); // and hide it again
        return image;
    });
}
