#include <chrono>
#include <set>

#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "controls/export_csv_dlg.h"
#include "controls/quote_lists.h"
#include "db/watch_table.h"
#include "market/toppers_dlg.h"
#include "market_fixture.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "support/data_source_fixture.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/ui_hooks.h"
#include "watch/watch_list_dlg.h"

namespace {

using testsupport::MessageBoxRecorder;
using testsupport::WaitUntil;

class ToppersPageTest : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        m_market = StartMarketAt();
        ASSERT_NE(m_market, nullptr);
        m_bar.probeDone = false; // keeps the watch page from logging
    }
    void TearDown() override {
        ui::SetMenuHook(nullptr);
        ui::SetModalHook(nullptr);
        inet::ResetMarketConfig();
    }

    // The catalogue becomes `n` NSE companies "Company 000"... with real symbols of shares
    // within the default price range, the last one `last` when given. Returns the symbols
    // in slot order.
    std::vector<std::string> StoreNseCompanies(int n, const std::string& last = {}) {
        std::vector<std::string> symbols;
        for (const auto& c : catalogue::Companies())
            if (!c.nseName.empty() && c.price < 10000 && static_cast<int>(symbols.size()) < n)
                symbols.push_back(c.nseName);
        if (!last.empty())
            symbols.back() = last;
        std::string sql = "INSERT INTO CompanyList (COMPNAME, BSENAME, NSENAME) VALUES ";
        for (int i = 0; i < n; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Company %03d", i);
            sql += std::string(i ? "," : "") + "('" + name + "', '', '" +
                   text::ReplaceAll(symbols[i], "'", "''") + "')";
        }
        m_db.ExecuteSQL("DELETE FROM CompanyList");
        m_db.ExecuteSQL(sql);
        return symbols;
    }
    std::vector<marketserver::RequestLogEntry> BatchRequests() {
        std::vector<marketserver::RequestLogEntry> out;
        for (const auto& e : m_market->RequestLog())
            if (e.path == "/d/quotes.csv" && e.userAgent.rfind("session-", 0) == 0)
                out.push_back(e);
        return out;
    }
    static void Fetch(CToppersDlg& page) {
        page.Control<QPushButton>(IDC_TP_GET_DATA)->click();
        EXPECT_TRUE(WaitUntil([&] { return !page.IsFetching(); }));
    }
    static std::set<std::string> ShownSymbols(CToppersDlg& page) {
        std::set<std::string> out;
        for (const TopperRow& r : page.Rows())
            out.insert(r.symbol);
        return out;
    }
    static void AddFromMenu(CToppersDlg& page, int row) {
        page.List()->SetItemSelected(row, true);
        page.OnListRightClick(row, QPoint(10, 10));
    }

    FakeBar m_bar;
    std::unique_ptr<marketserver::MarketServer> m_market;
};

TEST_F(ToppersPageTest, FetchesThreeHundredAndOneCompaniesInThreeBatches) {
    const std::vector<std::string> symbols = StoreNseCompanies(301, "NOSUCHCO");
    CToppersDlg page(m_bar);
    EXPECT_EQ(page.StatusText(), "Press the left button\nto get the latest data for NSE");
    Fetch(page);

    std::vector<marketserver::RequestLogEntry> batches = BatchRequests();
    ASSERT_EQ(batches.size(), 3u);
    std::set<std::string> queries, agents;
    for (const auto& e : batches)
        queries.insert(e.query), agents.insert(e.userAgent);
    auto query = [&](int first, int last) {
        std::string s = "s=";
        for (int i = first; i <= last; ++i)
            s += (i > first ? "," : "") + text::ReplaceAll(symbols[i], "&", "%26") + ".NS";
        return s + "&f=sl1d1t1c1ohgv";
    };
    EXPECT_EQ(queries, (std::set<std::string>{query(0, 149), query(150, 299), query(300, 300)}));
    EXPECT_EQ(agents.size(), 3u); // a session of its own for each

    const std::vector<TopperRow> rows = page.Rows();
    EXPECT_EQ(rows.size(), 300u);
    EXPECT_FALSE(ShownSymbols(page).count("NOSUCHCO")); // price 0: unknown to the service
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_LT(rows[i - 1].companyName, rows[i].companyName); // slot order
    EXPECT_EQ(page.StatusText(), "Data Retrieval Successfully Completed!!!\nNow you can click "
                                 "on Column Headers\n to find the TOPPERS");
    EXPECT_TRUE(page.GetDlgItem(IDC_TP_GET_DATA)->isEnabled());
}

