#include "portfolio/profile_stocks_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "controls/color_button.h"
#include "controls/list_ctrl.h"
#include "db/operations.h"
#include "platform/base/text.h"
#include "portfolio/core/portfolio_tables.h"
#include "portfolio/portfolio_look.h"
#include "watch/core/search_rules.h"
#include "watch/search_result_dlg.h"

CProfileStocksDlg::CProfileStocksDlg(std::string companyName, std::string index, std::string symbol,
                                     std::int32_t brokerId, int mode, int deliveryType,
                                     QWidget* parent)
    : ui::CDialog(IDD, parent), m_strCompanyName(std::move(companyName)),
      m_strIndex(std::move(index)), m_strSymbol(std::move(symbol)),
      m_strSearchText(m_strCompanyName), m_nBrokerId(brokerId), m_nMode(mode),
      m_nDeliveryType(deliveryType), m_nExchange(m_strIndex == "BSE" ? 1 : 0) {
    setWindowTitle("Add/Edit Profile Stocks");
    SetTemplateSize(250, 196);
    AddStatic(-1, "Company", 7, 9, 40, 8);
    Add<QLineEdit>(IDC_PS_SEARCH_TEXT, 48, 7, 132, 13);
    Add<CColorButton>(IDC_PS_SEARCH, 187, 6, 56, 14, std::string("Search"));
    AddStatic(-1, "Index", 7, 27, 40, 8);
    Add<QRadioButton>(IDC_PS_NSE, 48, 26, 34, 10)->setText("NSE");
    Add<QRadioButton>(IDC_PS_BSE, 84, 26, 34, 10)->setText("BSE");
    AddStatic(-1, "Broker", 126, 27, 26, 8);
    m_combo = Add<QComboBox>(IDC_PS_BROKER, 153, 24, 90, 14);
    auto* company = AddStatic(IDC_PS_COMPANY, "", 7, 43, 236, 10);
    QFont bold = company->font();
    bold.setBold(true);
    company->setFont(bold);
    const std::pair<int, const char*> buttons[] = {
        {IDC_PS_ADD, "Add"}, {IDC_PS_EDIT, "Edit"}, {IDC_PS_DELETE, "Delete"}};
    int x = 7;
    for (const auto& [id, caption] : buttons) {
        Add<CColorButton>(id, x, 58, 45, 14, std::string(caption));
        x += 50;
    }
    m_list = Add<CListCtrl>(IDC_PS_LIST, 7, 76, 164, 113);
    Add<CColorButton>(ui::IDOK, 187, 76, 56, 14, std::string("OK"))->setDefault(true);
    Add<CColorButton>(ui::IDCANCEL, 187, 95, 56, 14, std::string("Cancel"));

    OnClicked(IDC_PS_SEARCH, &CProfileStocksDlg::OnSearch);
    OnClicked(IDC_PS_NSE, [this] { OnExchangeClicked(0); });
    OnClicked(IDC_PS_BSE, [this] { OnExchangeClicked(1); });
    OnClicked(IDC_PS_ADD, &CProfileStocksDlg::OnAddLot);
    OnClicked(IDC_PS_EDIT, &CProfileStocksDlg::OnEditLot);
    OnClicked(IDC_PS_DELETE, &CProfileStocksDlg::OnDeleteLot);
    OnClicked(ui::IDOK, [this] { OnOK(); });
    OnClicked(ui::IDCANCEL, [this] { OnCancel(); });
    m_list->SetDoubleClickHandler([this](int row) {
        if (row >= 0 && m_list->IsItemSelected(row))
            OnEditLot();
    });
}

void CProfileStocksDlg::ReportDbError(const std::string& error) {
    portfolio::ShowDbError(this, error);
}

