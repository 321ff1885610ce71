#include "amibroker/amibroker_link_dlg.h"

#include <cstdio>
#include <utility>

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>

#include "amibroker/core/link_rules.h"
#include "app/main_bar_dlg.h"
#include "app/tour.h"
#include "controls/color_button.h"
#include "platform/inet/service_url.h"
#include "watch/watch_items.h"

namespace {

constexpr const char* kNoBridge = "SORRY !!! Problem with COM DLL!!!\nThis feature is not "
                                  "available without proper installation of this Dll";
constexpr const char* kNotRunning =
    "SORRY !!! Either AmiBroker is not RUNNING or Problem with COM DLL!!!\nAmiBroker "
    "related functionality will not be available.";
constexpr const char* kDeleteQuestion =
    "Are you sure that you want to DELETE ALL current configured Stocks in AmiBroker's Symbol "
    "?\nOnce you deleted "
    "the stocks, all current Intraday/EOD data of those stocks will be lost.";
constexpr const char* kKilled =
    "All instances of Ami Broker are closed\n\nNow Close All running instances of "
    "Koravel\nThen Run Ami Broker FIRST and then Koravel";

const int kMainButtons[] = {IDC_AB_START,      IDC_AB_SYNC, IDC_AB_DELETE_ALL, IDC_AB_BACKFILL_1,
                            IDC_AB_BACKFILL_5, ui::IDOK,    IDC_AB_KILL_ALL};

} // namespace

CAmiBrokerLinkDlg::CAmiBrokerLinkDlg(CMainBarDlg& bar)
    : ui::CDialog(185, &bar), m_bar(bar),
      m_workers([](const std::string& m) { ui::messageBox(m, ui::MB_OK | ui::MB_ICONERROR); }) {
    setWindowTitle("Configure AmiBroker Link");
    BuildTemplate();
    EnsureInitialized();
}

CAmiBrokerLinkDlg::~CAmiBrokerLinkDlg() {
    amilink::BackfillWorkers::RunFlag() = 0;
    m_workers.Join();
    CoUninitialize();
}

void CAmiBrokerLinkDlg::BuildTemplate() {
    SetTemplateSize(265, 260);
    SetPageColor(colors::kPage);
    auto button = [this](int id, const char* caption, int x, int y, int w, int h = 14) {
        auto* b = Add<CColorButton>(id, x, y, w, h, std::string(caption));
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
        return b;
    };
    AddGroup(-1, "Synchronize AmiBroker Stock List with WatchList", 7, 6, 251, 38);
    button(IDC_AB_SYNC, "Synchronize", 14, 20, 70);
    AddStatic(IDC_AB_SYNC_STATUS, "", 92, 23, 160, 10);
    AddGroup(-1, "Delete All Stocks from AmiBroker Stock List", 7, 48, 251, 34);
    button(IDC_AB_DELETE_ALL, "Delete All", 14, 61, 70);
    AddGroup(-1, "Live Data Fetching && Refresh Action to AmiBroker", 7, 86, 251, 34);
    button(IDC_AB_START, "START", 14, 99, 70);
    button(IDC_AB_STOP, "STOP", 92, 99, 70);
    AddGroup(-1, "BACKFILL Data in AmiBroker for Watchlist Stocks", 7, 124, 251, 78);
    button(IDC_AB_BACKFILL_1, "BACKFILL  with 1-Min Data for 1 Day", 14, 137, 150);
    button(IDC_AB_BACKFILL_5, "BACKFILL  with 5-Min Data for 5 Days", 14, 155, 150);
    button(IDC_AB_STOP_BACKFILL, "STOP BackFill", 172, 146, 78);
    m_progress = new QProgressBar(this);
    Place(m_progress, IDC_AB_PROGRESS, 14, 174, 236, 10);
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(false);
    AddStatic(IDC_AB_BACKFILL_STATUS, "", 14, 187, 236, 10);
    AddGroup(-1, "If you face any problem in Refreshing StockList or Chart in Ami Broker", 7, 206,
             251, 34);
    button(IDC_AB_KILL_ALL, "Kill All instances of Ami Broker", 14, 219, 150);
    button(ui::IDOK, "Close", 200, 242, 58);

    auto on = [this](int id, auto fn) {
        connect(Control<QPushButton>(id), &QPushButton::clicked, this, fn);
    };
    on(IDC_AB_SYNC, [this] { OnSynchronize(); });
    on(IDC_AB_DELETE_ALL, [this] { OnDeleteAll(); });
    on(IDC_AB_START, [this] { OnStart(); });
    on(IDC_AB_STOP, [this] { OnStop(); });
    on(IDC_AB_BACKFILL_1, [this] { OnBackfill(1); });
    on(IDC_AB_BACKFILL_5, [this] { OnBackfill(5); });
    on(IDC_AB_STOP_BACKFILL, [this] { OnStopBackfill(); });
    on(IDC_AB_KILL_ALL, [this] { OnKillAll(); });
    on(ui::IDOK, [this] { EndDialog(ui::IDOK); });
}

