#include "marketserver/upstream/upstream_source.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>

#include <curl/curl.h>

#include "marketserver/quote_csv.h"
#include "marketserver/upstream/aliases.h"
#include "marketserver/upstream/upstream_time.h"
#include "marketserver/upstream/yahoo_search.h"
#include "marketserver/upstream/zip_archive.h"
#include "platform/base/clock.h"
#include "platform/base/paths.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"

namespace upstream {

using marketserver::Outcome;
using namespace timing;
using Steady = std::chrono::steady_clock;

namespace {

constexpr int kWorkers = 8;

std::int64_t SystemNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The symbol the chart service is asked for, or empty for one that is not a symbol or no
// longer trades.
std::string UpstreamSymbol(const std::string& requested) {
    const Alias alias = AliasTable::Default().Resolve(requested);
    if (alias.retired || !symbols::IsValidSymbol(alias.symbol))
        return {};
    return alias.symbol;
}

bool IsDailyRange(const std::string& range) {
    return range == "1m" || range == "3m" || range == "6m" || range == "1y" || range == "2y";
}

int RangeDays(const std::string& range) {
    if (range == "1m")
        return 31;
    if (range == "3m")
        return 92;
    if (range == "6m")
        return 183;
    if (range == "1y")
        return 366;
    return 731;
}

std::once_flag g_curlInit;

} // namespace

std::string CacheDirOf(const UpstreamOptions& options) {
    if (!options.cacheDir.empty())
        return options.cacheDir;
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    const std::string base =
        xdg && *xdg ? std::string(xdg) : paths::Join(paths::HomeDir(), ".cache");
    return paths::Join(paths::Join(base, "koravel"), "upstream");
}

bool ParseUpstreamBases(const std::string& bases, UpstreamOptions& options, std::string& error) {
    for (const std::string& item : text::Split(bases, ',')) {
        const std::string part = text::Trim(item);
        if (part.empty())
            continue;
        const std::size_t eq = part.find('=');
        const std::string name = text::ToLowerAscii(text::Trim(part.substr(0, eq)));
        std::string url = eq == std::string::npos ? std::string() : text::Trim(part.substr(eq + 1));
        while (text::EndsWith(url, "/"))
            url.pop_back();
        if (!text::StartsWith(url, "http://") && !text::StartsWith(url, "https://")) {
            error = "the base of " + name + " must be an http(s) URL";
            return false;
        }
        if (name == "yahoo")
            options.yahooBase = url;
        else if (name == "nsearchives")
            options.nseArchivesBase = url;
        else if (name == "bse")
            options.bseBase = url;
        else {
            error = "unknown upstream \"" + name + "\" (yahoo, nsearchives or bse)";
            return false;
        }
    }
    return true;
}

UpstreamSource::UpstreamSource(UpstreamOptions options)
    : m_options(std::move(options)),
      m_http(m_options.userAgent, m_options.connectTimeoutMs, m_options.requestTimeoutMs),
      m_cache(CacheDirOf(m_options)) {
    std::call_once(g_curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    if (!m_options.now)
        m_options.now = SystemNowMs;
    std::uint64_t seed = m_options.jitterSeed;
    if (seed == 0)
        seed = std::random_device{}();
    m_gates[0] = std::make_unique<HostGate>("yahoo", m_options.yahoo, m_options.now, seed);
    m_gates[1] =
        std::make_unique<HostGate>("nsearchives", m_options.nseArchives, m_options.now, seed + 1);
    m_gates[2] = std::make_unique<HostGate>("bse", m_options.bse, m_options.now, seed + 2);
    for (int i = 0; i < kWorkers; ++i)
        m_workers.emplace_back([this] { WorkerLoop(); });
}

UpstreamSource::~UpstreamSource() {
    Stop();
    for (auto& t : m_workers)
        if (t.joinable())
            t.join();
}

void UpstreamSource::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_workCv.notify_all();
    m_doneCv.notify_all();
}

std::int64_t UpstreamSource::NowMs() const {
    return m_options.now();
}

marketserver::CivilSeconds UpstreamSource::NowIst() const {
    return FloorDiv(NowMs(), 1000) + kIstOffsetSeconds;
}

HostGate& UpstreamSource::Gate(Host host) {
    return *m_gates[static_cast<int>(host)];
}

// ---------------------------------------------------------------------------------------
// Queue and workers

void UpstreamSource::Enqueue(Job job) {
    // Caller holds m_mutex.
    if (m_stop)
        return;
    if (m_pending.count(job.key)) {
        // Already on its way; someone now waits for it: move it up.
        auto it = std::find_if(m_queue.begin(), m_queue.end(),
                               [&](const Job& j) { return j.key == job.key; });
        if (it == m_queue.end() || it->priority <= job.priority)
            return;
        m_queue.erase(it);
    }
    m_pending.insert(job.key);
    const auto at =
        std::upper_bound(m_queue.begin(), m_queue.end(), job, [](const Job& a, const Job& b) {
            return a.priority != b.priority ? a.priority < b.priority : a.order < b.order;
        });
    m_queue.insert(at, std::move(job));
    m_workCv.notify_one();
}

bool UpstreamSource::Pending(const std::string& key) const {
    return m_pending.count(key) != 0;
}

bool UpstreamSource::PickJob(Job& job, std::int64_t& retryInMs) {
    // Caller holds m_mutex. The most urgent job whose host lets a request start now.
    bool blocked[3] = {false, false, false};
    for (auto it = m_queue.begin(); it != m_queue.end(); ++it) {
        if (it->kind != Kind::BhavWalk) {
            const int h = static_cast<int>(it->host);
            if (blocked[h])
                continue;
            std::int64_t retry = 0;
            if (!Gate(it->host).TryStart(retry)) {
                blocked[h] = true;
                retryInMs = std::min(retryInMs, retry);
                continue;
            }
        }
        job = std::move(*it);
        m_queue.erase(it);
        return true;
    }
    return false;
}

void UpstreamSource::WorkerLoop() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            for (;;) {
                if (m_stop)
                    return;
                std::int64_t retry = 250;
                if (PickJob(job, retry)) {
                    m_running.insert(job.key);
                    break;
                }
                // The clock may be moved by hand: look again soon rather than sleep long.
                m_workCv.wait_for(lock, std::chrono::milliseconds(std::clamp<std::int64_t>(
                                            m_queue.empty() ? 1000 : retry, 5, 250)));
            }
        }
        Run(job);
        {
            std::lock_guard lock(m_mutex);
            m_pending.erase(job.key);
            m_running.erase(job.key);
        }
        m_doneCv.notify_all();
        m_workCv.notify_all();
    }
}

