#include <filesystem>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/main_bar_dlg.h"
#include "controls/export_csv_dlg.h"
#include "controls/quote_lists.h"
#include "marketserver/market_server.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "platform/inet/service_url.h"
#include "portfolio/broker_dlg.h"
#include "portfolio/portfolio_pages.h"
#include "portfolio/profile_dlg.h"
#include "portfolio/profile_stocks_dlg.h"
#include "portfolio_fixture.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/test_market.h"
#include "support/ui_hooks.h"

namespace {

using testsupport::MessageBoxRecorder;

constexpr std::int32_t kGone = 999; // a broker nobody has: no charges

class ProfilePageTest : public PortfolioTest {
protected:
    static void Quote(CProfileDlg& page, int i, double last, float change) {
        page.QuoteSlot(i).last = last;
        page.QuoteSlot(i).change = change;
    }
    FakeBar m_bar;
};

TEST_F(ProfilePageTest, ValuesTheHeldStocksAtTheBarsPrices) {
    const std::int32_t broker = AddBroker("New Broker");
    AddLot("Larsen & Toubro Ltd", "NSE", "LT", 0, 50, 100, kGone);
    AddLot("Tata Consultancy Services Ltd", "NSE", "TCS", 0, 100, 100, broker);
    AddLot("Larsen & Toubro Ltd", "NSE", "LT", 0, 60, 300, kGone);
    AddLot("Infosys Ltd", "BSE", "INFY", 0, 1400, 10, kGone);
    AddLot("Infosys Ltd", "NSE", "INFY", 1, 1530, 5, kGone);
    CProfileDlg page(m_bar);
    ASSERT_EQ(page.QuoteCount(), 3);
    EXPECT_EQ(page.QuoteSymbol(0), "LT.NS");
    EXPECT_EQ(page.QuoteSymbol(2), "INFY.BO") << "asked once, with the exchange seen first";
    EXPECT_EQ(Column(page.List(0), kPcMarketPrice), (std::vector<std::string>(3, "0.00")));
    EXPECT_EQ(page.GetDlgItemText(IDC_PF_DELIVERY_GET), "0.00");

    Quote(page, 0, 62, 2);
    Quote(page, 1, 110, 0);
    Quote(page, 2, 1520, -5.5f);
    page.OnBarRefresh();
    EXPECT_EQ(Column(page.List(0), kPcQuantity), (std::vector<std::string>{"400", "100", "10"}));
    EXPECT_EQ(Column(page.List(0), kPcAvgCost),
              (std::vector<std::string>{"57.50", "100.00", "1,400.00"}));
    EXPECT_EQ(Column(page.List(0), kPcNetPL),
              (std::vector<std::string>{"1,800.00", "796.78", "1,200.00"}));
    EXPECT_EQ(Column(page.List(1), kPcMarketPrice), std::vector<std::string>{"1,520.00"});
    const std::pair<int, const char*> totals[] = {
        {IDC_PF_DELIVERY_COST, "47,096.77"}, {IDC_PF_DELIVERY_GET, "50,796.78"},
        {IDC_PF_DELIVERY_PL, "3,796.78"},    {IDC_PF_INTRADAY_COST, "7,650.00"},
        {IDC_PF_INTRADAY_GET, "7,600.00"},   {IDC_PF_INTRADAY_PL, "-50.00"}};
    for (const auto& [id, text] : totals)
        EXPECT_EQ(page.GetDlgItemText(id), text) << id;
    auto color = [&](int id) { return page.GetDlgItem(id)->palette().color(QPalette::WindowText); };
    EXPECT_EQ(color(IDC_PF_DELIVERY_PL), QColor(0, 128, 0));
    EXPECT_EQ(color(IDC_PF_INTRADAY_PL), QColor(255, 0, 0));
    EXPECT_EQ(page.List(1)->CellColor(0, kPcNetPL).text, colors::kRed);
}

TEST_F(ProfilePageTest, DeleteTakesEveryLotOfTheStockAndTypeThenExportShowsTheRest) {
    testsupport::TempDir root;
    testsupport::ScopedEnv env("KORAVEL_ROOT", root.path());
    std::filesystem::create_directories(root.path() + "/ProfileData");
    const std::int32_t a = AddBroker("Alpha");
    const std::int32_t b = AddBroker("Beta");
    AddLot("Larsen & Toubro Ltd", "NSE", "LT", 0, 3500, 10, a);
    AddLot("Larsen & Toubro Ltd", "NSE", "LT", 0, 3600, 5, b);
    AddLot("Larsen & Toubro Ltd", "NSE", "LT", 1, 3650, 2, kGone);
    CProfileDlg page(m_bar);
    Quote(page, 0, 3700, 50);
    page.OnBarRefresh();

    MessageBoxRecorder boxes;
    page.OnDelete(0);
    page.List(0)->SetItemSelected(0, true);
    boxes.Answer(ui::IDNO);
    page.OnDelete(0);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Please select atleast ONE company to delete",
                                        "Are you sure that you want to DELETE  Larsen & Toubro "
                                        "Ltd?"}));
    EXPECT_EQ(page.Lots(0).size(), 2u);
    page.List(0)->SetItemSelected(0, true);
    page.OnDelete(0);
    EXPECT_TRUE(page.Lots(0).empty());
    EXPECT_EQ(page.List(0)->GetItemCount(), 0);
    EXPECT_EQ(Count("PROFILELIST", "DELIVERYTYPE=0"), 0);
    EXPECT_EQ(Count("PROFILELIST", "DELIVERYTYPE=1"), 1);
    EXPECT_EQ(m_bar.suspended, 0) << "deleting opens no dialog";

    OnModal({[](QDialog& d) {
        auto& ask = dynamic_cast<CExportCsvDlg&>(d);
        ask.Control<QLineEdit>(CExportCsvDlg::IDC_FILE_NAME)->setText("held");
        ask.Control<QPushButton>(ui::IDOK)->click();
        return ask.Result();
    }});
    page.OnExport();
    const std::string path = root.path() + "/ProfileData/held.csv";
    EXPECT_EQ(boxes.Texts().back(),
              "Profile present displayed data is exported Successfully at \n" + path);
    EXPECT_EQ(testsupport::ReadFile(path),
              "My PROFILE for Current Stocks in My Hand\r\n\r\nINTRADAY STOCKS\r\n\r\n"
              "Stock Name,Index,Quantity,Average CP,Market Price,%Change,Cost Price+Brkrge,You'll "
              "get,Net Profit/Loss,Net %P/L\r\n"
              "Larsen & Toubro Ltd,NSE,2,3650.00,3700.00,1.37,7300.00,7400.00,100.00,1.37\r\n"
              "\r\nTotal Cost Price,7300.00\r\nOn selling all now you'll get,7400.00\r\n"
              "Net Profit/Loss after deducting all Brokerage,100.00");

    page.List(1)->SetItemSelected(0, true);
    page.OnDelete(1);
    page.OnExport();
    EXPECT_EQ(boxes.Texts().back(), "There is no data to export");
}

