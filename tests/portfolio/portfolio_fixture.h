#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/list_ctrl.h"
#include "platform/ui/dialog.h"
#include "portfolio/core/charges.h"
#include "portfolio/core/portfolio_tables.h"
#include "support/data_source_fixture.h"
#include "support/fake_bar.h"

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
