#include "app/main_bar_dlg.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWindow>

#include "app/about_dlg.h"
#include "app/ticker_bar_dlg.h"
#include "controls/color_button.h"
#include "controls/list_ctrl.h"
#include "controls/quote_lists.h"
#include "controls/splash_wnd.h"
#include "platform/inet/internet_session.h"
#include "quotes/indian_number.h"
#include "quotes/line_fetch.h"
#include "quotes/quote_request.h"

namespace {

constexpr const char* kProbeMessage = "Sorry!!!Internet Connection is not detected.\nFirst get "
                                      "Internet Connected then Start this tool";
constexpr const char* kWarningMessage =
    "WARNING!\nEither Data Server or Your Internet Connection is slow at "
    "the moment\nPlease WAIT for the next Refresh ...";
constexpr const char* kCloseQuestion = "Are you sure that you want to CLOSE Koravel ?";
constexpr const char* kLiveChartOptions =
    "Please CHECK both Intraday & LiveData in Watchlist\nbefore you start LIVE CHARTING";
constexpr const char* kLiveChartClosed =
    "Market is not open at the moment. Please use Live Charting During\n"
    "Market Hours i.e. 9:55AM-3:30PM during working days";

std::map<int, BarAction>& Actions() {
    static std::map<int, BarAction> actions;
    return actions;
}

struct PageButton {
    int id;
    const char* caption;
    int x;
};

// Left to right along the bar.
const PageButton kPageButtons[] = {
    {IDC_WATCHLIST, "Watchlist", 5},     {IDC_TOPPERS, "Toppers", 47},
    {IDC_INDICES, "Indices", 89},        {IDC_WORLD, "World", 131},
    {IDC_LIVE_CHART, "Live Chart", 173}, {IDC_PROFILE, "Profile", 215},
    {IDC_AMIBROKER, "AmiBroker", 257},   {IDC_FUTURES, "Futures", 299},
    {IDC_TICKER_BAR, "Ticker Bar", 341},
};

std::optional<BarPage> PageOfButton(int id) {
    for (int i = 0; i < kBarPageCount; ++i)
        if (PageInfo(static_cast<BarPage>(i)).buttonId == id)
            return static_cast<BarPage>(i);
    return std::nullopt;
}

} // namespace

void RegisterBarAction(int buttonId, BarAction action) {
    Actions()[buttonId] = std::move(action);
}

const BarAction& BarActionOf(int buttonId) {
    static const BarAction none;
    auto it = Actions().find(buttonId);
    return it == Actions().end() ? none : it->second;
}

CMainBarDlg::CMainBarDlg(QWidget* parent) : ui::CDialog(102, parent) {
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowIcon(QIcon(":/bitmaps/128.png"));
    BuildTemplate();
}

CMainBarDlg::~CMainBarDlg() {
    m_bClosing = true;
    m_probeCancel->store(true);
    if (m_probe.joinable())
        m_probe.join();
    for (auto& slot : m_pages)
        delete slot.window.data();
    if (m_tray)
        m_tray->hide();
}

void CMainBarDlg::BuildTemplate() {
    SetTemplateSize(388, 68);
    auto* banner = AddStatic(IDC_BANNER, "", 2, 0, 384, 20);
    banner->setPixmap(QPixmap(":/bitmaps/129.png"));
    banner->setScaledContents(true);
    m_offline = AddStatic(IDC_OFFLINE, "", 328, 6, 9, 8);
    m_offline->setPixmap(QPixmap(":/bitmaps/130.png"));
    m_online = AddStatic(IDC_ONLINE, "", 328, 6, 9, 8);
    m_online->setPixmap(QPixmap(":/bitmaps/131.png"));
    for (QLabel* dot : {m_offline, m_online})
        dot->setAlignment(Qt::AlignCenter);
    m_online->hide();
    m_topCheck = Add<QCheckBox>(IDC_ALWAYS_ON_TOP, 340, 6, 9, 8);
    m_topCheck->setChecked(true);
    connect(m_topCheck, &QCheckBox::toggled, this, [this](bool on) {
        m_bAlwaysOnTop = on;
        PlaceBar(kKeepPosition);
    });
    auto* about = Add<CColorButton>(IDC_ABOUT, 352, 4, 14, 12, std::string("?"));
    connect(about, &QPushButton::clicked, this, &CMainBarDlg::OnAbout);
    auto* close = Add<CColorButton>(IDC_CLOSE, 369, 4, 14, 12, std::string("X"));
    connect(close, &QPushButton::clicked, this, &CMainBarDlg::OnCloseButton);
    for (const PageButton& b : kPageButtons) {
        auto* button = Add<CColorButton>(b.id, b.x, 19, 41, 14, std::string(b.caption));
        connect(button, &QPushButton::clicked, this, [this, id = b.id] {
            if (auto page = PageOfButton(id))
                OnPageButton(*page);
            else if (id == IDC_LIVE_CHART)
                OnLiveChart();
            else if (id == IDC_TICKER_BAR)
                OnTickerBarButton();
            else if (const BarAction& action = BarActionOf(id))
                action(*this);
        });
    }
    m_list = Add<CIndexListCtrl>(IDC_INDEX_LIST, 2, 34, 383, 32);
}

