#pragma once

#include <QWidget>

#include "app/bar_page.h"

// The bar as the watch page sees it: NIFTY and SENSEX with their previous values, and
// counts of what the page asked of it.
class FakeBar final : public IBar {
public:
    int IsConnected() const override { return connected; }
    int IsProbeDone() const override { return probeDone; }
    int IsAlwaysOnTop() const override { return 1; }
    int RefreshInterval() const override { return 15000; }
    const QuoteRecord& NiftyRecord() const override { return nifty; }
    const QuoteRecord& SensexRecord() const override { return sensex; }
    const QuoteRecord& DollarRecord() const override { return nifty; }
    double PreviousNifty() const override { return previousNifty; }
    double PreviousSensex() const override { return previousSensex; }
    void SuspendRefresh() override { ++suspended; }
    void ResumeRefresh() override { ++resumed; }
    QWidget* Window() override { return &window; }
    int IsLiveFeedStarted() const override { return feed; }
    void HidePage(BarPage) override { ++hidden; }
    CBarPage* FindPage(BarPage) const override { return nullptr; }

    QWidget window;
    QuoteRecord nifty, sensex;
    double previousNifty = 0, previousSensex = 0;
    int connected = 1, probeDone = 1, feed = 0, suspended = 0, resumed = 0, hidden = 0;
};
