#include "market/world_market_dlg.h"

#include <QLabel>

namespace {

constexpr int kDollarRow = 20; // dialog units above the first banner

} // namespace

CWorldMarketDlg::CWorldMarketDlg(IBar& bar)
    : CQuotePageDlg(149, bar,
                    {market::WorldTable(), market::kWorldUpperRows, "World Market", "Indian ADRs",
                     true, kDollarRow}) {
    const Qt::Alignment middle = Qt::AlignLeft | Qt::AlignVCenter;
    AddStatic(IDC_WM_DOLLAR_TITLE, "", 6, 2, 80, 16, middle);
    AddStatic(IDC_WM_USD, "", 150, 1, 110, 18, Qt::AlignRight | Qt::AlignVCenter);
    AddStatic(IDC_WM_RATE, "00.0000 ", 264, 1, 90, 18, middle);
    EnsureInitialized();
}

bool CWorldMarketDlg::OnInitDialog() {
    CQuotePageDlg::OnInitDialog();
    GetDlgItem(IDC_WM_DOLLAR_TITLE)->setFont(market::PageFont(18, true));
    for (int id : {IDC_WM_USD, IDC_WM_RATE})
        GetDlgItem(id)->setFont(market::PageFont(24));
    return true;
}

void CWorldMarketDlg::Refresh() {
    CQuotePageDlg::Refresh();
    SetDlgItemText(IDC_WM_DOLLAR_TITLE, "Dollar Rate");
    SetDlgItemText(IDC_WM_USD, "1 USD  =  Rs");
    SetDlgItemText(IDC_WM_RATE, market::DollarRateText(m_bar.DollarRecord().last));
}