bool CMainBarDlg::OnInitDialog() {
    // The buttons' look.
    for (int id : {IDC_WATCHLIST, IDC_WORLD, IDC_TICKER_BAR, IDC_INDICES, IDC_TOPPERS, IDC_PROFILE,
                   IDC_ABOUT, IDC_LIVE_CHART, IDC_FUTURES, IDC_AMIBROKER, IDC_CLOSE})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    const std::pair<int, const char*> tips[] = {
        {IDC_PROFILE, "My Profile"},
        {IDC_WATCHLIST, "My Watch List"},
        {IDC_WORLD, "World Market"},
        {IDC_INDICES, "Indian Market Indices"},
        {IDC_TOPPERS, "Find Market Toppers"},
        {IDC_LIVE_CHART, "Live CHARTing"},
        {IDC_INDEX_LIST, "Double Click stocks to see their historical chart"},
        {IDC_FUTURES, "FUTURE contracts"},
        {IDC_AMIBROKER, "Fetch Data to AmiBroker"},
        {IDC_CLOSE, "Close"},
        {IDC_ABOUT, "About"},
        {IDC_TICKER_BAR, "Ticker Bar"},
    };
    for (const auto& [id, tip] : tips)
        if (QWidget* w = GetDlgItem(id))
            w->setToolTip(tip);
    setToolTip("Right Click to reposition Koravel");
    // Background and icon.
    SetPageColor(colors::kPage);
    CSplashWnd::EnableSplashScreen(m_bShowSplash);
    if (m_bShowSplash)
        CSplashWnd::ShowSplashScreen(3000, QPixmap(":/bitmaps/167.png"), this);
    setWindowTitle("Koravel");
    if (m_priceSource != PriceSource::Configured) {
        const bool live = m_priceSource == PriceSource::Live;
        auto* simulated = AddStatic(-1, live ? kLiveLabel : kSimulatedLabel, live ? 122 : 212, 5,
                                    live ? 200 : 110, 9, Qt::AlignRight | Qt::AlignVCenter);
        QFont f = simulated->font();
        f.setBold(true);
        simulated->setFont(f);
        simulated->setStyleSheet("color: #fff6a8;");
        simulated->setToolTip(
            live ? "Delayed prices from Yahoo Finance and the exchanges' daily files, for "
                   "personal use only"
                 : "Prices come from the built-in simulated market, not from an exchange");
        simulated->lower();
        GetDlgItem(IDC_BANNER)->lower();
    }
    // The index list and its columns.
    m_list->SetGridLines(true);
    const std::pair<const char*, int> columns[] = {
        {" Index", 75},   {"Curr.Price", 75}, {"Date    ", 75}, {"Chng  ", 60},   {"Chng %", 60},
        {"Open    ", 75}, {"High    ", 75},   {"Low     ", 75}, {"PrevPrice", 0},
    };
    for (int i = 0; i < 9; ++i)
        m_list->InsertColumn(i, columns[i].first, LVCFMT_RIGHT, columns[i].second);
    m_list->SetTextCallback([this](int row, int col) -> std::string {
        const QuoteRecord* r = IndexRow(row);
        return r ? IndexCellText(*r, col) : std::string();
    });
    m_list->SetConnectedFlag([this] { return m_bConnected; });
    // The two rows from the still empty records.
    InsertIndexRows();
    // Drags start on the free surface and on the pictures.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    UpdateButtons();
    // Top centre.
    adjustSize();
    PlaceBar(ID_TOP_CENTER);
    // The refresh timer, and a first tick at once.
    SetTimer(kRefreshTimer, m_nRefreshInterval);
    PostMessage(ui::WM_TIMER_POSTED);
    // The tray icon.
    AddTrayIcon();
    // The watch list, hidden, so alerts and logging run from the start.
    if (const BarPageFactory& make = BarPageFactoryOf(BarPage::Watchlist)) {
        PageSlot& slot = Slot(BarPage::Watchlist);
        slot.page = make(*this);
        slot.window = slot.page->PageWindow();
        slot.page->SetConnected(m_bConnected);
        DockPage(slot.window);
        slot.window->hide();
        slot.shown = false;
    }
    return true;
}

