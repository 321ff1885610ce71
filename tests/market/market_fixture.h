#pragma once

#include <memory>
#include <string>

#include <QWidget>

#include "app/bar_page.h"
#include "marketsim/market_server.h"
#include "platform/inet/service_url.h"

// The bar as the market pages see it: only its window, the watch page and the live feed
// matter to them.
class FakeBar final : public IBar {
public:
    int IsConnected() const override { return 1; }
    int IsProbeDone() const override { return 0; } // keeps the watch page from logging
    int IsAlwaysOnTop() const override { return 1; }
    int RefreshInterval() const override { return 15000; }
    const QuoteRecord& NiftyRecord() const override { return q; }
    const QuoteRecord& SensexRecord() const override { return q; }
    const QuoteRecord& DollarRecord() const override { return q; }
    double PreviousNifty() const override { return 0; }
    double PreviousSensex() const override { return 0; }
    void SuspendRefresh() override {}
    void ResumeRefresh() override {}
    QWidget* Window() override { return &window; }
    int IsLiveFeedStarted() const override { return feeding; }
    void HidePage(BarPage) override {}
    CBarPage* FindPage(BarPage p) const override {
        return p == BarPage::Watchlist ? watch : nullptr;
    }

    QWidget window;
    QuoteRecord q;
    CBarPage* watch = nullptr;
    int feeding = 0;
};

// The simulated market standing still at `clock` (IST), with the program pointed at it.
inline std::unique_ptr<sim::MarketServer> StartMarketAt(const std::string& clock) {
    sim::MarketOptions o;
    o.seed = 7;
    sim::VirtualClock::Parse(clock, o.clock.emplace());
    o.speed = 0;
    auto market = sim::StartEmbeddedMarket(o);
    inet::ResetMarketConfig();
    if (market)
        inet::SetCommandLineMarket(market->BaseUrl());
    return market;
}
