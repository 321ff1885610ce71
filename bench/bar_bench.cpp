// The bar's start-up to its first painted rows with data, and the user-interface thread's
// share of one refresh (the completion handler with the bar alone).
#include <QApplication>
#include <QThread>
#include <benchmark/benchmark.h>

#include "app/main_bar_dlg.h"
#include "bench_support.h"
#include "marketserver/market_server.h"
#include "platform/base/clock.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "quotes/line_fetch.h"
#include "support/test_market.h"
#include "wall_clock.h"

namespace {

marketserver::MarketServer* g_market = nullptr;

void BM_StartToFirstPaintedRefresh(benchmark::State& state) {
    for (auto _ : state) {
        CMainBarDlg bar;
        bar.SetShowSplash(false);
        bar.Create(true);
        if (!benchsupport::Wait([&] { return bar.RefreshCount() >= 1; })) {
            state.SkipWithError("no refresh");
            break;
        }
        benchmark::DoNotOptimize(bar.grab()); // the rows painted with their data
        state.PauseTiming();
        bar.CloseBar();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstPaintedRefresh)->Iterations(10)->Apply(benchsupport::WallClockMs);

void BM_RefreshHandlerBarAlone(benchmark::State& state) {
    CMainBarDlg bar;
    bar.SetShowSplash(false);
    bar.Create(true);
    benchsupport::Wait([&] { return bar.RefreshCount() >= 1; });
    bar.KillTimer(CMainBarDlg::kRefreshTimer);
    const std::vector<std::string> answer = {
        "\"^NSEI\",24666.95,\"12/7/"
        "2026\",\"11:00am\",-1.91,24720.43,24724.17,24646.46,0,23460.37,26590.38",
        "\"^BSESN\",84422.86,\"12/7/"
        "2026\",\"11:00am\",-178.67,84774.73,84774.73,84406.13,0,77012.10,88011.35",
        "\"USDINR=X\",90.4123,\"12/7/"
        "2026\",\"11:00am\",+0.0922,90.3814,90.4387,90.2807,0,87.8138,91.5336"};
    for (auto _ : state) {
        for (const auto& line : answer)
            QuoteLines.Add(line);
        ui::postMessage(&bar, msg::WM_QUOTES_READY, 1, 0);
        QCoreApplication::sendPostedEvents(&bar);
        QCoreApplication::processEvents(); // the list's repaint
    }
    bar.CloseBar();
}
BENCHMARK(BM_RefreshHandlerBarAlone)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchsupport::OffscreenUnlessChosen();
    QApplication app(argc, argv);
    inet::GlobalInit();
    auto market = testsupport::StartMarketAt();
    if (!market)
        return 1;
    g_market = market.get();
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
