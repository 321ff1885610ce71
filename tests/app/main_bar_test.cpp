#include <QCheckBox>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>

#include "controls/quote_lists.h"
#include "quotes/indian_number.h"
#include "support/ui_hooks.h"
#include "test_page.h"

namespace {

using testsupport::MessageBoxRecorder;
using testsupport::WaitUntil;

constexpr const char* kWarning =
    "WARNING!\nEither Data Server or Your Internet Connection is slow at the moment\n"
    "Please WAIT for the next Refresh ...";

class MainBarTest : public BarTest {
protected:
    std::vector<marketserver::RequestLogEntry> Fetches() {
        std::vector<marketserver::RequestLogEntry> out;
        for (const auto& e : m_market->RequestLog())
            if (e.userAgent == "Main session")
                out.push_back(e);
        return out;
    }
    static void Register(BarPage page, std::vector<std::string> symbols, TestPage** out) {
        RegisterBarPage(page, [symbols, out](IBar& bar) {
            auto* p = new TestPage(symbols, bar.Window());
            *out = p;
            return p;
        });
    }
};

TEST_F(MainBarTest, StartsAtTopCentreProbesThenRefreshes) {
    MessageBoxRecorder boxes;
    CMainBarDlg& bar = StartBar();
    const QRect screen = bar.screen()->geometry();
    EXPECT_EQ(bar.frameGeometry().top(), screen.top());
    EXPECT_EQ(bar.frameGeometry().left(), screen.width() / 2 - bar.frameGeometry().width() / 2);
    EXPECT_TRUE(bar.HasTimer(CMainBarDlg::kRefreshTimer));
    EXPECT_TRUE(bar.IsConnected());
    EXPECT_TRUE(bar.GetDlgItem(IDC_ONLINE)->isVisibleTo(&bar));
    EXPECT_FALSE(bar.GetDlgItem(IDC_OFFLINE)->isVisibleTo(&bar));
    EXPECT_TRUE(boxes.Texts().empty());

    const auto log = m_market->RequestLog();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].query, "s=^NSEI&f=sl1d1t1c1ohgv"); // the probe comes first
    EXPECT_EQ(log[1].userAgent, "Main session");
    EXPECT_EQ(log[1].query, "s=^NSEI,^BSESN,USDINR=X&f=sl1d1t1c1ohgvjk");

    auto* list = bar.Control<CIndexListCtrl>(IDC_INDEX_LIST);
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItemText(0, 0), "NIFTY");
    EXPECT_EQ(list->GetItemText(1, 0), "SENSEX");
    EXPECT_EQ(list->GetItemText(0, 1), FormatIndianNumber(bar.NiftyRecord().last));
    EXPECT_EQ(list->GetItemText(0, 2), "12/7/2026");
    EXPECT_EQ(list->GetItemText(0, 8), "0.00"); // no previous refresh yet
    EXPECT_EQ(list->GetColumnWidth(8), 0);
    EXPECT_GT(bar.DollarRecord().last, 50);
}

TEST_F(MainBarTest, IndexPriceCellComparesWithTheRefreshBefore) {
    CMainBarDlg& bar = StartBar();
    auto* list = bar.Control<CIndexListCtrl>(IDC_INDEX_LIST);
    const CellColors first = list->CellColor(0, 1);
    EXPECT_EQ(first.text, colors::kWhite);
    EXPECT_EQ(first.background, colors::kBlack); // previous 0: the first refresh

    ASSERT_TRUE(Refresh()); // the market has not moved: equal
    EXPECT_EQ(list->CellColor(0, 1).background, colors::kBlue);
    EXPECT_EQ(list->GetItemText(0, 8), list->GetItemText(0, 1));

    m_market->Clock().Set(At("2026-12-07 11:07:00"));
    const double before = bar.NiftyRecord().last;
    ASSERT_TRUE(Refresh());
    const double after = bar.NiftyRecord().last;
    ASSERT_NE(before, after);
    const CellColors moved = list->CellColor(0, 1);
    EXPECT_EQ(moved.background, after > before ? colors::kGreen : colors::kRed);
}