TEST_F(ProfilePageTest, AddAndEditGoThroughTheLotsDialogWithTheRefreshStopped) {
    const std::int32_t a = AddBroker("Alpha");
    const std::int32_t b = AddBroker("Beta");
    CProfileDlg page(m_bar);
    EXPECT_EQ(page.Brokers().size(), 2u);
    // The brokers are read again once their list closes.
    OnModal({[](QDialog& d) {
                 dynamic_cast<CBrokersListDlg&>(d).OnAddNew();
                 return static_cast<int>(ui::IDCANCEL);
             },
             [](QDialog& d) {
                 auto& broker = dynamic_cast<CBrokerDlg&>(d);
                 Set(broker, IDC_BROKER_NAME, "Gamma");
                 Click(broker, ui::IDOK);
                 return broker.Result();
             }});
    page.OnBrokersList();
    EXPECT_EQ(page.Brokers().size(), 3u);
    EXPECT_EQ(m_bar.resumed, 1);
    m_bar.suspended = m_bar.resumed = 0;
    OnModal({[](QDialog& d) {
                 auto& dlg = dynamic_cast<CProfileStocksDlg&>(d);
                 Set(dlg, IDC_PS_SEARCH_TEXT, "Infosys");
                 dlg.OnSearch();
                 dlg.OnAddLot();
                 dlg.OnAddLot();
                 Click(dlg, ui::IDOK);
                 return dlg.Result();
             },
             PickFirst, Lot("1500", "10"), Lot("1400", "30")});
    page.OnAdd(0);
    EXPECT_EQ(m_bar.suspended, 1);
    EXPECT_EQ(m_bar.resumed, 1);
    ASSERT_EQ(page.Lots(0).size(), 2u);
    EXPECT_EQ(page.Lots(0)[1].brokerId, a);
    EXPECT_EQ(page.QuoteSymbol(0), "INFY.NS");
    EXPECT_EQ(Column(page.List(0), kPcQuantity), std::vector<std::string>{"40"});
    EXPECT_EQ(Column(page.List(0), kPcAvgCost), std::vector<std::string>{"1,425.00"});
    EXPECT_EQ(Count("PROFILELIST", "INDEXNAME='INFY'"), 2);

    MessageBoxRecorder boxes;
    page.OnEdit(1);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Please select atleast ONE company to EDIT"});
    EXPECT_EQ(m_bar.resumed, 2) << "every way out starts the refresh again";

    // A failing save is reported; the page keeps what the dialog returned.
    page.List(0)->SetItemSelected(0, true);
    OnModal({[&](QDialog& d) {
        auto& dlg = dynamic_cast<CProfileStocksDlg&>(d);
        dlg.Control<QComboBox>(IDC_PS_BROKER)->setCurrentIndex(1);
        m_db.ExecuteSQL("DROP TABLE PROFILELIST");
        dlg.Control<QPushButton>(ui::IDOK)->click();
        return dlg.Result();
    }});
    page.OnEdit(0);
    ASSERT_EQ(boxes.Texts().size(), 2u);
    // The engine names the missing table in its own case.
    EXPECT_NE(text::ToLowerAscii(boxes.Texts()[1]).find("profilelist"), std::string::npos)
        << boxes.Texts()[1];
    EXPECT_EQ(page.Lots(0)[0].brokerId, b);
    EXPECT_EQ(page.Lots(0)[1].brokerId, b);
    EXPECT_EQ(page.List(0)->GetItemCount(), 1);
}

