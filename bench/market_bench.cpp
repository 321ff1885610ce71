// Requests per second the simulated market serves to a second process on loopback: a
// 150-symbol quote request (the toppers batch size on NSE) and a 1-day chart-data request.
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include "catalogue/catalogue.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"

namespace {

struct Market {
    pid_t pid = -1;
    std::string url;

    Market() {
        int out[2];
        if (pipe(out) != 0)
            std::abort();
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            execl(KORAVEL_MARKET_PATH, "koravel-market", "--port", "0", "--seed", "7", "--clock",
                  "2026-12-07 11:00:00", "--speed", "0", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char buf[256] = {0};
        std::size_t n = 0;
        while (n < sizeof buf - 1) {
            const ssize_t r = read(out[0], buf + n, 1);
            if (r <= 0 || buf[n] == '\n')
                break;
            ++n;
        }
        buf[n] = 0;
        url = buf;
        close(out[0]);
    }
    ~Market() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

Market& TheMarket() {
    static Market m;
    return m;
}

std::size_t Sink(char*, std::size_t size, std::size_t n, void* total) {
    *static_cast<std::size_t*>(total) += size * n;
    return size * n;
}

void Run(benchmark::State& state, const std::string& url) {
    CURL* h = curl_easy_init();
    std::size_t bytes = 0;
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Sink);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &bytes);
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    for (auto _ : state) {
        if (curl_easy_perform(h) != CURLE_OK) {
            state.SkipWithError("request failed");
            break;
        }
    }
    curl_easy_cleanup(h);
    state.SetItemsProcessed(state.iterations());
    state.counters["bytes/request"] =
        static_cast<double>(bytes) / std::max<double>(1, state.iterations());
}

void BM_Quotes150(benchmark::State& state) {
    std::vector<std::string> symbols;
    for (const auto& c : catalogue::Companies())
        if (!c.nseName.empty() && symbols.size() < 150)
            symbols.push_back(c.nseName + ".NS");
    Run(state, inet::BuildUrl(TheMarket().url, "/d/quotes.csv",
                              {{"s", text::Join(symbols, ",")}, {"f", "sl1d1t1c1ohgv"}}));
}
BENCHMARK(BM_Quotes150)->UseRealTime()->Unit(benchmark::kMicrosecond);

void BM_ChartData1d(benchmark::State& state) {
    Run(state, TheMarket().url + "/instrument/1.0/RELIANCE.NS/chartdata;type=quote;range=1d/csv/");
}
BENCHMARK(BM_ChartData1d)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace
