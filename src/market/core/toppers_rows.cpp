#include "market/core/toppers_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/base/text.h"
#include "platform/base/validate.h"
#include "quotes/indian_number.h"

TopperRow MakeTopperRow(const TopperCompany& company, const QuoteRecord& quote) {
    TopperRow r;
    r.companyName = company.companyName;
    r.symbol = company.symbol;
    r.price = quote.last;
    r.changePercent = ChangePercent(quote.last, quote.change);
    r.volume = quote.volume;
    r.turnover = static_cast<double>(quote.volume) * quote.last;
    r.open = quote.open;
    r.high = quote.high;
    r.low = quote.low;
    return r;
}

bool PassesToppersRanges(const ToppersRanges& g, const TopperRow& r) {
    return g.volumeMin <= r.volume && r.volume <= g.volumeMax && g.priceMin <= r.price &&
           r.price <= g.priceMax && g.gainMin <= r.changePercent && r.changePercent <= g.gainMax &&
           r.price != 0;
}

namespace {

struct RangeLimit {
    double min;
    double max;
    bool integer;
};

// The values each edit accepts, in the edits' order.
constexpr RangeLimit kLimits[6] = {{0, 19999, false}, {1, 20000, false},     {-100, 299, false},
                                   {-99, 300, false}, {0, 1000000000, true}, {0, 1000000000, true}};

std::string FormatFloat(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", static_cast<double>(v));
    return buf;
}

} // namespace

ToppersRangeTexts FormatToppersRanges(const ToppersRanges& g) {
    return {FormatFloat(g.priceMin), FormatFloat(g.priceMax),     FormatFloat(g.gainMin),
            FormatFloat(g.gainMax),  std::to_string(g.volumeMin), std::to_string(g.volumeMax)};
}

std::string ReadToppersRanges(const ToppersRangeTexts& texts, ToppersRanges& ranges,
                              int* badField) {
    double values[6] = {};
    for (int i = 0; i < 6; ++i) {
        const RangeLimit& l = kLimits[i];
        std::string refusal;
        if (l.integer) {
            long v = 0;
            refusal = validate::CheckInt(texts[i], static_cast<long>(l.min),
                                         static_cast<long>(l.max), &v);
            values[i] = static_cast<double>(v);
        } else {
            refusal = validate::CheckDouble(texts[i], l.min, l.max, &values[i]);
        }
        if (!refusal.empty()) {
            if (badField)
                *badField = i;
            return refusal;
        }
    }
    ranges.priceMin = static_cast<float>(values[0]);
    ranges.priceMax = static_cast<float>(values[1]);
    ranges.gainMin = static_cast<float>(values[2]);
    ranges.gainMax = static_cast<float>(values[3]);
    ranges.volumeMin = static_cast<std::int32_t>(values[4]);
    ranges.volumeMax = static_cast<std::int32_t>(values[5]);
    return {};
}

std::vector<TopperRow> FilterToppers(const ToppersTable& table, int count,
                                     const ToppersRanges& ranges) {
    std::vector<TopperRow> rows;
    const int n = std::min(
        {count, static_cast<int>(table.companies.size()), static_cast<int>(table.quotes.size())});
    for (int slot = 0; slot < n; ++slot) {
        TopperRow r = MakeTopperRow(table.companies[slot], table.quotes[slot]);
        if (PassesToppersRanges(ranges, r))
            rows.push_back(std::move(r));
    }
    return rows;
}

namespace {

// Volume and turnover show no decimals: the grouped text loses its last three characters.
std::string WithoutDecimals(double value) {
    std::string s = FormatIndianNumber(value);
    return s.size() > 3 ? s.substr(0, s.size() - 3) : s;
}

int Sign(double v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

} // namespace

std::string TopperCellText(const TopperRow& r, int column) {
    switch (column) {
    case kTcName:
        return r.companyName;
    case kTcSymbol:
        return r.symbol;
    case kTcPrice:
        return FormatIndianNumber(r.price);
    case kTcPercent:
        return FormatIndianNumber(r.changePercent);
    case kTcVolume:
        return WithoutDecimals(r.volume);
    case kTcTurnover:
        return WithoutDecimals(r.turnover);
    case kTcOpen:
        return FormatIndianNumber(r.open);
    case kTcHigh:
        return FormatIndianNumber(r.high);
    case kTcLow:
        return FormatIndianNumber(r.low);
    default:
        return {};
    }
}

RowCells TopperRowCells(const TopperRow& row) {
    return [row](int column) { return TopperCellText(row, column); };
}

int CompareToppers(const TopperRow& a, const TopperRow& b, int column) {
    // Only the sign of each truncated difference counts, so huge turnovers cannot overflow.
    switch (column) {
    case kTcPercent:
        return Sign(std::trunc((b.changePercent - a.changePercent) * 100.0f));
    case kTcVolume:
        return Sign(static_cast<double>(static_cast<std::int64_t>(b.volume) - a.volume));
    case kTcTurnover:
        return Sign(std::trunc((b.turnover - a.turnover) * 0.001));
    default:
        return 0;
    }
}

bool SortToppers(std::vector<TopperRow>& rows, int column) {
    if (column != kTcPercent && column != kTcVolume && column != kTcTurnover)
        return false;
    // A bottom-up merge sort: "closer than 0.01 is equal" is not transitive, which
    // std::sort may not be given, while a merge only ever asks about two rows.
    const std::size_t n = rows.size();
    std::vector<TopperRow> merged(n);
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n);
            const std::size_t hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                merged[k++] =
                    std::move(CompareToppers(rows[i], rows[j], column) > 0 ? rows[j++] : rows[i++]);
            while (i < mid)
                merged[k++] = std::move(rows[i++]);
            while (j < hi)
                merged[k++] = std::move(rows[j++]);
        }
        rows.swap(merged);
    }
    return true;
}

std::string ToppersExportCsv(const std::vector<RowCells>& rows) {
    std::string out = "CompanyName,Last Close,Current Price,Change,% Change,Volume,Turnover,"
                      "Open,High,Low\r\n";
    for (const RowCells& cells : rows) {
        const double price = ParseListNumber(cells(kTcPrice));
        const double change = price * ParseListNumber(cells(kTcPercent)) * 0.01;
        std::vector<std::string> fields = {cells(kTcName), text::FormatFixed(price - change, 2),
                                           cells(kTcPrice), text::FormatFixed(change, 2)};
        for (int c : {kTcPercent, kTcVolume, kTcTurnover, kTcOpen, kTcHigh, kTcLow})
            fields.push_back(cells(c));
        for (std::string& f : fields)
            f = text::RemoveChar(f, ',');
        out += text::Join(fields, ",") + "\r\n";
    }
    return out;
}
