#pragma once

#include <span>
#include <string>
#include <vector>

#include <QFont>

#include "app/bar_page.h"
#include "market/core/quote_pages_rows.h"
#include "platform/ui/dialog.h"

class CQuoteListCtrl;

// Control ids of the Indian indices and world market pages.
enum QuotePageControl {
    IDC_QP_CLOSE = 1040,
    IDC_QP_UPPER_LIST = 1041,
    IDC_QP_LOWER_LIST = 1042,
    IDC_QP_UPPER_BANNER = 1043,
    IDC_QP_LOWER_BANNER = 1044,
};

// What the two read-only quote pages share: a fixed symbol table whose quotes ride on the
// bar's request, split over two lists under drawn banners. The bar fills the records and
// calls Refresh; the page fetches nothing itself. Its X destroys it.
class CQuotePageDlg : public ui::CDialog, public CBarPage {
    Q_OBJECT
public:
    struct Layout {
        std::span<const market::IndexEntry> table;
        int upperRows;
        const char* upperBanner;
        const char* lowerBanner;
        bool worldRule; // percentages beyond +-100 show as "0.00"
        int topDlu;     // room above the first banner
    };

    CQuotePageDlg(int templateId, IBar& bar, const Layout& layout);

    // CBarPage
    ui::CDialog* PageWindow() override { return this; }
    int QuoteCount() const override { return static_cast<int>(m_layout.table.size()); }
    std::string QuoteSymbol(int index) const override { return m_layout.table[index].symbol; }
    QuoteRecord& QuoteSlot(int index) override { return m_quotes[index]; }
    void OnBarRefresh() override { Refresh(); }
    void SetConnected(bool connected) override { m_bConnected = connected; }

    // Rebuilds both lists from the records, in table order.
    virtual void Refresh();

    CQuoteListCtrl* UpperList() const { return m_upper; }
    CQuoteListCtrl* LowerList() const { return m_lower; }

protected:
    bool OnInitDialog() override;
    void OnCancel() override; // Esc closes the page as X does

    IBar& m_bar;

private:
    void BuildTemplate();
    int ListHeight(int rows) const;

    Layout m_layout;
    std::vector<QuoteRecord> m_quotes;
    bool m_bConnected = false;
    CQuoteListCtrl* m_upper = nullptr;
    CQuoteListCtrl* m_lower = nullptr;
};

namespace market {
// A bold font whose line height is `height` pixels, as a font asked for by its cell
// height comes out.
QFont PageFont(int height, bool underline = false);
} // namespace market
