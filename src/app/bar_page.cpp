#include "app/bar_page.h"

#include <array>
#include <stdexcept>

namespace {

const BarPageInfo kPages[kBarPageCount] = {
    {BarPage::Watchlist, 1015, 148, true, true, "watchlist"},
    {BarPage::Toppers, 1020, 157, false, false, "toppers"},
    {BarPage::Indices, 1018, 152, true, true, "indices"},
    {BarPage::World, 1017, 149, true, true, "world"},
    {BarPage::Profile, 1021, 160, true, true, "profile"},
    {BarPage::Futures, 1024, 183, false, false, "futures"},
};

std::array<BarPageFactory, kBarPageCount>& Factories() {
    static std::array<BarPageFactory, kBarPageCount> factories;
    return factories;
}

} // namespace

const BarPageInfo& PageInfo(BarPage page) {
    return kPages[static_cast<int>(page)];
}

QuoteRecord& CBarPage::QuoteSlot(int) {
    throw std::out_of_range("this page has no quotes");
}

void RegisterBarPage(BarPage page, BarPageFactory factory) {
    Factories()[static_cast<int>(page)] = std::move(factory);
}

const BarPageFactory& BarPageFactoryOf(BarPage page) {
    return Factories()[static_cast<int>(page)];
}

void ClearBarPages() {
    for (auto& f : Factories())
        f = nullptr;
}
