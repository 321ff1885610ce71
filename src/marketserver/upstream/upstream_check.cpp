#include "marketserver/upstream/upstream_check.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "marketserver/upstream/bhavcopy.h"
#include "marketserver/upstream/http_fetch.h"
#include "marketserver/upstream/zip_archive.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"

namespace upstream {

namespace {

struct Field {
    const char* path; // dotted, inside chart.result[0] or a search quote
    bool required;    // without it the answer is not used; else a fallback stands in
};

// Looks a dotted path up; array steps take the first element.
bool Has(const QJsonValue& root, const std::string& path) {
    QJsonValue v = root;
    for (const std::string& step : text::Split(path, '.')) {
        if (v.isArray())
            v = v.toArray().at(0);
        if (!v.isObject())
            return false;
        v = v.toObject().value(QString::fromStdString(step));
        if (v.isUndefined() || v.isNull())
            return false;
    }
    return true;
}

bool Report(std::ostream& out, const std::string& what, const QJsonValue& root,
            const std::vector<Field>& fields) {
    std::string required, optional;
    for (const Field& f : fields) {
        if (Has(root, f.path))
            continue;
        (f.required ? required : optional) += std::string(" ") + f.path;
    }
    out << what << ": "
        << (required.empty() && optional.empty() ? "all fields present" : "fields missing") << "\n";
    if (!required.empty())
        out << "    needed, the answer is not usable without:" << required << "\n";
    if (!optional.empty())
        out << "    optional, a fallback stands in for:" << optional << "\n";
    return required.empty() && optional.empty();
}

const std::vector<Field> kChartFields = {
    {"meta.symbol", true},
    {"meta.regularMarketPrice", true},
    {"meta.regularMarketTime", true},
    {"meta.gmtoffset", true},
    {"meta.timezone", false},
    {"meta.exchangeName", false},
    {"meta.fullExchangeName", false},
    {"meta.currency", false},
    {"meta.priceHint", false},
    {"meta.chartPreviousClose", false},
    {"meta.previousClose", false},
    {"meta.regularMarketDayHigh", false},
    {"meta.regularMarketDayLow", false},
    {"meta.regularMarketVolume", false},
    {"meta.fiftyTwoWeekHigh", false},
    {"meta.fiftyTwoWeekLow", false},
    {"meta.longName", false},
    {"meta.shortName", false},
    {"meta.currentTradingPeriod.regular.start", false},
    {"meta.currentTradingPeriod.regular.end", false},
    {"meta.tradingPeriods", false},
    {"timestamp", false},
    {"indicators.quote.open", false},
    {"indicators.quote.high", false},
    {"indicators.quote.low", false},
    {"indicators.quote.close", false},
    {"indicators.quote.volume", false},
};

const std::vector<Field> kSearchFields = {
    {"symbol", true},     {"exchange", false}, {"longname", false},
    {"shortname", false}, {"exchDisp", false}, {"typeDisp", false},
};

bool CheckChart(std::ostream& out, const HttpFetcher& http, const UpstreamOptions& o,
                const std::string& symbol, const std::string& query) {
    static const std::atomic<bool> never{false};
    const std::string what = "chart " + symbol + " (" + query + ")";
    const HttpResult r = http.Get(
        o.yahooBase + "/v8/finance/chart/" + EncodeComponent(symbol, true) + "?" + query, never);
    if (!r.answered || r.status != 200) {
        out << what << ": FAILED, " << (r.answered ? "HTTP " + std::to_string(r.status) : r.error)
            << "\n";
        return false;
    }
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.body));
    const QJsonValue result = doc.object().value("chart").toObject().value("result");
    if (!result.isArray() || result.toArray().isEmpty()) {
        out << what << ": FAILED, the answer has no chart result\n";
        return false;
    }
    return Report(out, what, result.toArray().at(0), kChartFields);
}