bool CProfileStocksDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    portfolio::AttachColorButtons(
        this, {IDC_PS_SEARCH, IDC_PS_ADD, IDC_PS_EDIT, IDC_PS_DELETE, ui::IDOK, ui::IDCANCEL});
    // Editing keeps the company and the number of lots; their values may change.
    if (m_nMode == 1) {
        for (int id :
             {IDC_PS_SEARCH_TEXT, IDC_PS_SEARCH, IDC_PS_NSE, IDC_PS_BSE, IDC_PS_ADD, IDC_PS_DELETE})
            GetDlgItem(id)->setEnabled(false);
        db::RunReported([this](const std::string& e) { ReportDbError(e); },
                        [this] {
                            m_transactions =
                                portfolio::ReadTransactions(m_set, m_strSymbol, m_nDeliveryType);
                        });
    }
    setWindowTitle(windowTitle() + (m_nDeliveryType != 0 ? ":: INTRADAY" : ":: DELIVERY"));
    // Transactions list.
    m_list->SetGridLines(true);
    m_list->SetSingleSelection(true);
    m_list->InsertColumn(0, "Buying Price", LVCFMT_CENTER, 112);
    m_list->InsertColumn(1, "No of Shares", LVCFMT_CENTER, 111);
    // Brokers; editing shows the lots' own broker (the first when it is gone).
    const bool read = db::RunReported([this](const std::string& e) { ReportDbError(e); },
                                      [this] { m_brokers = portfolio::ReadBrokers(m_brokerSet); });
    if (!read)
        ui::messageBox("Problem in getting Brokers List from DB", ui::MB_OK, this);
    int selection = m_brokers.empty() ? -1 : 0;
    bool matched = false;
    for (int i = 0; i < static_cast<int>(m_brokers.size()); ++i) {
        m_combo->addItem(ui::Q(m_brokers[i].name));
        // By ID: brokers whose names begin alike are never mistaken for each other.
        if (m_nMode == 1 && !matched && m_brokers[i].id == m_nBrokerId) {
            selection = i;
            matched = true;
        }
    }
    m_combo->setCurrentIndex(selection);
    FillList();
    ShowValues();
    return true;
}

void CProfileStocksDlg::ReadControls() {
    m_strSearchText = GetDlgItemText(IDC_PS_SEARCH_TEXT);
    m_nExchange = Control<QRadioButton>(IDC_PS_BSE)->isChecked() ? 1 : 0;
}

void CProfileStocksDlg::ShowValues() {
    SetDlgItemText(IDC_PS_SEARCH_TEXT, m_strSearchText);
    Control<QLabel>(IDC_PS_COMPANY)->setText(ui::Q(m_strCompanyName));
    Control<QRadioButton>(m_nExchange == 1 ? IDC_PS_BSE : IDC_PS_NSE)->setChecked(true);
}

void CProfileStocksDlg::FillList() {
    m_list->DeleteAllItems();
    for (int i = 0; i < static_cast<int>(m_transactions.size()); ++i) {
        m_list->InsertItem(i, text::FormatFixed(m_transactions[i].price, 2));
        m_list->SetItemText(i, 1, std::to_string(m_transactions[i].shares));
    }
}

void CProfileStocksDlg::OnSearch() {
    ReadControls();
    if (!IsLongEnoughToSearch(m_strSearchText)) {
        ui::messageBox("Please enter atleast 3 consecutive letters of the company name", ui::MB_OK,
                       this);
        return;
    }
    CSearchResultDlg search(m_strSearchText, m_nExchange == 0 ? "NSE" : "BSE", this);
    if (search.DoModal() != ui::IDOK)
        return;
    m_strCompanyName = search.CompanyName();
    m_strSymbol = search.Symbol();
    m_bCompanyChosen = true;
    ShowValues();
}

void CProfileStocksDlg::OnExchangeClicked(int exchange) {
    if (!m_bCompanyChosen || exchange == m_nExchange)
        return;
    // The symbol found belongs to the other exchange: nothing may be kept for it.
    ReadControls();
    ui::messageBox("You have changed Index , Please again click on SEARCH", ui::MB_OK, this);
    m_transactions.clear();
    FillList();
    m_strCompanyName.clear();
    ShowValues();
}

void CProfileStocksDlg::OnAddLot() {
    if (m_strCompanyName.empty()) {
        ui::messageBox("Sorry!!!First Select a Company Name with SEARCH button", ui::MB_OK, this);
        return;
    }
    CLotDlg lot(m_strCompanyName, 0, 0, this);
    if (lot.DoModal() != ui::IDOK)
        return;
    m_transactions.push_back({lot.Price(), lot.Shares()});
    FillList();
}

