#pragma once

// Registers the market pages with the bar and their pictures with the tour. Each page's own
// file defines its function.
void RegisterToppersPage();
void RegisterIndicesAndWorldPages();
void RegisterFuturesPage();

inline void RegisterMarketPages() {
    RegisterToppersPage();
    RegisterIndicesAndWorldPages();
    RegisterFuturesPage();
}
