#pragma once

#include <memory>
#include <string>
#include <vector>

#include "amibroker/core/bridge_workers.h"
#include "platform/inet/internet_session.h"
#include "platform/ui/dialog.h"

class CMainBarDlg;
class QLabel;
class QProgressBar;

enum AmiBrokerControl {
    IDC_AB_SYNC = 1171,
    IDC_AB_DELETE_ALL = 1172,
    IDC_AB_START = 1142,
    IDC_AB_STOP = 1143,
    IDC_AB_BACKFILL_1 = 1176,
    IDC_AB_BACKFILL_5 = 1180,
    IDC_AB_STOP_BACKFILL = 1177,
    IDC_AB_KILL_ALL = 1173,
    IDC_AB_SYNC_STATUS = 1175,
    IDC_AB_BACKFILL_STATUS = 1179,
    IDC_AB_PROGRESS = 1178,
};

// "Configure AmiBroker Link": synchronising the charting program's symbols with the watch
// list, the live feed's START and STOP, back-fills of one or five days of bars, and ending
// the charting program. One object lives with the bar, so a stopped back-fill resumes.
class CAmiBrokerLinkDlg final : public ui::CDialog {
    Q_OBJECT
public:
    explicit CAmiBrokerLinkDlg(CMainBarDlg& bar);
    ~CAmiBrokerLinkDlg() override;

    // Opens the dialog modally (every opening makes its own bridge).
    int Run();
    // Prepares an opening without running it (the tour and tests use it with the modal hook).
    void Open();

    void OnSynchronize();
    void OnDeleteAll();
    void OnStart();
    void OnStop();
    void OnBackfill(int mode);
    void OnStopBackfill();
    void OnKillAll();

    int Position() const { return m_nPosition; }
    int Mode() const { return m_nMode; }
    int Count() const { return m_nCount; }
    std::string SyncStatus() const { return m_strSyncStatus; }
    std::string BackfillStatus() const { return m_strBackfillStatus; }
    bool HasBridge() const { return static_cast<bool>(m_bridge); }

protected:
    void OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) override;
    void OnCancel() override;

private:
    void BuildTemplate();
    void Step();
    void SetFeedButtons();
    void EnableMain(bool enable);
    void SetBackfillStatus(const std::string& text);
    std::vector<std::pair<std::string, std::string>> Entries() const;

    CMainBarDlg& m_bar;
    com::ComPtr<_clsdll> m_bridge; // this opening's own
    std::unique_ptr<CInternetSession> m_session;
    amilink::BackfillWorkers m_workers;
    int m_nMode = 1;
    int m_nPosition = 0;
    int m_nCount = 0;
    // While STOP BackFill waits for the worker, its step messages wait too: the position
    // steps back first.
    bool m_bStopping = false;
    std::vector<unsigned> m_deferred;
    std::string m_strName; // the last step's name
    std::string m_strSyncStatus, m_strBackfillStatus;
    QProgressBar* m_progress = nullptr;
};

// Makes the bar's AmiBroker button run the dialog, and adds it to the tour.
void RegisterAmiBrokerLink();
