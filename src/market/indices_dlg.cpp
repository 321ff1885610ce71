#include "market/indices_dlg.h"

CIndicesDlg::CIndicesDlg(IBar& bar)
    : CQuotePageDlg(152, bar,
                    {market::IndicesTable(), market::kIndicesUpperRows, "CNX Segment Indices",
                     "BSE Indices", false, 0}) {
    EnsureInitialized();
}