void UpstreamSource::Run(const Job& job) {
    switch (job.kind) {
    case Kind::Quote:
    case Kind::Year:
        RunQuoteLike(job);
        break;
    case Kind::ChartData:
    case Kind::Chart:
    case Kind::Search:
        RunPlain(job);
        break;
    case Kind::BhavWalk:
        RunBhavWalk(job);
        return; // its fetches start and end their own requests
    }
    Gate(job.host).Finish();
}

bool UpstreamSource::Acquire(Host host) {
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (Gate(host).BreakerOpen())
            return false; // the host turned us away: do not wait out its backoff here
        std::int64_t retry = 0;
        if (Gate(host).TryStart(retry))
            return true;
        m_workCv.wait_for(lock, std::chrono::milliseconds(std::clamp<std::int64_t>(retry, 5, 250)));
    }
    return false;
}

HttpResult UpstreamSource::Fetch(Host, const std::string& url) {
    return m_http.Get(url, m_stop);
}

void UpstreamSource::WaitFor(const std::string& key, Steady::time_point deadline) {
    std::unique_lock lock(m_mutex);
    m_doneCv.wait_until(lock, deadline, [&] { return m_stop || !Pending(key); });
}

// ---------------------------------------------------------------------------------------
// Quotes

UpstreamSource::Job UpstreamSource::ChartJob(Kind kind, std::string key, const std::string& symbol,
                                             const std::string& query) const {
    Job j;
    j.key = std::move(key);
    j.kind = kind;
    j.host = Host::Yahoo;
    j.url =
        m_options.yahooBase + "/v8/finance/chart/" + EncodeComponent(symbol, true) + "?" + query;
    j.symbol = symbol;
    return j;
}

