#include <filesystem>

#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include "amibroker/amibroker_link_dlg.h"
#include "amibroker/core/link_rules.h"
#include "app/main_bar_dlg.h"
#include "db/watch_table.h"
#include "marketserver/market_server.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"
#include "support/program_fixture.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/test_market.h"
#include "support/ui_hooks.h"
#include "watch/watch_list_dlg.h"

namespace {

using testsupport::MessageBoxRecorder;
using testsupport::ReadFile;
using testsupport::WaitUntil;

// The bar with its watch list against the simulated market, the bridge and the
// charting-program stand-in registered in a registry of the test's own.
class LinkDialogTest : public testsupport::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure())
            return;
        for (const char* lib : {PELLAR_LIBRARY, CHARTSTORE_LIBRARY})
            ASSERT_EQ(RegisterServerLibrary(lib), S_OK);
        RegisterWatchListPage();
        amilink::BackfillWorkers::RunFlag() = 0;
    }
    void TearDown() override {
        m_dlg.reset();
        m_bar.reset();
        ProgramTest::TearDown();
    }

    void Watch(const std::vector<WatchItem>& items) {
        CSelCompanyListset set;
        db::ReplaceWatchList(set, items);
    }
    CAmiBrokerLinkDlg& Start() {
        m_bar = std::make_unique<CMainBarDlg>();
        m_bar->SetShowSplash(false);
        m_bar->Create(true);
        EXPECT_TRUE(WaitUntil([&] { return m_bar->RefreshCount() >= 1; }));
        m_dlg = std::make_unique<CAmiBrokerLinkDlg>(*m_bar);
        m_dlg->Open();
        return *m_dlg;
    }
    std::string Store(const std::string& file) {
        return ReadFile(m_dir.file("ChartStore/" + file));
    }
    std::vector<std::string> ChartDataAsked() {
        std::vector<std::string> out;
        for (const auto& e : m_market->RequestLog())
            if (text::StartsWith(e.path, "/instrument/")) {
                EXPECT_EQ(e.userAgent, "Backfill Session");
                out.push_back(e.path);
            }
        return out;
    }
    bool Done(CAmiBrokerLinkDlg& dlg) {
        return WaitUntil([&] {
            return dlg.BackfillStatus() == "BackFill Done!!!" ||
                   dlg.BackfillStatus() == "BACKFILL Stopped";
        });
    }

    std::unique_ptr<CMainBarDlg> m_bar;
    std::unique_ptr<CAmiBrokerLinkDlg> m_dlg;
};

TEST_F(LinkDialogTest, SynchroniseAndBackfillTheWatchedNseShares) {
    Watch({{"Tata Consultancy Services Ltd", "NSE", "TCS", 0, 0, 0},
           {"State Bank of India", "BSE", "SBIN", 0, 0, 0}});
    CAmiBrokerLinkDlg& dlg = Start();
    ASSERT_TRUE(dlg.HasBridge());
    dlg.OnSynchronize();
    EXPECT_EQ(Store("Stocks.txt"), "TCS\nNIFTY\nSENSEX\n");

    dlg.OnBackfill(1);
    ASSERT_TRUE(Done(dlg));
    EXPECT_EQ(dlg.BackfillStatus(), "BackFill Done!!!");
    EXPECT_EQ(dlg.Position(), 0);
    EXPECT_EQ(dlg.Count(), 2);
    EXPECT_EQ(ChartDataAsked(), (std::vector<std::string>{
                                    "/instrument/1.0/^NSEI/chartdata;type=quote;range=1d/csv/",
                                    "/instrument/1.0/^BSESN/chartdata;type=quote;range=1d/csv/",
                                    "/instrument/1.0/TCS.NS/chartdata;type=quote;range=1d/csv/"}))
        << "the BSE share is not fetched";
    const auto bars = text::SplitLines(Store("TCS.txt"));
    ASSERT_EQ(bars.size(), 105u) << "09:15 to 11:00, minute by minute";
    EXPECT_EQ(bars.front().substr(0, 22), "TCS,20261207,09:15:00,") << "stamps in Indian time";
    EXPECT_TRUE(dlg.Control<QPushButton>(IDC_AB_SYNC)->isEnabled());
    EXPECT_FALSE(dlg.Control<QPushButton>(IDC_AB_STOP_BACKFILL)->isEnabled());
}

