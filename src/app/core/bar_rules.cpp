#include "app/core/bar_rules.h"

#include "platform/base/text.h"
#include "quotes/indian_number.h"
#include "quotes/quote_request.h"

BarPoint PlaceBarPosition(int position, const BarRect& desktop, int taskbarHeight, int barWidth,
                          int barHeight, BarPoint current) {
    const int centerX = (desktop.right - desktop.left) / 2 - barWidth / 2;
    const int bottomY = desktop.bottom - taskbarHeight - barHeight;
    switch (position) {
    case ID_TOP_LEFT:
        return {desktop.left, desktop.top};
    case ID_TOP_RIGHT:
        return {desktop.right - barWidth, desktop.top};
    case ID_BOTTOM_LEFT:
        return {desktop.left, bottomY};
    case ID_BOTTOM_RIGHT:
        return {desktop.right - barWidth, bottomY};
    case ID_TOP_CENTER:
        return {centerX, desktop.top};
    case ID_BOTTOM_CENTER:
        return {centerX, bottomY};
    default:
        return current;
    }
}

std::string BuildBarSymbolList(const RequestBlock& watch, const RequestBlock& portfolio,
                               const RequestBlock& world, const RequestBlock& indices) {
    std::string list = std::string(kSymbolNifty) + "," + kSymbolSensex + "," + kSymbolDollar;
    for (const RequestBlock* block : {&watch, &portfolio, &world, &indices}) {
        if (!block->exists)
            continue;
        list += ',';
        list += text::Join(block->symbols, ",");
    }
    return list;
}

bool IsLiveChartHours(const LocalTime& t) {
    if (t.IsWeekend())
        return false;
    const int s = t.SecondsOfDay();
    return s >= 9 * 3600 + 55 * 60 && s <= 15 * 3600 + 30 * 60;
}

bool AnswersFor(const std::vector<std::string>& lines, const std::string& firstSymbol) {
    if (lines.empty())
        return false;
    QuoteRecord r;
    ParseQuoteLine(lines.front(), r);
    return text::IEquals(r.symbol, text::Trim(firstSymbol));
}

std::string IndexCellText(const QuoteRecord& r, int column) {
    switch (column) {
    case 0:
        return r.symbol;
    case 1:
        return FormatIndianNumber(r.last);
    case 2:
        return r.date;
    case 3:
        return FormatIndianNumber(r.change);
    case 4:
        return FormatIndianNumber(r.changePercent);
    case 5:
        return FormatIndianNumber(r.open);
    case 6:
        return FormatIndianNumber(r.high);
    case 7:
        return FormatIndianNumber(r.low);
    case 8:
        return FormatIndianNumber(r.previous);
    default:
        return {};
    }
}
