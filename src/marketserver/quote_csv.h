#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "marketserver/market_source.h"

namespace marketserver {

// "sl1d1t1c1ohgv" -> {"s","l1","d1","t1","c1","o","h","g","v"}: a letter and its digits.
// Anything that is not a letter starting a code is skipped.
std::vector<std::string> ParseFormatCodes(std::string_view codes);

// The service's date and time forms: 12/7/2026 and 4:00pm.
std::string ServiceDate(std::int64_t civilDay);
std::string ServiceTime(int minuteOfDay);

// One response line for a requested symbol, in the order of the codes. An unknown symbol
// (quote null) carries N/A in place of every value but the symbol; unknown codes give N/A.
// The symbol is echoed upper-cased, with any character that would break the line
// replaced.
std::string QuoteLine(const std::string& symbol, const QuoteValues* quote,
                      const std::vector<std::string>& codes);

// Splits the raw s value into symbols (percent-decoded, empty entries dropped).
std::vector<std::string> SplitSymbolList(std::string_view rawValue);

// Percent-decodes %XX sequences; everything else passes as it is.
std::string PercentDecode(std::string_view text);

// The raw (undecoded) value of a key in a raw request target, or false when absent. The
// value runs to the next '&', so "s=USDINR=X" keeps its '='.
bool RawQueryValue(std::string_view target, std::string_view key, std::string& value);

// True when the codes ask for the 52-week fields (j, k or w).
bool NeedsYearRange(const std::vector<std::string>& codes);

} // namespace marketserver
