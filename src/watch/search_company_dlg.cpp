#include "watch/search_company_dlg.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "controls/color_button.h"
#include "db/operations.h"
#include "db/statements.h"
#include "platform/base/validate.h"

CSearchCompanyDlg::CSearchCompanyDlg(IWatchList* watchList, QWidget* parent)
    : ui::CDialog(IDD, parent), m_pWatchList(watchList), m_dlgNewListing(this) {
    setWindowTitle(QStringLiteral("Search Company to Watch"));
    SetTemplateSize(232, 232);
    auto* edit = Add<QLineEdit>(IDC_SEARCH_TEXT, 7, 7, 162, 13);
    auto* search = Add<CColorButton>(IDC_SEARCH, 175, 7, 50, 14, std::string("SEARCH"));
    auto* nse = Add<QRadioButton>(IDC_NSE, 7, 25, 36, 10, QStringLiteral("NSE"));
    auto* bse = Add<QRadioButton>(IDC_BSE, 46, 25, 36, 10, QStringLiteral("BSE"));
    auto* list = Add<QListWidget>(IDC_RESULT_LIST, 7, 38, 162, 118);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* ok = Add<CColorButton>(ui::IDOK, 175, 38, 50, 14, std::string("OK"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 175, 56, 50, 14, std::string("Cancel"));

    auto* alert = Add<QCheckBox>(IDC_SET_ALERT, 7, 163, 10, 10);
    AddStatic(-1, "Set Alert", 19, 164, 50, 9);
    AddStatic(-1, "Lower Limit", 7, 181, 40, 9);
    Add<QLineEdit>(IDC_LOWER_LIMIT, 49, 179, 40, 13);
    AddStatic(-1, "Upper Limit", 98, 181, 40, 9);
    Add<QLineEdit>(IDC_UPPER_LIMIT, 140, 179, 40, 13);

    auto* addNew =
        Add<CColorButton>(IDC_ADD_NEW_LISTING, 7, 200, 70, 14, std::string("Add New Listing"));
    AddStatic(-1, "In case you are not able to find a company", 7, 218, 170, 9);

    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textChanged, this, [this] { Search(true); });
    connect(search, &QPushButton::clicked, this, [this] { Search(false); });
    for (QRadioButton* radio : {nse, bse})
        connect(radio, &QRadioButton::clicked, this, [this] {
            if (!GetDlgItemText(IDC_SEARCH_TEXT).empty())
                Search(false);
        });
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { OnOK(); });
    connect(alert, &QCheckBox::toggled, this, [this] { OnSetAlert(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(addNew, &QPushButton::clicked, this, [this] { OnAddNewListing(); });
}

bool CSearchCompanyDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    for (int id : {IDC_SEARCH, ui::IDOK, ui::IDCANCEL, IDC_ADD_NEW_LISTING})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    Control<QRadioButton>(IDC_NSE)->setChecked(true);
    SetDlgItemText(IDC_LOWER_LIMIT, "0");
    SetDlgItemText(IDC_UPPER_LIMIT, "0");
    OnSetAlert();
    Control<QLineEdit>(IDC_SEARCH_TEXT)->setFocus();
    return true;
}

bool CSearchCompanyDlg::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the search text searches instead of closing the dialog.
    if (event->type() == QEvent::KeyPress && watched == GetDlgItem(IDC_SEARCH_TEXT)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Search(false);
            return true;
        }
    }
    return CDialog::eventFilter(watched, event);
}

bool CSearchCompanyDlg::IsNse() const {
    auto* nse = Control<QRadioButton>(IDC_NSE);
    return nse && nse->isChecked();
}

void CSearchCompanyDlg::ReportDbError(const std::string& error) {
    ui::messageBox(error, ui::MB_OK | ui::MB_ICONERROR, this);
}

void CSearchCompanyDlg::Search(bool typed) {
    auto* list = Control<QListWidget>(IDC_RESULT_LIST);
    list->clear();
    const std::string text = GetDlgItemText(IDC_SEARCH_TEXT);
    switch (StartSearch(text, typed)) {
    case SearchStart::StopSilently:
        return;
    case SearchStart::Refuse:
        ui::messageBox(kMsgSearchTooShort, ui::MB_OK, this);
        return;
    case SearchStart::Run:
        break;
    }
    const bool nse = IsNse();
    std::vector<std::string> names;
    const bool read = db::RunReported(
        [this](const std::string& e) { ReportDbError(e); },
        [&] {
            if (m_rsCompany.IsOpen())
                m_rsCompany.Close();
            m_rsCompany.m_strFilter =
                nse ? db::SqlFilterNseCompanies(text) : db::SqlFilterBseCompanies(text);
            m_rsCompany.m_strSort = db::kSortCompanyName;
            if (!m_rsCompany.Open(CRecordset::snapshot, "CompanyList"))
                return false;
            names = db::ReadAllRows(m_rsCompany, [](CCompanyListset& rs) { return rs.m_COMPNAME; });
            return true;
        });
    if (!read)
        return;
    if (names.empty()) {
        ui::messageBox(kMsgNoCompanyFound, ui::MB_OK, this);
        return;
    }
    // The list's positions are the recordset's, which OK relies on.
    for (const std::string& name : names)
        list->addItem(ui::Q(name));
}

