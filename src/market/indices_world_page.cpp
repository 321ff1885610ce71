#include "market/indices_world_page.h"

#include <algorithm>

#include <QFontMetrics>

#include "controls/banner.h"
#include "controls/color_button.h"
#include "controls/quote_lists.h"
#include "market/indices_dlg.h"
#include "market/market_pages.h"
#include "market/world_market_dlg.h"

namespace {

struct Column {
    const char* heading;
    int width;
    int format;
};

const Column kColumns[market::kQuotePageColumns] = {
    {"Indices", 125, LVCFMT_LEFT},   {"Indx Name", 0, LVCFMT_RIGHT}, {"CP    ", 65, LVCFMT_RIGHT},
    {"Date     ", 75, LVCFMT_RIGHT}, {"Chg  ", 54, LVCFMT_RIGHT},    {"%Ch  ", 54, LVCFMT_RIGHT},
    {"Open   ", 65, LVCFMT_RIGHT},   {"High   ", 65, LVCFMT_RIGHT},  {"Low    ", 65, LVCFMT_RIGHT},
};

constexpr int kWidth = 388;
constexpr int kBannerHeight = 13;

} // namespace

namespace market {

QFont PageFont(int height, bool underline) {
    QFont font = ui::DialogFont();
    font.setBold(true);
    font.setUnderline(underline);
    font.setPixelSize(height);
    const int line = QFontMetrics(font).height();
    if (line > height)
        font.setPixelSize(std::max(1, height * height / line));
    return font;
}

} // namespace market

CQuotePageDlg::CQuotePageDlg(int templateId, IBar& bar, const Layout& layout)
    : ui::CDialog(templateId, bar.Window()), m_bar(bar), m_layout(layout),
      m_quotes(layout.table.size()) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    BuildTemplate();
}

int CQuotePageDlg::ListHeight(int rows) const {
    // Every row in sight: heading, rows and frame, in dialog units rounded up.
    const int line = fontMetrics().height();
    const int pixels = (line + 4) + rows * (line + 2) + 6;
    const int baseY = Dlu().baseY();
    return (pixels * 8 + baseY - 1) / baseY;
}

void CQuotePageDlg::BuildTemplate() {
    const int upperRows = m_layout.upperRows;
    const int lowerRows = static_cast<int>(m_layout.table.size()) - upperRows;
    int y = m_layout.topDlu;
    MakeBanner(AddStatic(IDC_QP_UPPER_BANNER, std::string("  ") + m_layout.upperBanner, 0, y,
                         kWidth, kBannerHeight, Qt::AlignLeft | Qt::AlignVCenter));
    y += kBannerHeight + 1;
    m_upper = Add<CQuoteListCtrl>(IDC_QP_UPPER_LIST, 2, y, kWidth - 4, ListHeight(upperRows));
    y += ListHeight(upperRows) + 2;
    MakeBanner(AddStatic(IDC_QP_LOWER_BANNER, std::string("  ") + m_layout.lowerBanner, 0, y,
                         kWidth, kBannerHeight, Qt::AlignLeft | Qt::AlignVCenter));
    y += kBannerHeight + 1;
    m_lower = Add<CQuoteListCtrl>(IDC_QP_LOWER_LIST, 2, y, kWidth - 4, ListHeight(lowerRows));
    y += ListHeight(lowerRows) + 2;
    SetTemplateSize(kWidth, y);
    Add<CColorButton>(IDC_QP_CLOSE, 372, 1, 14, 11, std::string("X"));
}

bool CQuotePageDlg::OnInitDialog() {
    m_bConnected = m_bar.IsConnected();
    SetPageColor(colors::kPage);
    CColorButton::Attach(IDC_QP_CLOSE, this, colors::kPage, colors::kButtonText,
                         colors::kDisabledText, colors::kBevel);
    OnClicked(IDC_QP_CLOSE, [this] { OnCancel(); });
    const bool worldRule = m_layout.worldRule;
    for (CQuoteListCtrl* list : {m_upper, m_lower}) {
        list->setToolTip("Double Click Stocks to see their Historical Chart");
        list->SetGridLines(true);
        list->SetSingleSelection(true);
        list->SetConnectedFlag([this] { return m_bConnected; });
        for (int c = 0; c < market::kQuotePageColumns; ++c)
            list->InsertColumn(c, kColumns[c].heading, kColumns[c].format, kColumns[c].width);
        list->SetTextCallback([list, worldRule](int row, int col) -> std::string {
            const auto* r = list->ItemData<market::QuotePageRow>(row);
            return r ? market::QuotePageCellText(*r, col, worldRule) : std::string();
        });
    }
    return true;
}

void CQuotePageDlg::Refresh() {
    std::vector<market::QuotePageRow> upper, lower;
    for (int i = 0; i < QuoteCount(); ++i)
        (i < m_layout.upperRows ? upper : lower)
            .push_back(market::MakeQuotePageRow(m_layout.table[i], m_quotes[i]));
    const auto key = [](const market::QuotePageRow& r) { return r.symbol; };
    m_upper->SetCallbackRows(upper, key);
    m_lower->SetCallbackRows(lower, key);
}

void CQuotePageDlg::OnCancel() {
    // The bar holds the page by a guarded pointer: once it is gone, the button makes a new one.
    hide();
    deleteLater();
}

void RegisterIndicesAndWorldPages() {
    RegisterBarPage(BarPage::Indices, [](IBar& bar) -> CBarPage* { return new CIndicesDlg(bar); });
    RegisterBarPage(BarPage::World,
                    [](IBar& bar) -> CBarPage* { return new CWorldMarketDlg(bar); });
}
