#include "portfolio/profile_dlg.h"

#include <algorithm>

#include "controls/banner.h"
#include "controls/color_button.h"
#include "controls/export_csv_dlg.h"
#include "controls/link_label.h"
#include "controls/quote_lists.h"
#include "db/operations.h"
#include "platform/base/paths.h"
#include "portfolio/broker_dlg.h"
#include "portfolio/core/portfolio_tables.h"
#include "portfolio/core/profile_export.h"
#include "portfolio/portfolio_look.h"
#include "portfolio/profile_stocks_dlg.h"
#include "portfolio/profit_calc_dlg.h"
#include "quotes/indian_number.h"
#include "quotes/quote_request.h"

namespace {

struct Column {
    const char* heading;
    int width;
    int format;
};

const Column kColumns[kProfileColumns] = {
    {"Stock Name", 107, LVCFMT_LEFT}, {"Index", 0, LVCFMT_RIGHT},
    {"Indx Name ", 0, LVCFMT_RIGHT},  {"Broker ID", 0, LVCFMT_RIGHT},
    {"Qty   ", 45, LVCFMT_RIGHT},     {"Avg CP", 55, LVCFMT_RIGHT},
    {"Mrkt P", 55, LVCFMT_RIGHT},     {"Cng%", 45, LVCFMT_RIGHT},
    {"CP+Brkrge", 70, LVCFMT_RIGHT},  {"You'll Get", 70, LVCFMT_RIGHT},
    {"Net P/L ", 70, LVCFMT_RIGHT},   {"Nt P/L%", 52, LVCFMT_RIGHT},
};

// The ids of one list's buttons and totals.
struct ListIds {
    int add, edit, remove, list, cost, get, pl, caption;
};
constexpr ListIds kIds[2] = {
    {IDC_PF_DELIVERY_ADD, IDC_PF_DELIVERY_EDIT, IDC_PF_DELIVERY_DELETE, IDC_PF_DELIVERY_LIST,
     IDC_PF_DELIVERY_COST, IDC_PF_DELIVERY_GET, IDC_PF_DELIVERY_PL, IDC_PF_DELIVERY_CAPTION},
    {IDC_PF_INTRADAY_ADD, IDC_PF_INTRADAY_EDIT, IDC_PF_INTRADAY_DELETE, IDC_PF_INTRADAY_LIST,
     IDC_PF_INTRADAY_COST, IDC_PF_INTRADAY_GET, IDC_PF_INTRADAY_PL, IDC_PF_INTRADAY_CAPTION},
};

void SetTextColor(QWidget* w, COLORREF color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, ui::ToQColor(color));
    w->setPalette(pal);
}

} // namespace

CProfileDlg::CProfileDlg(IBar& bar) : ui::CDialog(IDD, bar.Window()), m_bar(bar) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    BuildTemplate();
    EnsureInitialized();
}

void CProfileDlg::BuildTemplate() {
    SetTemplateSize(388, 272);
    MakeBanner(AddStatic(-1, "  My Profile", 0, 0, 388, 13, Qt::AlignLeft | Qt::AlignVCenter));
    Add<CColorButton>(IDC_PF_CLOSE, 372, 1, 14, 11, std::string("X"));
    Add<CColorButton>(IDC_PF_BROKERS, 206, 15, 58, 13, std::string("Brokers List"));
    Add<CColorButton>(IDC_PF_PROFIT_CALC, 268, 15, 56, 13, std::string("Profit Calc"));
    Add<CColorButton>(IDC_PF_EXPORT, 328, 15, 58, 13, std::string("Export to CSV"));

    const int top[2] = {15, 159}; // each list's button row
    const int listHeight[2] = {80, 64};
    const char* section[2] = {"DELIVERY", "INTRADAY"};
    for (int t = 0; t < 2; ++t) {
        const ListIds& ids = kIds[t];
        auto* name = AddStatic(-1, section[t], 4, top[t] + 2, 40, 9);
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        Add<CColorButton>(ids.add, 46, top[t], 40, 13, std::string("Add"));
        Add<CColorButton>(ids.edit, 90, top[t], 40, 13, std::string("Edit"));
        Add<CColorButton>(ids.remove, 134, top[t], 40, 13, std::string("Delete"));
        auto* list = Add<CProfileListCtrl>(ids.list, 2, top[t] + 15, 384, listHeight[t]);
        (t == 0 ? m_deliveryList : m_intradayList) = list;

        // Captions over the totals; the delivery list's first one is drawn larger.
        const int y = top[t] + 15 + listHeight[t] + 2;
        auto* caption = Add<CLinkLabel>(ids.caption, 4, y, 124, t == 0 ? 30 : 17);
        caption->SetText("Cost Price\n+Brokerage");
        AddStatic(-1, "On Selling All,\nyou'll have", 132, y, 124, 17);
        AddStatic(-1, "Net Profit/Loss after\ndeducting Brkrge", 260, y, 124, 17);
        const int valueY = y + (t == 0 ? 30 : 18);
        for (auto [id, x] : {std::pair{ids.cost, 4}, {ids.get, 132}, {ids.pl, 260}})
            AddStatic(id, "", x, valueY, 124, 13);
    }
}

