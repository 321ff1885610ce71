// Parsing and formatting a large quote response, as the bar does for every refresh.
#include <charconv>
#include <string_view>

#include <benchmark/benchmark.h>

#include "bench_summary.h"
#include "marketserver/market_server.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"
#include "quotes/indian_number.h"
#include "quotes/quote_record.h"
#include "support/test_market.h"

namespace {

// 5000 lines of the 11-field form, from the simulated market's own formatter.
const std::vector<std::string>& Response() {
    static const std::vector<std::string> lines = [] {
        marketserver::MarketServer market(testsupport::MarketOptionsAt());
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

// ---- the whole job per line, against a plain reference in the same run ----------------

// The reference: the same records and texts from the most direct code the standard library
// allows (a split on commas, from_chars, snprintf-free grouping), with no care for the odd
// lines the program must also read as the C library does. The program's reading must come
// within reach of it.
struct RefRecord {
    std::string symbol, date, time;
    double last = 0, open = 0, high = 0, low = 0, yearLow = 0, yearHigh = 0;
    float change = 0;
    std::int32_t volume = 0;
};

std::string_view Unquoted(std::string_view v) {
    return v.size() >= 2 && v.front() == '"' ? v.substr(1, v.size() - 2) : v;
}

double RefNumber(std::string_view v) {
    if (!v.empty() && v.front() == '+')
        v.remove_prefix(1);
    double d = 0;
    std::from_chars(v.data(), v.data() + v.size(), d);
    return d;
}

void RefParse(std::string_view line, RefRecord& r) {
    std::string_view f[11];
    for (int i = 0; i < 11; ++i) {
        const std::size_t comma = line.find(',');
        f[i] = line.substr(0, comma);
        line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    }
    r.symbol.assign(Unquoted(f[0]));
    r.last = RefNumber(f[1]);
    r.date.assign(Unquoted(f[2]));
    r.time.assign(Unquoted(f[3]));
    r.change = static_cast<float>(RefNumber(f[4]));
    r.open = RefNumber(f[5]);
    r.high = RefNumber(f[6]);
    r.low = RefNumber(f[7]);
    std::from_chars(f[8].data(), f[8].data() + f[8].size(), r.volume);
    r.yearLow = RefNumber(f[9]);
    r.yearHigh = RefNumber(f[10]);
}

std::string RefIndian(double v) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    std::string_view s(buf, static_cast<std::size_t>(res.ptr - buf));
    std::string out;
    if (!s.empty() && s.front() == '-') {
        out.push_back('-');
        s.remove_prefix(1);
    }
    const std::size_t point = s.find('.');
    if (s.size() > 6 && point != std::string_view::npos && point > 3) {
        std::size_t lead = (point - 3) % 2 == 0 ? 2 : 1;
        out.append(s.substr(0, lead));
        for (std::size_t i = lead; i + 3 < point; i += 2)
            out.append(",").append(s.substr(i, 2));
        out.append(",").append(s.substr(point - 3));
    } else {
        out.append(s);
    }
    return out;
}

// A quote line read and its six list cells made: the work of one row at every refresh.
void BM_LineToCells(benchmark::State& state) {
    const auto& lines = Response();
    QuoteRecord r;
    std::size_t chars = 0;
    for (auto _ : state) {
        for (const std::string& line : lines) {
            ParseQuoteLine(line, r);
            chars += FormatIndianNumber(r.last).size() + FormatIndianNumber(r.change).size() +
                     FormatIndianNumber(r.open).size() + FormatIndianNumber(r.high).size() +
                     FormatIndianNumber(r.low).size() + FormatIndianVolume(r.volume).size();
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_LineToCells)->Unit(benchmark::kMillisecond);

void BM_LineToCellsReference(benchmark::State& state) {
    const auto& lines = Response();
    RefRecord r;
    std::size_t chars = 0;
    for (auto _ : state) {
        for (const std::string& line : lines) {
            RefParse(line, r);
            chars += RefIndian(r.last).size() + RefIndian(r.change).size() +
                     RefIndian(r.open).size() + RefIndian(r.high).size() + RefIndian(r.low).size() +
                     RefIndian(static_cast<double>(r.volume)).size() - 3;
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_LineToCellsReference)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return benchsummary::Run(argc, argv, [](const benchsummary::Recorder& r) {
        const auto* own = r.Find("BM_LineToCells");
        const auto* ref = r.Find("BM_LineToCellsReference");
        if (!own || !ref)
            return;
        const double lines = static_cast<double>(Response().size());
        benchsummary::Figure("line_to_cells_lines_per_s", lines / own->cpuSeconds, "lines/s");
        benchsummary::Figure("reference_lines_per_s", lines / ref->cpuSeconds, "lines/s");
        benchsummary::Figure("ratio_to_reference", ref->cpuSeconds / own->cpuSeconds, "x");
    });
}