TEST_F(ProfilePageTest, LargeListsAreNamedAtEveryRefreshAndNeverCut) {
    CProfileListset set;
    std::vector<LotEntry> one = {{10, 1}};
    for (int i = 0; i < 41; ++i)
        portfolio::AddLots(set, {"D" + std::to_string(i), "NSE", "D" + std::to_string(i), 0, kGone},
                           i == 0 ? std::vector<LotEntry>(111, {10, 1}) : one);
    for (int i = 0; i < 11; ++i)
        portfolio::AddLots(set, {"I" + std::to_string(i), "NSE", "I" + std::to_string(i), 1, kGone},
                           one);
    MessageBoxRecorder boxes;
    CProfileDlg page(m_bar);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{kMsgSymbolsLarge, kMsgDeliveryLarge, kMsgIntradayLarge}));
    EXPECT_EQ(page.QuoteCount(), 52);
    EXPECT_EQ(page.List(0)->GetItemCount(), 41);
    boxes.Clear();
    page.OnBarRefresh();
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kMsgDeliveryLarge, kMsgIntradayLarge}));

    // A refresh while such a box is up opens no second one.
    int shown = 0;
    ui::SetMessageBoxHook([&](const ui::MessageBoxCall&) {
        if (shown++ == 0)
            page.OnBarRefresh();
        return ui::IDOK;
    });
    page.OnBarRefresh();
    EXPECT_EQ(shown, 2) << "the outer refresh's two boxes only";
    ui::SetMessageBoxHook(nullptr);

    MessageBoxRecorder again;
    int opened = 0;
    OnModal({[&](QDialog&) { return ++opened, ui::IDCANCEL; }});
    page.OnAdd(0);
    EXPECT_EQ(again.Texts(), std::vector<std::string>{"Sorry! you can't add more Stocks here "});
    EXPECT_EQ(opened, 0);
    page.OnAdd(1); // intraday has no such limit
    EXPECT_EQ(opened, 1);
}

// The page under a real bar, against the simulated market.
class ProfileUnderTheBarTest : public PortfolioTest {
protected:
    void SetUp() override {
        PortfolioTest::SetUp();
        m_market = testsupport::StartMarketAt();
        ASSERT_NE(m_market, nullptr);
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
        ClearBarPages();
        RegisterPortfolioPage();
    }
    void TearDown() override {
        m_bar.reset();
        ClearBarPages();
        Clock::Reset();
        inet::ResetMarketConfig();
        PortfolioTest::TearDown();
    }
    std::unique_ptr<marketserver::MarketServer> m_market;
    std::unique_ptr<CMainBarDlg> m_bar;
};

TEST_F(ProfileUnderTheBarTest, ItsStocksRideOnTheBarsRequestOnce) {
    const std::int32_t a = AddBroker("Alpha");
    AddLot("Reliance Industries Ltd", "NSE", "RELIANCE", 0, 1400, 10, a);
    AddLot("Reliance Industries Ltd", "NSE", "RELIANCE", 1, 1410, 5, a);
    AddLot("ITC Ltd", "BSE", "ITC", 1, 400, 50, a);
    m_bar = std::make_unique<CMainBarDlg>();
    m_bar->SetShowSplash(false);
    m_bar->Create(true);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_bar->RefreshCount() >= 1; }));
    const int seen = m_bar->RefreshCount();
    m_bar->OnPageButton(BarPage::Profile);
    ASSERT_TRUE(testsupport::WaitUntil([&] { return m_bar->RefreshCount() > seen; }));
    const std::string request = m_bar->Request();
    EXPECT_NE(request.find(",RELIANCE.NS,ITC.BO&"), std::string::npos) << request;
    EXPECT_EQ(request.find("RELIANCE"), request.rfind("RELIANCE")) << "asked once";
    auto* page = dynamic_cast<CProfileDlg*>(m_bar->Page(BarPage::Profile));
    ASSERT_NE(page, nullptr);
    EXPECT_GT(page->Rows(0)[0].marketPrice, 0);
    EXPECT_EQ(page->Rows(1)[0].marketPrice, page->Rows(0)[0].marketPrice);

    page->Control<QPushButton>(IDC_PF_CLOSE)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // as the loop would
    EXPECT_EQ(m_bar->Page(BarPage::Profile), nullptr);
    EXPECT_EQ(m_bar->BuildBarRequest().find("RELIANCE"), std::string::npos);
}

} // namespace
