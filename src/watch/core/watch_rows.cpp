#include "watch/core/watch_rows.h"

#include <algorithm>

#include "platform/base/text.h"
#include "quotes/indian_number.h"
#include "watch/core/alert_rules.h"

std::string WatchCellText(const WatchListRow& r, int column) {
    switch (column) {
    case kWcName:
        return r.companyName;
    case kWcIndex:
        return r.exchange;
    case kWcSymbol:
        return r.symbol;
    case kWcPrice:
        return FormatIndianNumber(r.price);
    case kWcChange:
        return FormatIndianNumber(r.change);
    case kWcPercent:
        return FormatIndianNumber(r.changePercent);
    case kWcVolume:
        return FormatIndianVolume(r.volume);
    case kWcOpen:
        return FormatIndianNumber(r.open);
    case kWcHigh:
        return FormatIndianNumber(r.high);
    case kWcLow:
        return FormatIndianNumber(r.low);
    case kWcYearLow:
        return FormatIndianNumber(r.yearLow);
    case kWcYearHigh:
        return FormatIndianNumber(r.yearHigh);
    case kWcAlert:
        return FormatIndianNumber(r.alertSetting);
    case kWcLower:
        return FormatIndianNumber(r.lowerLimit);
    case kWcUpper:
        return FormatIndianNumber(r.upperLimit);
    case kWcPrevVolume:
        return FormatIndianNumber(r.prev.prevVolume);
    case kWcTaken:
        return FormatIndianNumber(r.prev.dataTaken);
    case kWcPrevPrice:
        return FormatIndianNumber(r.prev.prevPrice);
    default:
        return {};
    }
}

WatchListRow MakeWatchListRow(const db::WatchRow& item, const QuoteRecord& q,
                              const PrevSample& prev) {
    WatchListRow r;
    r.companyName = item.companyName;
    r.exchange = item.exchange;
    r.symbol = item.symbol;
    r.alertSetting = item.alertSetting;
    r.lowerLimit = item.lowerLimit;
    r.upperLimit = item.upperLimit;
    r.price = q.last;
    r.change = q.change;
    r.changePercent = ChangePercent(q.last, q.change);
    r.volume = q.volume;
    r.open = q.open;
    r.high = q.high;
    r.low = q.low;
    r.yearLow = q.yearLow;
    r.yearHigh = q.yearHigh;
    r.prev = prev;
    r.quote = q;
    return r;
}

std::vector<RowCells> WatchRowsCells(const std::vector<WatchListRow>& rows) {
    std::vector<RowCells> cells;
    cells.reserve(rows.size());
    for (const WatchListRow& row : rows)
        cells.push_back([row](int column) { return WatchCellText(row, column); });
    return cells;
}

bool IsWatchSortColumn(int column) {
    return column == kWcName || column == kWcIndex || (column >= kWcPrice && column <= kWcLow);
}

namespace {

int Sign(long long v) {
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

// Differences under a hundredth count as equal.
int CompareMoney(double a, double b) {
    return Sign(static_cast<long long>((a - b) * 100));
}
int CompareMoneyF(float a, float b) {
    return Sign(static_cast<long long>((a - b) * 100.0f));
}

int CompareText(const std::string& a, const std::string& b) {
    const std::string x = text::ToUpperAscii(a), y = text::ToUpperAscii(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace

int CompareWatchRows(const WatchListRow& a, const WatchListRow& b, int column) {
    switch (column) {
    case kWcName:
        return CompareText(a.companyName, b.companyName);
    case kWcIndex:
        return CompareText(a.exchange, b.exchange);
    case kWcPrice:
        return CompareMoney(a.price, b.price);
    case kWcChange:
        return CompareMoneyF(a.change, b.change);
    case kWcPercent:
        return CompareMoneyF(a.changePercent, b.changePercent);
    case kWcVolume:
        return Sign(static_cast<long long>(a.volume) - b.volume);
    case kWcOpen:
        return CompareMoney(a.open, b.open);
    case kWcHigh:
        return CompareMoney(a.high, b.high);
    case kWcLow:
        return CompareMoney(a.low, b.low);
    default:
        return 0;
    }
}

bool SortWatchRows(std::vector<WatchListRow>& rows, int column, bool ascending) {
    if (!IsWatchSortColumn(column))
        return false;
    std::stable_sort(rows.begin(), rows.end(), [&](const WatchListRow& a, const WatchListRow& b) {
        const int c = CompareWatchRows(a, b, column);
        return ascending ? c < 0 : c > 0;
    });
    return true;
}

std::string WatchExportCsv(const std::vector<RowCells>& rows) {
    std::string out =
        "Company Name,Index,Last Close,Current Price,Change,% Change,Volume,Open,High,Low\r\n";
    for (const RowCells& cells : rows) {
        const double lastClose =
            ParseListNumber(cells(kWcPrice)) - ParseListNumber(cells(kWcChange));
        std::vector<std::string> fields = {cells(kWcName), cells(kWcIndex),
                                           text::FormatFixed(lastClose, 2)};
        for (int c = kWcPrice; c <= kWcLow; ++c)
            fields.push_back(cells(c));
        for (auto& f : fields)
            f = text::RemoveChar(f, ',');
        out += text::Join(fields, ",") + "\r\n";
    }
    return out;
}
