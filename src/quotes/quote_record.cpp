#include "quote_record.h"

#include "platform/base/text.h"

namespace {

// Splits into exactly n pieces by the service's rule (commas are never protected by
// quotes; pieces past the end are empty; text after the n-th comma is dropped), then
// cleans each piece.
void SplitPieces(const std::string& line, std::string* pieces, int n) {
    std::size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        if (pos > line.size()) {
            pieces[i].clear();
            continue;
        }
        std::size_t comma = line.find(',', pos);
        if (comma == std::string::npos)
            comma = line.size();
        std::string piece = line.substr(pos, comma - pos);
        piece = text::RemoveChar(piece, '"');
        piece = text::RemoveChar(piece, ',');
        pieces[i] = text::Trim(piece);
        pos = comma + 1;
    }
}

void Fill(const std::string* p, int n, QuoteRecord& r) {
    r.symbol = p[0];
    r.last = text::CStrToD(p[1]);
    r.date = p[2];
    r.time = text::ToUpperAscii(p[3]);
    r.change = static_cast<float>(text::CStrToD(p[4]));
    r.open = text::CStrToD(p[5]);
    r.high = text::CStrToD(p[6]);
    r.low = text::CStrToD(p[7]);
    r.volume = text::CStrToL32(p[8]);
    if (n == 11) {
        r.yearLow = text::CStrToD(p[9]);
        r.yearHigh = text::CStrToD(p[10]);
    }
}

} // namespace

void ParseQuoteLine(std::string line, QuoteRecord& record) {
    std::string pieces[11];
    SplitPieces(line, pieces, 11);
    Fill(pieces, 11, record);
}

void ParseQuoteLine9(std::string line, QuoteRecord& record) {
    std::string pieces[9];
    SplitPieces(line, pieces, 9);
    Fill(pieces, 9, record);
}

float ChangePercent(double last, float change) {
    const double base = last - change;
    if (base == 0)
        return 0;
    // change * 100 is a single-precision product; the division is done in double.
    return static_cast<float>(change * 100 / base);
}

void ComputeChangePercent(QuoteRecord& record) {
    record.changePercent = ChangePercent(record.last, record.change);
}

bool IsUnknownSymbolLine(const std::string& line) {
    return line.find("N/A") != std::string::npos;
}
