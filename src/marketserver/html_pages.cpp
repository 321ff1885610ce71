#include "marketserver/html_pages.h"

#include <algorithm>
#include <cmath>

#include "catalogue/catalogue.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace sim {

namespace {

const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* kMonthsTitle[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string ExpiryText(std::int64_t day) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(day, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%s%04d", d, kMonths[m - 1], y);
    return buf;
}

std::string Money(double v) {
    return text::FormatFixed(v, 2);
}

struct Contract {
    std::string expiry;
    bool traded = false;
    double high = 0, low = 0, prevClose = 0, last = 0, turnoverLakh = 0, underlying = 0;
    long long contracts = 0;
};

// Index futures trade on their index; stock futures on the stock's NSE listing.
const Listing* UnderlyingOf(const PriceEngine& engine, const std::string& key, bool& isIndex) {
    const auto& idx = engine.universe().IndexFutureUnderlyings();
    if (auto it = idx.find(text::ToUpperAscii(key)); it != idx.end()) {
        isIndex = true;
        return engine.universe().Find(it->second);
    }
    isIndex = false;
    return engine.universe().Find(key + ".NS");
}

int LotSize(double price, bool isIndex) {
    if (isIndex)
        return price > 40000 ? 35 : 75;
    return std::max(1, static_cast<int>(std::lround(600000.0 / std::max(price, 1.0) / 25.0)) * 25);
}

void Contracts(const PriceEngine& engine, const Listing& listing, bool isIndex, CivilSeconds istNow,
               Contract out[3]) {
    const Instrument& inst = engine.universe().At(listing.instrument);
    const SimQuote q = engine.Quote(listing, istNow, false);
    std::int64_t expiries[3];
    ContractExpiries(q.tradeDay, expiries);
    // Activity falls away month by month; the far month often does not trade at all.
    const double share[3] = {0.30, 0.06, inst.base > 3000 ? 0.0 : 0.004};
    const double dayVolume = isIndex ? 4e6 * (inst.base / 25000.0) : static_cast<double>(q.volume);
    const int lot = LotSize(q.last, isIndex);
    for (int i = 0; i < 3; ++i) {
        Contract& c = out[i];
        c.expiry = ExpiryText(expiries[i]);
        const double years = std::max(0.0, static_cast<double>(expiries[i] - q.tradeDay)) / 365.0;
        const double carry = 1 + 0.07 * years;
        const double carryYesterday = 1 + 0.07 * (years + 1.0 / 365.0);
        c.underlying = q.last;
        c.contracts = static_cast<long long>(std::floor(dayVolume * share[i] / lot));
        c.traded = c.contracts > 0;
        c.prevClose = PriceEngine::RoundToTick(inst, q.prevClose * carryYesterday);
        if (c.traded) {
            c.last = PriceEngine::RoundToTick(inst, q.last * carry);
            c.high = PriceEngine::RoundToTick(inst, q.high * carry);
            c.low = PriceEngine::RoundToTick(inst, q.low * carry);
            c.turnoverLakh = static_cast<double>(c.contracts) * lot * c.last / 1e5;
        }
    }
}

} // namespace

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::int64_t MonthlyExpiry(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int last = kDays[month - 1];
    if (month == 2 && ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0))
        last = 29;
    std::int64_t d = DaysFromCivil(year, month, last);
    while (((d % 7) + 7 + 4) % 7 != 2) // back to a Tuesday
        --d;
    return d;
}

void ContractExpiries(std::int64_t civilDay, std::int64_t expiries[3]) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(civilDay, y, m, d);
    // After this month's expiry the next month becomes the near month.
    if (MonthlyExpiry(y, m) < civilDay) {
        m = m == 12 ? 1 : m + 1;
        y += m == 1;
    }
    for (int i = 0; i < 3; ++i) {
        expiries[i] = MonthlyExpiry(y, m);
        m = m == 12 ? 1 : m + 1;
        y += m == 1;
    }
}

std::string LookupPage(const std::string& query) {
    const std::string needle = text::ToUpperAscii(text::Trim(query));
    std::string rows;
    int count = 0;
    if (!needle.empty()) {
        for (const auto& c : catalogue::Companies()) {
            const bool hit = text::ToUpperAscii(c.name).find(needle) != std::string::npos ||
                             (!c.nseName.empty() &&
                              text::ToUpperAscii(c.nseName).find(needle) != std::string::npos) ||
                             (!c.bseName.empty() &&
                              text::ToUpperAscii(c.bseName).find(needle) != std::string::npos);
            if (!hit)
                continue;
            auto row = [&](const std::string& symbol, const char* exchange) {
                rows += "<tr><td><b>" + HtmlEscape(symbol) + "</b></td><td>" + HtmlEscape(c.name) +
                        "</td><td>" + exchange + "</td></tr>\n";
            };
            if (!c.nseName.empty())
                row(c.nseName + ".NS", "NSE");
            if (!c.bseName.empty())
                row(c.bseName + ".BO", "BSE");
            if (++count == 100)
                break;
        }
    }
    std::string page = "<html><head><title>Symbol Lookup</title>\n"
                       "<style>body{font-family:sans-serif}table{border-collapse:collapse}"
                       "td,th{border:1px solid #9ab;padding:3px 8px}th{background:#d5f7ff}</style>"
                       "</head><body>\n<h2>Symbol Lookup: " +
                       HtmlEscape(query) + "</h2>\n";
    if (needle.empty())
        page += "<p>Please enter a company name or symbol.</p>\n";
    else if (count == 0)
        page += "<p>There are no results for &quot;" + HtmlEscape(query) + "&quot;.</p>\n";
    else
        page +=
            "<p>Showing " + std::to_string(count) + (count == 100 ? " (first 100)" : "") +
            " companies.</p>\n<table>\n<tr><th>Symbol</th><th>Name</th><th>Exchange</th></tr>\n" +
            rows + "</table>\n";
    page += "</body></html>\n";
    return page;
}

