#include "marketserver/upstream/bhavcopy.h"

#include <algorithm>

#include "marketserver/html_pages.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace upstream {

namespace {

// Splits one CSV line; a quoted cell may hold commas and doubled quotes.
std::vector<std::string> SplitCsv(std::string_view line) {
    std::vector<std::string> out;
    std::string cell;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(text::Trim(cell));
            cell.clear();
        } else {
            cell += c;
        }
    }
    out.push_back(text::Trim(cell));
    return out;
}

const std::string kEmpty;

} // namespace

const std::vector<std::string>& RequiredColumns(BhavcopyKind kind) {
    static const std::vector<std::string> kFo = {
        "TradDt",  "FinInstrmTp", "TckrSymb",     "XpryDt",      "HghPric",     "LwPric",
        "ClsPric", "LastPric",    "PrvsClsgPric", "UndrlygPric", "TtlTradgVol", "TtlTrfVal"};
    static const std::vector<std::string> kCash = {"TradDt",       "TckrSymb",   "OpnPric",
                                                   "HghPric",      "LwPric",     "ClsPric",
                                                   "PrvsClsgPric", "TtlTradgVol"};
    return kind == BhavcopyKind::NseFutures ? kFo : kCash;
}

bool UdiffTable::Parse(std::string_view csv, const std::vector<std::string>& required,
                       std::string& why, const std::vector<std::string>& keepTypes) {
    m_columns.clear();
    m_rows.clear();
    m_lines.clear();
    auto lines = text::SplitLines(csv);
    // A byte-order mark before the header is not part of its first name.
    if (!lines.empty() && text::StartsWith(lines[0], "\xEF\xBB\xBF"))
        lines[0] = lines[0].substr(3);
    if (lines.empty() || text::Trim(lines[0]).empty()) {
        why = "empty file";
        return false;
    }
    m_header = text::TrimRight(lines[0]);
    const auto names = SplitCsv(m_header);
    for (std::size_t i = 0; i < names.size(); ++i)
        m_columns.emplace(names[i], i);
    for (const std::string& name : required) {
        if (!m_columns.count(name)) {
            why = "no column " + name;
            return false;
        }
    }
    std::size_t width = 0;
    for (const std::string& name : required)
        width = std::max(width, m_columns[name] + 1);
    const auto typeColumn = m_columns.find("FinInstrmTp");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string line = text::TrimRight(lines[i]);
        if (line.empty())
            continue;
        auto cells = SplitCsv(line);
        if (cells.size() < width)
            continue;
        if (!keepTypes.empty() &&
            (typeColumn == m_columns.end() || typeColumn->second >= cells.size() ||
             std::find(keepTypes.begin(), keepTypes.end(), cells[typeColumn->second]) ==
                 keepTypes.end()))
            continue;
        m_rows.push_back(std::move(cells));
        m_lines.push_back(line);
    }
    if (m_rows.empty()) {
        why = "no rows";
        return false;
    }
    return true;
}

const std::string& UdiffTable::Cell(std::size_t row, const char* column) const {
    const auto it = m_columns.find(column);
    if (it == m_columns.end() || it->second >= m_rows[row].size())
        return kEmpty;
    return m_rows[row][it->second];
}

double UdiffTable::Number(std::size_t row, const char* column) const {
    return text::CStrToD(Cell(row, column));
}

std::string UdiffTable::ToCsv() const {
    std::string out = m_header + "\n";
    for (const std::string& line : m_lines)
        out += line + "\n";
    return out;
}

bool ParseTradeDate(const std::string& t, std::int64_t& day) {
    static const char* kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                    "jul", "aug", "sep", "oct", "nov", "dec"};
    int y = 0, m = 0, d = 0;
    if (t.size() == 10 && t[4] == '-' && t[7] == '-') {
        y = static_cast<int>(text::CStrToL32(t.substr(0, 4)));
        m = static_cast<int>(text::CStrToL32(t.substr(5, 2)));
        d = static_cast<int>(text::CStrToL32(t.substr(8, 2)));
    } else if (t.size() == 11 && t[2] == '-' && t[6] == '-') {
        d = static_cast<int>(text::CStrToL32(t.substr(0, 2)));
        const std::string mon = text::ToLowerAscii(t.substr(3, 3));
        for (int i = 0; i < 12; ++i)
            if (mon == kMonths[i])
                m = i + 1;
        y = static_cast<int>(text::CStrToL32(t.substr(7, 4)));
    }
    if (y < 1990 || y > 2200 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    day = DaysFromCivil(y, m, d);
    return true;
}

