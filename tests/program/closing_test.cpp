// The program's end from wherever the user stands: a termination signal while a dialog,
// a nested dialog, a box or a worker's box is up ends the program promptly, with the
// watch list saved and nothing destroyed under a running dialog.
#include <csignal>
#include <functional>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

#include "amibroker/amibroker_link_dlg.h"
#include "amibroker/core/bridge_workers.h"
#include "app/main_bar_dlg.h"
#include "app/shell/program.h"
#include "db/watch_table.h"
#include "market/market_pages.h"
#include "platform/com/com.h"
#include "portfolio/portfolio_pages.h"
#include "portfolio/profile_dlg.h"
#include "support/program_fixture.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/test_market.h"
#include "support/ui_hooks.h"
#include "watch/search_company_dlg.h"
#include "watch/watch_list_ctrl.h"
#include "watch/watch_list_dlg.h"

namespace {

using testsupport::WaitUntil;

class ClosingTest : public testsupport::ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (HasFatalFailure())
            return;
        RegisterWatchListPage();
        RegisterPortfolioPage();
        RegisterMarketPages();
        RegisterAmiBrokerLink();
        CSelCompanyListset set;
        db::ReplaceWatchList(set, {{"Tata Consultancy Services Ltd", "NSE", "TCS", 0, 0, 0}});
    }
    void TearDown() override {
        ui::SetNonInteractive(true);
        m_bar.reset();
        ProgramTest::TearDown();
        amilink::BackfillWorkers::RunFlag() = 0;
    }

    CMainBarDlg& StartBar() {
        m_bar = std::make_unique<CMainBarDlg>();
        m_bar->SetShowSplash(false);
        QObject::connect(m_bar.get(), &CMainBarDlg::closed, [this](int) { m_closed = true; });
        m_bar->Create(true);
        EXPECT_TRUE(WaitUntil([&] { return m_bar->RefreshCount() >= 1; }));
        return *m_bar;
    }
    CWatchListDlg& Watch() {
        return *dynamic_cast<CWatchListDlg*>(m_bar->Page(BarPage::Watchlist));
    }

    // Runs `open` (which shows something modal and waits in it), sends SIGTERM once a modal
    // loop has stood for a moment, and checks the end: prompt, every loop unwound, the
    // watch list saved with the company added just before.
    void EndWhileOpen(const std::function<void()>& open, int depth = 1) {
        TerminationSignals signalsEnd(*m_bar);
        Watch().AppendItem({"Infosys Ltd", "NSE", "INFY", 0, 0, 0}); // in memory only so far
        ui::SetNonInteractive(false); // boxes really open, as for a user
        bool returned = false;
        QTimer::singleShot(0, m_bar.get(), [&] {
            open();
            returned = true;
        });
        QElapsedTimer sinceSignal;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!sinceSignal.isValid() && ui::ModalDepth() >= depth) {
                sinceSignal.start();
                std::raise(SIGTERM);
            }
        });
        poll.start(20);
        ASSERT_TRUE(WaitUntil([&] { return m_closed && returned; }, 10000))
            << "the program did not end (depth " << ui::ModalDepth() << ")";
        poll.stop();
        EXPECT_LT(sinceSignal.elapsed(), 5000) << "the end took too long";
        EXPECT_EQ(ui::ModalDepth(), 0);
        EXPECT_EQ(m_bar->Page(BarPage::Watchlist), nullptr) << "the pages went";
        EXPECT_EQ(Count("SelectedComp2Watch", "INDEXNAME='INFY'"), 1) << "the list was saved";
        m_db.ExecuteSQL("DELETE FROM SelectedComp2Watch WHERE INDEXNAME='INFY'"); // the next case's
    }

    // Clicks a button of the dialog that is up now, once it is up.
    static void ClickInModalWhenUp(int buttonId) {
        QTimer::singleShot(50, [buttonId] {
            if (QWidget* w = QApplication::activeModalWidget())
                if (auto* b = ui::findControl<QAbstractButton>(w, buttonId))
                    b->click();
        });
    }

    std::unique_ptr<CMainBarDlg> m_bar;
    bool m_closed = false;
};

TEST_F(ClosingTest, EveryDialogOfTheBarAndTheWatchList) {
    struct Case {
        const char* name;
        std::function<void()> open;
        int depth = 1;
    };
    const Case cases[] = {
        {"About box", [this] { m_bar->OnAbout(); }},
        {"close question", [this] { m_bar->Control<QAbstractButton>(IDC_CLOSE)->click(); }},
        {"Search Company to Watch", [this] { Watch().OnAdd(); }},
        {"New Listing inside the search",
         [this] {
             ClickInModalWhenUp(CSearchCompanyDlg::IDC_ADD_NEW_LISTING);
             Watch().OnAdd();
         },
         2},
        {"Set ALERT",
         [this] {
             Watch().List()->SetItemSelected(0, true);
             Watch().OnSetAlert();
         }},
        {"export name", [this] { Watch().OnExport(); }},
        {"alert help", [this] { Watch().Control<QAbstractButton>(IDC_WL_HELP)->click(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_closed = false;
        ui::ResetEnding();
        StartBar();
        EndWhileOpen(c.open, c.depth);
        m_bar.reset();
    }
}

TEST_F(ClosingTest, EveryDialogOfThePortfolio) {
    struct Case {
        const char* name;
        std::function<void(CProfileDlg&)> open;
    };
    const Case cases[] = {
        {"Brokers List", [](CProfileDlg& p) { p.OnBrokersList(); }},
        {"Profit Calc", [](CProfileDlg& p) { p.OnProfitCalc(); }},
        {"a new lot", [](CProfileDlg& p) { p.OnAdd(0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_closed = false;
        ui::ResetEnding();
        StartBar();
        m_bar->OnPageButton(BarPage::Profile);
        auto* profile = dynamic_cast<CProfileDlg*>(m_bar->Page(BarPage::Profile));
        ASSERT_NE(profile, nullptr);
        EndWhileOpen([&] { c.open(*profile); });
        m_bar.reset();
    }
}

TEST_F(ClosingTest, TheLinkDialogAndTheWorkersBoxes) {
    // The bridge is there, the charting program is not: every worker that tries it says so
    // in a box it waits on.
    ASSERT_EQ(RegisterServerLibrary(PELLAR_LIBRARY), S_OK);
    struct Case {
        const char* name;
        std::function<void()> open;
    };
    const Case cases[] = {
        {"the link dialog",
         [this] {
             ui::SetNonInteractive(true); // its opening says the program is missing
             m_bar->Control<QAbstractButton>(IDC_AMIBROKER)->click();
         }},
        {"the live feed's box",
         [this] {
             amilink::FeedBridge().ready = false;
             m_bar->SetLiveFeedStarted(true);
             Watch().OnBarRefresh(); // a feed cycle; its worker waits on its box
             WaitUntil([] { return ui::ModalDepth() == 0 && ui::IsEnding(); }, 10000);
         }},
        {"the back-fill worker's box",
         [this] {
             amilink::BackfillBridge().ready = false;
             auto* link = new CAmiBrokerLinkDlg(*m_bar);
             link->Open();
             link->OnBackfill(1);
             WaitUntil([] { return ui::ModalDepth() == 0 && ui::IsEnding(); }, 10000);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_closed = false;
        ui::ResetEnding();
        StartBar();
        EndWhileOpen(c.open);
        m_bar.reset(); // joins what the link dialog still runs: a worker left waiting would hang
                       // here
    }
}

} // namespace
