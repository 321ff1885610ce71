#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/base/colorref.h"
#include "quotes/quote_record.h"

// The ticker strip's rules that need no window: the items it scrolls, the NIFTY texts, the
// pace of the scroller and where its text goes next.

// An item's style word: bits 0-23 the text colour, then the bold, italic and underline flags.
constexpr std::uint32_t kTickerColorMask = 0x00FFFFFF;
constexpr std::uint32_t kTickerBold = 1u << 24;
constexpr std::uint32_t kTickerItalic = 1u << 25;
constexpr std::uint32_t kTickerUnderline = 1u << 26;
// A background of -1 stands for the system button-face colour.
constexpr std::int64_t kButtonFaceBackground = -1;

struct TickerTextItem {
    std::string text;
    std::uint32_t style = 0;
    std::int64_t background = kButtonFaceBackground;
    bool operator==(const TickerTextItem&) const = default;
};

std::uint32_t MakeTickerStyle(COLORREF color, bool bold, bool italic = false,
                              bool underline = false);
inline COLORREF TickerStyleColor(std::uint32_t style) {
    return style & kTickerColorMask;
}
inline bool IsTickerBold(std::uint32_t style) {
    return (style & kTickerBold) != 0;
}
inline bool IsTickerItalic(std::uint32_t style) {
    return (style & kTickerItalic) != 0;
}
inline bool IsTickerUnderline(std::uint32_t style) {
    return (style & kTickerUnderline) != 0;
}

// The colour an item is painted on: an item on the button face (or -1) takes the control's.
COLORREF TickerItemBackground(std::int64_t itemBackground, COLORREF buttonFace,
                              COLORREF controlBackground);

// Three items for every NSE stock of the watch list, in list order: the name without ".NS"
// (black, bold), two blanks and the price (blue), and the change in brackets (red when
// falling, otherwise dark green with a plus sign). BSE stocks are left out.
std::vector<TickerTextItem> TickerItems(const std::vector<QuoteRecord>& watchQuotes);

// The NIFTY box: the value, "(" + change + " )", and the change's colour.
std::string NiftyValueText(const QuoteRecord& nifty);
std::string NiftyChangeText(const QuoteRecord& nifty);
COLORREF NiftyChangeColor(const QuoteRecord& nifty);

// Milliseconds per one-pixel step: |10000 / speed|, whole milliseconds. A scroller without a
// speed (0) keeps the interval it starts with.
constexpr int kInitialScrollInterval = 100;
int ScrollInterval(int speed);

// The first item's left edge after one step: left for a positive speed, starting again at
// the right edge once the whole text has gone past the left one; right for a negative
// speed, starting again just left of the left edge once it has passed the right one.
int NextScrollOffset(int offset, int speed, int totalWidth, int clientLeft, int clientRight);
