#include "marketserver/upstream/yahoo_chart.h"

#include <algorithm>

#include <QJsonDocument>

#include "marketserver/chart_data.h"
#include "marketserver/upstream/json_fields.h"
#include "platform/base/arith.h"

namespace upstream {

using marketserver::OhlcBar;

namespace {

using arith::FloorDiv;

std::optional<SessionRange> Period(const QJsonValue& v) {
    if (!v.isObject())
        return std::nullopt;
    const QJsonObject o = v.toObject();
    const auto start = json::Integer(o, "start"), end = json::Integer(o, "end");
    if (!start || !end || *end < *start)
        return std::nullopt;
    return SessionRange{*start, *end};
}

// Two shapes: [[{...}], [{...}]] (one inner list per day), or {"pre": .., "regular":
// [[...]], "post": ..} when pre- and post-market hours were asked for.
std::vector<SessionRange> TradingPeriods(const QJsonValue& v) {
    QJsonArray days;
    if (v.isArray())
        days = v.toArray();
    else if (v.isObject())
        days = v.toObject().value("regular").toArray();
    std::vector<SessionRange> out;
    for (const QJsonValue& day : days) {
        if (day.isArray()) {
            for (const QJsonValue& p : day.toArray())
                if (auto r = Period(p))
                    out.push_back(*r);
        } else if (auto r = Period(day)) {
            out.push_back(*r);
        }
    }
    std::sort(out.begin(), out.end(),
              [](const SessionRange& a, const SessionRange& b) { return a.start < b.start; });
    return out;
}

std::vector<std::optional<double>> Series(const QJsonObject& quote, const char* key,
                                          std::size_t n) {
    std::vector<std::optional<double>> out(n);
    const QJsonArray a = quote.value(QLatin1String(key)).toArray();
    for (std::size_t i = 0; i < n && i < static_cast<std::size_t>(a.size()); ++i)
        out[i] = json::Number(a.at(static_cast<int>(i)));
    return out;
}

std::int64_t LocalDay(std::int64_t utc, int gmtoffset) {
    return FloorDiv(utc + gmtoffset, 86400);
}

} // namespace

ParseStatus ParseYahooChart(std::string_view text, YahooChart& out, std::string& why) {
    const std::optional<QJsonObject> doc = upstream::json::Object(text);
    if (!doc) {
        why = "not JSON";
        return ParseStatus::Malformed;
    }
    const QJsonObject chart = doc->value("chart").toObject();
    if (chart.isEmpty()) {
        why = "no chart object";
        return ParseStatus::Malformed;
    }
    const QJsonValue err = chart.value("error");
    const QJsonArray results = chart.value("result").toArray();
    if (err.isObject()) {
        const std::string code = json::Text(err.toObject(), "code");
        why = code + ": " + json::Text(err.toObject(), "description");
        return code == "Not Found" ? ParseStatus::NotFound : ParseStatus::Malformed;
    }
    if (results.isEmpty() || !results.at(0).isObject()) {
        why = "no result";
        return ParseStatus::Malformed;
    }
    const QJsonObject result = results.at(0).toObject();
    const QJsonObject meta = result.value("meta").toObject();
    if (meta.isEmpty()) {
        why = "no meta";
        return ParseStatus::Malformed;
    }
    YahooChart c;
    ChartMeta& m = c.meta;
    m.symbol = json::Text(meta, "symbol");
    m.currency = json::Text(meta, "currency");
    m.exchangeName = json::Text(meta, "exchangeName");
    m.fullExchangeName = json::Text(meta, "fullExchangeName");
    m.timezone = json::Text(meta, "timezone");
    m.longName = json::Text(meta, "longName");
    m.shortName = json::Text(meta, "shortName");
    m.regularMarketPrice = json::Number(meta, "regularMarketPrice");
    m.previousClose = json::Number(meta, "previousClose");
    m.chartPreviousClose = json::Number(meta, "chartPreviousClose");
    m.dayHigh = json::Number(meta, "regularMarketDayHigh");
    m.dayLow = json::Number(meta, "regularMarketDayLow");
    m.yearHigh = json::Number(meta, "fiftyTwoWeekHigh");
    m.yearLow = json::Number(meta, "fiftyTwoWeekLow");
    m.regularMarketTime = json::Integer(meta, "regularMarketTime");
    m.regularMarketVolume = json::Integer(meta, "regularMarketVolume");
    if (const auto off = json::Integer(meta, "gmtoffset"); off && *off > -86400 && *off < 86400)
        m.gmtoffset = static_cast<int>(*off);
    if (const auto hint = json::Integer(meta, "priceHint"); hint && *hint >= 0 && *hint <= 8)
        m.priceHint = static_cast<int>(*hint);
    m.regularPeriod = Period(meta.value("currentTradingPeriod").toObject().value("regular"));
    m.tradingPeriods = TradingPeriods(meta.value("tradingPeriods"));

    const QJsonArray stamps = result.value("timestamp").toArray();
    for (const QJsonValue& t : stamps) {
        const auto v = json::Number(t);
        if (!v) {
            why = "a timestamp is not a number";
            return ParseStatus::Malformed;
        }
        c.timestamp.push_back(static_cast<std::int64_t>(*v));
    }
    const QJsonObject quote =
        result.value("indicators").toObject().value("quote").toArray().at(0).toObject();
    const std::size_t n = c.timestamp.size();
    c.open = Series(quote, "open", n);
    c.high = Series(quote, "high", n);
    c.low = Series(quote, "low", n);
    c.close = Series(quote, "close", n);
    c.volume = Series(quote, "volume", n);
    out = std::move(c);
    return ParseStatus::Ok;
}

std::vector<OhlcBar> BarsFromChart(const YahooChart& c) {
    std::vector<OhlcBar> bars;
    bars.reserve(c.timestamp.size());
    for (std::size_t i = 0; i < c.timestamp.size(); ++i) {
        if (!c.close[i])
            continue; // a minute without a trade
        OhlcBar b;
        b.time = c.timestamp[i];
        b.close = *c.close[i];
        b.open = c.open[i].value_or(b.close);
        b.high = c.high[i].value_or(std::max(b.open, b.close));
        b.low = c.low[i].value_or(std::min(b.open, b.close));
        b.volume = std::max(0.0, c.volume[i].value_or(0.0));
        bars.push_back(b);
    }
    return bars;
}

std::optional<marketserver::QuoteValues> QuoteFromChart(const YahooChart& c) {
    const ChartMeta& m = c.meta;
    const auto bars = BarsFromChart(c);
    marketserver::QuoteValues q;
    if (m.regularMarketPrice)
        q.last = *m.regularMarketPrice;
    else if (!bars.empty())
        q.last = bars.back().close;
    else
        return std::nullopt;
    std::int64_t when = 0;
    if (m.regularMarketTime)
        when = *m.regularMarketTime;
    else if (!bars.empty())
        when = bars.back().time;
    else
        return std::nullopt;
    q.prevClose = m.previousClose        ? *m.previousClose
                  : m.chartPreviousClose ? *m.chartPreviousClose
                                         : q.last;
    q.open = q.last;
    for (const auto& o : c.open)
        if (o) {
            q.open = *o;
            break;
        }
    double barHigh = q.last, barLow = q.last;
    bool anyBar = false;
    for (std::size_t i = 0; i < c.timestamp.size(); ++i) {
        if (c.high[i]) {
            barHigh = anyBar ? std::max(barHigh, *c.high[i]) : *c.high[i];
            anyBar = true;
        }
    }
    anyBar = false;
    for (std::size_t i = 0; i < c.timestamp.size(); ++i) {
        if (c.low[i]) {
            barLow = anyBar ? std::min(barLow, *c.low[i]) : *c.low[i];
            anyBar = true;
        }
    }
    q.high = m.dayHigh ? *m.dayHigh : barHigh;
    q.low = m.dayLow ? *m.dayLow : barLow;
    q.volume = m.regularMarketVolume ? std::max<std::int64_t>(0, *m.regularMarketVolume) : 0;
    // Without its own 52-week range the day's range stands in until a year of bars is read.
    q.yearLow = m.yearLow ? *m.yearLow : std::min(q.low, q.last);
    q.yearHigh = m.yearHigh ? *m.yearHigh : std::max(q.high, q.last);
    const std::int64_t local = when + m.gmtoffset;
    q.tradeDay = FloorDiv(local, 86400);
    q.tradeMinute = static_cast<int>((local - q.tradeDay * 86400) / 60);
    q.decimals = m.priceHint.value_or(2);
    q.name = !m.longName.empty() ? m.longName : !m.shortName.empty() ? m.shortName : m.symbol;
    q.exchange = m.exchangeName;
    return q;
}

bool YearRangeFromChart(const YahooChart& daily, double& low, double& high) {
    const auto bars = BarsFromChart(daily);
    if (bars.empty())
        return false;
    low = bars.front().low;
    high = bars.front().high;
    for (const auto& b : bars) {
        low = std::min(low, b.low);
        high = std::max(high, b.high);
    }
    return true;
}

namespace {

// Sessions of the answer: its trading periods, else the days its bars fall on.
std::vector<SessionRange> SessionsOf(const YahooChart& c, const std::vector<OhlcBar>& bars) {
    if (!c.meta.tradingPeriods.empty())
        return c.meta.tradingPeriods;
    std::vector<SessionRange> out;
    for (const OhlcBar& b : bars) {
        if (out.empty() ||
            LocalDay(b.time, c.meta.gmtoffset) != LocalDay(out.back().start, c.meta.gmtoffset))
            out.push_back({b.time, b.time});
        out.back().end = b.time + 60;
    }
    if (out.empty() && c.meta.regularPeriod)
        out.push_back(*c.meta.regularPeriod);
    return out;
}

} // namespace

marketserver::ChartDataSheet ChartDataSheetFromChart(const YahooChart& c) {
    const ChartMeta& m = c.meta;
    marketserver::ChartDataSheet s;
    s.companyName = !m.longName.empty() ? m.longName : m.shortName;
    s.exchangeName = !m.fullExchangeName.empty() ? m.fullExchangeName : m.exchangeName;
    s.timezone = !m.timezone.empty() ? m.timezone : marketserver::ZoneName(m.gmtoffset / 60);
    s.gmtOffsetSeconds = m.gmtoffset;
    s.previousClose = m.chartPreviousClose ? *m.chartPreviousClose : m.previousClose.value_or(0);
    s.bars = BarsFromChart(c);
    s.sessions = SessionsOf(c, s.bars);
    return s;
}

marketserver::ChartSeries SeriesFromChart(const YahooChart& c, const std::string& range,
                                          std::int64_t windowStart) {
    const ChartMeta& m = c.meta;
    marketserver::ChartSeries s;
    s.symbol = m.symbol;
    s.name = !m.longName.empty() ? m.longName : m.shortName;
    s.bars = BarsFromChart(c);
    s.tzOffsetMinutes = m.gmtoffset / 60;
    s.currency = m.currency;
    s.decimals = m.priceHint.value_or(2);
    const bool intraday =
        range == "1d" || range == "5d" ||
        (range != "1m" && range != "3m" && range != "6m" && range != "1y" && range != "2y");
    if (!intraday) {
        s.firstVisible = static_cast<std::size_t>(
            std::lower_bound(s.bars.begin(), s.bars.end(), windowStart,
                             [](const OhlcBar& b, std::int64_t t) { return b.time < t; }) -
            s.bars.begin());
        if (s.firstVisible >= s.bars.size() && !s.bars.empty())
            s.firstVisible = 0;
        return s;
    }
    s.intraday = true;
    const std::size_t shown = range == "5d" ? 5 : 1;
    // Where each session (exchange-local day) starts among the bars.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.bars.size(); ++i)
        if (i == 0 ||
            LocalDay(s.bars[i].time, m.gmtoffset) != LocalDay(s.bars[i - 1].time, m.gmtoffset))
            starts.push_back(i);
    s.firstVisible = starts.size() > shown ? starts[starts.size() - shown] : 0;
    if (!s.bars.empty()) {
        const std::int64_t lastBar = s.bars.back().time;
        const std::int64_t width = range == "5d" ? 300 : 60;
        std::vector<SessionRange> periods = m.tradingPeriods;
        if (m.regularPeriod)
            periods.push_back(*m.regularPeriod);
        for (const SessionRange& p : periods)
            if (p.start <= lastBar && lastBar < p.end)
                s.axisEnd = std::max(s.axisEnd, p.end - width);
    }
    return s;
}

bool IsRegularSessionOpen(const ChartMeta& meta, std::int64_t now) {
    return meta.regularPeriod && meta.regularPeriod->start <= now && now < meta.regularPeriod->end;
}

} // namespace upstream