void CMainBarDlg::UpdateButtons() {
    for (int i = 0; i < kBarPageCount; ++i) {
        const auto page = static_cast<BarPage>(i);
        if (QWidget* b = GetDlgItem(PageInfo(page).buttonId))
            b->setEnabled(static_cast<bool>(BarPageFactoryOf(page)));
    }
    for (int id : {IDC_AMIBROKER})
        if (QWidget* b = GetDlgItem(id))
            b->setEnabled(static_cast<bool>(BarActionOf(id)));
}

void CMainBarDlg::paintEvent(QPaintEvent* e) {
    ui::CDialog::paintEvent(e);
    QPainter p(this);
    p.setPen(QColor(0x64, 0x64, 0x64)); // the thin border of a caption-less window
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- refresh cycle ---------------------------------------------------------------------

void CMainBarDlg::OnTimer(int id) {
    if (id != kRefreshTimer && id != 0)
        return;
    if (!m_bProbeDone) {
        // The probe runs on a worker: the bar paints and answers while it waits.
        KillTimer(kRefreshTimer);
        StartProbe();
        return;
    }
    StartQuoteFetch();
}

void CMainBarDlg::StartProbe() {
    if (m_probe.joinable())
        return; // one probe at a time
    m_probe = std::thread([poster = Poster(), cancel = m_probeCancel] {
        bool ok = false;
        try {
            CInternetSession session("Koravel probe", 1);
            session.SetOption(InternetOption::ConnectTimeoutMs, 15000);
            session.SetOption(InternetOption::ReceiveTimeoutMs, 30000);
            session.SetCancelFlag(cancel);
            auto file = session.OpenURL(BuildQuoteRequest(kSymbolNifty, kQuoteFormatShort), 1,
                                        INTERNET_FLAG_TRANSFER_ASCII);
            std::string line;
            if (file->ReadString(line)) {
                QuoteRecord probe;
                ParseQuoteLine9(line, probe);
                // An answer that is no quote of NIFTY (an error page) is no connection either.
                ok = AnswersFor({line}, kSymbolNifty);
            }
        } catch (const CInternetException&) {
            ok = false;
        }
        poster(msg::WM_PROBE_DONE, ok ? 1 : 0, 0);
    });
}

void CMainBarDlg::OnProbeDone(bool ok) {
    if (m_probe.joinable())
        m_probe.join();
    if (m_bClosing)
        return; // the bar ended while the probe was out
    if (ok) {
        SetIndicators(true);
        m_bConnected = true;
        m_bProbeDone = true;
        SetTimer(kRefreshTimer, m_nRefreshInterval);
        StartQuoteFetch();
        return;
    }
    SetIndicators(false);
    m_bConnected = false;
    ui::messageBox(kProbeMessage, ui::MB_OK | ui::MB_ICONERROR, this);
    KillTimer(kRefreshTimer);
    CloseBar(1);
}

std::string CMainBarDlg::BuildBarRequest() {
    // What is asked is remembered: the answer goes to these pages and symbols, whatever
    // opens, closes or changes while it is on its way.
    m_asked.clear();
    auto block = [this](BarPage page) {
        RequestBlock b;
        const PageSlot& slot = Slot(page);
        if (!slot.window || !slot.page)
            return b;
        b.exists = true;
        for (int i = 0, n = slot.page->QuoteCount(); i < n; ++i)
            b.symbols.push_back(slot.page->QuoteSymbol(i));
        m_asked.push_back({page, slot.window, b.symbols});
        return b;
    };
    const RequestBlock watch = block(BarPage::Watchlist), profile = block(BarPage::Profile),
                       world = block(BarPage::World), indices = block(BarPage::Indices);
    return BuildQuoteRequest(BuildBarSymbolList(watch, profile, world, indices), kQuoteFormatFull);
}

void CMainBarDlg::StartQuoteFetch() {
    m_fetcher.StartQuoteFetch([this] { return m_strRequest = BuildBarRequest(); }, Poster());
}

void CMainBarDlg::OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
    if (message == msg::WM_QUOTES_READY) {
        OnQuotesReady(static_cast<int>(wParam));
        return;
    }
    if (message == msg::WM_PROBE_DONE) {
        OnProbeDone(wParam != 0);
        return;
    }
    if (message == msg::WM_TRAY_NOTIFY) {
        OnTrayNotify(static_cast<int>(wParam), static_cast<int>(lParam));
        return;
    }
    ui::CDialog::OnUserMessage(message, wParam, lParam);
}

