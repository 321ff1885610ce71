#pragma once

#include "market/indices_world_page.h"

// Control ids of the world market page's dollar rate.
enum WorldMarketControl {
    IDC_WM_DOLLAR_TITLE = 1045,
    IDC_WM_USD = 1046,
    IDC_WM_RATE = 1047,
};

// "World Market": world indices over the Indian ADRs, with the rupee value of a dollar
// taken from the bar's own USDINR=X quote.
class CWorldMarketDlg final : public CQuotePageDlg {
    Q_OBJECT
public:
    explicit CWorldMarketDlg(IBar& bar);

    void Refresh() override;

protected:
    bool OnInitDialog() override;
};