TEST_F(MainBarTest, PagesAddTheirSymbolsAndGetTheirRecords) {
    TestPage* watch = nullptr;
    TestPage* world = nullptr;
    Register(BarPage::Watchlist, {"TCS.NS", "SBIN.BO"}, &watch);
    Register(BarPage::World, {"^DJI", "^FTSE "}, &world);
    CMainBarDlg& bar = StartBar();

    // The watch list exists from the start, hidden, and rides on every request.
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->isVisible());
    EXPECT_FALSE(bar.IsPageShown(BarPage::Watchlist));
    EXPECT_EQ(Fetches().back().query, "s=^NSEI,^BSESN,USDINR=X,TCS.NS,SBIN.BO&f=sl1d1t1c1ohgvjk");
    EXPECT_EQ(watch->m_records[0].symbol, "TCS.NS");
    EXPECT_EQ(watch->connected, 1);
    const int watchRefreshes = watch->refreshes;

    bar.OnPageButton(BarPage::World); // created: a fetch starts at once
    ASSERT_NE(world, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return world->refreshes > 0; }));
    EXPECT_EQ(Fetches().back().query,
              "s=^NSEI,^BSESN,USDINR=X,TCS.NS,SBIN.BO,^DJI,^FTSE%20&f=sl1d1t1c1ohgvjk");
    EXPECT_EQ(world->m_records[1].symbol, "^FTSE");
    EXPECT_GT(world->m_records[0].last, 0);
    EXPECT_GT(watch->refreshes, watchRefreshes);

    // Docked at the bar's bottom-left corner, and moved with it.
    EXPECT_EQ(world->pos(), QPoint(bar.frameGeometry().left(), bar.frameGeometry().bottom() + 1));
    bar.move(bar.pos() + QPoint(13, 40));
    EXPECT_EQ(world->pos(), QPoint(bar.frameGeometry().left(), bar.frameGeometry().bottom() + 1));
}

TEST_F(MainBarTest, PageButtonsToggleOnePageAtATime) {
    TestPage* watch = nullptr;
    TestPage* world = nullptr;
    Register(BarPage::Watchlist, {}, &watch);
    Register(BarPage::World, {"^DJI"}, &world);
    CMainBarDlg& bar = StartBar();
    EXPECT_FALSE(bar.GetDlgItem(IDC_TOPPERS)->isEnabled()); // no page yet: no button

    bar.OnPageButton(BarPage::Watchlist);
    EXPECT_TRUE(watch->isVisible());
    bar.OnPageButton(BarPage::Watchlist);
    EXPECT_FALSE(watch->isVisible());
    EXPECT_FALSE(bar.IsPageShown(BarPage::Watchlist));

    bar.OnPageButton(BarPage::Watchlist);
    bar.OnPageButton(BarPage::World);
    EXPECT_FALSE(watch->isVisible());
    EXPECT_TRUE(world->isVisible());
    EXPECT_TRUE(bar.IsPageShown(BarPage::World));
    EXPECT_FALSE(bar.IsPageShown(BarPage::Watchlist));

    // A page whose own close destroys it is made anew by its button.
    delete world;
    EXPECT_EQ(bar.Page(BarPage::World), nullptr);
    bar.OnPageButton(BarPage::World);
    EXPECT_NE(bar.Page(BarPage::World), nullptr);
    EXPECT_TRUE(world->isVisible());
}

TEST_F(MainBarTest, TwoTicksDuringASlowAnswerStartOneFetch) {
    CMainBarDlg& bar = StartBar();
    const std::size_t before = Fetches().size();
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, "", 1200));
    bar.PostMessage(ui::WM_TIMER_POSTED);
    bar.PostMessage(ui::WM_TIMER_POSTED);
    testsupport::Pump(300);
    EXPECT_TRUE(bar.IsFetchBusy());
    ASSERT_TRUE(WaitUntil([&] { return !bar.IsFetchBusy(); }));
    testsupport::Pump(100);
    EXPECT_EQ(Fetches().size(), before + 1);
}

TEST_F(MainBarTest, AnAnswerGoesToThePagesItWasAskedFor) {
    TestPage* watch = nullptr;
    TestPage* world = nullptr;
    Register(BarPage::Watchlist, {"TCS.NS", "INFY.NS"}, &watch);
    Register(BarPage::World, {"^DJI", "^N225"}, &world);
    CMainBarDlg& bar = StartBar();
    ASSERT_TRUE(WaitUntil([&] { return watch->refreshes > 0; }));

    // A page opened while an answer is on its way gets nothing from it, and the answer
    // is no short one: no warning.
    MessageBoxRecorder boxes;
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, "", 600));
    const int watched = watch->refreshes;
    bar.StartQuoteFetch();
    bar.OnPageButton(BarPage::World);
    ASSERT_TRUE(WaitUntil([&] { return !bar.IsFetchBusy() && watch->refreshes > watched; }));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(world->refreshes, 0);
    EXPECT_EQ(watch->m_records[1].symbol, "INFY.NS");

    // A page whose list changed meanwhile skips the answer rather than take another's.
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, "", 600));
    const int worldBefore = world->refreshes, watchBefore = watch->refreshes;
    bar.StartQuoteFetch();
    watch->m_symbols = {"INFY.NS", "TCS.NS"};
    watch->m_records[0] = watch->m_records[1] = QuoteRecord{};
    ASSERT_TRUE(WaitUntil([&] { return !bar.IsFetchBusy() && world->refreshes > worldBefore; }));
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(watch->refreshes, watchBefore);
    EXPECT_EQ(watch->m_records[0].symbol, "") << "nothing parsed into the changed list";
    EXPECT_EQ(world->m_records[0].symbol, "^DJI") << "the pages after it still get theirs";
}