bool CProfileDlg::OnInitDialog() {
    // Tooltips; the delivery caption bold, large and blue.
    for (CProfileListCtrl* list : {m_deliveryList, m_intradayList})
        list->setToolTip("Double Click Stocks to see their Historical Chart");
    auto* caption = Control<CLinkLabel>(IDC_PF_DELIVERY_CAPTION);
    caption->SetFontBold(true);
    caption->SetFontSize(20);
    caption->SetTextColor(RGB(0, 0, 255));
    // Nothing held yet; the bar's flag.
    m_deliveryRows.clear();
    m_intradayRows.clear();
    m_quotes.clear();
    m_bConnected = m_bar.IsConnected();
    // Look, lists and buttons.
    SetPageColor(colors::kPage);
    portfolio::AttachColorButtons(this, {IDC_PF_CLOSE, IDC_PF_DELIVERY_ADD, IDC_PF_DELIVERY_DELETE,
                                         IDC_PF_DELIVERY_EDIT, IDC_PF_BROKERS, IDC_PF_EXPORT,
                                         IDC_PF_PROFIT_CALC, IDC_PF_INTRADAY_ADD,
                                         IDC_PF_INTRADAY_DELETE, IDC_PF_INTRADAY_EDIT});
    for (int t = 0; t < 2; ++t) {
        CProfileListCtrl* list = List(t);
        list->SetGridLines(true);
        list->SetSingleSelection(true);
        list->SetConnectedFlag([this] { return m_bConnected; });
        for (int c = 0; c < kProfileColumns; ++c)
            list->InsertColumn(c, kColumns[c].heading, kColumns[c].format, kColumns[c].width);
        list->SetTextCallback([list](int row, int col) -> std::string {
            const ProfileRow* r = list->ItemData<ProfileRow>(row);
            return r ? ProfileCellText(*r, col) : std::string();
        });
        connect(Control<QPushButton>(kIds[t].add), &QPushButton::clicked, this,
                [this, t] { OnAdd(t); });
        connect(Control<QPushButton>(kIds[t].edit), &QPushButton::clicked, this,
                [this, t] { OnEdit(t); });
        connect(Control<QPushButton>(kIds[t].remove), &QPushButton::clicked, this,
                [this, t] { OnDelete(t); });
        SetTextColor(GetDlgItem(kIds[t].get), RGB(0, 0, 255));
        QFont totals("MyFont");
        totals.setPixelSize(18);
        totals.setWeight(QFont::Bold);
        for (int id : {kIds[t].cost, kIds[t].get, kIds[t].pl})
            GetDlgItem(id)->setFont(totals);
    }
    OnClicked(IDC_PF_CLOSE, [this] { OnCancel(); });
    OnClicked(IDC_PF_BROKERS, &CProfileDlg::OnBrokersList);
    OnClicked(IDC_PF_PROFIT_CALC, &CProfileDlg::OnProfitCalc);
    OnClicked(IDC_PF_EXPORT, &CProfileDlg::OnExport);
    // The bar docks the page under itself.
    LoadBrokers();
    LoadLots();
    BuildProfileSymbols();
    RefreshProfile();
    return true;
}

std::string CProfileDlg::QuoteSymbol(int index) const {
    return ::QuoteSymbol(m_symbols[index].symbol, m_symbols[index].index);
}

void CProfileDlg::LoadBrokers() {
    db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                    [this] { m_brokers = portfolio::ReadBrokers(m_brokerSet); });
}