UpstreamSource::Job UpstreamSource::QuoteJob(const std::string& symbol, int priority,
                                             std::int64_t order) const {
    Job j = ChartJob(Kind::Quote, "quote/" + symbol, symbol, "range=1d&interval=1d");
    j.priority = priority;
    j.order = order;
    return j;
}

std::int64_t UpstreamSource::TtlEnd(const ChartMeta& meta, std::int64_t now) const {
    const std::int64_t live = now + m_options.liveTtlSeconds * kSecond;
    const std::int64_t nowS = FloorDiv(now, 1000);
    if (IsRegularSessionOpen(meta, nowS))
        return live;
    if (meta.regularPeriod && meta.regularPeriod->start > nowS) // closed until then
        return std::clamp(meta.regularPeriod->start * kSecond, live, now + 3 * kDay);
    // Just after a close the service may still describe the session that ended.
    return now + 30 * kMinute;
}

void UpstreamSource::ApplyQuote(const std::string& symbol, const CacheEntry& e) {
    // Caller holds m_mutex.
    QuoteSlot& s = m_quotes[symbol];
    if (e.notFound) {
        s.values.reset();
        s.notFound = true;
    } else {
        YahooChart chart;
        std::string why;
        std::optional<marketserver::QuoteValues> q;
        if (ParseYahooChart(e.body, chart, why) == ParseStatus::Ok)
            q = QuoteFromChart(chart);
        if (!q) {
            m_cache.Discard("quote/" + symbol); // not an answer we can read: not trusted
            return;
        }
        s.values = std::move(q);
        s.yearFromMeta = chart.meta.yearLow && chart.meta.yearHigh;
        s.notFound = false;
    }
    s.fetchedMs = e.fetchedMs;
    s.expiresMs = e.expiresMs;
}

void UpstreamSource::ApplyYear(const std::string& symbol, const CacheEntry& e) {
    // Caller holds m_mutex.
    YearRange& y = m_years[symbol];
    YahooChart chart;
    std::string why;
    double low = 0, high = 0;
    if (!e.notFound && ParseYahooChart(e.body, chart, why) == ParseStatus::Ok &&
        YearRangeFromChart(chart, low, high)) {
        y.low = low;
        y.high = high;
        y.known = true;
    } else if (!e.notFound) {
        m_cache.Discard("year/" + symbol);
        return;
    }
    y.expiresMs = e.expiresMs;
}

UpstreamSource::QuoteSlot& UpstreamSource::SlotFor(const std::string& symbol) {
    QuoteSlot& s = m_quotes[symbol];
    if (!s.loaded) {
        s.loaded = true;
        if (const auto e = m_cache.Get("quote/" + symbol))
            ApplyQuote(symbol, *e);
    }
    return m_quotes[symbol];
}

std::optional<marketserver::QuoteValues> UpstreamSource::Known(const std::string& symbol,
                                                               QuoteSlot& slot) {
    // Caller holds m_mutex.
    if (!slot.values)
        return std::nullopt;
    marketserver::QuoteValues v = *slot.values;
    if (!slot.yearFromMeta) {
        YearRange& y = m_years[symbol];
        if (!y.loaded) {
            y.loaded = true;
            if (const auto e = m_cache.Get("year/" + symbol))
                ApplyYear(symbol, *e);
        }
        if (y.known) {
            v.yearLow = std::min({y.low, v.low, v.last});
            v.yearHigh = std::max({y.high, v.high, v.last});
        }
        if (NowMs() >= y.expiresMs) {
            Job j = ChartJob(Kind::Year, "year/" + symbol, symbol, "range=1y&interval=1d");
            j.priority = kBackground;
            j.order = ++m_sequence;
            Enqueue(std::move(j));
        }
    }
    return v;
}