void CAmiBrokerLinkDlg::Open() {
    // The component model for this thread.
    CoInitialize(nullptr);
    // Buttons by the feed's state; no back-fill running.
    SetFeedButtons();
    GetDlgItem(IDC_AB_STOP_BACKFILL)->setEnabled(false);
    m_progress->hide();
    // This opening's own bridge.
    m_bridge.Reset();
    if (FAILED(amilink::CreateBridge(m_bridge))) {
        m_bridge.Reset();
        ui::messageBox(kNoBridge, ui::MB_OK | ui::MB_ICONERROR, this);
    } else {
        com::Variant r;
        if (FAILED(m_bridge->fnInitialize(&r))) {
            ui::messageBox(kNotRunning, ui::MB_OK | ui::MB_ICONERROR, this);
            amilink::BackfillBridge().ready = false; // made again when the program is back
        }
    }
    // Empty status texts.
    SetDlgItemText(IDC_AB_SYNC_STATUS, m_strSyncStatus = "");
    SetBackfillStatus("");
}

int CAmiBrokerLinkDlg::Run() {
    Open();
    return DoModal();
}

void CAmiBrokerLinkDlg::OnCancel() {
    // While a back-fill runs, the dialog stays (its Close is off too).
    if (GetDlgItem(IDC_AB_STOP_BACKFILL)->isEnabled())
        return;
    EndDialog(ui::IDCANCEL);
}

void CAmiBrokerLinkDlg::SetFeedButtons() {
    const bool started = m_bar.IsLiveFeedStarted();
    for (int id : {IDC_AB_START, IDC_AB_SYNC, IDC_AB_DELETE_ALL, IDC_AB_BACKFILL_1,
                   IDC_AB_BACKFILL_5, IDC_AB_KILL_ALL})
        GetDlgItem(id)->setEnabled(!started);
    GetDlgItem(IDC_AB_STOP)->setEnabled(started);
}

void CAmiBrokerLinkDlg::EnableMain(bool enable) {
    for (int id : kMainButtons)
        GetDlgItem(id)->setEnabled(enable);
}

void CAmiBrokerLinkDlg::SetBackfillStatus(const std::string& text) {
    m_strBackfillStatus = text;
    SetDlgItemText(IDC_AB_BACKFILL_STATUS, text);
}

std::vector<std::pair<std::string, std::string>> CAmiBrokerLinkDlg::Entries() const {
    std::vector<std::pair<std::string, std::string>> entries;
    if (auto* watch = dynamic_cast<IWatchList*>(m_bar.FindPage(BarPage::Watchlist)))
        for (int i = 0; i < watch->ItemCount(); ++i)
            entries.emplace_back(watch->Item(i).symbol, watch->Item(i).exchange);
    return entries;
}

void CAmiBrokerLinkDlg::OnSynchronize() {
    EnableMain(false);
    SetDlgItemText(IDC_AB_SYNC_STATUS, m_strSyncStatus = "Wait Sync. is in Progress");
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!m_bridge) {
        ui::messageBox(kNoBridge, ui::MB_OK | ui::MB_ICONERROR, this);
    } else {
        com::Bstr list(amilink::SyncList(Entries()));
        com::Variant r;
        if (FAILED(m_bridge->fnAddStocks(list.Address(), &r)))
            ui::messageBox(kNotRunning, ui::MB_OK | ui::MB_ICONERROR, this);
    }
    SetDlgItemText(IDC_AB_SYNC_STATUS, m_strSyncStatus = "");
    EnableMain(true);
    m_nPosition = 0;
}

void CAmiBrokerLinkDlg::OnDeleteAll() {
    if (ui::messageBox(kDeleteQuestion, ui::MB_YESNO | ui::MB_ICONQUESTION, this) != ui::IDYES)
        return;
    com::Variant r;
    if (!m_bridge)
        ui::messageBox(kNoBridge, ui::MB_OK | ui::MB_ICONERROR, this);
    else if (FAILED(m_bridge->fnDeleteAllStocks(&r)))
        ui::messageBox(kNotRunning, ui::MB_OK | ui::MB_ICONERROR, this);
    m_nPosition = 0;
}

void CAmiBrokerLinkDlg::OnStart() {
    m_bar.SetLiveFeedStarted(true);
    SetFeedButtons();
    m_nPosition = 0;
}

