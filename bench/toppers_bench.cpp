// A full NSE toppers fetch of the catalogue against the simulated market on loopback: the
// wall time from GET LATEST DATA to the filled list, with every batch in flight at once and,
// as the baseline, one request at a time.
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <benchmark/benchmark.h>

#include "bench_summary.h"
#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "controls/quote_lists.h"
#include "db/recordsets.h"
#include "market/toppers_dlg.h"
#include "marketserver/market_server.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "platform/odbc/database.h"
#include "platform/ui/message_box.h"
#include "support/fake_bar.h"
#include "support/temp_dir.h"
#include "support/test_market.h"
#include "wall_clock.h"

namespace {

marketserver::MarketServer* g_market = nullptr;

// GET LATEST DATA, and the event loop run until every batch is in.
void FetchAll(CToppersDlg& page) {
    page.OnGetLatestData();
    while (page.IsFetching()) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
}

// state.range(0): milliseconds the market waits before each answer (0: loopback as it is;
// 100: roughly what a real service over the internet costs per request).
void RunFetches(benchmark::State& state, int batchLimit) {
    if (state.range(0) > 0)
        g_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, -1, "",
                                                     static_cast<int>(state.range(0))));
    FakeBar bar;
    CToppersDlg page(bar);
    page.SetBatchLimit(batchLimit);
    page.show();
    for (auto _ : state) {
        FetchAll(page);
        QApplication::processEvents(); // the filled list paints
    }
    state.counters["batches"] = page.BatchCount();
    state.counters["failed"] = page.BatchesFailed();
    state.counters["rows"] = page.List()->GetItemCount();
    g_market->ClearFaults();
}

void BM_ToppersNseAllBatchesAtOnce(benchmark::State& state) {
    RunFetches(state, 0);
}
BENCHMARK(BM_ToppersNseAllBatchesAtOnce)->Arg(0)->Arg(100)->Apply(benchsupport::WallClockMs);

void BM_ToppersNseOneRequestAtATime(benchmark::State& state) {
    RunFetches(state, 1);
}
BENCHMARK(BM_ToppersNseOneRequestAtATime)->Arg(0)->Arg(100)->Apply(benchsupport::WallClockMs);

// The network part alone: the same batches on worker threads, without the page, the data
// source or the list.
void RunBatchesOnly(benchmark::State& state, bool parallel) {
    ToppersTable table;
    std::vector<TopperCompany> companies;
    for (const auto& c : catalogue::Companies())
        if (!c.nseName.empty())
            companies.push_back({c.name, "NSE", c.nseName});
    table.Load(kToppersNse, companies);
    const auto jobs = CutToppersBatches(kToppersNse, static_cast<int>(companies.size()));
    const auto cancel = std::make_shared<std::atomic<bool>>(false);
    for (auto _ : state) {
        std::vector<std::thread> workers;
        for (const ToppersBatchJob& job : jobs) {
            workers.emplace_back([&, job] { RunToppersBatch(job, table, cancel); });
            if (!parallel)
                workers.back().join();
        }
        for (std::thread& t : workers)
            if (t.joinable())
                t.join();
    }
}

void BM_ToppersNseBatchesOnlyAtOnce(benchmark::State& state) {
    RunBatchesOnly(state, true);
}
BENCHMARK(BM_ToppersNseBatchesOnlyAtOnce)->Apply(benchsupport::WallClockMs);

void BM_ToppersNseBatchesOnlyOneAtATime(benchmark::State& state) {
    RunBatchesOnly(state, false);
}
BENCHMARK(BM_ToppersNseBatchesOnlyOneAtATime)->Apply(benchsupport::WallClockMs);

// Toppers of a catalogue of N companies with 200 ms per answer, as over the internet: the
// page's own cap on batches in flight and the market's pool decide how many rounds it takes.
// One batch alone is the yardstick.
void SeedCatalogue(int companies) {
    CDatabase db;
    db.Open(db::kDefaultConnect);
    db.ExecuteSQL("DELETE FROM CompanyList");
    std::vector<std::string> symbols;
    for (const auto& c : catalogue::Companies())
        if (!c.nseName.empty())
            symbols.push_back(c.nseName);
    for (int i = 0; i < companies; ++i)
        db.ExecuteSQL("INSERT INTO CompanyList (COMPNAME, NSENAME, BSENAME) VALUES ('Company " +
                      std::to_string(i) + "', '" +
                      symbols[static_cast<std::size_t>(i) % symbols.size()] + "', '')");
}

void BM_ToppersCatalogueAt200ms(benchmark::State& state) {
    SeedCatalogue(static_cast<int>(state.range(0)));
    g_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, -1, "", 200));
    FakeBar bar;
    CToppersDlg page(bar);
    page.show();
    for (auto _ : state) {
        FetchAll(page);
    }
    state.counters["batches"] = page.BatchCount();
    state.counters["failed"] = page.BatchesFailed();
    g_market->ClearFaults();
}
BENCHMARK(BM_ToppersCatalogueAt200ms)
    ->Arg(150)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(5000)
    ->Iterations(3)
    ->Apply(benchsupport::WallClockMs);

} // namespace

int main(int argc, char** argv) {
    benchsupport::OffscreenUnlessChosen();
    QApplication app(argc, argv);
    ui::SetNonInteractive(true);
    inet::GlobalInit();
    testsupport::TempDir dir;
    if (!benchsupport::MakeDataSource(dir, "root"))
        return 1;
    auto market = testsupport::StartMarketAt();
    if (!market)
        return 1;
    g_market = market.get();
    return benchsummary::Run(argc, argv, [](const benchsummary::Recorder& r) {
        const auto* one = r.Find("BM_ToppersCatalogueAt200ms/150/iterations:3/real_time");
        for (const char* n : {"500", "2000", "5000"})
            if (const auto* run = r.Find(std::string("BM_ToppersCatalogueAt200ms/") + n +
                                         "/iterations:3/real_time")) {
                benchsummary::Figure(std::string("toppers_") + n + "_seconds", run->realSeconds,
                                     "s");
                if (one)
                    benchsummary::Figure(std::string("toppers_") + n + "_in_batches",
                                         run->realSeconds / one->realSeconds, "x");
            }
    });
}
