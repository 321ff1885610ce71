#pragma once

#include "market/indices_world_page.h"

// "Indian Market Indices": the NSE segment indices over the BSE sector indices.
class CIndicesDlg final : public CQuotePageDlg {
    Q_OBJECT
public:
    explicit CIndicesDlg(IBar& bar);
};