void CSearchCompanyDlg::OnSetAlert() {
    const bool on = Control<QCheckBox>(IDC_SET_ALERT)->isChecked();
    for (int id : {IDC_LOWER_LIMIT, IDC_UPPER_LIMIT})
        GetDlgItem(id)->setEnabled(on);
}

bool CSearchCompanyDlg::ReadLimit(int id, double& value) {
    const std::string refusal =
        validate::CheckDouble(GetDlgItemText(id), kMinLimit, kMaxLimit, &value);
    if (refusal.empty())
        return true;
    ui::messageBox(refusal, ui::MB_OK | ui::MB_ICONWARNING, this);
    if (auto* edit = Control<QLineEdit>(id)) {
        edit->setFocus();
        edit->selectAll();
    }
    return false;
}

void CSearchCompanyDlg::OnOK() {
    double lower = 0;
    double upper = 0;
    if (!ReadLimit(IDC_LOWER_LIMIT, lower) || !ReadLimit(IDC_UPPER_LIMIT, upper))
        return;
    const bool alert = Control<QCheckBox>(IDC_SET_ALERT)->isChecked();
    auto* list = Control<QListWidget>(IDC_RESULT_LIST);
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) {
        ui::messageBox(kMsgSelectCompany, ui::MB_OK, this);
        return;
    }
    const int position = list->row(selected.front());
    const bool nse = IsNse();
    std::string symbol;
    const bool read = db::RunReported([this](const std::string& e) { ReportDbError(e); },
                                      [&] {
                                          m_rsCompany.MoveFirst();
                                          for (int i = 0; i < position; ++i)
                                              m_rsCompany.MoveNext();
                                          symbol =
                                              nse ? m_rsCompany.m_NSENAME : m_rsCompany.m_BSENAME;
                                      });
    if (!read)
        return;
    if (const std::string refusal = CheckAlertLimits(alert, lower, upper); !refusal.empty()) {
        ui::messageBox(refusal, ui::MB_OK, this);
        return;
    }
    m_strCompanyName = ui::S(selected.front()->text());
    m_strExchange = nse ? "NSE" : "BSE";
    m_strSymbol = symbol;
    m_nAlertSetting = alert ? 1 : 0;
    m_dLowerLimit = lower;
    m_dUpperLimit = upper;
    EndDialog(ui::IDOK);
}

void CSearchCompanyDlg::OnAddNewListing() {
    if (m_dlgNewListing.DoModal() != ui::IDOK)
        return;
    const NewListing& listing = m_dlgNewListing.Listing();
    const ValidatedFlags& flags = m_dlgNewListing.Flags();
    if (m_pWatchList) {
        std::vector<WatchItem> existing;
        for (int i = 0; i < m_pWatchList->ItemCount(); ++i)
            existing.push_back(m_pWatchList->Item(i));
        for (const WatchItem& item : NewListingItems(listing, flags, existing))
            m_pWatchList->AppendItem(item);
    }
    const bool recorded = RecordInCatalogue(listing, flags);
    if (m_pWatchList)
        m_pWatchList->RefreshWatchList();
    if (!recorded)
        return;
    // The page has its new items already; an empty company name tells it to add nothing.
    m_strCompanyName.clear();
    m_strExchange.clear();
    m_strSymbol.clear();
    m_nAlertSetting = 0;
    m_dLowerLimit = 0;
    m_dUpperLimit = 0;
    EndDialog(ui::IDOK);
}

bool CSearchCompanyDlg::RecordInCatalogue(const NewListing& listing, const ValidatedFlags& flags) {
    // A recordset of its own, so a failure here leaves the search's rows as the list shows
    // them.
    CCompanyListset rs;
    return db::RunReported([this](const std::string& e) { ReportDbError(e); },
                           [&] {
                               rs.m_strFilter = db::SqlFilterNseName(listing.nseSymbol);
                               if (!rs.Open())
                                   return false;
                               db::CloseOnExit<CCompanyListset> closer(rs);
                               const bool nsePresent = !rs.IsEOF();
                               rs.m_strFilter = db::SqlFilterBseName(listing.bseSymbol);
                               rs.Requery();
                               const bool bsePresent = !rs.IsEOF();
                               const CatalogueRow row =
                                   NewListingCatalogueRow(listing, flags, nsePresent, bsePresent);
                               if (!row.add)
                                   return true;
                               // The insert takes no notice of the selection, so the filter can
                               // stay.
                               rs.AddNew();
                               rs.m_COMPNAME = row.companyName;
                               rs.m_BSENAME = row.bseName;
                               rs.m_NSENAME = row.nseName;
                               rs.Update();
                               return true;
                           });
}
