// A back-fill into the charting-program stand-in through the bridge, as the link's workers
// do it: one call per stock, a refresh of the charting program after every bar. 1 000, 10 000
// and 50 000 one-minute bars (50 000 is about a month of minutes for one stock).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "bench_summary.h"
#include "bridge/pellar.h"
#include "platform/com/com.h"
#include "platform/com/dispatch.h"
#include "support/temp_dir.h"
#include "wall_clock.h"

namespace {

std::string Bars(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(1796601600 + 60 * i) + ",101.5,102,100.5,101,1200*";
    return text;
}

void BM_BackfillBars(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string bars = Bars(count);
    for (auto _ : state) {
        state.PauseTiming();
        testsupport::TempDir root;
        setenv("KORAVEL_ROOT", root.path().c_str(), 1);
        com::ComPtr<_clsdll> bridge;
        if (CoCreateInstance(CLSID_clsdll, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll,
                             bridge.PutVoid()) != S_OK) {
            state.SkipWithError("the bridge is not registered");
            return;
        }
        com::Variant r;
        com::Bstr list("X,");
        bridge->fnAddStocks(list.Address(), &r);
        com::Bstr name("X"), text(bars);
        state.ResumeTiming();
        if (FAILED(bridge->fnAddQuotationsforBackFill(name.Address(), text.Address(), &r)))
            state.SkipWithError("the back-fill failed");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_BackfillBars)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(50000)
    ->Iterations(1)
    ->Apply(benchsupport::WallClockMs);

} // namespace

int main(int argc, char** argv) {
    testsupport::TempDir registry;
    setenv("KORAVEL_COM_REGISTRY", registry.file("registry.ini").c_str(), 1);
    for (const char* lib : {PELLAR_LIBRARY, CHARTSTORE_LIBRARY})
        if (RegisterServerLibrary(lib) != S_OK) {
            std::fprintf(stderr, "cannot register %s\n", lib);
            return 1;
        }
    return benchsummary::Run(argc, argv, [](const benchsummary::Recorder& r) {
        for (const char* n : {"1000", "10000", "50000"})
            if (const auto* run =
                    r.Find(std::string("BM_BackfillBars/") + n + "/iterations:1/real_time"))
                benchsummary::Figure(std::string("backfill_") + n + "_bars_seconds",
                                     run->realSeconds, "s");
    });
}