void CAmiBrokerLinkDlg::OnStop() {
    m_bar.SetLiveFeedStarted(false);
    SetFeedButtons();
    m_nPosition = 0;
}

void CAmiBrokerLinkDlg::OnKillAll() {
    while (amilink::KillProcessByName("Broker.exe") == amilink::kKilled) {
    }
    ui::messageBox(kKilled, ui::MB_OK | ui::MB_ICONINFORMATION, this);
}

void CAmiBrokerLinkDlg::OnBackfill(int mode) {
    if (m_nMode != mode)
        m_nPosition = 0; // the other kind starts again from NIFTY
    m_nMode = mode;
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    amilink::BackfillWorkers::RunFlag() = 1;
    m_progress->show();
    EnableMain(false);
    GetDlgItem(IDC_AB_STOP)->setEnabled(false);
    GetDlgItem(IDC_AB_STOP_BACKFILL)->setEnabled(true);
    m_nCount = static_cast<int>(Entries().size());
    m_session = std::make_unique<CInternetSession>("Backfill Session", 1);
    Step();
}

void CAmiBrokerLinkDlg::Step() {
    const int total = m_nCount + 2;
    if (m_nPosition >= total) {
        SetBackfillStatus("BackFill Done!!!");
        m_progress->hide();
        m_session.reset();
        EnableMain(true);
        SetFeedButtons();
        GetDlgItem(IDC_AB_STOP_BACKFILL)->setEnabled(false);
        m_nPosition = 0;
        return;
    }
    m_progress->setValue(amilink::StepProgress(m_nPosition, total));
    const amilink::BackfillStep step = amilink::StepOf(m_nPosition, Entries());
    std::string text;
    if (!step.chartSymbol.empty()) {
        m_strName = step.name;
        SetBackfillStatus(step.name);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::vector<std::string> lines;
        try {
            if (!m_session)
                m_session = std::make_unique<CInternetSession>("Backfill Session", 1);
            auto file = m_session->OpenURL(
                inet::BuildServiceUrl(inet::Service::ChartData,
                                      amilink::ChartDataPath(step.chartSymbol, m_nMode)),
                1, INTERNET_FLAG_TRANSFER_ASCII);
            std::string line;
            while (file->ReadString(line))
                lines.push_back(line);
        } catch (const CInternetException&) {
            // The step goes on with whatever arrived.
        }
        text = amilink::JoinBars(lines, amilink::HeaderLines(m_nMode));
    }
    ++m_nPosition;
    m_workers.Start(m_strName, text, Poster());
}

void CAmiBrokerLinkDlg::OnStopBackfill() {
    // A second press while the first one waits would step the position back twice.
    if (m_bStopping)
        return;
    SetBackfillStatus("BACKFILL Stopping");
    amilink::BackfillWorkers::RunFlag() = 0;
    // Waits for the worker, still answering any box it shows.
    m_bStopping = true;
    while (m_workers.IsRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    m_workers.Join();
    if (m_nPosition > 0)
        --m_nPosition;
    m_bStopping = false;
    const std::vector<unsigned> deferred = std::exchange(m_deferred, {});
    for (unsigned message : deferred)
        OnUserMessage(message, 0, 0);
}

void CAmiBrokerLinkDlg::OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
    if (m_bStopping && (message == msg::WM_BACKFILL_NEXT || message == msg::WM_BACKFILL_STOPPED)) {
        m_deferred.push_back(message);
        return;
    }
    if (message == msg::WM_BACKFILL_NEXT) {
        Step();
        return;
    }
    if (message == msg::WM_BACKFILL_STOPPED) {
        SetBackfillStatus("BACKFILL Stopped");
        EnableMain(true);
        SetFeedButtons();
        GetDlgItem(IDC_AB_STOP_BACKFILL)->setEnabled(false);
        return;
    }
    ui::CDialog::OnUserMessage(message, wParam, lParam);
}

void RegisterAmiBrokerLink() {
    // The dialog lives as long as the bar that runs it.
    RegisterBarAction(IDC_AMIBROKER, [](CMainBarDlg& bar) {
        auto* dlg = bar.findChild<CAmiBrokerLinkDlg*>();
        if (!dlg)
            dlg = new CAmiBrokerLinkDlg(bar);
        dlg->Run(); // the refresh goes on meanwhile: the live feed rides on it
    });
    CTour::AddStep("amibroker", [](CMainBarDlg& bar) {
        CAmiBrokerLinkDlg dlg(bar);
        dlg.Open();
        dlg.show();
        CTour::Wait(150);
        QImage image = dlg.grab().toImage();
        dlg.hide();
        return image;
    });
}
