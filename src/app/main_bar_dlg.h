#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <QPointer>

#include "app/bar_page.h"
#include "app/core/bar_rules.h"
#include "app/price_source.h"
#include "platform/ui/dialog.h"
#include "quotes/quote_fetcher.h"
#include "quotes/quote_record.h"

class CColorButton;
class CIndexListCtrl;
class CTickerBarDlg;
class QCheckBox;
class QLabel;
class QMenu;
class QSystemTrayIcon;

// Control ids of the bar.
enum BarControl {
    IDC_BANNER = 1064,
    IDC_OFFLINE = 1003,
    IDC_ONLINE = 1004,
    IDC_ALWAYS_ON_TOP = 1146,
    IDC_ABOUT = 1019,
    IDC_CLOSE = 1026,
    IDC_WATCHLIST = 1015,
    IDC_TOPPERS = 1020,
    IDC_INDICES = 1018,
    IDC_WORLD = 1017,
    IDC_LIVE_CHART = 1022,
    IDC_PROFILE = 1021,
    IDC_AMIBROKER = 1025,
    IDC_FUTURES = 1024,
    IDC_TICKER_BAR = 1180,
    IDC_INDEX_LIST = 1001,
};

// Tray and menu commands.
enum BarCommand {
    ID_TRAY_SHOW = 32771,
    ID_TRAY_HIDE = 32772,
    ID_TRAY_EXIT = 32773,
    ID_AUTOSTART = 32774, // "Start with the desktop"
    ID_SPEED_LOW = 12355,
    ID_SPEED_MEDIUM = 12356,
    ID_SPEED_HIGH = 12357,
    ID_SPEED_VERY_HIGH = 12358,
    ID_CLOSE_ME = 62535,
};

// The tray icon's mouse messages, as the tray callback receives them.
enum TrayMouse {
    kTrayLeftDown = 0x201,
    kTrayLeftDoubleClick = 0x203,
    kTrayRightDown = 0x204,
    kTrayRightDoubleClick = 0x206,
    kTrayMouseMove = 0x200,
    kTrayContextMenu = 0x7B
};

// The program's main window: the bar at the top of the screen with NIFTY and SENSEX and
// the buttons of every page. It owns the refresh cycle of the whole program.
class CMainBarDlg final : public ui::CDialog, public IBar {
    Q_OBJECT
public:
    static constexpr int kRefreshTimer = 1;
    static constexpr int kDefaultRefreshInterval = 15000;

    explicit CMainBarDlg(QWidget* parent = nullptr);
    ~CMainBarDlg() override;

    // IBar
    bool IsConnected() const override { return m_bConnected; }
    bool IsProbeDone() const override { return m_bProbeDone; }
    bool IsAlwaysOnTop() const override { return m_bAlwaysOnTop; }
    int RefreshInterval() const override { return m_nRefreshInterval; }
    const QuoteRecord& NiftyRecord() const override { return m_nifty; }
    const QuoteRecord& SensexRecord() const override { return m_sensex; }
    const QuoteRecord& DollarRecord() const override { return m_dollar; }
    double PreviousNifty() const override { return m_prevNifty; }
    double PreviousSensex() const override { return m_prevSensex; }
    void SuspendRefresh() override;
    void ResumeRefresh() override;
    QWidget* Window() override { return this; }
    bool IsLiveFeedStarted() const override { return m_bLiveFeedStarted; }
    void HidePage(BarPage page) override;
    CBarPage* FindPage(BarPage page) const override { return Page(page); }
    void SetLiveFeedStarted(bool started) { m_bLiveFeedStarted = started; }

    // Options set before the window is created.
    void SetShowSplash(bool show) { m_bShowSplash = show; }
    void SetPriceSource(PriceSource source) { m_priceSource = source; }

    // The refresh cycle.
    std::string BuildBarRequest();
    void StartQuoteFetch();
    const std::string& Request() const { return m_strRequest; }
    bool IsFetchBusy() const { return m_fetcher.IsBusy(); }

    // Pages.
    void OnPageButton(BarPage page);
    CBarPage* Page(BarPage page) const;
    bool IsPageShown(BarPage page) const;
    void PlaceBar(int position);

