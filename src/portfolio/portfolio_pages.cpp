#include "portfolio/portfolio_pages.h"

#include <cstdio>

#include <QLineEdit>
#include <QListWidget>
#include <QPainter>

#include "app/main_bar_dlg.h"
#include "app/tour.h"
#include "catalogue/catalogue.h"
#include "controls/list_ctrl.h"
#include "db/operations.h"
#include "portfolio/broker_dlg.h"
#include "portfolio/core/portfolio_tables.h"
#include "portfolio/profile_dlg.h"
#include "portfolio/profile_stocks_dlg.h"
#include "portfolio/profit_calc_dlg.h"

void RegisterPortfolioPage() {
    RegisterBarPage(BarPage::Profile, [](IBar& bar) -> CBarPage* { return new CProfileDlg(bar); });
}

namespace {

// The tour's portfolio: lots in both lists through two brokers, bought a little above or
// below the catalogue's price level so the pictures show gains and losses.
void FillTourPortfolio() {
    BrokerRecord icici = NewBrokerRecord();
    icici.name = "ICICI Direct";
    BrokerRecord other = NewBrokerRecord();
    other.name = "Sharekhan";
    for (double* r : {&other.rates[0], &other.rates[4], &other.rates[8]})
        *r = 0.5;
    struct Pick {
        const char* symbol;
        const char* exchange;
        int type;
        double factor;
        int quantity;
        int broker; // 1 ICICI Direct, 2 Sharekhan
    };
    const Pick picks[] = {
        {"RELIANCE", "NSE", 0, 0.94, 100, 1},   {"RELIANCE", "NSE", 0, 1.02, 50, 1},
        {"TCS", "NSE", 0, 1.08, 20, 2},         {"INFY", "BSE", 0, 0.90, 40, 1},
        {"ITC", "NSE", 0, 0.97, 500, 2},        {"HDFCBANK", "NSE", 0, 1.01, 60, 1},
        {"SBIN", "NSE", 1, 0.995, 200, 2},      {"INFY", "NSE", 1, 1.004, 100, 1},
        {"TATAMOTORS", "NSE", 1, 1.01, 300, 2},
    };
    db::RunReported(
        [](const std::string& e) { std::fprintf(stderr, "koravel: tour data: %s\n", e.c_str()); },
        [&] {
            CBrokersListset brokers;
            portfolio::AddBroker(brokers, icici);
            portfolio::AddBroker(brokers, other);
            const std::vector<BrokerRecord> stored = portfolio::ReadBrokers(brokers);
            CProfileListset lots;
            for (const Pick& p : picks)
                for (const auto& c : catalogue::Companies()) {
                    if ((std::string(p.exchange) == "NSE" ? c.nseName : c.bseName) != p.symbol)
                        continue;
                    const std::int32_t id = stored.size() >= 2 ? stored[p.broker - 1].id : 0;
                    const double price = static_cast<int>(c.price * p.factor * 20) / 20.0;
                    portfolio::AddLots(lots, {c.name, p.exchange, p.symbol, p.type, id},
                                       {{price, p.quantity}});
                    break;
                }
        });
}

// Two dialogs next to each other, as a user would open one from the other.
QImage SideBySide(const QImage& left, const QImage& right) {
    const int gap = 12;
    QImage out(left.width() + gap + right.width(), std::max(left.height(), right.height()),
               QImage::Format_RGB32);
    out.fill(QColor(0x30, 0x38, 0x40));
    QPainter p(&out);
    p.drawImage(0, 0, left);
    p.drawImage(left.width() + gap, 0, right);
    return out;
}

QImage Shot(ui::CDialog& dlg) {
    dlg.EnsureInitialized();
    dlg.show();
    CTour::Wait(200);
    QImage image = dlg.grab().toImage();
    dlg.hide();
    return image;
}

} // namespace

void RegisterPortfolioTour() {
    CTour::AddDataFiller(FillTourPortfolio);
    CTour::AddStep("brokers", [](CMainBarDlg& bar) {
        CBrokersListDlg list(&bar);
        list.EnsureInitialized();
        if (list.List()->count() > 0)
            list.List()->setCurrentRow(0);
        CBrokerDlg broker("ICICI Direct", &bar);
        return SideBySide(Shot(list), Shot(broker));
    });
    CTour::AddStep("lots", [](CMainBarDlg& bar) {
        CProfileStocksDlg stocks("Reliance Industries Ltd", "NSE", "RELIANCE", 0, 1, 0, &bar);
        stocks.EnsureInitialized();
        CListCtrl* list = stocks.List();
        if (list->GetItemCount() > 0)
            list->SetItemSelected(0, true);
        const LotEntry first =
            stocks.Transactions().empty() ? LotEntry{} : stocks.Transactions()[0];
        CLotDlg lot("Reliance Industries Ltd", first.price, first.shares, &bar);
        return SideBySide(Shot(stocks), Shot(lot));
    });
    CTour::AddStep("profitcalc", [](CMainBarDlg& bar) {
        CProfitCalcDlg calc(&bar);
        calc.EnsureInitialized();
        const std::pair<int, const char*> inputs[] = {
            {IDC_PC_SHARES1, "100"}, {IDC_PC_COST1, "100"}, {IDC_PC_GAIN, "0"},
            {IDC_PC_SHARES2, "100"}, {IDC_PC_COST2, "100"}, {IDC_PC_PRICE, "110"}};
        for (const auto& [id, value] : inputs)
            calc.SetDlgItemText(id, value);
        calc.OnRecalculateBoth();
        return Shot(calc);
    });
}
