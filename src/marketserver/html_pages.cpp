#include "marketserver/html_pages.h"

#include <cstdio>

#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace marketserver {

namespace {

const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* kMonthsTitle[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string Money(double v) {
    return text::FormatFixed(v, 2);
}

} // namespace

std::string ExpiryText(std::int64_t day) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(day, y, m, d);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d%s%04d", d, kMonths[m - 1], y);
    return buf;
}

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

std::string LookupPage(const std::string& query, const std::vector<LookupRow>& rows, bool capped) {
    bool typed = false;
    for (const LookupRow& r : rows)
        typed = typed || !r.type.empty();
    std::string table;
    for (const LookupRow& r : rows) {
        table += "<tr><td><b>" + HtmlEscape(r.symbol) + "</b></td><td>" + HtmlEscape(r.name) +
                 "</td><td>" + HtmlEscape(r.exchange) + "</td>";
        if (typed)
            table += "<td>" + HtmlEscape(r.type) + "</td>";
        table += "</tr>\n";
    }
    std::string page = "<html><head><title>Symbol Lookup</title>\n"
                       "<style>body{font-family:sans-serif}table{border-collapse:collapse}"
                       "td,th{border:1px solid #9ab;padding:3px 8px}th{background:#d5f7ff}</style>"
                       "</head><body>\n<h2>Symbol Lookup: " +
                       HtmlEscape(query) + "</h2>\n";
    if (text::Trim(query).empty())
        page += "<p>Please enter a company name or symbol.</p>\n";
    else if (rows.empty())
        page += "<p>There are no results for &quot;" + HtmlEscape(query) + "&quot;.</p>\n";
    else
        page += "<p>Showing " + std::to_string(rows.size()) + (capped ? " (first results)" : "") +
                " symbols.</p>\n<table>\n<tr><th>Symbol</th><th>Name</th><th>Exchange</th>" +
                (typed ? "<th>Type</th>" : "") + "</tr>\n" + table + "</table>\n";
    page += "</body></html>\n";
    return page;
}

std::string FuturesPage(const std::string& key, const FuturesTable* table) {
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
    if (!table || table->contracts.empty()) {
        page += "</table>\n<p>No Records Found</p>\n</body>\n</html>\n";
        return page;
    }
    const std::string type = table->isIndex ? "FUTIDX" : "FUTSTK";
    for (const FuturesContract& c : table->contracts) {
        auto cell = [](const std::string& v) { return "<td class=\"t1\">" + v + "</td>"; };
        const std::string expiry = HtmlEscape(c.expiry);
        page += "<tr>";
        page += "<td class=\"t0\">" + type + "</td>";
        page += "<td class=\"t0\">" + sym + "</td>";
        page += "<td class=\"t0\"><a href=\"/marketinfo/fo/foquote.jsp?key=" + type + sym + expiry +
                "--\">" + expiry + "</a></td>";
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

std::string MarketTodayPage(const TradeStatistics& stats) {
    int y = 0, m = 0, d = 0;
    CivilFromDays(stats.tradeDay, y, m, d);
    char date[16];
    std::snprintf(date, sizeof date, "%02d-%s-%04d", d, kMonthsTitle[m - 1], y);

    auto row = [](const char* product, long long n, double crore) {
        return std::string("<TR><TD class=\"t0\">") + product + "</TD><TD class=\"t1\">" +
               std::to_string(n) + "</TD><TD class=\"t1\">" + Money(crore) + "</TD></TR>\n";
    };
    std::string page = "<HTML>\n<HEAD><TITLE>NSE - F&amp;O Market Today</TITLE></HEAD>\n<BODY>\n";
    page += "<P class=\"heading\"><B>Trade Statistics for " + std::string(date) + "</B></P>\n";
    page += "<TABLE border=\"1\" cellpadding=\"3\">\n<TR><TH>Product</TH><TH>No. of contracts</TH>"
            "<TH>Turnover (Rs. cr.)</TH></TR>\n";
    page += row("Index Futures", stats.contracts[0], stats.turnoverCrore[0]);
    page += row("Stock Futures", stats.contracts[1], stats.turnoverCrore[1]);
    page += row("Total Futures", stats.contracts[0] + stats.contracts[1],
                stats.turnoverCrore[0] + stats.turnoverCrore[1]);
    page += "</TABLE>\n</BODY>\n</HTML>\n";
    return page;
}

} // namespace marketserver
