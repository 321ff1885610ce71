// Two machines on one data source: each runs the program in a process of its own, with its
// own data root, its own odbc.ini and its own component registry, and both odbc.ini files
// name the same database (a shared SQLite file here; a PostgreSQL server in the suite's
// PostgreSQL run). What the first stores, the second shows: the watch list saved at the
// first one's end, and a portfolio lot.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_bar_dlg.h"
#include "db/recordsets.h"
#include "db/watch_table.h"
#include "platform/base/clock.h"
#include "platform/inet/service_url.h"
#include "platform/ui/message_box.h"
#include "portfolio/core/portfolio_tables.h"
#include "portfolio/portfolio_pages.h"
#include "portfolio/profile_dlg.h"
#include "support/data_source_fixture.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/test_market.h"
#include "watch/watch_list_dlg.h"

namespace {

namespace fs = std::filesystem;
using testsupport::WaitUntil;

// One machine's program: the bar with its watch list and portfolio, on the market of the tests.
class Machine {
public:
    Machine() {
        m_market = testsupport::StartMarketAt();
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0)); // a Monday, market open
        ClearBarPages();
        RegisterWatchListPage();
        RegisterPortfolioPage();
        ui::SetNonInteractive(true);
        m_bar = std::make_unique<CMainBarDlg>();
        m_bar->SetShowSplash(false);
        QObject::connect(m_bar.get(), &CMainBarDlg::closed, [this](int) { m_closed = true; });
        m_bar->Create(true);
    }
    ~Machine() {
        m_bar.reset();
        ClearBarPages();
        Clock::Reset();
        inet::ResetMarketConfig();
    }

    bool Refreshed() {
        return m_market && WaitUntil([&] { return m_bar->RefreshCount() >= 1; });
    }
    CWatchListDlg& Watch() {
        return *dynamic_cast<CWatchListDlg*>(m_bar->Page(BarPage::Watchlist));
    }
    CProfileDlg* Portfolio() {
        m_bar->OnPageButton(BarPage::Profile);
        return dynamic_cast<CProfileDlg*>(m_bar->Page(BarPage::Profile));
    }
    // The user closes the bar: the watch list is saved, the pages go.
    bool Close() {
        m_bar->CloseBar();
        return WaitUntil([&] { return m_closed; });
    }

private:
    std::unique_ptr<marketserver::MarketServer> m_market;
    std::unique_ptr<CMainBarDlg> m_bar;
    bool m_closed = false;
};

bool Watches(CWatchListDlg& watch, const std::string& symbol) {
    for (const WatchListRow& row : watch.Rows())
        if (row.symbol == symbol)
            return true;
    return false;
}

// Run only as a machine of the test below (KORAVEL_TEST_MACHINE says which).
TEST(SharedDataSourceMachine, DISABLED_Run) {
    const char* role = std::getenv("KORAVEL_TEST_MACHINE");
    ASSERT_NE(role, nullptr);
    Machine machine;
    ASSERT_TRUE(machine.Refreshed());
    CProfileDlg* portfolio = machine.Portfolio();
    ASSERT_NE(portfolio, nullptr);
    if (std::string(role) == "first") {
        machine.Watch().AppendItem({"Infosys Ltd", "NSE", "INFY", 0, 0, 0});
        CProfileListset lots;
        portfolio::AddLots(lots, {"Infosys Ltd", "NSE", "INFY", 0, 0}, {{1500.25, 10}});
    } else {
        EXPECT_TRUE(Watches(machine.Watch(), "TCS"));
        EXPECT_TRUE(Watches(machine.Watch(), "INFY")) << "the first machine's list";
        ASSERT_EQ(portfolio->Lots(0).size(), 1u) << "the first machine's lot";
        EXPECT_EQ(portfolio->Lots(0)[0].symbol, "INFY");
        EXPECT_EQ(portfolio->Lots(0)[0].price, 1500.25);
        EXPECT_EQ(portfolio->Lots(0)[0].quantity, 10);
    }
    EXPECT_TRUE(machine.Close());
}

class SharedDataSourceTest : public DataSourceTest {
protected:
    // Runs one machine's program as a process of its own; whether it passed.
    bool RunMachine(const std::string& role) {
        const fs::path home = fs::path(m_dir.path()) / role;
        fs::create_directories(home);
        // The machine's own data source file, naming the one database of the test.
        fs::copy_file(std::getenv("ODBCINI"), home / "odbc.ini");
        const pid_t child = fork();
        if (child == 0) {
            setenv("KORAVEL_TEST_MACHINE", role.c_str(), 1);
            setenv("KORAVEL_ROOT", (home / "Koravel").c_str(), 1);
            setenv("ODBCINI", (home / "odbc.ini").c_str(), 1);
            setenv("KORAVEL_COM_REGISTRY", (home / "registry.ini").c_str(), 1);
            execl("/proc/self/exe", "program_tests", "--gtest_also_run_disabled_tests",
                  "--gtest_filter=SharedDataSourceMachine.DISABLED_Run",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }

    testsupport::TempDir m_dir;
};

TEST_F(SharedDataSourceTest, WhatOneMachineStoresTheOtherShows) {
    {
        CSelCompanyListset set;
        db::ReplaceWatchList(set, {{"Tata Consultancy Services Ltd", "NSE", "TCS", 0, 0, 0}});
    }
    ASSERT_TRUE(RunMachine("first"));
    EXPECT_EQ(Count("SelectedComp2Watch", "INDEXNAME='INFY'"), 1);
    EXPECT_EQ(Count("PROFILELIST", "INDEXNAME='INFY'"), 1);
    ASSERT_TRUE(RunMachine("second"));
}

} // namespace
