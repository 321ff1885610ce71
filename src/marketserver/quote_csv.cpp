#include "marketserver/quote_csv.h"

#include <cmath>
#include <cstdio>

#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace marketserver {

std::vector<std::string> ParseFormatCodes(std::string_view codes) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < codes.size()) {
        const char c = codes[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            ++i;
            continue;
        }
        std::string code(1, c);
        ++i;
        while (i < codes.size() && codes[i] >= '0' && codes[i] <= '9')
            code += codes[i++];
        out.push_back(std::move(code));
    }
    return out;
}

std::string ServiceDate(std::int64_t civilDay) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(civilDay, y, m, d);
    return std::to_string(m) + "/" + std::to_string(d) + "/" + std::to_string(y);
}

std::string ServiceTime(int minuteOfDay) {
    const int h = minuteOfDay / 60, m = minuteOfDay % 60;
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d%s", h12, m, h < 12 ? "am" : "pm");
    return buf;
}

namespace {

std::string Num(double v, int decimals) {
    return text::FormatFixed(v, decimals);
}

std::string Signed(double v, int decimals) {
    std::string s = text::FormatFixed(v, decimals);
    if (s == text::FormatFixed(0.0, decimals) || s == "-" + text::FormatFixed(0.0, decimals))
        return text::FormatFixed(0.0, decimals);
    return v > 0 ? "+" + s : s;
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// Keeps a requested symbol from breaking the line it is echoed in.
std::string Printable(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        out += (u < 0x20 || u == 0x7F || c == '"' || c == ',') ? '?' : c;
    }
    return out;
}

} // namespace

std::string QuoteLine(const std::string& symbol, const QuoteValues* q,
                      const std::vector<std::string>& codes) {
    const int dp = q ? q->decimals : 2;
    std::string line;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i)
            line += ',';
        const std::string& c = codes[i];
        if (c == "s") {
            line += Quoted(text::ToUpperAscii(Printable(symbol)));
        } else if (!q) {
            line += (c == "d1" || c == "t1" || c == "n" || c == "x") ? Quoted("N/A")
                    : c == "w"                                       ? Quoted("N/A - N/A")
                                                                     : std::string("N/A");
        } else if (c == "l1") {
            line += Num(q->last, dp);
        } else if (c == "d1") {
            line += Quoted(ServiceDate(q->tradeDay));
        } else if (c == "t1") {
            line += Quoted(ServiceTime(q->tradeMinute));
        } else if (c == "c1") {
            line += Signed(q->last - q->prevClose, dp);
        } else if (c == "o") {
            line += Num(q->open, dp);
        } else if (c == "h") {
            line += Num(q->high, dp);
        } else if (c == "g") {
            line += Num(q->low, dp);
        } else if (c == "v") {
            line += std::to_string(q->volume);
        } else if (c == "j") {
            line += Num(q->yearLow, dp);
        } else if (c == "k") {
            line += Num(q->yearHigh, dp);
        } else if (c == "w") {
            line += Quoted(Num(q->yearLow, dp) + " - " + Num(q->yearHigh, dp));
        } else if (c == "p") {
            line += Num(q->prevClose, dp);
        } else if (c == "p2") {
            const double pct =
                q->prevClose != 0 ? (q->last - q->prevClose) * 100 / q->prevClose : 0;
            line += Quoted(Signed(pct, 2) + "%");
        } else if (c == "n") {
            line += Quoted(Printable(text::ReplaceAll(q->name, "\"", "")));
        } else if (c == "x") {
            line += Quoted(Printable(q->exchange));
        } else {
            line += "N/A";
        }
    }
    return line;
}

std::string PercentDecode(std::string_view t) {
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    out.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '%' && i + 2 < t.size() && hex(t[i + 1]) >= 0 && hex(t[i + 2]) >= 0) {
            out += static_cast<char>(hex(t[i + 1]) * 16 + hex(t[i + 2]));
            i += 2;
        } else {
            out += t[i];
        }
    }
    return out;
}

std::vector<std::string> SplitSymbolList(std::string_view rawValue) {
    std::vector<std::string> out;
    for (const std::string& piece : text::Split(rawValue, ',')) {
        std::string sym = PercentDecode(piece);
        if (!sym.empty())
            out.push_back(std::move(sym));
    }
    return out;
}

bool RawQueryValue(std::string_view target, std::string_view key, std::string& value) {
    const std::size_t q = target.find('?');
    if (q == std::string_view::npos)
        return false;
    std::string_view query = target.substr(q + 1);
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t eq = pair.find('=');
        const std::string_view k = pair.substr(0, eq);
        if (k == key) {
            value = eq == std::string_view::npos ? std::string() : std::string(pair.substr(eq + 1));
            return true;
        }
        if (amp == std::string_view::npos)
            break;
        query = query.substr(amp + 1);
    }
    return false;
}

bool NeedsYearRange(const std::vector<std::string>& codes) {
    for (const auto& c : codes)
        if (c == "j" || c == "k" || c == "w")
            return true;
    return false;
}

} // namespace marketserver
