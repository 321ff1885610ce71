#pragma once

#include <string>
#include <vector>

#include "platform/base/clock.h"
#include "quotes/quote_record.h"

// The bar's rules that need no window: placement, the combined request, the hours of the
// Live Chart button, and reading the answer.

// Context-menu commands that place the bar (0 keeps the current position).
enum BarPosition {
    kKeepPosition = 0,
    ID_TOP_LEFT = 12345,
    ID_TOP_RIGHT = 12346,
    ID_BOTTOM_LEFT = 12347,
    ID_BOTTOM_RIGHT = 12348,
    ID_TOP_CENTER = 12349,
    ID_BOTTOM_CENTER = 12350,
};

struct BarRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct BarPoint {
    int x = 0, y = 0;
    bool operator==(const BarPoint&) const = default;
};

// The bar's new top-left corner. The taskbar height comes off the bottom positions.
BarPoint PlaceBarPosition(int position, const BarRect& desktop, int taskbarHeight, int barWidth,
                          int barHeight, BarPoint current);

// A cell of the bar's index list: the name, then price, date, change, per-cent change,
// open, high, low and the previous refresh's price, numbers in the Indian number form.
std::string IndexCellText(const QuoteRecord& record, int column);

// One page's part of the bar's request: present only while the page exists.
struct RequestBlock {
    bool exists = false;
    std::vector<std::string> symbols; // quote symbols in the page's order
};

// "^NSEI,^BSESN,USDINR=X" then, for every existing page in the order watch list, portfolio,
// world market, indices: a comma and its symbols joined by commas (a page without entries
// still adds its comma).
std::string BuildBarSymbolList(const RequestBlock& watch, const RequestBlock& portfolio,
                               const RequestBlock& world, const RequestBlock& indices);

// Monday to Friday, 9:55:00 to 15:30:00 inclusive.
bool IsLiveChartHours(const LocalTime& t);

// True when the first line of an answer is a quote line for the symbol asked first: an
// error page or a stray answer is a failed read, not a refresh of zeros.
bool AnswersFor(const std::vector<std::string>& lines, const std::string& firstSymbol);
