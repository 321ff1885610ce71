// One refresh of the whole program on the user-interface thread, with about 150 symbols as
// a heavy user has them: the bar, 50 watched shares, 48 portfolio lots, the world page (26)
// and the indices (22). The handler of the answer and the repaint after it are timed apart,
// with and without the watch list's logs. And the program's start to its first painted
// quotes, as a separate process.
#include <chrono>
#include <cstdio>
#include <string>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QProcess>
#include <benchmark/benchmark.h>

#include "app/main_bar_dlg.h"
#include "bench_summary.h"
#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "db/recordsets.h"
#include "market/market_pages.h"
#include "marketserver/market_server.h"
#include "platform/base/clock.h"
#include "platform/inet/internet_session.h"
#include "platform/inet/service_url.h"
#include "platform/odbc/database.h"
#include "platform/ui/message_box.h"
#include "platform/ui/post_message.h"
#include "portfolio/portfolio_pages.h"
#include "quotes/line_fetch.h"
#include "support/temp_dir.h"
#include "support/test_market.h"
#include "wall_clock.h"
#include "watch/watch_list_dlg.h"

namespace {

marketserver::MarketServer* g_market = nullptr;
std::string g_dataRoot;

// 50 watched NSE shares and 48 delivery lots with a broker, in the data source.
void SeedLists() {
    CDatabase db;
    db.Open(db::kDefaultConnect);
    db.ExecuteSQL("DELETE FROM SelectedComp2Watch");
    db.ExecuteSQL("DELETE FROM PROFILELIST");
    db.ExecuteSQL("INSERT INTO BROKERLIST (BROKERNAME, DELIVERY_BUY_BROKERAGE, "
                  "DELIVERY_SELL_BROKERAGE) VALUES ('Bench Broker', 0.5, 0.5)");
    int watched = 0, lots = 0;
    for (const auto& c : catalogue::Companies()) {
        if (c.nseName.empty() || c.name.find('\'') != std::string::npos)
            continue;
        if (watched < 50)
            db.ExecuteSQL("INSERT INTO SelectedComp2Watch (COMPNAME, [INDEX], INDEXNAME, "
                          "ALERTSETTING, LOWERLIMIT, UPPERLIMIT) VALUES ('" +
                          c.name + "', 'NSE', '" + c.nseName + "', 0, 0, 0)");
        else if (lots < 48)
            db.ExecuteSQL("INSERT INTO PROFILELIST (COMPNAME, [INDEX], INDEXNAME, DELIVERYTYPE, "
                          "PRICE, QUANTITY, BROKERID) VALUES ('" +
                          c.name + "', 'NSE', '" + c.nseName + "', 0, 100, 10, 1)");
        else
            break;
        if (watched < 50)
            ++watched;
        else
            ++lots;
    }
}

struct Program {
    CMainBarDlg bar;
    // Two answers to the same request, 15 seconds of market time apart: the refreshes
    // alternate between them, so every one brings new prices, as the market's do.
    std::vector<std::string> answers[2];

