// Parsing and formatting a large quote response, as the bar does for every refresh.
#include <benchmark/benchmark.h>

#include "marketserver/market_server.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"
#include "quotes/indian_number.h"
#include "quotes/quote_record.h"

namespace {

// 5000 lines of the 11-field form, from the simulated market's own formatter.
const std::vector<std::string>& Response() {
    static const std::vector<std::string> lines = [] {
        marketserver::MarketOptions o;
        o.seed = 7;
        sim::CivilSeconds start = 0;
        sim::VirtualClock::Parse("2026-12-07 11:00:00", start);
        o.clock = start;
        o.speed = 0;
        marketserver::MarketServer market(o);
        std::vector<std::string> symbols;
        for (const auto& s : market.Engine().universe().Symbols())
            symbols.push_back(s);
        std::string target = "/d/quotes.csv?s=";
        for (int i = 0; i < 5000; ++i)
            target += (i ? "," : "") +
                      inet::EncodeUrlText(symbols[static_cast<std::size_t>(i) % symbols.size()]);
        target += "&f=sl1d1t1c1ohgvjk";
        auto lines = text::SplitLines(market.QuoteResponse(target));
        if (lines.size() != 5000)
            std::abort();
        return lines;
    }();
    return lines;
}

void BM_ParseQuoteLine(benchmark::State& state) {
    const auto& lines = Response();
    std::vector<QuoteRecord> records(lines.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            ParseQuoteLine(lines[i], records[i]);
        benchmark::DoNotOptimize(records.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_ParseQuoteLine)->Unit(benchmark::kMillisecond);

void BM_FormatIndianNumber(benchmark::State& state) {
    const auto& lines = Response();
    std::vector<QuoteRecord> records(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        ParseQuoteLine(lines[i], records[i]);
    std::size_t chars = 0;
    for (auto _ : state) {
        for (const auto& r : records) {
            // The cells of one list row: price, change, open, high, low and volume.
            chars += FormatIndianNumber(r.last).size() + FormatIndianNumber(r.change).size() +
                     FormatIndianNumber(r.open).size() + FormatIndianNumber(r.high).size() +
                     FormatIndianNumber(r.low).size() + FormatIndianVolume(r.volume).size();
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * records.size()));
}
BENCHMARK(BM_FormatIndianNumber)->Unit(benchmark::kMillisecond);

} // namespace
