#include "portfolio_fixture.h"

#include <deque>
#include <memory>

#include "platform/ui/message_box.h"

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
