#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One line of the quote CSV service, parsed.
struct QuoteRecord {
    std::string symbol; // in list rows: the row's display name
    double last = 0;
    std::string date; // month/day/year as sent, e.g. 6/5/2008
    std::string time; // upper-cased, e.g. 4:00PM
    float change = 0;
    float changePercent = 0; // derived by the consumer (ComputeChangePercent); 0 as parsed
    double open = 0;
    double high = 0;
    double low = 0;
    std::int32_t volume = 0;
    double yearLow = 0;
    double yearHigh = 0;
    double previous = 0; // the row's last at the previous refresh, filled by the consumer
};

// Fills the record from an 11-field line (codes sl1d1t1c1ohgvjk). Pieces end at the next
// comma whether or not it stands inside quotes; quotes and commas are removed from each
// piece, blanks trimmed, numbers converted as the C library does (0 when none).
// Nothing is validated: a line that is no quote line gives zeros.
void ParseQuoteLine(std::string_view line, QuoteRecord& record);
// The 9-field form (codes sl1d1t1c1ohgv): the same rules; yearLow/yearHigh untouched.
void ParseQuoteLine9(std::string_view line, QuoteRecord& record);

// changePercent from last and change: base = last - change; 0 when the base is 0,
// else change * 100 / base (single precision).
void ComputeChangePercent(QuoteRecord& record);
float ChangePercent(double last, float change);

// True when the line carries "N/A" anywhere: the service's mark of an unknown symbol.
bool IsUnknownSymbolLine(const std::string& line);
