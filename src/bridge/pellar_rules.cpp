#include "bridge/pellar_rules.h"

#include <climits>
#include <cmath>
#include <ctime>

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
    std::string rest = TrimBlanks(lineIn);
    std::int32_t count = 0;
    while (!rest.empty()) {
        if (count == 32767)
            return DISP_E_OVERFLOW; // the count is a 16-bit number
        std::string field;
        if (rest.front() == '"') {
            const std::size_t close = rest.find('"', 1);
            if (close == std::string::npos)
                return CTL_E_ILLEGALFUNCTIONCALL;
            field = rest.substr(1, close - 1);
        } else if (const std::size_t comma = rest.find(','); comma != std::string::npos) {
            field = rest.substr(0, comma);
        }
        fields.push_back(field);
        // The next comma is looked for from the 1-based position len | 1.
        const std::size_t from = (field.size() | 1) - 1;
        const std::size_t comma = rest.find(',', from);
        rest = comma == std::string::npos ? std::string() : TrimBlanks(rest.substr(comma + 1));
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
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    const std::int64_t days = DaysFromCivil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return com::DateFromUnixSeconds(days * 86400 + tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec);
}

} // namespace pellar