TEST_F(MainBarTest, ShortAnswerWarnsOnceAndKeepsWhatItHas) {
    TestPage* world = nullptr;
    Register(BarPage::World, {"^DJI", "^N225", "^HSI", "^KS11"}, &world);
    CMainBarDlg& bar = StartBar();
    bar.OnPageButton(BarPage::World);
    ASSERT_TRUE(WaitUntil([&] { return world->refreshes > 0; }));
    const double kospi = world->m_records[3].last;
    world->m_records[3].last = -1; // a value the short answer must leave alone

    MessageBoxRecorder boxes;
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Short, 1));
    const int refreshes = world->refreshes;
    bar.StartQuoteFetch();
    ASSERT_TRUE(WaitUntil([&] { return !boxes.Texts().empty(); }));
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{kWarning});
    EXPECT_EQ(world->m_records[3].last, -1);
    EXPECT_EQ(world->refreshes, refreshes); // no refresh for a page cut short
    EXPECT_EQ(bar.Control<CIndexListCtrl>(IDC_INDEX_LIST)->GetItemCount(), 0);
    EXPECT_TRUE(bar.IsConnected());

    ASSERT_TRUE(Refresh()); // the next complete answer puts everything back
    EXPECT_EQ(world->m_records[3].last, kospi);
    EXPECT_EQ(bar.Control<CIndexListCtrl>(IDC_INDEX_LIST)->GetItemCount(), 2);
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

TEST_F(MainBarTest, FailedOrForeignAnswersTurnTheBarRedWithoutAMessage) {
    TestPage* watch = nullptr;
    Register(BarPage::Watchlist, {"TCS.NS"}, &watch);
    CMainBarDlg& bar = StartBar();
    MessageBoxRecorder boxes;
    const double nifty = bar.NiftyRecord().last;
    for (marketserver::FaultKind kind :
         {marketserver::FaultKind::Http500, marketserver::FaultKind::Garbage,
          marketserver::FaultKind::Drop}) {
        m_market->AddFault(marketserver::Fault::Make(kind, 1));
        bool ok = true;
        QObject::connect(
            &bar, &CMainBarDlg::refreshed, &bar, [&](bool r) { ok = r; }, Qt::SingleShotConnection);
        bar.StartQuoteFetch();
        ASSERT_TRUE(WaitUntil([&] { return !bar.IsFetchBusy() && !ok; }));
        EXPECT_FALSE(bar.IsConnected());
        EXPECT_EQ(watch->connected, 0);
        EXPECT_TRUE(bar.GetDlgItem(IDC_OFFLINE)->isVisibleTo(&bar));
        EXPECT_EQ(bar.NiftyRecord().last, nifty) << "no refresh of zeros";
        EXPECT_EQ(bar.Control<CIndexListCtrl>(IDC_INDEX_LIST)->GetItemCount(), 2) << "rows kept";
    }
    EXPECT_TRUE(boxes.Texts().empty());
    ASSERT_TRUE(Refresh());
    EXPECT_TRUE(bar.IsConnected());
    EXPECT_EQ(watch->connected, 1);
}

TEST_F(MainBarTest, NoConnectionAtStartShowsTheProbeMessageAndEnds) {
    inet::ResetMarketConfig();
    inet::SetCommandLineMarket("http://127.0.0.1:9"); // nothing listens there
    TestPage* watch = nullptr;
    Register(BarPage::Watchlist, {}, &watch);
    MessageBoxRecorder boxes;
    m_bar = std::make_unique<CMainBarDlg>();
    m_bar->SetShowSplash(false);
    int exitCode = -1;
    QObject::connect(m_bar.get(), &CMainBarDlg::closed, [&](int code) { exitCode = code; });
    m_bar->Create(true);
    ASSERT_TRUE(WaitUntil([&] { return exitCode != -1; }));
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Sorry!!!Internet Connection is not detected.\n"
                                       "First get Internet Connected then Start this tool"});
    EXPECT_FALSE(m_bar->isVisible());
    EXPECT_EQ(m_bar->Page(BarPage::Watchlist), nullptr);
}