void CMainBarDlg::OnQuotesReady(int result) {
    m_fetcher.OnQuotesReady();
    // The lines are taken out before anything can let another fetch start.
    const std::vector<std::string> lines = QuoteLines.Take();
    if (result == 1 && !AnswersFor(lines, kSymbolNifty))
        result = 0;
    m_bConnected = result != 0;
    if (result == 0) {
        SetIndicators(false);
        for (auto& slot : m_pages)
            if (slot.window && slot.page)
                slot.page->SetConnected(false);
        emit refreshed(false);
        return;
    }
    for (auto& slot : m_pages)
        if (slot.window && slot.page)
            slot.page->SetConnected(true);
    SetIndicators(true);
    if (!DistributeQuoteLines(lines)) {
        m_list->DeleteAllItems(); // nothing shown for an answer cut short
        // One warning at a time: ticks go on while it is up, and a dead server must not
        // stack a box per refresh.
        if (!m_bWarningUp) {
            m_bWarningUp = true;
            ui::messageBox(kWarningMessage, ui::MB_OK | ui::MB_ICONWARNING, this);
            m_bWarningUp = false;
        }
        emit refreshed(false);
        return;
    }
    if (m_ticker && m_ticker->isVisible())
        m_ticker->UpdateTicker();
    InsertIndexRows();
    ++m_nRefreshes;
    if (m_nRefreshes == 1)
        ReportFirstPaint();
    emit refreshed(true);
}

bool CMainBarDlg::DistributeQuoteLines(const std::vector<std::string>& lines) {
    std::size_t next = 0;
    for (QuoteRecord* r : {&m_nifty, &m_sensex, &m_dollar}) {
        if (next >= lines.size())
            return false;
        ParseQuoteLine(lines[next++], *r);
    }
    for (const AskedBlock& asked : m_asked) {
        if (lines.size() - next < asked.symbols.size())
            return false;
        PageSlot& slot = Slot(asked.page);
        // A page that went, or whose list changed, since the request skips this answer.
        bool same = slot.window && slot.window == asked.window && slot.page &&
                    slot.page->QuoteCount() == static_cast<int>(asked.symbols.size());
        for (int i = 0; same && i < static_cast<int>(asked.symbols.size()); ++i)
            same = slot.page->QuoteSymbol(i) == asked.symbols[i];
        if (same) {
            for (std::size_t i = 0; i < asked.symbols.size(); ++i)
                ParseQuoteLine(lines[next + i], slot.page->QuoteSlot(static_cast<int>(i)));
            slot.page->OnBarRefresh();
        }
        next += asked.symbols.size();
    }
    return true;
}

