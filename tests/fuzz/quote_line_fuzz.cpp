// A quote service answer, line by line, as the bar and the pages read it: parsed in both
// forms, the change in per cent worked out, and every number shown as the lists show it.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "fuzz_check.h"
#include "platform/base/text.h"
#include "quotes/indian_number.h"
#include "quotes/quote_record.h"

namespace {

// A shown number reads back as the number to the cent (while a double still holds cents;
// reading the text back may be off by the last bits of the double).
void CheckShown(double value) {
    const std::string shown = FormatIndianNumber(value);
    FUZZ_CHECK(!shown.empty());
    if (std::isfinite(value) && std::fabs(value) < 1e12)
        FUZZ_CHECK(std::fabs(ParseListNumber(shown) - value) <=
                   0.005 + 4 * std::fabs(value) * std::numeric_limits<double>::epsilon());
}

void CheckRecord(const QuoteRecord& r) {
    // The pieces reach list cells and log files: the parser removes quotes and commas.
    for (const std::string* s : {&r.symbol, &r.date, &r.time})
        FUZZ_CHECK(s->find_first_of(",\"") == std::string::npos);
    for (double v : {r.last, r.open, r.high, r.low, r.yearLow, r.yearHigh,
                     static_cast<double>(r.change), static_cast<double>(r.changePercent)})
        CheckShown(v);
    FormatIndianVolume(r.volume);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    for (const std::string& line : text::SplitLines(fuzz::AsText(data, size))) {
        QuoteRecord full;
        ParseQuoteLine(line, full);
        ComputeChangePercent(full);
        CheckRecord(full);

        QuoteRecord shortForm;
        ParseQuoteLine9(line, shortForm);
        ComputeChangePercent(shortForm);
        CheckRecord(shortForm);
        IsUnknownSymbolLine(line);

        // The number rules on the raw line too, where a field may be anything.
        CheckShown(text::CStrToD(line));
        text::CStrToL32(line);
    }
    return 0;
}