std::string FuturesPage(const PriceEngine& engine, const std::string& key, CivilSeconds istNow) {
    bool isIndex = false;
    const Listing* listing = UnderlyingOf(engine, key, isIndex);
    const std::string sym = HtmlEscape(text::ToUpperAscii(key));
    std::string page =
        "<html>\n<head><title>NSE - Futures and Options - " + sym +
        "</title></head>\n<body>\n<table width=\"100%\"><tr><td class=\"heading\">Get Quote - " +
        sym + "</td></tr></table>\n";
    page +=
        "<table border=\"0\" cellpadding=\"4\" cellspacing=\"1\" class=\"tabular\">\n"
        "<tr><th>Instrument Type</th><th>Underlying</th><th>Expiry Date</th><th>Option Type</th>"
        "<th>Strike Price</th><th>High Price</th><th>Low Price</th><th>Prev. Close</th>"
        "<th>Last Price</th><th>No. of Contracts Traded</th><th>Turnover (Rs. in Lakhs)</th>"
        "<th>Underlying Value</th></tr>\n";
    if (!listing) {
        page += "</table>\n<p>No Records Found</p>\n</body>\n</html>\n";
        return page;
    }
    Contract contracts[3];
    Contracts(engine, *listing, isIndex, istNow, contracts);
    const std::string type = isIndex ? "FUTIDX" : "FUTSTK";
    for (const Contract& c : contracts) {
        auto cell = [](const std::string& v) { return "<td class=\"t1\">" + v + "</td>"; };
        page += "<tr>";
        page += "<td class=\"t0\">" + type + "</td>";
        page += "<td class=\"t0\">" + sym + "</td>";
        page += "<td class=\"t0\"><a href=\"/marketinfo/fo/foquote.jsp?key=" + type + sym +
                c.expiry + "--\">" + c.expiry + "</a></td>";
        page += cell("-") + cell("-");
        page += cell(c.traded ? Money(c.high) : "-");
        page += cell(c.traded ? Money(c.low) : "-");
        page += cell(Money(c.prevClose));
        page += cell(Money(c.last));
        page += cell(std::to_string(c.contracts));
        page += cell(Money(c.turnoverLakh));
        page += cell(Money(c.underlying));
        page += "</tr>\n";
    }
    page += "</table>\n</body>\n</html>\n";
    return page;
}

std::string MarketTodayPage(const PriceEngine& engine, CivilSeconds istNow) {
    long long contracts[2] = {0, 0};
    double turnoverLakh[2] = {0, 0};
    std::int64_t tradeDay = 0;
    for (const auto& f : catalogue::Futures()) {
        bool isIndex = false;
        const Listing* listing = UnderlyingOf(engine, f.symbol, isIndex);
        if (!listing)
            continue;
        Contract c[3];
        Contracts(engine, *listing, isIndex, istNow, c);
        tradeDay = std::max(tradeDay, engine.Quote(*listing, istNow, false).tradeDay);
        for (const Contract& k : c) {
            contracts[isIndex ? 0 : 1] += k.contracts;
            turnoverLakh[isIndex ? 0 : 1] += k.turnoverLakh;
        }
    }
    int y = 0, m = 0, d = 0;
    CivilFromDays(tradeDay, y, m, d);
    char date[16];
    std::snprintf(date, sizeof date, "%02d-%s-%04d", d, kMonthsTitle[m - 1], y);

    auto row = [](const char* product, long long n, double lakh) {
        return std::string("<TR><TD class=\"t0\">") + product + "</TD><TD class=\"t1\">" +
               std::to_string(n) + "</TD><TD class=\"t1\">" + Money(lakh / 100.0) + "</TD></TR>\n";
    };
    std::string page = "<HTML>\n<HEAD><TITLE>NSE - F&amp;O Market Today</TITLE></HEAD>\n<BODY>\n";
    page += "<P class=\"heading\"><B>Trade Statistics for " + std::string(date) + "</B></P>\n";
    page += "<TABLE border=\"1\" cellpadding=\"3\">\n<TR><TH>Product</TH><TH>No. of contracts</TH>"
            "<TH>Turnover (Rs. cr.)</TH></TR>\n";
    page += row("Index Futures", contracts[0], turnoverLakh[0]);
    page += row("Stock Futures", contracts[1], turnoverLakh[1]);
    page += row("Total Futures", contracts[0] + contracts[1], turnoverLakh[0] + turnoverLakh[1]);
    page += "</TABLE>\n</BODY>\n</HTML>\n";
    return page;
}

} // namespace sim
