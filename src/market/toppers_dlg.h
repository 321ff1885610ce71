#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/bar_page.h"
#include "market/core/toppers_rows.h"
#include "platform/ui/dialog.h"

class CToppersListCtrl;
class QPoint;

// Control ids of the toppers page.
enum ToppersControl {
    IDC_TP_CLOSE = 1065,
    IDC_TP_NSE = 1070,
    IDC_TP_BSE = 1071,
    IDC_TP_GET_DATA = 1072,
    IDC_TP_LIST = 1073,
    IDC_TP_STATUS = 1074,
    IDC_TP_PRICE_MIN = 1109,
    IDC_TP_PRICE_MAX = 1110,
    IDC_TP_GAIN_MIN = 1111,
    IDC_TP_GAIN_MAX = 1112,
    IDC_TP_VOLUME_MIN = 1113,
    IDC_TP_VOLUME_MAX = 1114,
    IDC_TP_EXPORT = 1115,
};

// The one command of the list's context menu ("Topper").
constexpr int ID_ADD_TO_WATCH_LIST = 32774;

// "Find Market Toppers": the quote of every listed company of one exchange, fetched in
// parallel batches, shown within the user's ranges and sorted by a column heading.
class CToppersDlg final : public ui::CDialog, public CBarPage {
    Q_OBJECT
public:
    static constexpr int IDD = 157;

    explicit CToppersDlg(IBar& bar);
    ~CToppersDlg() override; // stops the batches still running and waits for them

    // CBarPage
    ui::CDialog* PageWindow() override { return this; }
    void SetConnected(bool connected) override { m_bConnected = connected; }

    // The buttons and the list.
    void OnNse();
    void OnBse();
    void OnGetLatestData();
    void OnExport();
    void OnSort(int column);
    // A right click on a row (-1: below the rows) at a screen point.
    void OnListRightClick(int row, const QPoint& screenPos);
    void OnAddToWatchList();

    bool IsFetching() const { return m_bFetching; }
    int BatchCount() const { return static_cast<int>(m_jobs.size()); }
    int BatchesCompleted() const { return m_nCompleted; }
    int BatchesFailed() const { return m_nFailed; }
    std::string StatusText() const;
    CToppersListCtrl* List() const { return m_list; }
    std::vector<TopperRow> Rows() const;
    const ToppersRanges& Ranges() const { return m_ranges; }
    const std::string& ExportPath() const { return m_strExportPath; }
    // At most this many batches in flight (0: all at once). The one-at-a-time setting is
    // the benchmark's baseline.
    static constexpr int kDefaultBatchLimit = 40;
    void SetBatchLimit(int limit) { m_nBatchLimit = limit; }

signals:
    void fetchFinished();

protected:
    bool OnInitDialog() override;
    void OnOK() override {} // Enter in a range edit must not end the page
    void OnCancel() override;
    void OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) override;

private:
    void BuildTemplate();
    bool ReadRanges();
    bool LoadCompanies(int exchange, std::vector<TopperCompany>& companies);
    void StartPendingBatches();
    void OnBatchDone(int exchange, bool ok);
    void FillList(int exchange);
    void InsertRows(const std::vector<TopperRow>& rows);
    void EnableControls(bool enable);
    void SetStatus(const std::string& text);
    void StopWorkers();

    IBar& m_bar;
    int m_nExchange = kToppersNse;     // the radios
    int m_nListExchange = kToppersNse; // what the rows shown were fetched from
    ToppersRanges m_ranges;
    bool m_bConnected = false;
    int m_nRightClickRow = -1;
    std::string m_strExportPath;

    // One fetch: the table the workers fill, its batches and their count.
    std::shared_ptr<ToppersTable> m_table;
    std::vector<ToppersBatchJob> m_jobs;
    std::size_t m_nNextJob = 0;
    int m_nCompleted = 0;
    int m_nFailed = 0;
    // Batches in flight at once: a whole exchange of 6,000 companies in one round, not a
    // thread per batch of a catalogue larger still.
    int m_nBatchLimit = kDefaultBatchLimit;
    bool m_bFetching = false;
    std::vector<std::thread> m_workers;
    std::shared_ptr<std::atomic<bool>> m_cancel;

    CToppersListCtrl* m_list = nullptr;
};
