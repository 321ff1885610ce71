#include "amibroker/amibroker_link_dlg.h"
#include "app/shell/program.h"
#include "market/market_pages.h"
#include "portfolio/portfolio_pages.h"
#include "watch/watch_list_dlg.h"
#include "watch/watch_tour.h"

int main(int argc, char** argv) {
    // The pages and their pictures for the tour; the bar finds them here.
    RegisterWatchListPage();
    RegisterWatchTourSteps();
    RegisterPortfolioPage();
    RegisterPortfolioTour();
    RegisterMarketPages();
    RegisterAmiBrokerLink();
    return RunKoravel(argc, argv);
}