TEST_F(MainBarTest, TrayAndAlwaysOnTopTakeThePagesAlong) {
    TestPage* watch = nullptr;
    TestPage* world = nullptr;
    Register(BarPage::Watchlist, {}, &watch);
    Register(BarPage::World, {"^DJI"}, &world);
    CMainBarDlg& bar = StartBar();
    bar.SetTrayProbe([] { return true; });
    bar.OnPageButton(BarPage::World);
    bar.OnTrayNotify(1, kTrayLeftDoubleClick);
    EXPECT_TRUE(bar.IsHidden());
    EXPECT_FALSE(bar.isVisible());
    EXPECT_FALSE(world->isVisible());
    bar.OnTrayNotify(2, kTrayLeftDoubleClick); // another icon: nothing
    EXPECT_TRUE(bar.IsHidden());
    bar.OnTrayNotify(1, kTrayLeftDoubleClick);
    EXPECT_FALSE(bar.IsHidden());
    EXPECT_TRUE(bar.isVisible());
    EXPECT_TRUE(world->isVisible());
    EXPECT_FALSE(watch->isVisible());
    // The tray menu's commands do the same.
    bar.OnCommand(ID_TRAY_HIDE);
    EXPECT_FALSE(world->isVisible());
    bar.OnCommand(ID_TRAY_SHOW);
    EXPECT_TRUE(world->isVisible());
    EXPECT_FALSE(bar.IsIconAdded()); // offscreen there is no tray: nothing to remove at the end

    // Without a tray to come back from, hiding minimises, says so, and restoring brings the
    // page back.
    bar.SetTrayProbe(nullptr);
    {
        testsupport::MessageBoxRecorder boxes;
        bar.OnCommand(ID_TRAY_HIDE);
        ASSERT_EQ(boxes.Texts().size(), 1u);
        EXPECT_NE(boxes.Texts()[0].find("minimised"), std::string::npos);
    }
    EXPECT_TRUE(bar.isMinimized());
    EXPECT_FALSE(world->isVisible());
    EXPECT_TRUE(bar.IsHidden());
    bar.showNormal();
    EXPECT_FALSE(bar.IsHidden());
    EXPECT_TRUE(world->isVisible());

    EXPECT_TRUE(bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(world->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const QPoint where = bar.pos();
    bar.Control<QCheckBox>(IDC_ALWAYS_ON_TOP)->click();
    EXPECT_FALSE(bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(world->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(bar.isVisible());
    EXPECT_TRUE(world->isVisible());
    bar.Control<QCheckBox>(IDC_ALWAYS_ON_TOP)->click();
    EXPECT_TRUE(world->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(bar.pos(), where);
}

TEST_F(MainBarTest, ContextMenuPlacesTheBarAndIgnoresTheKeyboard) {
    CMainBarDlg& bar = StartBar();
    int shown = 0;
    ui::SetMenuHook([&](QMenu&, const QPoint&) {
        ++shown;
        return static_cast<int>(ID_BOTTOM_RIGHT);
    });
    bar.ShowContextMenu(bar.frameGeometry().center(), true);
    EXPECT_EQ(shown, 0);
    bar.ShowContextMenu(bar.frameGeometry().center(), false);
    ui::SetMenuHook(nullptr);
    ASSERT_EQ(shown, 1);
    const QScreen* s = bar.screen();
    const int panel = s->geometry().bottom() - s->availableGeometry().bottom();
    EXPECT_EQ(bar.frameGeometry().right(), s->geometry().right());
    EXPECT_EQ(bar.frameGeometry().bottom(), s->geometry().bottom() - panel);
}

TEST_F(MainBarTest, CloseAsksLiveChartKeepsToItsHours) {
    CMainBarDlg& bar = StartBar();
    MessageBoxRecorder boxes;
    int closed = 0;
    QObject::connect(&bar, &CMainBarDlg::closed, [&](int) { ++closed; });

    bar.Control<QPushButton>(IDC_LIVE_CHART)->click(); // 11:00 on a Monday, no watch list
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 15, 31, 0));
    bar.Control<QPushButton>(IDC_LIVE_CHART)->click();
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[0],
              "Please CHECK both Intraday & LiveData in Watchlist\nbefore you start LIVE CHARTING");
    EXPECT_EQ(boxes.Texts()[1],
              "Market is not open at the moment. Please use Live Charting During\n"
              "Market Hours i.e. 9:55AM-3:30PM during working days");

    boxes.Answer(ui::IDNO);
    bar.Control<QPushButton>(IDC_CLOSE)->click();
    EXPECT_EQ(boxes.Texts().back(), "Are you sure that you want to CLOSE Koravel ?");
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(bar.isVisible());
    bar.Control<QPushButton>(IDC_CLOSE)->click(); // answered Yes
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(bar.isVisible());
}

TEST_F(MainBarTest, EscapeAndEnterCloseAtOnce) {
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        CMainBarDlg& bar = StartBar();
        MessageBoxRecorder boxes;
        int closed = 0;
        QObject::connect(&bar, &CMainBarDlg::closed, [&](int) { ++closed; });
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(&bar, &press);
        EXPECT_EQ(closed, 1) << key;
        EXPECT_TRUE(boxes.Texts().empty()) << "no question asked";
        m_bar.reset();
    }
}

} // namespace
