#pragma once

#include <QWidget>

#include "app/bar_page.h"

// The bar as a page sees it, without a window of its own on screen: NIFTY, SENSEX and the
// dollar with their previous values, the flags pages read, the watch page other pages add
// through, and counts of what the page asked of it.
class FakeBar final : public IBar {
public:
    bool IsConnected() const override { return connected; }
    bool IsProbeDone() const override { return probeDone; }
    bool IsAlwaysOnTop() const override { return true; }
    int RefreshInterval() const override { return 15000; }
    const QuoteRecord& NiftyRecord() const override { return nifty; }
    const QuoteRecord& SensexRecord() const override { return sensex; }
    const QuoteRecord& DollarRecord() const override { return dollar; }
    double PreviousNifty() const override { return previousNifty; }
    double PreviousSensex() const override { return previousSensex; }
    void SuspendRefresh() override { ++suspended; }
    void ResumeRefresh() override { ++resumed; }
    QWidget* Window() override { return &window; }
    bool IsLiveFeedStarted() const override { return feed; }
    void HidePage(BarPage) override { ++hidden; }
    CBarPage* FindPage(BarPage p) const override {
        return p == BarPage::Watchlist ? watch : nullptr;
    }

    QWidget window;
    QuoteRecord nifty, sensex, dollar;
    double previousNifty = 0, previousSensex = 0;
    CBarPage* watch = nullptr;
    bool connected = true, probeDone = true, feed = false;
    int suspended = 0, resumed = 0, hidden = 0;
};
