#include "portfolio_fixture.h"

#include <deque>
#include <memory>

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>

#include "platform/ui/message_box.h"
#include "portfolio/profile_stocks_dlg.h"
#include "watch/search_result_dlg.h"

void Set(ui::CDialog& dlg, int id, const std::string& text) {
    dlg.Control<QLineEdit>(id)->setText(QString::fromStdString(text));
}
void Click(ui::CDialog& dlg, int id) {
    dlg.Control<QAbstractButton>(id)->click();
}

std::function<int(QDialog&)> Lot(std::vector<std::pair<std::string, std::string>> attempts) {
    return [=](QDialog& d) {
        auto& lot = dynamic_cast<CLotDlg&>(d);
        for (const auto& [price, shares] : attempts) {
            Set(lot, IDC_LOT_PRICE, price);
            Set(lot, IDC_LOT_SHARES, shares);
            Click(lot, ui::IDOK);
        }
        return lot.Result();
    };
}
std::function<int(QDialog&)> Lot(const std::string& price, const std::string& shares) {
    return Lot({{price, shares}});
}

std::vector<std::string> Column(CListCtrl* list, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < list->GetItemCount(); ++r)
        out.push_back(list->GetItemText(r, col));
    return out;
}

int PickFirst(QDialog& d) {
    auto& search = dynamic_cast<CSearchResultDlg&>(d);
    search.Control<QListWidget>(CSearchResultDlg::IDC_RESULT_LIST)->setCurrentRow(0);
    Click(search, ui::IDOK);
    return search.ui::CDialog::Result();
}

void PortfolioTest::TearDown() {
    ui::SetModalHook(nullptr);
}

std::int32_t PortfolioTest::AddBroker(const std::string& name) {
    BrokerRecord b = NewBrokerRecord();
    b.name = name;
    CBrokersListset set;
    portfolio::AddBroker(set, b);
    return portfolio::FindBroker(set, name)->id;
}

void PortfolioTest::AddLot(const std::string& company, const std::string& index,
                           const std::string& symbol, int type, double price, int quantity,
                           std::int32_t brokerId) {
    CProfileListset set;
    portfolio::AddLots(set, {company, index, symbol, type, brokerId}, {{price, quantity}});
}

std::vector<ProfileLot> PortfolioTest::StoredLots() {
    CProfileListset set;
    return portfolio::ReadLots(set);
}

void PortfolioTest::OnModal(std::vector<std::function<int(QDialog&)>> answers) {
    auto queue =
        std::make_shared<std::deque<std::function<int(QDialog&)>>>(answers.begin(), answers.end());
    ui::SetModalHook([queue](QDialog& dlg) {
        if (queue->empty())
            return static_cast<int>(ui::IDCANCEL);
        auto answer = std::move(queue->front());
        queue->pop_front();
        return answer(dlg);
    });
}
