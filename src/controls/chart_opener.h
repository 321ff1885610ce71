#pragma once

#include <functional>
#include <string>

#include "controls/core/chart_request.h"

class QWidget;

// The historical chart page lives above this library, so the program hands us the way to
// open one: it creates the page as a modeless window owned by `parentList` and returns it.
using ChartOpener =
    std::function<QWidget*(QWidget* parentList, const std::string& company,
                           const std::string& indexName, const std::string& symbol)>;
void SetChartOpener(ChartOpener opener);

// What every list does on a double-click that asks for a chart: without a connection it
// shows the no-connection message and opens nothing; otherwise it opens the page and
// returns it (nullptr when no opener is set).
QWidget* RequestChartPage(QWidget* parentList, const ChartRequest& request, bool connected);