void CProfileStocksDlg::OnEditLot() {
    const int row = m_list->GetNextSelected(-1);
    if (row < 0 || row >= static_cast<int>(m_transactions.size())) {
        ui::messageBox("Please select a Lot to Edit ", ui::MB_OK, this);
        return;
    }
    CLotDlg lot(m_strCompanyName, m_transactions[row].price, m_transactions[row].shares, this);
    if (lot.DoModal() != ui::IDOK)
        return;
    m_transactions[row] = {lot.Price(), lot.Shares()};
    FillList();
}

void CProfileStocksDlg::OnDeleteLot() {
    const int row = m_list->GetNextSelected(-1);
    if (row < 0) {
        ui::messageBox("Please select a Lot to Delete ", ui::MB_OK, this);
        return;
    }
    m_list->DeleteItem(row);
    // The rest are read back from what the list shows, prices at two decimals.
    m_transactions.clear();
    for (int i = 0, n = m_list->GetItemCount(); i < n; ++i)
        m_transactions.push_back(
            {text::CStrToD(m_list->GetItemText(i, 0)), text::CStrToL32(m_list->GetItemText(i, 1))});
}

void CProfileStocksDlg::OnOK() {
    ReadControls();
    if (m_list->GetItemCount() == 0) {
        ui::messageBox("Please add atleast one transaction", ui::MB_OK, this);
        return;
    }
    const int broker = m_combo->currentIndex();
    if (broker < 0 || broker >= static_cast<int>(m_brokers.size())) {
        ui::messageBox("Please configure a Broker in Broker List\nthen Add Stocks in your profile",
                       ui::MB_OK, this);
        return;
    }
    m_nBrokerId = m_brokers[broker].id;
    m_strIndex = m_nExchange == 0 ? "NSE" : "BSE";
    const portfolio::LotStock stock{m_strCompanyName, m_strIndex, m_strSymbol, m_nDeliveryType,
                                    m_nBrokerId};
    // A database error is shown; the page still takes the transactions as they are.
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [&] {
                        if (m_nMode == 0)
                            portfolio::AddLots(m_set, stock, m_transactions);
                        else
                            portfolio::RewriteLots(m_set, stock, m_transactions);
                    });
    EndDialog(ui::IDOK);
}

// ---- Add/Edit Stocks -------------------------------------------------------------------

CLotDlg::CLotDlg(const std::string& stockName, double price, std::int32_t shares, QWidget* parent)
    : ui::CDialog(IDD, parent), m_dPrice(price), m_nShares(shares) {
    setWindowTitle("Add/Edit Stocks");
    SetTemplateSize(186, 82);
    auto* name = AddStatic(IDC_LOT_NAME, stockName, 7, 7, 172, 10);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    AddStatic(-1, "Buying Price", 7, 26, 60, 8);
    Add<QLineEdit>(IDC_LOT_PRICE, 70, 24, 70, 12);
    AddStatic(-1, "No of Shares", 7, 43, 60, 8);
    Add<QLineEdit>(IDC_LOT_SHARES, 70, 41, 70, 12);
    auto* ok = Add<CColorButton>(ui::IDOK, 38, 62, 50, 14, std::string("OK"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 98, 62, 50, 14, std::string("Cancel"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CLotDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    portfolio::AttachColorButtons(this, {ui::IDOK, ui::IDCANCEL});
    SetDlgItemText(IDC_LOT_PRICE, portfolio::FieldText(m_dPrice));
    SetDlgItemText(IDC_LOT_SHARES, std::to_string(m_nShares));
    return true;
}

void CLotDlg::OnOK() {
    double price = 0;
    long shares = 0;
    if (!portfolio::ReadDoubleField(this, IDC_LOT_PRICE, 0, 99999, price) ||
        !portfolio::ReadIntField(this, IDC_LOT_SHARES, 0, 999999, shares))
        return;
    if (price == 0 || shares == 0) {
        ui::messageBox("Sorry!!!None of these two can have 0 value", ui::MB_OK, this);
        return;
    }
    m_dPrice = price;
    m_nShares = static_cast<std::int32_t>(shares);
    EndDialog(ui::IDOK);
}