void CMainBarDlg::ReportFirstPaint() {
    // For measuring start-up: KORAVEL_REPORT_FIRST_PAINT=1 says on standard error when the
    // first quotes are on screen, counted from the process's start.
    static const bool wanted = [] {
        const char* v = std::getenv("KORAVEL_REPORT_FIRST_PAINT");
        return v && *v && std::string(v) != "0";
    }();
    if (!wanted)
        return;
    m_list->repaint();
    std::ifstream stat("/proc/self/stat"), uptime("/proc/uptime");
    std::string all;
    std::getline(stat, all);
    double up = 0;
    uptime >> up;
    // Field 22, counted after the command's closing parenthesis: start time in clock ticks.
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const double started = std::strtod(field.c_str(), nullptr) / sysconf(_SC_CLK_TCK);
    std::fprintf(stderr, "koravel: first quotes painted %.0f ms after the start\n",
                 (up - started) * 1000);
}

void CMainBarDlg::InsertIndexRows() {
    std::vector<QuoteRecord> rows;
    for (int row = 0; row < 2; ++row) {
        QuoteRecord copy = row == 0 ? m_nifty : m_sensex;
        copy.symbol = row == 0 ? "NIFTY" : "SENSEX";
        ComputeChangePercent(copy);
        copy.previous = row == 0 ? m_prevNifty : m_prevSensex;
        rows.push_back(std::move(copy));
    }
    m_list->SetCallbackRows(rows, [](const QuoteRecord& r) { return r.symbol; });
    m_prevNifty = m_nifty.last;
    m_prevSensex = m_sensex.last;
}

const QuoteRecord* CMainBarDlg::IndexRow(int row) const {
    return m_list->ItemData<QuoteRecord>(row);
}

void CMainBarDlg::SetIndicators(bool online) {
    m_online->setVisible(online);
    m_offline->setVisible(!online);
}

void CMainBarDlg::SuspendRefresh() {
    ++m_nSuspended;
    KillTimer(kRefreshTimer);
}

void CMainBarDlg::ResumeRefresh() {
    if (m_nSuspended > 0)
        --m_nSuspended;
    if (m_nSuspended == 0 && !m_bClosing) {
        PostMessage(ui::WM_TIMER_POSTED);
        SetTimer(kRefreshTimer, m_nRefreshInterval);
    }
}

// ---- pages -----------------------------------------------------------------------------

CBarPage* CMainBarDlg::Page(BarPage page) const {
    const PageSlot& slot = Slot(page);
    return slot.window ? slot.page : nullptr;
}

bool CMainBarDlg::IsPageShown(BarPage page) const {
    const PageSlot& slot = Slot(page);
    return slot.window && slot.shown;
}

void CMainBarDlg::HidePage(BarPage page) {
    PageSlot& slot = Slot(page);
    if (slot.window)
        slot.window->hide();
    slot.shown = false;
}

void CMainBarDlg::OnPageButton(BarPage page) {
    for (int i = 0; i < kBarPageCount; ++i) {
        PageSlot& other = m_pages[i];
        if (static_cast<BarPage>(i) == page || !other.window)
            continue;
        other.window->hide();
        other.shown = false;
    }
    PageSlot& slot = Slot(page);
    if (slot.window && slot.shown) {
        slot.window->hide();
        slot.shown = false;
        return;
    }
    if (!slot.window) {
        const BarPageFactory& make = BarPageFactoryOf(page);
        if (!make)
            return;
        slot.page = make(*this);
        slot.window = slot.page->PageWindow();
        slot.page->SetConnected(m_bConnected);
        DockPage(slot.window);
        slot.window->show();
        slot.shown = true;
        if (PageInfo(page).fetchOnCreate)
            StartQuoteFetch();
        return;
    }
    DockPage(slot.window);
    slot.window->show();
    slot.shown = true;
}

void CMainBarDlg::ApplyTopmost(QWidget* window) {
    const bool on = m_bAlwaysOnTop;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        window->show(); // changing the flags re-creates the window, hidden
}

void CMainBarDlg::DockPage(ui::CDialog* page) {
    if (!page)
        return;
    ApplyTopmost(page);
    const QRect bar = frameGeometry();
    page->move(bar.left(), bar.bottom() + 1);
}