TEST_F(ToppersPageTest, FailedBatchesStillFinishShowProgressAndSaySo) {
    const std::vector<std::string> symbols = StoreNseCompanies(460); // 150, 150, 150, 10
    auto batchOf = [&](int slot) { return "s=" + symbols[slot] + ".NS,"; };
    m_market->AddFault(
        marketserver::Fault::Make(marketserver::FaultKind::Http500, 1, batchOf(150)));
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Drop, 1, batchOf(300)));
    m_market->AddFault(
        marketserver::Fault::Make(marketserver::FaultKind::Delay, 1, batchOf(450), 3000));
    CToppersDlg page(m_bar);
    page.Control<QPushButton>(IDC_TP_GET_DATA)->click();
    ASSERT_TRUE(WaitUntil([&] { return page.BatchesCompleted() == 3; }));
    EXPECT_EQ(page.StatusText(),
              "Data Retrieval is in Progress\n        Please wait ...     \nBatches done: 3 of 4");
    for (int id : {IDC_TP_GET_DATA, IDC_TP_NSE, IDC_TP_BSE, IDC_TP_CLOSE, IDC_TP_LIST})
        EXPECT_FALSE(page.GetDlgItem(id)->isEnabled()) << id;
    ASSERT_TRUE(WaitUntil([&] { return !page.IsFetching(); }));

    EXPECT_EQ(page.BatchesFailed(), 2);
    EXPECT_EQ(page.StatusText(),
              "Data Retrieval Completed with errors!!!\n2 of 4 batches "
              "failed\nNow you can click on Column Headers\n to find the TOPPERS");
    const std::set<std::string> shown = ShownSymbols(page);
    for (int slot = 150; slot < 450; ++slot)
        EXPECT_FALSE(shown.count(symbols[slot])) << symbols[slot];
    EXPECT_TRUE(shown.count(symbols[0]) || shown.count(symbols[1]));
    EXPECT_TRUE(shown.count(symbols[455]) || shown.count(symbols[456]));
}

TEST_F(ToppersPageTest, RefusalsStartNoFetch) {
    MessageBoxRecorder boxes;
    CToppersDlg page(m_bar);
    page.SetConnected(false);
    page.Control<QPushButton>(IDC_TP_GET_DATA)->click();
    EXPECT_EQ(boxes.Texts().back(), "Sorry!!!There is no internet connection detected");

    page.SetConnected(true);
    page.SetDlgItemText(IDC_TP_PRICE_MAX, "0");
    page.Control<QPushButton>(IDC_TP_GET_DATA)->click();
    EXPECT_EQ(boxes.Texts().back(), "Please enter a number between 1 and 20000.");
    page.SetDlgItemText(IDC_TP_PRICE_MAX, "20000");

    m_db.ExecuteSQL("UPDATE CompanyList SET BSENAME=''");
    page.Control<QRadioButton>(IDC_TP_BSE)->click();
    EXPECT_EQ(page.StatusText(), "Press the left button\nto get the latest data for BSE");
    page.Control<QPushButton>(IDC_TP_GET_DATA)->click();
    EXPECT_EQ(boxes.Texts().back(), "There is no company listed on BSE in your company list");
    EXPECT_FALSE(page.IsFetching());
    EXPECT_TRUE(page.GetDlgItem(IDC_TP_GET_DATA)->isEnabled());
    EXPECT_TRUE(BatchRequests().empty());
}

