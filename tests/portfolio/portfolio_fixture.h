#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QWidget>

#include "app/bar_page.h"
#include "controls/list_ctrl.h"
#include "db/data_source_fixture.h"
#include "platform/ui/dialog.h"
#include "portfolio/core/charges.h"
#include "portfolio/core/portfolio_tables.h"

// The bar as the portfolio page sees it.
class FakeBar final : public IBar {
public:
    int IsConnected() const override { return 1; }
    int IsProbeDone() const override { return 1; }
    int IsAlwaysOnTop() const override { return 1; }
    int RefreshInterval() const override { return 15000; }
    const QuoteRecord& NiftyRecord() const override { return none; }
    const QuoteRecord& SensexRecord() const override { return none; }
    const QuoteRecord& DollarRecord() const override { return none; }
    double PreviousNifty() const override { return 0; }
    double PreviousSensex() const override { return 0; }
    void SuspendRefresh() override { ++suspended; }
    void ResumeRefresh() override { ++resumed; }
    QWidget* Window() override { return &window; }
    int IsLiveFeedStarted() const override { return 0; }
    void HidePage(BarPage) override {}
    CBarPage* FindPage(BarPage) const override { return nullptr; }

    QWidget window;
    QuoteRecord none;
    int suspended = 0, resumed = 0;
};

void Set(ui::CDialog& dlg, int id, const std::string& text);
void Click(ui::CDialog& dlg, int id);
// Answers a lots dialog: each attempt types price and shares and presses OK, until the
// dialog closes; the dialog's result.
std::function<int(QDialog&)> Lot(std::vector<std::pair<std::string, std::string>> attempts);
std::function<int(QDialog&)> Lot(const std::string& price, const std::string& shares);
// Picks the first company the search finds.
int PickFirst(QDialog& d);
std::vector<std::string> Column(CListCtrl* list, int col);

// A fresh data source with helpers to put brokers and lots in it.
class PortfolioTest : public DataSourceTest {
protected:
    void TearDown() override;

    // Stores a broker with the new-broker rates; returns its ID.
    std::int32_t AddBroker(const std::string& name);
    void AddLot(const std::string& company, const std::string& index, const std::string& symbol,
                int type, double price, int quantity, std::int32_t brokerId);
    std::vector<ProfileLot> StoredLots();
    // Answers each modal dialog with the next function (which returns the result).
    void OnModal(std::vector<std::function<int(QDialog&)>> answers);
};
