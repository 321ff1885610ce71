#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/bar_page.h"
#include "app/main_bar_dlg.h"
#include "marketserver/market_server.h"
#include "platform/base/clock.h"
#include "platform/inet/service_url.h"
#include "platform/ui/dialog.h"
#include "support/qt_wait.h"
#include "support/test_market.h"

// A page that adds a fixed set of symbols to the bar's request, for the bar's tests.
class TestPage final : public ui::CDialog, public CBarPage {
public:
    TestPage(std::vector<std::string> symbols, QWidget* owner)
        : ui::CDialog(999, owner), m_symbols(std::move(symbols)), m_records(m_symbols.size()) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        SetTemplateSize(200, 40);
        EnsureInitialized();
    }
    ui::CDialog* PageWindow() override { return this; }
    int QuoteCount() const override { return static_cast<int>(m_symbols.size()); }
    std::string QuoteSymbol(int i) const override { return m_symbols[i]; }
    QuoteRecord& QuoteSlot(int i) override { return m_records[i]; }
    void OnBarRefresh() override { ++refreshes; }
    void SetConnected(bool c) override { connected = c; }

    std::vector<std::string> m_symbols;
    std::vector<QuoteRecord> m_records;
    int refreshes = 0;
    int connected = -1;
};

// An embedded market standing at Monday 2026-12-07 11:00, the local clock with it, and the
// bar the tests start on it.
class BarTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_market = testsupport::StartMarketAt();
        ASSERT_NE(m_market, nullptr);
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
        ClearBarPages();
    }
    void TearDown() override {
        m_bar.reset();
        ClearBarPages();
        Clock::Reset();
        inet::ResetMarketConfig();
    }

    static sim::CivilSeconds At(const char* when) {
        sim::CivilSeconds t = 0;
        EXPECT_TRUE(sim::VirtualClock::Parse(when, t)) << when;
        return t;
    }
    // A bar that has passed its probe and its first refresh.
    CMainBarDlg& StartBar() {
        m_bar = std::make_unique<CMainBarDlg>();
        m_bar->SetShowSplash(false);
        m_bar->Create(true);
        EXPECT_TRUE(testsupport::WaitUntil([&] { return m_bar->RefreshCount() >= 1; }));
        return *m_bar;
    }
    // One more complete cycle.
    bool Refresh() {
        const int before = m_bar->RefreshCount();
        m_bar->StartQuoteFetch();
        return testsupport::WaitUntil([&] { return m_bar->RefreshCount() > before; });
    }

    std::unique_ptr<marketserver::MarketServer> m_market;
    std::unique_ptr<CMainBarDlg> m_bar;
};
