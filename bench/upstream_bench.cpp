// The upstream mode's load on the services and its answer times, against the services'
// stand-in on loopback with a clock of its own: upstream requests per 15-second refresh of
// the bar's 150 symbols in steady state under the default budget, and the time to the
// first whole answer from a cold and from a warm disk cache, with 100 ms per upstream
// request.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "catalogue/catalogue.h"
#include "marketserver/upstream/upstream_source.h"
#include "platform/base/text.h"
#include "support/temp_dir.h"
#include "support/upstream_fake.h"
#include "wall_clock.h"

namespace {

using testsupport::UpstreamFake;

const std::vector<std::string> kBarCodes = {"s", "l1", "d1", "t1", "c1", "o",
                                            "h", "g",  "v",  "j",  "k"};

// The bar's request: NIFTY, SENSEX and the rate, then 147 watched and owned shares.
std::vector<std::string> BarSymbols() {
    std::vector<std::string> s = {"^NSEI", "^BSESN", "USDINR=X"};
    for (const auto& c : catalogue::Companies())
        if (s.size() < 150 && !c.nseName.empty())
            s.push_back(c.nseName + ".NS");
    return s;
}

// The exchange's cash-market file of the day with every share of the request, as the
// real one has.
void ServeWholeCashFile(UpstreamFake& fake, const std::vector<std::string>& symbols) {
    const std::string f = UpstreamFake::Fixture("nse_cm_udiff_20260312.csv");
    std::string csv = f.substr(0, f.find('\n') + 1);
    for (const std::string& s : symbols)
        if (text::EndsWith(s, ".NS"))
            csv += "2026-03-12,2026-03-12,CM,NSE,STK,1,X," + s.substr(0, s.size() - 3) +
                   ",EQ,,,,,NAME,100.00,102.00,99.00,101.00,101.00,100.50,,,,,1000,101000.00,10,F1,"
                   "1,,,,,\n";
    fake.Route(UpstreamFake::kNseCmFile,
               {200, UpstreamFake::Zip("cm.csv", csv), "application/zip"});
}

upstream::UpstreamOptions Options(const UpstreamFake& fake, const std::string& cache,
                                  std::atomic<std::int64_t>& now) {
    upstream::UpstreamOptions o; // the default budget
    std::string error;
    upstream::ParseUpstreamBases(fake.Bases(), o, error);
    o.cacheDir = cache;
    o.now = [&now] { return now.load(); };
    o.jitterSeed = 1;
    return o;
}

// Lets the requests the budget allows start and end.
void Settle(const UpstreamFake& fake) {
    int seen = -1;
    while (seen != fake.Count("/")) {
        seen = fake.Count("/");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
}

void BM_RequestsPerRefreshInSteadyState(benchmark::State& state) {
    UpstreamFake fake;
    testsupport::TempDir cache;
    std::atomic<std::int64_t> now{UpstreamFake::kInSessionMs};
    upstream::UpstreamSource source(Options(fake, cache.path(), now));
    const auto symbols = BarSymbols();
    ServeWholeCashFile(fake, symbols);
    // Fill the cache (in the session every quote is stale a minute after it came), and
    // note after how many refreshes every line came from the chart service rather than
    // from the day's file (whose prices here are all 101.00).
    int filledAfter = 0;
    for (int i = 1; i <= 60; ++i) {
        const auto answer = source.Quotes(symbols, kBarCodes);
        if (!filledAfter && std::all_of(answer.quotes.begin(), answer.quotes.end(),
                                        [](const auto& q) { return q && q->last != 101.0; }))
            filledAfter = i;
        Settle(fake);
        now += 15000;
    }
    state.counters["minutes_to_all_live"] = (filledAfter - 1) * 15 / 60.0;
    int cycles = 0, most = 0;
    const int before = fake.Count("/v8/");
    for (auto _ : state) {
        const int start = fake.Count("/v8/");
        source.Quotes(symbols, kBarCodes);
        Settle(fake);
        now += 15000;
        most = std::max(most, fake.Count("/v8/") - start);
        ++cycles;
    }
    state.counters["requests_per_refresh"] =
        static_cast<double>(fake.Count("/v8/") - before) / std::max(cycles, 1);
    state.counters["most_in_one_refresh"] = most;
}
BENCHMARK(BM_RequestsPerRefreshInSteadyState)->Iterations(40)->Unit(benchmark::kMillisecond);

void BM_FirstAnswer(benchmark::State& state) {
    const bool warm = state.range(0) != 0;
    UpstreamFake fake;
    fake.SetLatency(100);
    testsupport::TempDir cache;
    std::atomic<std::int64_t> now{UpstreamFake::kInSessionMs};
    const auto symbols = BarSymbols();
    ServeWholeCashFile(fake, symbols);
    if (warm) { // a run before this one left every answer on disk
        upstream::UpstreamOptions o = Options(fake, cache.path(), now);
        o.yahoo.burst = 1000;
        o.yahoo.perMinute = 100000;
        upstream::UpstreamSource filler(o);
        filler.Quotes(symbols, kBarCodes);
        filler.WaitIdle(60000);
    }
    int known = 0, requests = 0;
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::TempDir cold;
        fake.ClearLog();
        upstream::UpstreamSource source(Options(fake, warm ? cache.path() : cold.path(), now));
        state.ResumeTiming();
        const auto answer = source.Quotes(symbols, kBarCodes);
        state.PauseTiming();
        known = static_cast<int>(std::count_if(answer.quotes.begin(), answer.quotes.end(),
                                               [](const auto& q) { return q.has_value(); }));
        requests = fake.Count("/");
        state.ResumeTiming();
    }
    state.counters["lines_with_a_price"] = known;
    state.counters["upstream_requests"] = requests;
}
BENCHMARK(BM_FirstAnswer)
    ->ArgName("warm")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Apply(benchsupport::WallClockMs);

} // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
