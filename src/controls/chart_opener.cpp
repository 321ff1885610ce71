#include "controls/chart_opener.h"

#include "platform/ui/message_box.h"

namespace {

ChartOpener& Opener() {
    static ChartOpener opener;
    return opener;
}

} // namespace

void SetChartOpener(ChartOpener opener) {
    Opener() = std::move(opener);
}

QWidget* RequestChartPage(QWidget* parentList, const ChartRequest& request, bool connected) {
    if (!connected) {
        ui::messageBox(kNoConnectionMessage, ui::MB_OK, parentList);
        return nullptr;
    }
    const ChartOpener& opener = Opener();
    return opener ? opener(parentList, request.company, request.indexName, request.symbol)
                  : nullptr;
}
