#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "marketserver/market_source.h"
#include "marketserver/upstream/bhavcopy.h"
#include "marketserver/upstream/cache_store.h"
#include "marketserver/upstream/host_gate.h"
#include "marketserver/upstream/http_fetch.h"
#include "marketserver/upstream/upstream_options.h"
#include "marketserver/upstream/yahoo_chart.h"

namespace upstream {

// The market server's answers from today's public services: Yahoo Finance's chart and
// search services for quotes, bars, chart pictures and lookup, and the exchanges' daily
// files for futures, trade statistics and toppers.
//
// A legacy request never waits for the upstream once an answer is cached (it gets the
// cached answer, and a fresh one is fetched behind it); only what is not known at all is
// waited for, at most firstAnswerWaitMs. Requests to each host keep to its budget, one
// upstream request serves every legacy request that needs it, and answers persist on
// disk.
class UpstreamSource final : public marketserver::MarketSource {
public:
    explicit UpstreamSource(UpstreamOptions options);
    ~UpstreamSource() override;
    UpstreamSource(const UpstreamSource&) = delete;
    UpstreamSource& operator=(const UpstreamSource&) = delete;

    marketserver::CivilSeconds NowIst() const override;
    marketserver::QuoteAnswer Quotes(const std::vector<std::string>& symbols,
                                     const std::vector<std::string>& codes) override;
    marketserver::Outcome ChartData(const std::string& symbol, int days,
                                    marketserver::ChartDataSheet& out) override;
    marketserver::Outcome Chart(const std::string& symbol, const std::string& range,
                                marketserver::ChartSeries& out) override;
    std::vector<marketserver::LookupRow> Lookup(const std::string& text) override;
    marketserver::Outcome Futures(const std::string& key, marketserver::FuturesTable& out) override;
    marketserver::Outcome Statistics(marketserver::TradeStatistics& out) override;
    void Stop() override;

    const UpstreamOptions& Options() const { return m_options; }
    // Waits until no upstream request is queued or in flight (tests, benchmarks); false
    // when that did not happen within the time.
    bool WaitIdle(int ms);

    // Legacy requests naming more symbols than this without asking for the 52-week range
    // are the toppers' batches: they are answered from the cache and the exchanges' daily
    // files, never with one upstream request per symbol.
    static constexpr std::size_t kBulkSymbols = 20;

private:
    enum class Host { Yahoo, NseArchives, Bse };
    enum class Kind { Quote, Year, ChartData, Chart, Search, BhavWalk };
    enum Priority { kUrgent = 0, kRefresh = 1, kBackground = 2 };

    struct Job {
        std::string key; // one job per key at a time
        Kind kind = Kind::Quote;
        Host host = Host::Yahoo;
        std::string url;
        std::string symbol;
        std::string range; // Chart: the range code; ChartData: "1d" or "5d"
        BhavcopyKind bhav = BhavcopyKind::NseFutures;
        int priority = kRefresh;
        std::int64_t order = 0; // earlier first within a priority
    };

    // What is known about one upstream symbol's quote.
    struct QuoteSlot {
        std::optional<marketserver::QuoteValues> values;
        bool yearFromMeta = false;
        bool notFound = false;
        std::int64_t expiresMs = 0;
        std::int64_t fetchedMs = 0;
        int attempts = 0;    // fetches ended, answered or not
        bool loaded = false; // the disk cache was looked at
    };

    struct YearRange {
        double low = 0, high = 0;
        std::int64_t expiresMs = 0;
        bool loaded = false, known = false;
    };

    // One exchange file, read.
    struct Bhavcopy {
        std::int64_t day = 0;
        std::shared_ptr<const UdiffTable> table;
        std::unordered_map<std::string, marketserver::QuoteValues> quotes; // cash files
    };
    struct LatestBhavcopy {
        std::shared_ptr<const Bhavcopy> file;
        std::int64_t checkedMs = 0; // when the walk for it ended
        bool failed = false;        // the last walk found nothing because of a failure
    };

    std::int64_t NowMs() const;
    HostGate& Gate(Host host);

    // Queue and workers.
    void Enqueue(Job job);
    bool Pending(const std::string& key) const;
    void WorkerLoop();
    bool PickJob(Job& job, std::int64_t& retryInMs);
    void Run(const Job& job);
    // Asks the host, within its budget (waits for it); false when stopping.
    bool Acquire(Host host);
    HttpResult Fetch(Host host, const std::string& url);
    // Waits until the key is neither queued nor in flight, or the deadline passes.
    void WaitFor(const std::string& key, std::chrono::steady_clock::time_point deadline);

    // Quotes.
    QuoteSlot& SlotFor(const std::string& symbol);
    void ApplyQuote(const std::string& symbol, const CacheEntry& entry);
    void ApplyYear(const std::string& symbol, const CacheEntry& entry);
    std::optional<marketserver::QuoteValues> Known(const std::string& symbol, QuoteSlot& slot);
    Job QuoteJob(const std::string& symbol, int priority, std::int64_t order) const;
    void RunQuoteLike(const Job& job);
    std::int64_t TtlEnd(const ChartMeta& meta, std::int64_t nowMs) const;

    // Exchange files.
    std::shared_ptr<const Bhavcopy> LatestFile(BhavcopyKind kind,
                                               std::chrono::steady_clock::time_point deadline,
                                               bool wait, bool* failed = nullptr);
    void RunBhavWalk(const Job& job);
    // Has the latest file of a kind looked for, unless that was done a short while ago.
    void KickWalk(BhavcopyKind kind);
    static std::string WalkKey(BhavcopyKind kind);
    std::shared_ptr<const Bhavcopy> ReadFile(BhavcopyKind kind, std::int64_t day,
                                             const CacheEntry& entry);
    std::string BhavUrl(BhavcopyKind kind, std::int64_t day) const;
    static std::string BhavKey(BhavcopyKind kind, std::int64_t day);

    // Cache-first retrieval of one answer: the cached one at once when there is one (a
    // stale one is refreshed behind it); otherwise fetched, waiting until the deadline.
    std::optional<CacheEntry> Obtain(const Job& job,
                                     std::chrono::steady_clock::time_point deadline);
    // A chart answer obtained so and read; one that does not read leaves the cache.
    marketserver::Outcome
    ObtainChart(const Job& job, std::chrono::steady_clock::time_point deadline, YahooChart& chart);
    void RunPlain(const Job& job);

    // A job for the chart service: its kind, cache key, symbol and the query of its address.
    Job ChartJob(Kind kind, std::string key, const std::string& symbol,
                 const std::string& query) const;

    UpstreamOptions m_options;
    HttpFetcher m_http;
    CacheStore m_cache;
    std::unique_ptr<HostGate> m_gates[3];
    std::atomic<bool> m_stop{false};

    mutable std::mutex m_mutex;
    std::condition_variable m_workCv; // a job was queued, a slot freed, or stop
    std::condition_variable m_doneCv; // a job ended
    std::vector<Job> m_queue;
    std::set<std::string> m_pending; // queued or in flight
    std::set<std::string> m_running; // in flight
    std::int64_t m_sequence = 0;
    std::map<std::string, QuoteSlot> m_quotes;
    std::map<std::string, YearRange> m_years;
    std::map<int, LatestBhavcopy> m_latest;                         // by BhavcopyKind
    std::map<std::string, std::shared_ptr<const Bhavcopy>> m_files; // by cache key
    std::vector<std::thread> m_workers;
};

} // namespace upstream
