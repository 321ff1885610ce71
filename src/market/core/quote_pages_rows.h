#pragma once

#include <span>
#include <string>

#include "quotes/quote_record.h"

// The fixed symbol tables of the Indian indices and world market pages, and the rows their
// lists show. Rows are shown, and requested, in table order.
namespace market {

struct IndexEntry {
    const char* name;   // as the list shows it
    const char* symbol; // as the quote service knows it, "^FTSE " with its blank
};

// NSE segment indices (upper list) followed by the BSE sector indices (lower list).
std::span<const IndexEntry> IndicesTable();
inline constexpr int kIndicesUpperRows = 6;
// World indices (upper list) followed by the Indian ADRs (lower list).
std::span<const IndexEntry> WorldTable();
inline constexpr int kWorldUpperRows = 15;

// One list row as the pages build it at each refresh.
struct QuotePageRow {
    std::string name;
    std::string symbol;
    double last = 0;
    std::string date;
    float change = 0;
    float changePercent = 0;
    double open = 0;
    double high = 0;
    double low = 0;
};

QuotePageRow MakeQuotePageRow(const IndexEntry& entry, const QuoteRecord& quote);

// Columns of the four lists: name, hidden symbol, price, date, change, percent, open, high, low.
inline constexpr int kQuotePageColumns = 9;
// The world page shows a percentage beyond +-100 as "0.00" (a quote whose change is bogus).
std::string QuotePageCellText(const QuotePageRow& row, int column, bool worldRule);

// The rupee value of one dollar for the world page's label.
std::string DollarRateText(double rupees);

} // namespace market
