#include "watch/watch_tour.h"

#include <QApplication>

#include "app/main_bar_dlg.h"
#include "app/tour.h"
#include "watch/search_company_dlg.h"
#include "watch/set_alert_dlg.h"
#include "watch/watch_list_ctrl.h"
#include "watch/watch_list_dlg.h"

namespace {

CWatchListDlg* WatchPage(CMainBarDlg& bar) {
    return dynamic_cast<CWatchListDlg*>(bar.Page(BarPage::Watchlist));
}

} // namespace

void RegisterWatchTourSteps() {
    CTour::AddStep("search", [](CMainBarDlg& bar) {
        CWatchListDlg* watch = WatchPage(bar);
        CSearchCompanyDlg dlg(watch, &bar);
        dlg.EnsureInitialized();
        dlg.show();
        dlg.SetDlgItemText(1018, "Tata");
        CTour::Wait(300);
        QImage image = dlg.grab().toImage();
        dlg.hide();
        return image;
    });
    CTour::AddStep("setalert", [](CMainBarDlg& bar) {
        CWatchListDlg* watch = WatchPage(bar);
        QImage image;
        if (!watch || watch->List()->GetItemCount() == 0)
            return image;
        const std::vector<WatchListRow> rows = watch->Rows();
        const WatchListRow& r = rows.front();
        CSetAlertDlg dlg(r.companyName, r.alertSetting, r.lowerLimit, r.upperLimit, r.price, &bar);
        dlg.EnsureInitialized();
        dlg.show();
        CTour::Wait(150);
        image = dlg.grab().toImage();
        dlg.hide();
        return image;
    });
}
