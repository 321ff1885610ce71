#include "watch/core/alert_rules.h"

#include <cstdio>

#include "platform/base/colorref.h"
#include "platform/base/text.h"
#include "quotes/indian_number.h"

namespace {

double Num(const RowCells& cells, int column) {
    return ParseListNumber(cells(column));
}

int Int(const RowCells& cells, int column) {
    return text::CStrToL32(text::RemoveChar(cells(column), ','));
}

const CellColors kPlain{colors::kBlack, colors::kWhite};
CellColors Back(COLORREF background) {
    return {colors::kBlack, background};
}

} // namespace

CellColors WatchCellColors(int column, const RowCells& cells, const WatchChecks& checks) {
    switch (column) {
    case kWcName:
    case kWcIndex: {
        if (!checks.myConfigured || Int(cells, kWcAlert) <= 0)
            return kPlain;
        const double price = Num(cells, kWcPrice);
        if (Num(cells, kWcUpper) <= price)
            return Back(colors::kGreen);
        if (Num(cells, kWcLower) >= price)
            return Back(colors::kRed);
        return kPlain;
    }
    case kWcPrice: {
        const double price = Num(cells, kWcPrice), previous = Num(cells, kWcPrevPrice);
        if (previous == 0)
            return {colors::kWhite, colors::kBlack};
        if (price == previous)
            return {colors::kWhite, colors::kBlue};
        if (price > previous)
            return {colors::kBlack, colors::kGreen};
        return {colors::kWhite, colors::kRed};
    }
    case kWcChange:
    case kWcPercent: {
        const double change = Num(cells, kWcChange);
        return {change > 0    ? colors::kDarkGreen
                : change == 0 ? colors::kBlue
                              : colors::kRed,
                colors::kWhite};
    }
    case kWcVolume:
    case kWcOpen: {
        if (!checks.dayHighLow)
            return kPlain;
        const double price = Num(cells, kWcPrice), change = Num(cells, kWcChange);
        if (Num(cells, kWcLow) >= price && change < 0)
            return Back(colors::kRed);
        if (Num(cells, kWcHigh) <= price && change > 0)
            return Back(colors::kGreen);
        return kPlain;
    }
    case kWcHigh:
    case kWcLow: {
        if (!checks.yearHiLo)
            return kPlain;
        const double price = Num(cells, kWcPrice);
        if (Num(cells, kWcYearHigh) <= price)
            return Back(colors::kGreen);
        if (Num(cells, kWcYearLow) >= price)
            return Back(colors::kRed);
        return kPlain;
    }
    default:
        return kPlain;
    }
}

std::string AlertTimeText(const LocalTime& t) {
    static const char* kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};
    static const char* kMonths[] = {"January",   "February", "March",    "April",
                                    "May",       "June",     "July",     "August",
                                    "September", "October",  "November", "December"};
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s, %s %02d, %04d ::  %02d:%02d:%02d %s",
                  kDays[t.dayOfWeek % 7], kMonths[(t.month + 11) % 12], t.day, t.year, hour12,
                  t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    return buf;
}

std::string AlertPopupText(const std::string& timeText, const std::vector<RowCells>& rows,
                           const WatchChecks& checks) {
    if (!checks.myConfigured)
        return {};
    std::string entries;
    for (const RowCells& cells : rows) {
        const double price = Num(cells, kWcPrice);
        // A row without a price (a symbol the service does not know) shows red, but a box
        // saying it fell below its limit would be a false alarm at every refresh.
        if (Int(cells, kWcAlert) <= 0 || price == 0)
            continue;
        if (Num(cells, kWcUpper) <= price)
            entries += cells(kWcName) + "::above UPPER LIMIT of " +
                       text::RemoveChar(cells(kWcUpper), ',') + "\n\n";
        else if (Num(cells, kWcLower) >= price)
            entries += cells(kWcName) + "::below LOWER LIMIT of " +
                       text::RemoveChar(cells(kWcLower), ',') + "\n\n";
    }
    if (entries.empty())
        return {};
    return timeText + "\n" + std::string(57, '-') + "\n\n" + entries;
}
