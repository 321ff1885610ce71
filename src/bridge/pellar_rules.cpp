#include "bridge/pellar_rules.h"

#include <climits>
#include <cmath>
#include <string_view>

#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "platform/com/dispatch.h"

namespace pellar {

namespace {

std::string TrimBlanks(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.substr(b, e - b);
}

} // namespace

HRESULT ParseCsv(const std::string& lineIn, std::vector<std::string>& fields) {
    fields.clear();
    // The rest of the line is a position in the trimmed line, never a copy: a long line
    // costs time in proportion to its length.
    const std::string line = TrimBlanks(lineIn);
    const std::string_view all(line);
    std::size_t pos = 0;
    std::int32_t count = 0;
    while (pos < all.size()) {
        if (count == 32767)
            return DISP_E_OVERFLOW; // the count is a 16-bit number
        const std::string_view rest = all.substr(pos);
        std::string_view field;
        if (rest.front() == '"') {
            const std::size_t close = rest.find('"', 1);
            if (close == std::string_view::npos)
                return CTL_E_ILLEGALFUNCTIONCALL;
            field = rest.substr(1, close - 1);
        } else if (const std::size_t comma = rest.find(','); comma != std::string_view::npos) {
            field = rest.substr(0, comma);
        }
        fields.emplace_back(field);
        // The next comma is looked for from the 1-based position len | 1.
        const std::size_t from = (field.size() | 1) - 1;
        const std::size_t comma = rest.find(',', from);
        if (comma == std::string_view::npos)
            break;
        pos += comma + 1;
        while (pos < all.size() && all[pos] == ' ')
            ++pos; // the line's end has no blanks left: only the front needs trimming
        ++count;
    }
    return S_OK;
}

double Val(const std::string& s) {
    return text::CStrToD(s);
}

HRESULT CLng(const std::string& s, std::int32_t& out) {
    com::Variant v(s);
    return com::ToInt32(v, out);
}

HRESULT BackfillDate(const std::string& stamp, DATE& out) {
    std::int32_t t = 0;
    if (HRESULT hr = CLng(stamp, t); FAILED(hr))
        return hr;
    if (static_cast<std::int64_t>(t) + 19800 > INT32_MAX)
        return DISP_E_OVERFLOW;
    out = com::DateFromUnixSeconds(static_cast<std::int64_t>(t) + 19800);
    return S_OK;
}

bool TickerMatches(const std::string& ticker, const std::string& symbol) {
    return text::IEquals(ticker, symbol) || text::IEquals(ticker, symbol + ".NS");
}

std::vector<std::string> Split(const std::string& s, char separator) {
    return text::Split(s, separator);
}

DATE LocalNow() {
    // The host program's clock: with a clock set on its command line, live bars carry the
    // same time as everything else the program does.
    const LocalTime t = Clock::Now();
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day);
    return com::DateFromUnixSeconds(days * 86400 + t.SecondsOfDay());
}

} // namespace pellar