void UpstreamSource::RunQuoteLike(const Job& job) {
    const HttpResult r = Fetch(job.host, job.url);
    const std::int64_t now = NowMs();
    std::optional<CacheEntry> entry;
    if (r.answered && (r.status == 429 || r.status == 403)) {
        Gate(job.host).OnRefused(r.retryAfterSeconds);
    } else if (r.answered) {
        Gate(job.host).OnAnswered();
        YahooChart chart;
        std::string why;
        const ParseStatus st = ParseYahooChart(r.body, chart, why);
        if (st == ParseStatus::NotFound && (r.status == 404 || r.status == 200)) {
            entry = CacheEntry{"", now, now + 6 * kHour, true};
        } else if (st == ParseStatus::Ok && r.status == 200 &&
                   (job.kind == Kind::Year || QuoteFromChart(chart))) {
            entry = CacheEntry{
                r.body, now, job.kind == Kind::Quote ? TtlEnd(chart.meta, now) : now + kDay, false};
        }
    }
    if (entry)
        m_cache.Put(job.key, *entry);
    std::lock_guard lock(m_mutex);
    if (job.kind == Kind::Quote) {
        if (entry)
            ApplyQuote(job.symbol, *entry);
        ++m_quotes[job.symbol].attempts;

    } else if (entry) {
        ApplyYear(job.symbol, *entry);
    }
}

marketserver::QuoteAnswer UpstreamSource::Quotes(const std::vector<std::string>& symbols,
                                                 const std::vector<std::string>& codes) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(m_options.firstAnswerWaitMs);
    const bool bulk = !marketserver::NeedsYearRange(codes) && symbols.size() > kBulkSymbols;
    const std::size_t n = symbols.size();
    std::vector<std::string> target(n);
    for (std::size_t i = 0; i < n; ++i)
        target[i] = UpstreamSymbol(symbols[i]);

    marketserver::QuoteAnswer answer;
    answer.quotes.resize(n);
    std::vector<bool> missing(n, false); // no value, and not known to be unknown
    std::vector<BhavcopyKind> cashKinds;
    auto cashKindOf = [](const std::string& t) -> std::optional<BhavcopyKind> {
        if (text::EndsWith(t, ".NS"))
            return BhavcopyKind::NseCash;
        if (text::EndsWith(t, ".BO"))
            return BhavcopyKind::BseCash;
        return std::nullopt;
    };
    {
        std::unique_lock lock(m_mutex);
        const std::int64_t now = NowMs();
        std::vector<std::pair<std::string, int>> waitFor; // symbol, attempts seen
        for (std::size_t i = 0; i < n; ++i) {
            if (target[i].empty())
                continue;
            QuoteSlot& s = SlotFor(target[i]);
            const bool fresh = now < s.expiresMs;
            if (bulk) {
                // Toppers: what is fresh in the cache, else the exchange's daily file.
                if (s.values && fresh)
                    answer.quotes[i] = s.values;
                else if (!(s.notFound && fresh))
                    missing[i] = true;
                continue;
            }
            if (s.values || s.notFound) {
                if (!fresh)
                    Enqueue(QuoteJob(target[i], kRefresh, s.fetchedMs));
                answer.quotes[i] = Known(target[i], s);
                continue;
            }
            missing[i] = true;
            Enqueue(QuoteJob(target[i], kUrgent, ++m_sequence));
            waitFor.emplace_back(target[i], s.attempts);
        }
        // Shares the wait leaves without a quote can come from the exchange's daily file:
        // have it looked for now, beside the quotes.
        for (std::size_t i = 0; i < n; ++i)
            if (missing[i])
                if (const auto kind = cashKindOf(target[i]);
                    kind && std::find(cashKinds.begin(), cashKinds.end(), *kind) == cashKinds.end())
                    cashKinds.push_back(*kind);
        for (const BhavcopyKind kind : cashKinds)
            KickWalk(kind);
        if (!waitFor.empty()) {
            // Waits for what is on its way or can start now; what the budget holds back
            // is answered with what there is, while the queue goes on filling the cache.
            m_doneCv.wait_until(lock, deadline, [&] {
                if (m_stop)
                    return true;
                const bool canStart = Gate(Host::Yahoo).CanStart();
                for (const auto& [symbol, seen] : waitFor) {
                    const QuoteSlot& s = m_quotes[symbol];
                    if (!s.values && !s.notFound && s.attempts == seen &&
                        (canStart || m_running.count("quote/" + symbol)))
                        return false;
                }
                return true;
            });
        }
        for (std::size_t i = 0; i < n && !bulk; ++i) {
            if (!missing[i])
                continue;
            QuoteSlot& s = m_quotes[target[i]];
            if (s.values || s.notFound) {
                answer.quotes[i] = Known(target[i], s);
                missing[i] = false;
            }
        }
    }

    // What is still missing comes from the exchange's daily file, when it has the symbol.
    bool transientGap = false;
    for (const BhavcopyKind kind : cashKinds) {
        bool failed = false;
        const auto file = LatestFile(kind, deadline, true, &failed);
        for (std::size_t i = 0; i < n; ++i) {
            if (!missing[i] || cashKindOf(target[i]) != kind)
                continue;
            if (file) {
                const std::string ticker = target[i].substr(0, target[i].size() - 3);
                if (auto it = file->quotes.find(ticker); it != file->quotes.end()) {
                    answer.quotes[i] = it->second;
                    missing[i] = false;
                }
            } else if (failed) {
                transientGap = true;
            }
        }
    }
    std::lock_guard lock(m_mutex);
    bool anyValue = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (missing[i]) {
            QuoteSlot& s = m_quotes[target[i]];
            if (s.values) { // stale, but a price with its own date and time
                answer.quotes[i] = bulk ? s.values : Known(target[i], s);
                missing[i] = false;
            } else if (!s.notFound && !bulk) {
                transientGap = true;
            }
        }
        anyValue = anyValue || answer.quotes[i].has_value();
    }
    answer.unavailable = !anyValue && transientGap;
    return answer;
}

