// The watch list's refresh with a full list, and the ticker's appetite for processor time.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include "app/core/ticker_rules.h"
#include "app/scrolling_text.h"
#include "bench_summary.h"
#include "bench_support.h"
#include "platform/base/clock.h"
#include "platform/ui/message_box.h"
#include "support/fake_bar.h"
#include "support/temp_dir.h"
#include "watch/watch_list_ctrl.h"
#include "watch/watch_list_dlg.h"

namespace {

// One refresh of 50 companies: rows rebuilt, every cell's colour worked out and the list
// painted as a user would see it.
void BM_RefreshWatchList50(benchmark::State& state) {
    FakeBar bar;
    CWatchListDlg page(bar);
    for (int i = 0; i < 50; ++i)
        page.AppendItem({"Company " + std::to_string(i), "NSE", "SYM" + std::to_string(i),
                         i % 3 == 0, 90, 110});
    for (int i = 0; i < 50; ++i) {
        QuoteRecord& q = page.QuoteSlot(i);
        q.last = 100 + i * 0.37;
        q.change = static_cast<float>(i % 5 - 2);
        q.high = 105;
        q.low = 95;
        q.volume = 100000 * i;
    }
    page.resize(page.size());
    page.show();
    for (auto _ : state) {
        page.RefreshWatchList();
        int colours = 0;
        for (int r = 0; r < page.List()->GetItemCount(); ++r)
            for (int c = 0; c < kWatchColumns; ++c)
                colours += static_cast<int>(page.List()->CellColor(r, c).background & 1);
        benchmark::DoNotOptimize(colours);
        benchmark::DoNotOptimize(page.List()->grab());
    }
}
BENCHMARK(BM_RefreshWatchList50)->Unit(benchmark::kMillisecond);

double CpuSeconds(bool system = true, bool user = true) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    double s = 0;
    if (user)
        s += static_cast<double>(u.ru_utime.tv_sec) + static_cast<double>(u.ru_utime.tv_usec) / 1e6;
    if (system)
        s += static_cast<double>(u.ru_stime.tv_sec) + static_cast<double>(u.ru_stime.tv_usec) / 1e6;
    return s;
}

// The ticker scrolling ten watched shares at speed 500 for ten seconds: per cent of one core.
void BM_TickerCpuAtSpeed500(benchmark::State& state) {
    for (auto _ : state) {
        CScrollingText scroller;
        scroller.resize(710, 24);
        scroller.SetBkColor(0xFFFFFF);
        std::vector<QuoteRecord> quotes(10);
        for (int i = 0; i < 10; ++i) {
            quotes[i].symbol = "SHARE" + std::to_string(i) + ".NS";
            quotes[i].last = 1000 + i;
            quotes[i].change = static_cast<float>(i - 5);
        }
        for (const TickerTextItem& item : TickerItems(quotes))
            scroller.AddItem(item);
        scroller.show();
        scroller.SetSpeed(500);
        const double cpu0 = CpuSeconds(), sys0 = CpuSeconds(true, false);
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(qEnvironmentVariableIntValue("KORAVEL_TICKER_BENCH_MS") > 0
                               ? qEnvironmentVariableIntValue("KORAVEL_TICKER_BENCH_MS")
                               : 10000,
                           &loop, &QEventLoop::quit);
        loop.exec();
        const double share = (CpuSeconds() - cpu0) / (wall.elapsed() / 1000.0);
        state.counters["cpu_percent_of_one_core"] = share * 100;
        state.counters["system_part_percent"] =
            (CpuSeconds(true, false) - sys0) / (wall.elapsed() / 1000.0) * 100;
        scroller.SetSpeed(0);
    }
}
BENCHMARK(BM_TickerCpuAtSpeed500)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchsupport::OffscreenUnlessChosen();
    QApplication app(argc, argv);
    ui::SetNonInteractive(true);
    // A data source of its own, so the page loads and saves somewhere harmless.
    testsupport::TempDir dir;
    benchsupport::MakeDataSource(dir, "root");
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    return benchsummary::Run(argc, argv, [](const benchsummary::Recorder& r) {
        if (const auto* run = r.Find("BM_TickerCpuAtSpeed500/iterations:1/real_time"))
            benchsummary::Figure("ticker_cpu_percent_of_one_core",
                                 run->counters.at("cpu_percent_of_one_core"), "%");
    });
}
