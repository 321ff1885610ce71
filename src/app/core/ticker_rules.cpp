#include "app/core/ticker_rules.h"

#include <cstdlib>

#include "quotes/indian_number.h"

std::uint32_t MakeTickerStyle(COLORREF color, bool bold, bool italic, bool underline) {
    std::uint32_t style = color & kTickerColorMask;
    if (bold)
        style |= kTickerBold;
    if (italic)
        style |= kTickerItalic;
    if (underline)
        style |= kTickerUnderline;
    return style;
}

COLORREF TickerItemBackground(std::int64_t itemBackground, COLORREF buttonFace,
                              COLORREF controlBackground) {
    if (itemBackground == kButtonFaceBackground || itemBackground == buttonFace)
        return controlBackground;
    return static_cast<COLORREF>(itemBackground) & kTickerColorMask;
}

namespace {

bool EndsWith(const std::string& s, const char* suffix) {
    const std::string tail(suffix);
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::vector<TickerTextItem> TickerItems(const std::vector<QuoteRecord>& watchQuotes) {
    std::vector<TickerTextItem> items;
    for (const QuoteRecord& r : watchQuotes) {
        if (!EndsWith(r.symbol, "NS"))
            continue;
        const std::string name = r.symbol.size() > 3 ? r.symbol.substr(0, r.symbol.size() - 3) : "";
        items.push_back({name, MakeTickerStyle(colors::kBlack, true), kButtonFaceBackground});
        items.push_back({"  " + FormatIndianNumber(r.last), MakeTickerStyle(colors::kBlue, false),
                         kButtonFaceBackground});
        const std::string change = FormatIndianNumber(r.change);
        if (r.change < 0)
            items.push_back({" (" + change + ")   ", MakeTickerStyle(colors::kRed, false),
                             kButtonFaceBackground});
        else
            items.push_back({" (+" + change + ")   ", MakeTickerStyle(colors::kDarkGreen, false),
                             kButtonFaceBackground});
    }
    return items;
}

std::string NiftyValueText(const QuoteRecord& nifty) {
    return FormatIndianNumber(nifty.last);
}

std::string NiftyChangeText(const QuoteRecord& nifty) {
    return "(" + FormatIndianNumber(nifty.change) + " )";
}

COLORREF NiftyChangeColor(const QuoteRecord& nifty) {
    return nifty.change < 0 ? colors::kRed : colors::kDarkGreen;
}

int ScrollInterval(int speed) {
    if (speed == 0)
        return kInitialScrollInterval;
    return std::abs(10000 / speed);
}

int NextScrollOffset(int offset, int speed, int totalWidth, int clientLeft, int clientRight) {
    if (speed >= 1) {
        --offset;
        if (offset + totalWidth < clientLeft)
            offset = clientRight;
    } else if (speed < 0) {
        ++offset;
        if (offset > clientRight)
            offset = clientLeft - totalWidth;
    }
    return offset;
}
