#include "watch/search_result_dlg.h"

#include <QListWidget>

#include "controls/color_button.h"
#include "db/operations.h"
#include "db/statements.h"
#include "watch/core/search_rules.h"

CSearchResultDlg::CSearchResultDlg(std::string searchText, std::string exchange, QWidget* parent)
    : ui::CDialog(IDD, parent), m_strSearchText(std::move(searchText)),
      m_strExchange(std::move(exchange)) {
    setWindowTitle(QStringLiteral("Company Search Result"));
    SetTemplateSize(186, 172);
    auto* list = Add<QListWidget>(IDC_RESULT_LIST, 7, 7, 172, 110);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    AddStatic(-1,
              "If you don't find the company you are searching, Please  add it through Add New "
              "Listing in My Watch List",
              7, 122, 172, 26);
    auto* ok = Add<CColorButton>(ui::IDOK, 74, 152, 50, 14, std::string("OK"));
    auto* cancel = Add<CColorButton>(ui::IDCANCEL, 129, 152, 50, 14, std::string("Cancel"));
    ok->setDefault(true);
    connect(list, &QListWidget::itemDoubleClicked, this, [this] { OnOK(); });
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CSearchResultDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    for (int id : {ui::IDOK, ui::IDCANCEL})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    Search();
    return true;
}

void CSearchResultDlg::Search() {
    auto* list = Control<QListWidget>(IDC_RESULT_LIST);
    list->clear();
    m_results.clear();
    if (!IsLongEnoughToSearch(m_strSearchText)) {
        ui::messageBox(kMsgSearchTooShort, ui::MB_OK, this);
        return;
    }
    const bool nse = m_strExchange == "NSE";
    const bool read = db::RunReported(
        [this](const std::string& e) { ui::messageBox(e, ui::MB_OK | ui::MB_ICONERROR, this); },
        [&] {
            if (m_rsCompany.IsOpen())
                m_rsCompany.Close();
            m_rsCompany.m_strFilter = nse ? db::SqlFilterNseCompanies(m_strSearchText)
                                          : db::SqlFilterBseCompanies(m_strSearchText);
            m_rsCompany.m_strSort = db::kSortCompanyName;
            if (!m_rsCompany.Open(CRecordset::snapshot, "CompanyList"))
                return false;
            db::CloseOnExit<CCompanyListset> closer(m_rsCompany);
            if (m_rsCompany.IsEOF())
                return true;
            m_rsCompany.MoveFirst();
            while (!m_rsCompany.IsEOF() && static_cast<int>(m_results.size()) < kMaxSearchResults) {
                m_results.push_back(
                    {m_rsCompany.m_COMPNAME, nse ? m_rsCompany.m_NSENAME : m_rsCompany.m_BSENAME});
                m_rsCompany.MoveNext();
            }
            return true;
        });
    if (!read)
        return;
    if (m_results.empty()) {
        ui::messageBox(kMsgNoCompanyFound, ui::MB_OK, this);
        return;
    }
    for (const Result& r : m_results)
        list->addItem(ui::Q(r.companyName));
}

void CSearchResultDlg::OnOK() {
    auto* list = Control<QListWidget>(IDC_RESULT_LIST);
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (!selected.isEmpty()) {
        const std::size_t position = static_cast<std::size_t>(list->row(selected.front()));
        if (position < m_results.size()) {
            m_strCompanyName = m_results[position].companyName;
            m_strSymbol = m_results[position].symbol;
        }
    }
    EndDialog(ui::IDOK);
}
