#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/bar_page.h"
#include "charts/core/data_logs.h"
#include "db/recordsets.h"
#include "platform/ui/dialog.h"
#include "watch/core/alert_rules.h"
#include "watch/core/watch_rows.h"
#include "watch/watch_items.h"

class CDesktopNotifier;
namespace amilink {
class LiveFeed;
}
class CWatchListCtrl;
class QCheckBox;

// Control ids of the watch list page.
enum WatchListControl {
    IDC_WL_LIST = 1014,
    IDC_WL_CLOSE = 1016,
    IDC_WL_ADD = 1022,
    IDC_WL_DELETE = 1023,
    IDC_WL_EXPORT = 1024,
    IDC_WL_SET_ALERT = 1025,
    IDC_WL_ADD_TICKER = 1026,
    IDC_WL_POPUP = 1129,
    IDC_WL_DAY = 1133,
    IDC_WL_YEAR = 1134,
    IDC_WL_CONFIGURED = 1135,
    IDC_WL_HELP = 1136,
    IDC_WL_INTRADAY = 1137,
    IDC_WL_LIVEDATA = 1138,
};

// The user's watched companies with live quotes: the hub of the live data. The bar makes
// it hidden at start-up; it refreshes, colours alerts and pops them up even while hidden.
class CWatchListDlg final : public ui::CDialog, public CBarPage, public IWatchList {
    Q_OBJECT
public:
    static constexpr int kCapacity = 50;
    static constexpr int kAddLimit = 42;

    explicit CWatchListDlg(IBar& bar);
    ~CWatchListDlg() override; // writes the table

    // CBarPage
    ui::CDialog* PageWindow() override { return this; }
    int QuoteCount() const override { return static_cast<int>(m_items.size()); }
    std::string QuoteSymbol(int index) const override;
    QuoteRecord& QuoteSlot(int index) override { return m_quotes[index]; }
    // A new answer from the bar: the rows, then the logs, the samples, the feed, pop-ups.
    void OnBarRefresh() override { Refresh(true); }
    void SetConnected(bool connected) override { m_bConnected = connected; }
    bool LiveChartLoggingOn() const override { return m_checks.intraday && m_checks.liveData; }
    void SaveState() override { SaveWatchList(); }

    // IWatchList
    int ItemCount() const override { return static_cast<int>(m_items.size()); }
    const WatchItem& Item(int index) const override { return m_items[index]; }
    void AppendItem(const WatchItem& item) override;
    void AddWatchItem(const std::string& companyName, const std::string& exchange,
                      const std::string& symbol, int alertSetting, double lowerLimit,
                      double upperLimit) override;
    // The rows again, with no new answer (after add, delete, an alert or a check box): the
    // logs and the feed already have this answer, so they are not written twice.
    void RefreshWatchList() override { Refresh(false); }

    void LoadWatchList();
    void SaveWatchList();
    void ShowAlertPopup();

    // The buttons.
    void OnAdd();
    void OnDelete();
    void OnSetAlert();
    void OnExport();
    void OnSort(int column);

    const WatchChecks& Checks() const { return m_checks; }
    const PrevSample& Previous(int index) const { return m_prev[index]; }
    // Refreshes fed to the charting program so far.
    int FeedCycles() const;
    bool IsFeedSending() const;
    CWatchListCtrl* List() const { return m_list; }
    const std::string& ExportPath() const { return m_strExportPath; }
    // The row records as the list shows them.
    std::vector<WatchListRow> Rows() const;

    // The sort direction shared by every sort: ascending first, then it flips.
    static bool SortAscending();
    static void ResetSortDirection();

signals:
    void alertsShown(const QString& text);

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    void BuildTemplate();
    void Refresh(bool newAnswer);
    void ReadChecks();
    void RebuildItemsFromRows(const std::vector<WatchListRow>& rows);
    void InsertRows(const std::vector<WatchListRow>& rows);
    // Steps of a refresh that arrive with the data logs and the live feed.
    void RunDataLogging();
    void RunLiveFeedCycle();
    void ReportDbError(const std::string& error);

    IBar& m_bar;
    std::vector<WatchItem> m_items;
    std::array<QuoteRecord, kCapacity> m_quotes{};
    std::array<PrevSample, kCapacity> m_prev{};
    CSelCompanyListset m_set;
    bool m_bConnected = false;
    WatchChecks m_checks;
    bool m_bAlertUp = false;
    bool m_bLogMessageUp = false;
    bool m_bSaved = false;
    std::string m_strExportPath;
    CWatchListCtrl* m_list = nullptr;
    CDesktopNotifier* m_notifier = nullptr;
    std::unique_ptr<amilink::LiveFeed> m_feed;
    LogFiles m_logFiles; // the logs stay open between refreshes
};

// Makes the bar create this page hidden at start-up and show it from its button.
void RegisterWatchListPage();