void CProfileDlg::LoadLots() {
    std::vector<ProfileLot> lots;
    db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                    [&] { lots = portfolio::ReadLots(m_set); });
    m_deliveryLots.clear();
    m_intradayLots.clear();
    for (ProfileLot& lot : lots)
        (lot.deliveryType == 0 ? m_deliveryLots : m_intradayLots).push_back(std::move(lot));
}

void CProfileDlg::BuildProfileSymbols() {
    // Each stock keeps its own last quote, so no row shows another stock's price while
    // the positions change before the next refresh.
    std::vector<ProfileSymbol> symbols = ::BuildProfileSymbols(m_deliveryLots, m_intradayLots);
    std::vector<QuoteRecord> quotes(symbols.size());
    for (std::size_t i = 0; i < symbols.size(); ++i)
        for (std::size_t k = 0; k < m_symbols.size() && k < m_quotes.size(); ++k)
            if (m_symbols[k].symbol == symbols[i].symbol) {
                quotes[i] = m_quotes[k];
                break;
            }
    m_symbols = std::move(symbols);
    m_quotes = std::move(quotes);
    if (static_cast<int>(m_symbols.size()) > kProfileSymbolsLarge)
        ShowCapacityMessage(kMsgSymbolsLarge);
}

void CProfileDlg::RefreshProfile() {
    ApplyQuotes(m_deliveryLots, m_symbols, m_quotes);
    ApplyQuotes(m_intradayLots, m_symbols, m_quotes);
    // Rows and their sums.
    m_deliveryRows = MergeLots(m_deliveryLots, false);
    m_intradayRows = MergeLots(m_intradayLots, true);
    const ProfileTotals delivery = ComputeRows(m_deliveryRows, 0, m_brokers);
    const ProfileTotals intraday = ComputeRows(m_intradayRows, 1, m_brokers);
    // Totals and lists.
    ShowTotals(0, delivery);
    ShowTotals(1, intraday);
    FillList(m_deliveryList, m_deliveryRows);
    FillList(m_intradayList, m_intradayRows);
    update();
    // The warnings come once everything shows the new state: a refresh that arrives while
    // one is up then finds nothing half done.
    if (static_cast<int>(m_deliveryRows.size()) > kDeliveryRowsLarge)
        ShowCapacityMessage(kMsgDeliveryLarge);
    if (static_cast<int>(m_intradayRows.size()) > kIntradayRowsLarge)
        ShowCapacityMessage(kMsgIntradayLarge);
}

void CProfileDlg::ShowCapacityMessage(const char* text) {
    // Refreshes go on under a box; one of these at a time is enough.
    if (m_bMessageUp)
        return;
    m_bMessageUp = true;
    ui::messageBox(text, ui::MB_OK, this);
    m_bMessageUp = false;
}

void CProfileDlg::ShowTotals(int deliveryType, const ProfileTotals& totals) {
    const ListIds& ids = kIds[deliveryType];
    SetDlgItemText(ids.cost, FormatIndianNumber(totals.cost));
    SetDlgItemText(ids.get, FormatIndianNumber(totals.youllGet));
    const std::string pl = FormatIndianNumber(totals.netPL);
    SetDlgItemText(ids.pl, pl);
    SetTextColor(GetDlgItem(ids.pl), ProfitTotalColor(pl));
}

void CProfileDlg::FillList(CProfileListCtrl* list, const std::vector<ProfileRow>& rows) {
    // The user's selection stays on its stock across refreshes.
    const int selected = list->GetNextSelected(-1);
    const ProfileRow* was = selected >= 0 ? list->ItemData<ProfileRow>(selected) : nullptr;
    const std::string symbol = was ? was->symbol : std::string();
    list->SetCallbackRows(rows, [](const ProfileRow& r) { return r.symbol; });
    if (symbol.empty() || list->GetNextSelected(-1) >= 0)
        return; // updated in place: the selection stayed
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (rows[i].symbol == symbol)
            list->SetItemSelected(i, true);
}