TEST_F(ToppersPageTest, AddToWatchListGoesThroughTheHiddenWatchPage) {
    const std::vector<std::string> symbols = StoreNseCompanies(3);
    CSelCompanyListset set;
    db::AppendWatchRow(set, {"Held on BSE", "BSE", symbols[0], 0, 0, 0});
    CWatchListDlg watch(m_bar); // made hidden, as the bar makes it
    m_bar.watch = &watch;
    CToppersDlg page(m_bar);
    Fetch(page);
    ASSERT_EQ(page.List()->GetItemCount(), 3);
    page.Control<QRadioButton>(IDC_TP_BSE)->click(); // the rows stay NSE's

    MessageBoxRecorder boxes;
    ui::SetMenuHook([](QMenu&, const QPoint&) { return ID_ADD_TO_WATCH_LIST; });
    AddFromMenu(page, 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Selected company is already added in the choice list"});
    m_bar.feed = true; // the charting program's list must stay the watch list's
    AddFromMenu(page, 1);
    EXPECT_EQ(boxes.Texts().back(), kFeedAddRefusal);
    EXPECT_EQ(watch.ItemCount(), 1);
    m_bar.feed = false;
    AddFromMenu(page, 1);
    ASSERT_EQ(watch.ItemCount(), 2);
    EXPECT_EQ(watch.Item(1), (WatchItem{"Company 001", "NSE", symbols[1], 0, 0, 0}));
    EXPECT_EQ(db::ReadWatchList(set).size(), 2u);

    // Without a watch page the table takes the row, with the same refusals.
    m_bar.watch = nullptr;
    boxes.Clear();
    AddFromMenu(page, 1);
    AddFromMenu(page, 2);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Selected company is already added in the choice list"});
    std::vector<db::WatchRow> rows = db::ReadWatchList(set);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].exchange, "NSE");
    for (int i = 3; i < 50; ++i)
        db::AppendWatchRow(set, {"Filler", "NSE", "F" + std::to_string(i), 0, 0, 0});
    AddFromMenu(page, 0);
    EXPECT_EQ(boxes.Texts().back(), "Sorry!!! You can't add more than 50 stocks in Watchlist");
}

TEST_F(ToppersPageTest, ExportsTheListAndClosingStopsTheBatches) {
    StoreNseCompanies(3);
    auto page = std::make_unique<CToppersDlg>(m_bar);
    MessageBoxRecorder boxes;
    page->Control<QPushButton>(IDC_TP_EXPORT)->click();
    EXPECT_EQ(boxes.Texts().back(), "There is no data to export, Please first \"Get Latest Data\"");
    Fetch(*page);
    ui::SetModalHook([](QDialog& dlg) {
        auto& d = dynamic_cast<CExportCsvDlg&>(dlg);
        d.Control<QLineEdit>(CExportCsvDlg::IDC_FILE_NAME)->setText("day1");
        d.Control<QPushButton>(ui::IDOK)->click();
        return d.Result();
    });
    page->Control<QPushButton>(IDC_TP_EXPORT)->click();
    const std::string path = paths::DataPath(paths::kToppersData) + "/NSE_day1.csv";
    EXPECT_EQ(boxes.Texts().back(),
              "Toppers present displayed data is exported Successfully at \n" + path);
    EXPECT_EQ(text::SplitLines(testsupport::ReadFile(path)).size(), 4u);

    // A page going away mid-fetch cancels its transfers instead of waiting them out.
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Delay, -1, "", 30000));
    page->Control<QPushButton>(IDC_TP_GET_DATA)->click();
    ASSERT_TRUE(page->IsFetching());
    const auto start = std::chrono::steady_clock::now();
    page.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    m_market->ClearFaults();

    // X destroys the page.
    QPointer<CToppersDlg> closing = new CToppersDlg(m_bar);
    closing->Control<QPushButton>(IDC_TP_CLOSE)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull());
}

} // namespace