bool FuturesFromUdiff(const UdiffTable& fo, const std::string& key,
                      marketserver::FuturesTable& out) {
    const std::string want = text::ToUpperAscii(text::Trim(key));
    struct Found {
        std::int64_t expiry;
        std::size_t row;
    };
    std::vector<Found> found;
    bool index = false;
    for (std::size_t r = 0; r < fo.Rows(); ++r) {
        const std::string& type = fo.Cell(r, "FinInstrmTp");
        if ((type != "STF" && type != "IDF") || text::ToUpperAscii(fo.Cell(r, "TckrSymb")) != want)
            continue;
        std::int64_t expiry = 0;
        if (!ParseTradeDate(fo.Cell(r, "XpryDt"), expiry))
            continue;
        index = index || type == "IDF";
        found.push_back({expiry, r});
    }
    if (found.empty())
        return false;
    std::stable_sort(found.begin(), found.end(),
                     [](const Found& a, const Found& b) { return a.expiry < b.expiry; });
    out = {};
    out.isIndex = index;
    for (std::size_t i = 0; i < found.size() && i < 3; ++i) {
        const std::size_t r = found[i].row;
        marketserver::FuturesContract c;
        c.expiry = marketserver::ExpiryText(found[i].expiry);
        c.high = fo.Number(r, "HghPric");
        c.low = fo.Number(r, "LwPric");
        c.prevClose = fo.Number(r, "PrvsClsgPric");
        c.last = fo.Number(r, "LastPric");
        if (c.last == 0)
            c.last = fo.Number(r, "ClsPric");
        c.contracts = static_cast<long long>(fo.Number(r, "TtlTradgVol"));
        c.turnoverLakh = fo.Number(r, "TtlTrfVal") / 1e5;
        c.underlying = fo.Number(r, "UndrlygPric");
        c.traded = c.contracts > 0;
        out.contracts.push_back(std::move(c));
    }
    return true;
}

bool StatisticsFromUdiff(const UdiffTable& fo, marketserver::TradeStatistics& out) {
    out = {};
    bool dated = false;
    double rupees[2] = {0, 0};
    for (std::size_t r = 0; r < fo.Rows(); ++r) {
        std::int64_t day = 0;
        if (!dated && ParseTradeDate(fo.Cell(r, "TradDt"), day)) {
            out.tradeDay = day;
            dated = true;
        }
        const std::string& type = fo.Cell(r, "FinInstrmTp");
        const int k = type == "IDF" ? 0 : type == "STF" ? 1 : -1;
        if (k < 0)
            continue;
        out.contracts[k] += static_cast<long long>(fo.Number(r, "TtlTradgVol"));
        rupees[k] += fo.Number(r, "TtlTrfVal");
    }
    out.turnoverCrore[0] = rupees[0] / 1e7;
    out.turnoverCrore[1] = rupees[1] / 1e7;
    return dated;
}

std::unordered_map<std::string, marketserver::QuoteValues> QuotesFromCash(const UdiffTable& cm,
                                                                          BhavcopyKind kind) {
    const bool nse = kind == BhavcopyKind::NseCash;
    std::unordered_map<std::string, marketserver::QuoteValues> out;
    std::unordered_map<std::string, bool> fromEq;
    for (std::size_t r = 0; r < cm.Rows(); ++r) {
        const std::string symbol = text::ToUpperAscii(cm.Cell(r, "TckrSymb"));
        std::int64_t day = 0;
        if (symbol.empty() || !ParseTradeDate(cm.Cell(r, "TradDt"), day))
            continue;
        // An NSE company trades in series EQ; other series of it count only without one.
        const bool eq = !nse || cm.Cell(r, "SctySrs") == "EQ";
        if (auto seen = fromEq.find(symbol); seen != fromEq.end() && (seen->second || !eq))
            continue;
        marketserver::QuoteValues q;
        q.last = cm.Number(r, "ClsPric");
        if (q.last <= 0)
            continue;
        q.open = cm.Number(r, "OpnPric");
        q.high = cm.Number(r, "HghPric");
        q.low = cm.Number(r, "LwPric");
        q.prevClose = cm.Number(r, "PrvsClsgPric");
        if (q.prevClose <= 0)
            q.prevClose = q.last;
        if (q.open <= 0)
            q.open = q.last;
        if (q.high <= 0)
            q.high = std::max(q.open, q.last);
        if (q.low <= 0)
            q.low = std::min(q.open, q.last);
        q.yearLow = std::min(q.low, q.last);
        q.yearHigh = std::max(q.high, q.last);
        q.volume = static_cast<std::int64_t>(cm.Number(r, "TtlTradgVol"));
        q.tradeDay = day;
        q.tradeMinute = 15 * 60 + 30; // the close of the session
        q.name = cm.Cell(r, "FinInstrmNm");
        q.exchange = nse ? "NSI" : "BSE";
        out[symbol] = std::move(q);
        fromEq[symbol] = eq;
    }
    return out;
}

} // namespace upstream
