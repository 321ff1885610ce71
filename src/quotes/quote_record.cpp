#include "quote_record.h"

#include <cctype>
#include <string_view>

#include "platform/base/text.h"

namespace {

bool IsBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string_view TrimView(std::string_view v) {
    while (!v.empty() && IsBlank(v.front()))
        v.remove_prefix(1);
    while (!v.empty() && IsBlank(v.back()))
        v.remove_suffix(1);
    return v;
}

// A text piece: quotes removed, blanks trimmed, written into `out` (whose storage a record
// keeps from one refresh to the next).
void AssignText(std::string_view raw, std::string& out) {
    std::string_view t = TrimView(raw);
    // The usual form, "TEXT", is the text between its quotes.
    if (t.size() >= 2 && t.front() == '"' && t.back() == '"' &&
        t.substr(1, t.size() - 2).find('"') == std::string_view::npos) {
        out.assign(TrimView(t.substr(1, t.size() - 2)));
        return;
    }
    if (t.find('"') == std::string_view::npos) {
        out.assign(t);
        return;
    }
    out.clear();
    for (const char c : t)
        if (c != '"')
            out.push_back(c);
    out.assign(TrimView(out));
}

// A number piece, read as the C library reads the piece with its quotes removed.
template <class Convert> auto Number(std::string_view raw, Convert convert) {
    if (raw.find('"') == std::string_view::npos)
        return convert(raw);
    std::string clean;
    clean.reserve(raw.size());
    for (const char c : raw)
        if (c != '"')
            clean.push_back(c);
    return convert(std::string_view(clean));
}

double Decimal(std::string_view raw) {
    return Number(raw, [](std::string_view v) { return text::CStrToD(v); });
}

// Splits into exactly n pieces by the service's rule (commas are never protected by quotes;
// pieces past the end are empty; text after the n-th comma is dropped) and fills the record.
void Parse(std::string_view line, QuoteRecord& r, int n) {
    std::string_view pieces[11];
    std::size_t pos = 0;
    for (int i = 0; i < n; ++i) {
        if (pos > line.size())
            continue; // stays empty
        std::size_t comma = line.find(',', pos);
        if (comma == std::string_view::npos)
            comma = line.size();
        pieces[i] = line.substr(pos, comma - pos);
        pos = comma + 1;
    }
    AssignText(pieces[0], r.symbol);
    r.last = Decimal(pieces[1]);
    AssignText(pieces[2], r.date);
    AssignText(pieces[3], r.time);
    for (char& c : r.time)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    r.change = static_cast<float>(Decimal(pieces[4]));
    r.open = Decimal(pieces[5]);
    r.high = Decimal(pieces[6]);
    r.low = Decimal(pieces[7]);
    r.volume = Number(pieces[8], [](std::string_view v) { return text::CStrToL32(v); });
    if (n == 11) {
        r.yearLow = Decimal(pieces[9]);
        r.yearHigh = Decimal(pieces[10]);
    }
}

} // namespace

void ParseQuoteLine(std::string_view line, QuoteRecord& record) {
    Parse(line, record, 11);
}

void ParseQuoteLine9(std::string_view line, QuoteRecord& record) {
    Parse(line, record, 9);
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
