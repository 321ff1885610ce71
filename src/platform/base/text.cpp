#include "platform/base/text.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace text {

namespace {

bool IsCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

locale_t CLocale() {
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

} // namespace

std::string TrimLeft(std::string_view s) {
    std::size_t b = 0;
    while (b < s.size() && IsCSpace(s[b]))
        ++b;
    return std::string(s.substr(b));
}

std::string TrimRight(std::string_view s) {
    std::size_t e = s.size();
    while (e > 0 && IsCSpace(s[e - 1]))
        --e;
    return std::string(s.substr(0, e));
}

std::string Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsCSpace(s[b]))
        ++b;
    while (e > b && IsCSpace(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

std::string ToUpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string ToLowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IEquals(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ToUpperAscii(a) == ToUpperAscii(b);
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
    if (from.empty())
        return s;
    std::size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

std::string RemoveChar(std::string_view s, char c) {
    std::string r;
    r.reserve(s.size());
    for (char ch : s)
        if (ch != c)
            r += ch;
    return r;
}

std::vector<std::string> Split(std::string_view s, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = s.find(sep, start);
        if (pos == std::string_view::npos) {
            parts.emplace_back(s.substr(start));
            return parts;
        }
        parts.emplace_back(s.substr(start, pos - start));
        start = pos + 1;
    }
}

std::string Join(const std::vector<std::string>& parts, std::string_view sep) {
    std::string r;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            r += sep;
        r += parts[i];
    }
    return r;
}

double CStrToD(std::string_view s) {
    std::size_t i = 0;
    const auto digit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    std::size_t start = i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t unsignedStart = i;
    bool any = false;
    for (; digit(i); ++i)
        any = true;
    if (i < s.size() && s[i] == '.')
        for (++i; digit(i); ++i)
            any = true;
    if (!any)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-'))
            ++e;
        if (digit(e)) {
            while (digit(e))
                ++e;
            i = e;
        }
    }
    // Only the decimal prefix is converted, so "0x1A" is read as 0, not as hexadecimal.
    // from_chars rounds as strtod does; the rare value beyond its range goes the C way.
    double v = 0;
    const char* first = s.data() + unsignedStart;
    const auto [end, ec] = std::from_chars(first, s.data() + i, v);
    if (ec == std::errc() && end == s.data() + i)
        return negative ? -v : v;
    const std::string buf(s.substr(start, i - start)); // strtod needs a terminated string
    v = strtod_l(buf.c_str(), nullptr, CLocale());
    return std::isfinite(v) ? v : 0;
}

std::int32_t CStrToL32(std::string_view s) {
    // strtol's reading: blanks, a sign, decimal digits; the value saturates.
    std::size_t i = 0;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    std::int64_t v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        if (v <= INT32_MAX)
            v = v * 10 + (s[i] - '0');
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

std::string FormatFixed(double value, int decimals) {
    char buf[512];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, res.ptr);
}

std::vector<std::string> ParseCsvRecord(std::string_view line) {
    std::vector<std::string> fields;
    std::string field;
    bool inQuotes = false;
    bool wasQuoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inQuotes) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                field += c;
            }
        } else if (c == '"' && field.empty() && !wasQuoted) {
            inQuotes = true;
            wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(std::move(field));
            field.clear();
            wasQuoted = false;
        } else if (c != '\r' || i + 1 != line.size()) {
            field += c;
        }
    }
    fields.push_back(std::move(field));
    return fields;
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < s.size()) {
        std::size_t pos = s.find('\n', start);
        std::size_t end = pos == std::string_view::npos ? s.size() : pos;
        std::size_t stop = end;
        if (stop > start && s[stop - 1] == '\r')
            --stop;
        lines.emplace_back(s.substr(start, stop - start));
        if (pos == std::string_view::npos)
            break;
        start = pos + 1;
    }
    return lines;
}

} // namespace text