// ---------------------------------------------------------------------------------------
// Charts, chart data, lookup

std::optional<CacheEntry> UpstreamSource::Obtain(const Job& job, Steady::time_point deadline) {
    if (auto e = m_cache.Get(job.key)) {
        if (NowMs() >= e->expiresMs) {
            Job refresh = job;
            refresh.priority = kRefresh;
            refresh.order = e->fetchedMs;
            std::lock_guard lock(m_mutex);
            Enqueue(std::move(refresh));
        }
        return e;
    }
    {
        std::lock_guard lock(m_mutex);
        Job now = job;
        now.priority = kUrgent;
        now.order = ++m_sequence;
        Enqueue(std::move(now));
    }
    WaitFor(job.key, deadline);
    return m_cache.Get(job.key);
}

Outcome UpstreamSource::ObtainChart(const Job& job, Steady::time_point deadline,
                                    YahooChart& chart) {
    const auto e = Obtain(job, deadline);
    if (!e)
        return Outcome::Unavailable;
    if (e->notFound)
        return Outcome::NotFound;
    std::string why;
    if (ParseYahooChart(e->body, chart, why) != ParseStatus::Ok) {
        m_cache.Discard(job.key);
        return Outcome::Unavailable;
    }
    return Outcome::Ok;
}

void UpstreamSource::RunPlain(const Job& job) {
    const HttpResult r = Fetch(job.host, job.url);
    const std::int64_t now = NowMs();
    if (!r.answered)
        return;
    if (r.status == 429 || r.status == 403) {
        Gate(job.host).OnRefused(r.retryAfterSeconds);
        return;
    }
    Gate(job.host).OnAnswered();
    std::string why;
    if (job.kind == Kind::Search) {
        std::vector<marketserver::LookupRow> rows;
        if (r.status == 200 && ParseYahooSearch(r.body, rows, why) == ParseStatus::Ok)
            m_cache.Put(job.key, CacheEntry{r.body, now, now + kDay, false});
        return;
    }
    YahooChart chart;
    const ParseStatus st = ParseYahooChart(r.body, chart, why);
    if (st == ParseStatus::NotFound && (r.status == 404 || r.status == 200)) {
        m_cache.Put(job.key, CacheEntry{"", now, now + 6 * kHour, true});
    } else if (st == ParseStatus::Ok && r.status == 200) {
        const std::int64_t expires = job.kind == Kind::ChartData ? TtlEnd(chart.meta, now)
                                     : IsDailyRange(job.range)   ? now + kHour
                                                                 : now + kMinute;
        m_cache.Put(job.key, CacheEntry{r.body, now, expires, false});
    }
}