void CProfileDlg::OnAdd(int deliveryType) {
    RefreshSuspension suspended(m_bar);
    if (deliveryType == 0 && static_cast<int>(m_deliveryLots.size()) > kDeliveryAddLimit) {
        ui::messageBox(kMsgCantAddMore, ui::MB_OK, this);
        return;
    }
    CProfileStocksDlg dlg("", deliveryType == 0 ? "NSE" : "", "", 0, 0, deliveryType, this);
    if (dlg.DoModal() != ui::IDOK)
        return;
    // The dialog has written the rows; the page takes them as the dialog returns them.
    for (const LotEntry& e : dlg.Transactions()) {
        ProfileLot lot;
        lot.companyName = dlg.CompanyName();
        lot.index = dlg.Index();
        lot.symbol = dlg.Symbol();
        lot.deliveryType = deliveryType;
        lot.price = e.price;
        lot.quantity = e.shares;
        lot.brokerId = dlg.BrokerId();
        MutableLots(deliveryType).push_back(std::move(lot));
    }
    BuildProfileSymbols();
    RefreshProfile();
}

void CProfileDlg::OnEdit(int deliveryType) {
    RefreshSuspension suspended(m_bar);
    CProfileListCtrl* list = List(deliveryType);
    const int selected = list->GetNextSelected(-1);
    const ProfileRow* picked = selected >= 0 ? list->ItemData<ProfileRow>(selected) : nullptr;
    if (!picked) {
        ui::messageBox("Please select atleast ONE company to EDIT", ui::MB_OK, this);
        return;
    }
    const ProfileRow row = *picked;
    CProfileStocksDlg dlg(row.companyName, row.index, row.symbol, row.brokerId, 1, deliveryType,
                          this);
    if (dlg.DoModal() != ui::IDOK)
        return;
    const std::vector<LotEntry>& entries = dlg.Transactions();
    std::size_t next = 0;
    for (ProfileLot& lot : MutableLots(deliveryType)) {
        // A lot the dialog could not read keeps its values, as its row in the table does.
        if (lot.symbol != row.symbol || next >= entries.size())
            continue;
        lot.price = entries[next].price;
        lot.quantity = entries[next].shares;
        lot.brokerId = dlg.BrokerId();
        ++next;
    }
    BuildProfileSymbols();
    RefreshProfile();
}

void CProfileDlg::OnDelete(int deliveryType) {
    CProfileListCtrl* list = List(deliveryType);
    const int selected = list->GetNextSelected(-1);
    const ProfileRow* picked = selected >= 0 ? list->ItemData<ProfileRow>(selected) : nullptr;
    if (!picked) {
        ui::messageBox("Please select atleast ONE company to delete", ui::MB_OK, this);
        return;
    }
    const ProfileRow row = *picked;
    if (ui::messageBox("Are you sure that you want to DELETE  " + row.companyName + "?",
                       ui::MB_YESNO | ui::MB_ICONQUESTION, this) != ui::IDYES)
        return;
    // A database error is shown; the lists lose the stock all the same.
    db::RunReported([this](const std::string& e) { portfolio::ShowDbError(this, e); },
                    [&] { portfolio::DeleteLots(row.symbol, deliveryType); });
    std::vector<ProfileLot>& lots = MutableLots(deliveryType);
    lots.erase(std::remove_if(lots.begin(), lots.end(),
                              [&](const ProfileLot& l) { return l.symbol == row.symbol; }),
               lots.end());
    RefreshProfile();
}

void CProfileDlg::OnBrokersList() {
    RefreshSuspension suspended(m_bar);
    CBrokersListDlg dlg(this);
    dlg.DoModal();
    LoadBrokers();
}

void CProfileDlg::OnProfitCalc() {
    RefreshSuspension suspended(m_bar);
    CProfitCalcDlg dlg(this);
    dlg.DoModal();
}

void CProfileDlg::OnExport() {
    const auto path = AskExportPath(
        this, m_deliveryList->GetItemCount() != 0 || m_intradayList->GetItemCount() != 0,
        "There is no data to export", paths::kProfileData);
    if (!path)
        return;
    m_strExportPath = *path;
    auto section = [this](int t, const std::vector<ProfileRow>& rows) {
        return ProfileExportSection{&rows, GetDlgItemText(kIds[t].cost),
                                    GetDlgItemText(kIds[t].get), GetDlgItemText(kIds[t].pl)};
    };
    WriteExportFile(this, m_strExportPath,
                    ProfileExportText(section(0, m_deliveryRows), section(1, m_intradayRows)),
                    "Profile");
}

void CProfileDlg::OnCancel() {
    // The page goes; the bar forgets it and makes a new one at the next press.
    hide();
    deleteLater();
}
