// The program on real market data: its bar against koravel-market --upstream, which asks
// the upstream services' stand-in on loopback.
#include <QLabel>
#include <QProcess>
#include <gtest/gtest.h>

#include "app/bar_page.h"
#include "app/main_bar_dlg.h"
#include "controls/quote_lists.h"
#include "platform/inet/service_url.h"
#include "quotes/indian_number.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/upstream_fake.h"

namespace {

using testsupport::UpstreamFake;

TEST(LiveMarketTest, TheBarShowsTheUpstreamPricesAndSaysWhereTheyComeFrom) {
    UpstreamFake fake;
    testsupport::TempDir cache;
    QProcess market;
    market.start(KORAVEL_MARKET_BIN,
                 {"--upstream", "--upstream-base", QString::fromStdString(fake.Bases()),
                  "--cache-dir", QString::fromStdString(cache.path())});
    ASSERT_TRUE(market.waitForReadyRead(20000)) << market.readAllStandardError().toStdString();
    const std::string base = market.readLine().trimmed().toStdString();
    ASSERT_EQ(base.rfind("http://127.0.0.1:", 0), 0u) << base;

    inet::ResetMarketConfig();
    inet::SetCommandLineMarket(base);
    ClearBarPages();
    {
        CMainBarDlg bar;
        bar.SetShowSplash(false);
        bar.SetPriceSource(PriceSource::Live);
        bar.Create(true);
        ASSERT_TRUE(testsupport::WaitUntil([&] { return bar.RefreshCount() >= 1; }, 30000));
        auto* list = bar.Control<CIndexListCtrl>(IDC_INDEX_LIST);
        EXPECT_EQ(list->GetItemText(0, 0), "NIFTY");
        EXPECT_EQ(list->GetItemText(0, 1), FormatIndianNumber(23125.60));
        EXPECT_EQ(list->GetItemText(0, 2), "3/12/2026");
        EXPECT_EQ(bar.NiftyRecord().change, 115.2f);
        EXPECT_TRUE(bar.IsConnected());
        bool labelled = false;
        for (const QLabel* label : bar.findChildren<QLabel*>())
            labelled = labelled || label->text() == kLiveLabel;
        EXPECT_TRUE(labelled);
    }
    ClearBarPages();
    inet::ResetMarketConfig();
    EXPECT_GE(fake.Count("/v8/finance/chart/^NSEI"), 1);
    for (const auto& r : fake.Log())
        EXPECT_EQ(r.userAgent.rfind("Mozilla/5.0", 0), 0u) << r.path;

    market.terminate();
    ASSERT_TRUE(market.waitForFinished(5000));
    EXPECT_EQ(market.exitCode(), 0);
}

} // namespace
