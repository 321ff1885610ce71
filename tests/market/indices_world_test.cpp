#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/main_bar_dlg.h"
#include "controls/quote_lists.h"
#include "market/indices_dlg.h"
#include "market/market_pages.h"
#include "market/world_market_dlg.h"
#include "market_fixture.h"
#include "platform/base/clock.h"
#include "quotes/indian_number.h"
#include "support/qt_wait.h"

namespace {

using testsupport::WaitUntil;

TEST(QuotePageRows, PercentagesAndNumbers) {
    struct Case {
        double last;
        float change;
        const char* indices; // the %Ch cell on the Indices page
        const char* world;   // and on the World page
    };
    const Case cases[] = {
        {250, 150, "150.00", "0.00"},       // beyond 100: a bogus quote on the World page
        {0, -100, "-100.00", "-100.00"},    // exactly -100 is shown
        {50, 50, "0.00", "0.00"},           // no previous close: no division
        {99.5f, 100, "-20,000.00", "0.00"}, // below -100
        // Just over 100 %: a float percentage would round to exactly 100 and pass.
        {99.9999995, 50, "100.00", "0.00"},
    };
    for (const Case& c : cases) {
        QuoteRecord q;
        q.last = c.last;
        q.change = c.change;
        const market::QuotePageRow row = market::MakeQuotePageRow({"X", "^X"}, q);
        EXPECT_EQ(market::QuotePageCellText(row, 5, false), c.indices) << c.last;
        EXPECT_EQ(market::QuotePageCellText(row, 5, true), c.world) << c.last;
    }
    QuoteRecord q;
    q.last = 1234567.891;
    q.change = -1234567;
    q.date = "12/7/2026";
    q.low = 999.99;
    const market::QuotePageRow row = market::MakeQuotePageRow(market::WorldTable()[3], q);
    const std::vector<std::string> cells = {"FTSE 100",  "^FTSE ",        "12,34,567.89",
                                            "12/7/2026", "-12,34,567.00", "-50.00",
                                            "0.00",      "0.00",          "999.99"};
    for (int c = 0; c < market::kQuotePageColumns; ++c)
        EXPECT_EQ(market::QuotePageCellText(row, c, true), cells[c]) << c;
    EXPECT_EQ(market::DollarRateText(84.12351), "84.124");
}

class QuotePagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_market = StartMarketAt("2026-12-07 16:00:00"); // London trades
        ASSERT_NE(m_market, nullptr);
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 16, 0, 0));
        ClearBarPages();
        RegisterIndicesAndWorldPages();
        m_bar = std::make_unique<CMainBarDlg>();
        m_bar->SetShowSplash(false);
        m_bar->Create(true);
        ASSERT_TRUE(WaitUntil([&] { return m_bar->RefreshCount() >= 1; }));
    }
    void TearDown() override {
        m_bar.reset();
        ClearBarPages();
        Clock::Reset();
        inet::ResetMarketConfig();
    }
    // Opens a page from its button and waits for the refresh that fills it.
    template <class Page> Page* Open(BarPage which) {
        const int seen = m_bar->RefreshCount();
        m_bar->OnPageButton(which);
        EXPECT_TRUE(WaitUntil([&] { return m_bar->RefreshCount() > seen; }));
        return dynamic_cast<Page*>(m_bar->Page(which));
    }

    std::unique_ptr<marketserver::MarketServer> m_market;
    std::unique_ptr<CMainBarDlg> m_bar;
};

// How pages ride on the bar's request, and how the bar shows and hides them, is the bar's own
// test; these are the pages' rows from the market's answers.
TEST_F(QuotePagesTest, WorldPageRidesOnTheBarsRequest) {
    CWorldMarketDlg* world = Open<CWorldMarketDlg>(BarPage::World);
    ASSERT_NE(world, nullptr);
    ASSERT_EQ(world->UpperList()->GetItemCount(), 15);
    ASSERT_EQ(world->LowerList()->GetItemCount(), 11);
    // The market answers "^FTSE " with its blank; the row is London's index.
    EXPECT_EQ(world->UpperList()->GetItemText(3, 0), "FTSE 100");
    EXPECT_EQ(world->UpperList()->GetItemText(3, 1), "^FTSE ");
    EXPECT_GT(ParseListNumber(world->UpperList()->GetItemText(3, 2)), 1000);
    EXPECT_EQ(world->UpperList()->GetItemText(3, 3), "12/7/2026");
    EXPECT_GT(ParseListNumber(world->LowerList()->GetItemText(10, 2)), 0);
    EXPECT_EQ(world->GetDlgItemText(IDC_WM_RATE),
              market::DollarRateText(m_bar->DollarRecord().last));
}

TEST_F(QuotePagesTest, IndicesPageFillsAndItsXDestroysIt) {
    CIndicesDlg* indices = Open<CIndicesDlg>(BarPage::Indices);
    ASSERT_NE(indices, nullptr);
    EXPECT_EQ(indices->UpperList()->GetItemCount(), 6);
    EXPECT_EQ(indices->LowerList()->GetItemCount(), 16);
    EXPECT_GT(ParseListNumber(indices->UpperList()->GetItemText(4, 2)), 1000);
    EXPECT_GT(ParseListNumber(indices->LowerList()->GetItemText(15, 2)), 0);

    QPointer<CIndicesDlg> gone(indices);
    indices->Control<QPushButton>(IDC_QP_CLOSE)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    EXPECT_EQ(m_bar->Page(BarPage::Indices), nullptr);
    CIndicesDlg* again = Open<CIndicesDlg>(BarPage::Indices);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->UpperList()->GetItemCount(), 6);
}

} // namespace
