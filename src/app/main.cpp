#include "app/market_app.h"
#include "watch/watch_list_dlg.h"
#include "watch/watch_tour.h"

int main(int argc, char** argv) {
    // The pages and their pictures for the tour; the bar finds them here.
    RegisterWatchListPage();
    RegisterWatchTourSteps();
    return RunKoravel(argc, argv);
}