bool CheckSearch(std::ostream& out, const HttpFetcher& http, const UpstreamOptions& o) {
    static const std::atomic<bool> never{false};
    const std::string what = "search \"reliance\"";
    const HttpResult r =
        http.Get(o.yahooBase + "/v1/finance/search?q=reliance&quotesCount=10&newsCount=0", never);
    if (!r.answered || r.status != 200) {
        out << what << ": FAILED, " << (r.answered ? "HTTP " + std::to_string(r.status) : r.error)
            << "\n";
        return false;
    }
    const QJsonValue quotes =
        QJsonDocument::fromJson(QByteArray::fromStdString(r.body)).object().value("quotes");
    if (!quotes.isArray() || quotes.toArray().isEmpty()) {
        out << what << ": FAILED, the answer has no quotes\n";
        return false;
    }
    return Report(out, what, quotes.toArray().at(0), kSearchFields);
}

bool CheckFile(std::ostream& out, const HttpFetcher& http, const UpstreamOptions& o,
               BhavcopyKind kind) {
    static const std::atomic<bool> never{false};
    const char* name = kind == BhavcopyKind::NseFutures ? "NSE F&O file"
                       : kind == BhavcopyKind::NseCash  ? "NSE cash-market file"
                                                        : "BSE cash-market file";
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const std::int64_t today =
        (std::chrono::duration_cast<std::chrono::seconds>(now).count() + 19800) / 86400;
    std::string lastError = "no file in the last 7 days";
    for (std::int64_t d = today; d > today - 7; --d) {
        int y = 0, m = 0, dd = 0;
        CivilFromDays(d, y, m, dd);
        char digits[16];
        std::snprintf(digits, sizeof digits, "%04d%02d%02d", y, m, dd);
        const std::string url = kind == BhavcopyKind::NseFutures
                                    ? o.nseArchivesBase + "/content/fo/BhavCopy_NSE_FO_0_0_0_" +
                                          digits + "_F_0000.csv.zip"
                                : kind == BhavcopyKind::NseCash
                                    ? o.nseArchivesBase + "/content/cm/BhavCopy_NSE_CM_0_0_0_" +
                                          digits + "_F_0000.csv.zip"
                                    : o.bseBase +
                                          "/download/BhavCopy/Equity/BhavCopy_BSE_CM_0_0_0_" +
                                          digits + "_F_0000.CSV";
        const HttpResult r = http.Get(url, never);
        if (!r.answered || r.status == 404) {
            if (!r.answered)
                lastError = r.error;
            continue;
        }
        if (r.status != 200) {
            out << name << ": FAILED, HTTP " << r.status << " for " << url << "\n";
            return false;
        }
        std::string csv = r.body, why;
        if (LooksLikeZip(r.body) && !UnzipSingleFile(r.body, csv, why)) {
            out << name << " " << digits << ": FAILED, " << why << "\n";
            return false;
        }
        UdiffTable table;
        if (!table.Parse(csv, RequiredColumns(kind), why)) {
            out << name << " " << digits << ": FAILED, " << why << "\n";
            return false;
        }
        out << name << " " << digits << ": all needed columns present, " << table.Rows()
            << " rows\n";
        return true;
    }
    out << name << ": FAILED, " << lastError << "\n";
    return false;
}

} // namespace

int RunUpstreamCheck(const UpstreamOptions& o, std::ostream& out) {
    const HttpFetcher http(o.userAgent, o.connectTimeoutMs, o.requestTimeoutMs);
    bool ok = CheckChart(out, http, o, "^NSEI", "range=1d&interval=1m");
    ok = CheckChart(out, http, o, "RELIANCE.NS", "range=1d&interval=1d") && ok;
    ok = CheckSearch(out, http, o) && ok;
    for (auto kind : {BhavcopyKind::NseFutures, BhavcopyKind::NseCash, BhavcopyKind::BseCash})
        ok = CheckFile(out, http, o, kind) && ok;
    out << (ok ? "Every adapter answered with every field it reads.\n"
               : "Some adapters failed or lack fields; see above.\n");
    return ok ? 0 : 1;
}

} // namespace upstream
