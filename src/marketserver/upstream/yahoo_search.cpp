#include "marketserver/upstream/yahoo_search.h"

#include <algorithm>

#include <QJsonDocument>

#include "marketserver/upstream/json_fields.h"
#include "platform/base/text.h"

namespace upstream {

namespace {

std::string Capitalised(const std::string& s) {
    std::string out = text::ToLowerAscii(s);
    if (!out.empty() && out[0] >= 'a' && out[0] <= 'z')
        out[0] = static_cast<char>(out[0] - 'a' + 'A');
    return out;
}

bool IsIndian(const std::string& exchange) {
    return exchange == "NSI" || exchange == "BSE" || exchange == "BOM";
}

} // namespace

ParseStatus ParseYahooSearch(std::string_view text, std::vector<marketserver::LookupRow>& rows,
                             std::string& why) {
    const std::optional<QJsonObject> doc = upstream::json::Object(text);
    if (!doc) {
        why = "not JSON";
        return ParseStatus::Malformed;
    }
    const QJsonValue quotes = doc->value("quotes");
    if (!quotes.isArray()) {
        why = "no quotes list";
        return ParseStatus::Malformed;
    }
    std::vector<std::pair<bool, marketserver::LookupRow>> found;
    for (const QJsonValue& v : quotes.toArray()) {
        const QJsonObject q = v.toObject();
        marketserver::LookupRow r;
        r.symbol = json::Text(q, "symbol");
        if (r.symbol.empty())
            continue;
        r.name = json::Text(q, "longname");
        if (r.name.empty())
            r.name = json::Text(q, "shortname");
        r.exchange = json::Text(q, "exchDisp");
        if (r.exchange.empty())
            r.exchange = json::Text(q, "exchange");
        r.type = Capitalised(json::Text(q, "typeDisp"));
        found.emplace_back(IsIndian(json::Text(q, "exchange")), std::move(r));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const auto& a, const auto& b) { return a.first && !b.first; });
    rows.clear();
    for (auto& f : found)
        rows.push_back(std::move(f.second));
    return ParseStatus::Ok;
}

} // namespace upstream
