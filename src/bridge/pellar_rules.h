#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com/com.h"

// The bridge's text rules, apart from the component so they can be tested on strings.
namespace pellar {

// Splits a comma list the bridge's way: blanks trimmed around the rest of the line, a
// field in double quotes runs to the next quote, otherwise to the next comma; a last
// field that no comma follows comes out empty. Fails with an overflow past 32767 fields
// and with an invalid call for a quote that is never closed.
HRESULT ParseCsv(const std::string& lineIn, std::vector<std::string>& fields);

// A number from the leading numeric characters of a text; 0 when it starts with none.
double Val(const std::string& text);
// A whole number as automation converts a text: not a number is a type mismatch, beyond
// 32 bits an overflow; halves round to even.
HRESULT CLng(const std::string& text, std::int32_t& out);
// The bar time of a back-fill record: the UTC time stamp moved to Indian time (+5:30),
// as a date-time. Fails when the stamp is no number or the sum leaves 32 bits.
HRESULT BackfillDate(const std::string& stamp, DATE& out);

// A ticker matches a symbol when it equals it, or it with ".NS", in any letter case.
bool TickerMatches(const std::string& ticker, const std::string& symbol);

// Splits on one separator, keeping empty pieces.
std::vector<std::string> Split(const std::string& s, char separator);

// The local date and time now as a date-time.
DATE LocalNow();

} // namespace pellar