Outcome UpstreamSource::ChartData(const std::string& symbol, int days,
                                  marketserver::ChartDataSheet& out) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(m_options.firstAnswerWaitMs);
    const std::string target = UpstreamSymbol(symbol);
    if (target.empty())
        return Outcome::NotFound;
    const std::string range = days == 5 ? "5d" : "1d";
    Job j = ChartJob(Kind::ChartData, "chartdata/" + range + "/" + target, target,
                     days == 5 ? "range=5d&interval=5m" : "range=1d&interval=1m");
    j.range = range;
    YahooChart chart;
    if (const Outcome got = ObtainChart(j, deadline, chart); got != Outcome::Ok)
        return got;
    out = ChartDataSheetFromChart(chart);
    return Outcome::Ok;
}

Outcome UpstreamSource::Chart(const std::string& symbol, const std::string& rangeCode,
                              marketserver::ChartSeries& out) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(m_options.firstAnswerWaitMs);
    const std::string target = UpstreamSymbol(symbol);
    if (target.empty())
        return Outcome::NotFound;
    const std::string range = rangeCode == "5d" || IsDailyRange(rangeCode) ? rangeCode : "1d";
    const std::int64_t nowS = FloorDiv(NowMs(), 1000);
    std::int64_t windowStart = nowS - 86400LL * 4;
    std::string query;
    if (range == "1d") {
        query = "interval=1m&period1=" + std::to_string(windowStart);
    } else if (range == "5d") {
        windowStart = nowS - 86400LL * 10;
        query = "interval=5m&period1=" + std::to_string(windowStart);
    } else {
        // A window of daily bars, and 300 days before it for the 200-day averages.
        windowStart = nowS - 86400LL * RangeDays(range);
        query = "interval=1d&period1=" + std::to_string(windowStart - 86400LL * 300);
    }
    query += "&period2=" + std::to_string(nowS);
    Job j = ChartJob(Kind::Chart, "chart/" + range + "/" + target, target, query);
    j.range = range;
    YahooChart chart;
    if (const Outcome got = ObtainChart(j, deadline, chart); got != Outcome::Ok)
        return got;
    out = SeriesFromChart(chart, range, windowStart);
    return Outcome::Ok;
}

std::vector<marketserver::LookupRow> UpstreamSource::Lookup(const std::string& query) {
    const auto deadline = Steady::now() + std::chrono::milliseconds(m_options.firstAnswerWaitMs);
    std::string q = text::Trim(query);
    if (q.empty())
        return {};
    if (q.size() > 100)
        q.resize(100);
    Job j;
    j.kind = Kind::Search;
    j.host = Host::Yahoo;
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(text::ToLowerAscii(q))));
    j.key = std::string("search/") + hash;
    j.url = m_options.yahooBase + "/v1/finance/search?q=" + EncodeComponent(q) +
            "&quotesCount=10&newsCount=0";
    std::vector<marketserver::LookupRow> rows;
    const auto e = Obtain(j, deadline);
    std::string why;
    if (e && ParseYahooSearch(e->body, rows, why) != ParseStatus::Ok) {
        m_cache.Discard(j.key);
        rows.clear();
    }
    return rows;
}

bool UpstreamSource::WaitIdle(int ms) {
    std::unique_lock lock(m_mutex);
    return m_doneCv.wait_for(lock, std::chrono::milliseconds(ms),
                             [&] { return m_stop || m_pending.empty(); });
}

} // namespace upstream