TEST_F(LinkDialogTest, StoppedBackfillResumesInItsModeAndRestartsInTheOther) {
    CAmiBrokerLinkDlg& dlg = Start(); // an empty watch list: NIFTY, SENSEX, done
    dlg.OnSynchronize();
    dlg.OnBackfill(1);
    dlg.OnStopBackfill(); // while the first step's worker runs
    ASSERT_TRUE(Done(dlg));
    EXPECT_EQ(dlg.BackfillStatus(), "BACKFILL Stopped");
    // Stopped before or after NIFTY went: the run resumes with the first step not sent.
    const int resumeAt = dlg.Position();
    ASSERT_TRUE(resumeAt == 0 || resumeAt == 1) << resumeAt;
    m_market->ClearLog();
    dlg.OnBackfill(1);
    ASSERT_TRUE(Done(dlg));
    std::vector<std::string> expected = {
        "/instrument/1.0/^NSEI/chartdata;type=quote;range=1d/csv/",
        "/instrument/1.0/^BSESN/chartdata;type=quote;range=1d/csv/"};
    expected.erase(expected.begin(), expected.begin() + resumeAt);
    EXPECT_EQ(ChartDataAsked(), expected);

    // STOP pressed again while the first press waits steps back once, not twice: the
    // resumed run sends no completed stock again.
    {
        std::unique_lock busy(amilink::BackfillBridge().mutex); // holds the worker of step 0
        dlg.OnBackfill(1);
        ASSERT_EQ(dlg.Position(), 1);
        testsupport::Pump(200); // the worker is past its run flag, waiting for the bridge
        QTimer::singleShot(30, [&] { dlg.OnStopBackfill(); }); // the second press
        QTimer::singleShot(90, [&] { busy.unlock(); });
        dlg.OnStopBackfill();
    }
    ASSERT_TRUE(Done(dlg));
    m_market->ClearLog();
    dlg.OnBackfill(1);
    ASSERT_TRUE(Done(dlg));
    EXPECT_EQ(ChartDataAsked(),
              std::vector<std::string>{"/instrument/1.0/^BSESN/chartdata;type=quote;range=1d/csv/"})
        << "NIFTY went before the stop";

    dlg.OnBackfill(1);
    dlg.OnStopBackfill();
    ASSERT_TRUE(Done(dlg));
    m_market->ClearLog();
    dlg.OnBackfill(5); // the other kind starts from NIFTY
    ASSERT_TRUE(Done(dlg));
    EXPECT_EQ(ChartDataAsked().front(), "/instrument/1.0/^NSEI/chartdata;type=quote;range=5d/csv/");
    // Five days of 5-minute bars beside the day's minute bars; the 21 shared moments count once.
    EXPECT_EQ(text::SplitLines(Store("SENSEX.txt")).size(), 105u + (4u * 75 + 21) - 21);
}

TEST_F(LinkDialogTest, DeleteAllAsksAndStartStopDriveTheFeed) {
    Watch({{"Tata Consultancy Services Ltd", "NSE", "TCS", 0, 0, 0}});
    CAmiBrokerLinkDlg& dlg = Start();
    dlg.OnSynchronize();
    MessageBoxRecorder boxes;
    boxes.Answer(ui::IDNO);
    dlg.OnDeleteAll();
    EXPECT_EQ(Store("Stocks.txt"), "TCS\nNIFTY\nSENSEX\n");
    EXPECT_NE(boxes.Texts().back().find("DELETE ALL current configured Stocks"), std::string::npos);

    dlg.OnStart();
    EXPECT_TRUE(m_bar->IsLiveFeedStarted());
    EXPECT_FALSE(dlg.Control<QPushButton>(IDC_AB_SYNC)->isEnabled());
    EXPECT_FALSE(dlg.Control<QPushButton>(IDC_AB_KILL_ALL)->isEnabled());
    EXPECT_TRUE(dlg.Control<QPushButton>(IDC_AB_STOP)->isEnabled());

    // Two refreshes in market hours: the second has previous prices, so TCS gets a bar.
    auto* watch = dynamic_cast<CWatchListDlg*>(m_bar->Page(BarPage::Watchlist));
    ASSERT_NE(watch, nullptr);
    for (int i = 0; i < 2; ++i) {
        const int n = m_bar->RefreshCount();
        m_bar->StartQuoteFetch();
        ASSERT_TRUE(WaitUntil([&] { return m_bar->RefreshCount() > n; }));
    }
    ASSERT_TRUE(WaitUntil([&] { return text::SplitLines(Store("TCS.txt")).size() >= 1; }));
    EXPECT_GE(watch->FeedCycles(), 2);
    EXPECT_TRUE(boxes.Texts().size() == 1) << "no error from the feed";

    // A refresh that finds the previous worker still sending is not fed.
    ASSERT_TRUE(WaitUntil([&] { return !watch->IsFeedSending(); }));
    {
        std::unique_lock busy(amilink::FeedBridge().mutex); // holds the next worker up
        const int before = watch->FeedCycles();
        watch->OnBarRefresh();
        EXPECT_EQ(watch->FeedCycles(), before + 1);
        EXPECT_TRUE(watch->IsFeedSending());
        watch->OnBarRefresh();
        EXPECT_EQ(watch->FeedCycles(), before + 1) << "skipped while the worker runs";
    }
    ASSERT_TRUE(WaitUntil([&] { return !watch->IsFeedSending(); }));

    // On a Saturday no cycle runs.
    Clock::SetFixed(MakeLocalTime(2026, 12, 5, 11, 0, 0));
    const int cycles = watch->FeedCycles();
    watch->OnBarRefresh();
    EXPECT_EQ(watch->FeedCycles(), cycles);

    dlg.OnStop();
    EXPECT_FALSE(m_bar->IsLiveFeedStarted());
    boxes.Answer(ui::IDYES);
    dlg.OnDeleteAll();
    EXPECT_EQ(Store("Stocks.txt"), "");
}

TEST_F(LinkDialogTest, WithoutTheBridgeTheDialogSaysSo) {
    ASSERT_EQ(RegisterServerLibrary(PELLAR_LIBRARY, true), S_OK);
    MessageBoxRecorder boxes;
    CAmiBrokerLinkDlg& dlg = Start();
    EXPECT_FALSE(dlg.HasBridge());
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                 "SORRY !!! Problem with COM DLL!!!\nThis feature is not available "
                                 "without proper installation of this Dll"});
}

TEST_F(LinkDialogTest, WithoutTheChartingProgramTheBackfillBridgeIsMadeAgain) {
    ASSERT_EQ(RegisterServerLibrary(CHARTSTORE_LIBRARY, true), S_OK);
    amilink::BackfillBridge().ready = true; // made by an earlier run
    MessageBoxRecorder boxes;
    Start();
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  "SORRY !!! Either AmiBroker is not RUNNING or Problem with COM DLL!!!\nAmiBroker "
                  "related functionality will not be available."});
    EXPECT_FALSE(amilink::BackfillBridge().ready);
}

} // namespace