    Program() {
        bar.SetShowSplash(false);
        bar.Create(true);
        benchsupport::Wait([&] { return bar.RefreshCount() >= 1; }, 30000);
        for (BarPage p : {BarPage::Profile, BarPage::World, BarPage::Indices})
            bar.OnPageButton(p);
        bar.OnPageButton(BarPage::Watchlist); // the watch list is what the user looks at
        const int before = bar.RefreshCount();
        bar.StartQuoteFetch();
        benchsupport::Wait([&] { return bar.RefreshCount() > before && !bar.IsFetchBusy(); },
                           30000);
        bar.KillTimer(CMainBarDlg::kRefreshTimer);
        // The answers to the request of all four pages, kept to be handed over again.
        CInternetSession session("bench");
        answers[0] = inet::ReadAllLines(session, bar.BuildBarRequest());
        {
            auto later = testsupport::StartMarketAt("2026-12-07 11:00:15");
            answers[1] = inet::ReadAllLines(session, bar.BuildBarRequest());
        }
        inet::ResetMarketConfig();
        inet::SetCommandLineMarket(g_market->BaseUrl());
    }
    CWatchListDlg& Watch() { return *dynamic_cast<CWatchListDlg*>(bar.Page(BarPage::Watchlist)); }
};

Program* g_program = nullptr;

void RunRefreshes(benchmark::State& state, bool logging) {
    Program& p = *g_program;
    for (int id : {IDC_WL_INTRADAY, IDC_WL_LIVEDATA})
        if (p.Watch().Control<QCheckBox>(id)->isChecked() != logging)
            p.Watch().Control<QCheckBox>(id)->click();
    p.bar.BuildBarRequest(); // the pages asked for, as a fetch would have them
    double handler = 0, repaint = 0;
    std::size_t next = 0;
    for (auto _ : state) {
        for (const std::string& line : p.answers[next++ % 2])
            QuoteLines.Add(line);
        ui::postMessage(&p.bar, msg::WM_QUOTES_READY, 1, 0);
        const auto t0 = std::chrono::steady_clock::now();
        QCoreApplication::sendPostedEvents(&p.bar);
        const auto t1 = std::chrono::steady_clock::now();
        QCoreApplication::processEvents(); // the lists paint what changed
        const auto t2 = std::chrono::steady_clock::now();
        handler += std::chrono::duration<double, std::milli>(t1 - t0).count();
        repaint += std::chrono::duration<double, std::milli>(t2 - t1).count();
    }
    state.counters["handler_ms"] = handler / static_cast<double>(state.iterations());
    state.counters["repaint_ms"] = repaint / static_cast<double>(state.iterations());
    state.counters["lines"] = static_cast<double>(p.answers[0].size());
    int changed = 0;
    for (std::size_t i = 0; i < p.answers[0].size() && i < p.answers[1].size(); ++i)
        changed += p.answers[0][i] != p.answers[1][i];
    state.counters["changed"] = changed;
}

void BM_Refresh150(benchmark::State& state) {
    RunRefreshes(state, false);
}
BENCHMARK(BM_Refresh150)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_Refresh150Logging(benchmark::State& state) {
    RunRefreshes(state, true);
}
BENCHMARK(BM_Refresh150Logging)->Unit(benchmark::kMillisecond)->MinTime(2);

// The program as a user starts it (its own data source with 16 watched shares), from the
// process's start to its first quotes on screen, as it reports them.
void BM_ProcessStartToFirstQuotes(benchmark::State& state) {
    double reported = 0;
    for (auto _ : state) {
        QProcess koravel;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KORAVEL_REPORT_FIRST_PAINT", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        koravel.setProcessEnvironment(env);
        koravel.start(KORAVEL_BIN, {"--nosplash"});
        koravel.waitForStarted();
        QByteArray err;
        QElapsedTimer t;
        t.start();
        while (!err.contains("first quotes painted") && t.elapsed() < 20000 &&
               koravel.state() == QProcess::Running) {
            koravel.waitForReadyRead(100);
            err += koravel.readAllStandardError();
        }
        state.PauseTiming();
        const int at = err.indexOf("painted ");
        if (at >= 0)
            reported += err.mid(at + 8).split(' ').front().toDouble();
        koravel.terminate();
        koravel.waitForFinished(10000);
        state.ResumeTiming();
    }
    state.counters["reported_ms"] = reported / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ProcessStartToFirstQuotes)->Iterations(5)->Apply(benchsupport::WallClockMs);

} // namespace

int main(int argc, char** argv) {
    benchsupport::OffscreenUnlessChosen();
    testsupport::TempDir home;
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        setenv(v, home.path().c_str(), 1);
    g_dataRoot = home.file("Koravel");
    setenv("KORAVEL_ROOT", g_dataRoot.c_str(), 1);
    setenv("KORAVEL_COM_REGISTRY", home.file("registry.ini").c_str(), 1);
    QApplication app(argc, argv);
    ui::SetNonInteractive(true);
    inet::GlobalInit();
    if (!benchsupport::MakeDataSource(home, "Koravel"))
        return 1;
    SeedLists();
    auto market = testsupport::StartMarketAt();
    if (!market)
        return 1;
    g_market = market.get();
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    RegisterWatchListPage();
    RegisterPortfolioPage();
    RegisterMarketPages();
    int status = 0;
    {
        Program program;
        g_program = &program;
        status = benchsummary::Run(argc, argv, [](const benchsummary::Recorder& r) {
            for (const auto& [name, label] :
                 {std::pair{"BM_Refresh150/min_time:2.000", "refresh150"},
                  std::pair{"BM_Refresh150Logging/min_time:2.000", "refresh150_logging"}})
                if (const auto* run = r.Find(name)) {
                    benchsummary::Figure(std::string(label) + "_handler_ms",
                                         run->counters.at("handler_ms"), "ms");
                    benchsummary::Figure(std::string(label) + "_repaint_ms",
                                         run->counters.at("repaint_ms"), "ms");
                }
            if (const auto* run = r.Find("BM_ProcessStartToFirstQuotes/iterations:5/real_time"))
                benchsummary::Figure("start_to_first_quotes_ms", run->counters.at("reported_ms"),
                                     "ms");
        });
        g_program = nullptr;
        program.bar.CloseBar();
    }
    return status;
}