    // Tray and menus.
    void OnTrayNotify(int iconId, int mouseMessage);
    void OnCommand(int command);
    void ShowAll();
    void HideAll();
    // Hides the bar and its page into the tray; without a tray it minimises them instead.
    void HideToTray();
    // Whether a tray is there to come back from (tests stand in for the desktop's).
    void SetTrayProbe(std::function<bool()> probe) { m_trayProbe = std::move(probe); }
    bool IsHidden() const { return m_bHidden; }
    bool IsIconAdded() const { return m_bIconAdded; }
    // The context menu at a screen point (what a right click on the bar shows).
    void ShowContextMenu(const QPoint& screenPos, bool fromKeyboard);
    // Builds the bar's context menu (for the tour's picture too).
    std::unique_ptr<QMenu> BuildContextMenu();
    void OnAbout();

    // The ticker strip: the Ticker Bar button hides the bar and shows the strip; the
    // strip's "M" brings the bar back (the strip then closes itself).
    void OnTickerBarButton();
    void OnTickerClosed();
    CTickerBarDlg* Ticker() const;
    // The watch list's quotes as the last refresh left them (empty without a watch list).
    std::vector<QuoteRecord> WatchQuotes() const;

    // Every page writes what it keeps.
    void SaveAll();
    // Ends the program: open dialogs and boxes close as cancelled, then the pages go (saving
    // what they keep) and the tray icon is removed.
    void CloseBar(int exitCode = 0);
    int ExitCode() const { return m_nExitCode; }

    // The index list's row for NIFTY (0) or SENSEX (1) as shown, for tests and the tour.
    const QuoteRecord* IndexRow(int row) const;
    int RefreshCount() const { return m_nRefreshes; }

signals:
    void refreshed(bool ok);
    void closed(int exitCode);

protected:
    bool OnInitDialog() override;
    void OnOK() override { CloseBar(); }
    void OnCancel() override { CloseBar(); }
    void OnTimer(int id) override;
    void OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct PageSlot {
        QPointer<ui::CDialog> window;
        CBarPage* page = nullptr;
        bool shown = false;
    };
    // A page's part of the request in flight.
    struct AskedBlock {
        BarPage page;
        QPointer<ui::CDialog> window;
        std::vector<std::string> symbols;
    };

    void BuildTemplate();
    void TearDown(int exitCode);
    void StartProbe();
    void OnProbeDone(bool ok);
    void OnQuotesReady(int result);
    bool DistributeQuoteLines(const std::vector<std::string>& lines);
    void InsertIndexRows();
    void ReportFirstPaint();
    void SetIndicators(bool online);
    void DockPage(ui::CDialog* page);
    void ApplyTopmost(QWidget* window);
    void OnLiveChart();
    void OnCloseButton();
    void SetSpeed(int command);
    void AddTrayIcon();
    void UpdateButtons();
    PageSlot& Slot(BarPage page) { return m_pages[static_cast<int>(page)]; }
    const PageSlot& Slot(BarPage page) const { return m_pages[static_cast<int>(page)]; }

    // Quote state.
    QuoteRecord m_nifty, m_sensex, m_dollar;
    double m_prevNifty = 0, m_prevSensex = 0;
    std::string m_strRequest;
    std::vector<AskedBlock> m_asked;
    QuoteFetcher m_fetcher;
    std::thread m_probe;
    std::shared_ptr<std::atomic<bool>> m_probeCancel = std::make_shared<std::atomic<bool>>(false);
    bool m_bConnected = false;
    bool m_bProbeDone = false;
    int m_nRefreshInterval = kDefaultRefreshInterval;
    int m_nSpeedCommand = ID_SPEED_HIGH;
    int m_nRefreshes = 0;
    bool m_bWarningUp = false;
    int m_nSuspended = 0;
    bool m_bLiveFeedStarted = false;

    // Pages.
    std::array<PageSlot, kBarPageCount> m_pages;
    QPointer<CTickerBarDlg> m_ticker;

    // Window state.
    bool m_bAlwaysOnTop = true;
    bool m_bHidden = false;
    bool m_bIconAdded = false;
    bool m_bShowSplash = true;
    PriceSource m_priceSource = PriceSource::Configured;
    bool m_bClosing = false;
    bool m_bMinimisedForTray = false;
    std::function<bool()> m_trayProbe;
    int m_nExitCode = 0;

    CIndexListCtrl* m_list = nullptr;
    QLabel* m_offline = nullptr;
    QLabel* m_online = nullptr;
    QCheckBox* m_topCheck = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
};

// Actions of buttons whose windows come from other libraries: the Live Chart dialog, the
// AmiBroker link and the ticker strip. A button without one stays disabled.
using BarAction = std::function<void(CMainBarDlg& bar)>;
void RegisterBarAction(int buttonId, BarAction action);
const BarAction& BarActionOf(int buttonId);