void CMainBarDlg::PlaceBar(int position) {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect desk = s->geometry();
    const QRect avail = s->availableGeometry();
    const int taskbarHeight = std::max(0, desk.bottom() - avail.bottom());
    const QRect frame = frameGeometry();
    const BarRect desktop{desk.left(), desk.top(), desk.left() + desk.width(),
                          desk.top() + desk.height()};
    const BarPoint pt = PlaceBarPosition(position, desktop, taskbarHeight, frame.width(),
                                         frame.height(), {frame.left(), frame.top()});
    ApplyTopmost(this);
    move(pt.x, pt.y);
    for (auto& slot : m_pages)
        if (slot.window)
            DockPage(slot.window);
}

void CMainBarDlg::moveEvent(QMoveEvent* e) {
    ui::CDialog::moveEvent(e);
    for (auto& slot : m_pages)
        if (slot.window)
            DockPage(slot.window);
}

void CMainBarDlg::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
    ui::CDialog::mousePressEvent(e);
}

bool CMainBarDlg::eventFilter(QObject* watched, QEvent* e) {
    if (ui::DragOnPress(this, watched, e))
        return true;
    return ui::CDialog::eventFilter(watched, e);
}

// ---- buttons ---------------------------------------------------------------------------

void CMainBarDlg::OnLiveChart() {
    if (!IsLiveChartHours(Clock::Now())) {
        ui::messageBox(kLiveChartClosed, ui::MB_OK | ui::MB_ICONINFORMATION, this);
        return;
    }
    const PageSlot& watch = Slot(BarPage::Watchlist);
    const BarAction& open = BarActionOf(IDC_LIVE_CHART);
    if (!watch.window || !watch.page || !watch.page->LiveChartLoggingOn() || !open) {
        ui::messageBox(kLiveChartOptions, ui::MB_OK | ui::MB_ICONINFORMATION, this);
        return;
    }
    open(*this);
}

void CMainBarDlg::OnTickerBarButton() {
    HideAll();
    m_bHidden = true;
    if (m_ticker)
        return;
    m_ticker = new CTickerBarDlg(*this);
    m_ticker->Create(true);
}

CTickerBarDlg* CMainBarDlg::Ticker() const {
    return m_ticker.data();
}

void CMainBarDlg::OnTickerClosed() {
    ShowAll();
    m_bHidden = false;
    m_ticker = nullptr;
}

std::vector<QuoteRecord> CMainBarDlg::WatchQuotes() const {
    std::vector<QuoteRecord> quotes;
    if (CBarPage* watch = Page(BarPage::Watchlist))
        for (int i = 0, n = watch->QuoteCount(); i < n; ++i)
            quotes.push_back(watch->QuoteSlot(i));
    return quotes;
}

void CMainBarDlg::OnCloseButton() {
    if (ui::messageBox(kCloseQuestion, ui::MB_YESNO | ui::MB_ICONQUESTION, this) == ui::IDYES)
        CloseBar();
}

void CMainBarDlg::OnAbout() {
    CAboutDlg about(m_priceSource, this);
    about.DoModal();
}

void CMainBarDlg::SaveAll() {
    for (auto& slot : m_pages)
        if (slot.window && slot.page)
            slot.page->SaveState();
}

void CMainBarDlg::CloseBar(int exitCode) {
    if (m_bClosing)
        return;
    m_bClosing = true;
    m_nExitCode = exitCode;
    KillTimer(kRefreshTimer);
    // From inside a dialog or a box (a signal, logout, the tray's Exit under a box) the
    // pages must not go while that dialog still runs: they go once every loop has ended.
    ui::EndProgram([this, exitCode] { TearDown(exitCode); });
}

void CMainBarDlg::TearDown(int exitCode) {
    KillTimer(kRefreshTimer);
    for (auto& slot : m_pages) {
        delete slot.window.data(); // pages keep what they must (the watch list saves) as they go
        slot.page = nullptr;
        slot.shown = false;
    }
    delete m_ticker.data();
    if (m_tray && m_bIconAdded)
        m_tray->hide();
    hide();
    emit closed(exitCode);
}
