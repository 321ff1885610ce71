#include "watch/watch_list_dlg.h"

#include <cstdio>
#include <utility>

#include <QCheckBox>
#include <QLabel>

#include "amibroker/core/bridge_workers.h"
#include "amibroker/core/link_rules.h"
#include "charts/core/data_logs.h"
#include "controls/banner.h"
#include "controls/color_button.h"
#include "controls/export_csv_dlg.h"
#include "db/operations.h"
#include "db/watch_table.h"
#include "platform/base/paths.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"
#include "quotes/indian_number.h"
#include "quotes/quote_request.h"
#include "watch/desktop_notifier.h"
#include "watch/search_company_dlg.h"
#include "watch/set_alert_dlg.h"
#include "watch/watch_list_ctrl.h"

namespace {

bool g_sortAscending = true; // one direction for every sort of the program; flips each time

struct Column {
    const char* heading;
    int width;
    int format;
};

const Column kColumns[kWatchColumns] = {
    {"  Company Name", 125, LVCFMT_LEFT},
    {"Indx ", 35, LVCFMT_RIGHT},
    {"Indx Name", 0, LVCFMT_RIGHT},
    {"Cur.Price", 60, LVCFMT_RIGHT},
    {"Chg", 50, LVCFMT_RIGHT},
    {"%Ch", 42, LVCFMT_RIGHT},
    {"Volume   ", 80, LVCFMT_RIGHT},
    {"Open  ", 60, LVCFMT_RIGHT},
    {"High  ", 60, LVCFMT_RIGHT},
    {"Low  ", 60, LVCFMT_RIGHT},
    {"YearLow  ", 0, LVCFMT_RIGHT},
    {"YearHigh  ", 0, LVCFMT_RIGHT},
    {"ALERT", 0, LVCFMT_RIGHT},
    {"LowerLimit", 0, LVCFMT_RIGHT},
    {"UpperLimit", 0, LVCFMT_RIGHT},
    {"PrevVolume", 0, LVCFMT_LEFT},
    {"DataTaken", 0, LVCFMT_RIGHT},
    {"PrevPrice", 0, LVCFMT_RIGHT},
};

constexpr const char* kFeedDelete = "AmiBroker data feeding is in START mode at the moment "
                                    "\nPlease STOP it then DELETE Stocks here";
constexpr const char* kFeedSort =
    "As AmiBroker Data feeding is in START mode ,Sorting CAN'T be done\nIf you want to do "
    "SORTING , STOP AmiBroker Data feeding";
constexpr const char* kLoggingSort =
    "As Either Intraday or Live Data is Checked  ,Sorting CAN'T be done\nIf you want to "
    "do SORTING , UnCheck both Intraday and Live Data";

} // namespace

bool CWatchListDlg::SortAscending() {
    return g_sortAscending;
}
void CWatchListDlg::ResetSortDirection() {
    g_sortAscending = true;
}

CWatchListDlg::CWatchListDlg(IBar& bar) : ui::CDialog(148, bar.Window()), m_bar(bar) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    BuildTemplate();
    m_notifier = new CDesktopNotifier(this);
    m_feed = std::make_unique<amilink::LiveFeed>(
        [](const std::string& m) { ui::messageBox(m, ui::MB_OK | ui::MB_ICONERROR); });
    m_items.reserve(kCapacity);
    EnsureInitialized();
}

CWatchListDlg::~CWatchListDlg() {
    SaveWatchList();
}

void CWatchListDlg::BuildTemplate() {
    SetTemplateSize(388, 191);
    MakeBanner(AddStatic(-1, "  My Watch List", 0, 0, 388, 13, Qt::AlignLeft | Qt::AlignVCenter));
    Add<CColorButton>(IDC_WL_CLOSE, 372, 1, 14, 11, std::string("X"));
    m_list = Add<CWatchListCtrl>(IDC_WL_LIST, 2, 15, 384, 130);
    AddGroup(-1, "ALERTS", 2, 146, 276, 25);
    const std::pair<int, const char*> alertChecks[] = {{IDC_WL_POPUP, "Alerts as Pop-Up Msg"},
                                                       {IDC_WL_CONFIGURED, "My Configured"},
                                                       {IDC_WL_DAY, "DAY High/Low"},
                                                       {IDC_WL_YEAR, "YEAR Hi/Lo"}};
    const int alertX[] = {6, 92, 158, 222};
    const int alertW[] = {84, 64, 62, 54};
    for (int i = 0; i < 4; ++i) {
        auto* box = Add<QCheckBox>(alertChecks[i].first, alertX[i], 156, alertW[i], 11);
        box->setText(alertChecks[i].second);
    }
    Add<CColorButton>(IDC_WL_HELP, 280, 154, 13, 13, std::string("?"));
    // Wide enough that "LiveData" keeps clear of the frame.
    AddGroup(-1, "Data Logger", 296, 146, 90, 25);
    Add<QCheckBox>(IDC_WL_INTRADAY, 299, 156, 40, 11)->setText("Intraday");
    Add<QCheckBox>(IDC_WL_LIVEDATA, 340, 156, 44, 11)->setText("LiveData");
    const std::pair<int, const char*> buttons[] = {{IDC_WL_ADD, "Add"},
                                                   {IDC_WL_DELETE, "Delete"},
                                                   {IDC_WL_SET_ALERT, "Set ALERT"},
                                                   {IDC_WL_EXPORT, "Export to CSV"},
                                                   {IDC_WL_ADD_TICKER, "Add to Ticker"}};
    int x = 4;
    for (const auto& [id, caption] : buttons) {
        Add<CColorButton>(id, x, 174, 60, 14, std::string(caption));
        x += 64;
    }
    GetDlgItem(IDC_WL_ADD_TICKER)->hide();
}

bool CWatchListDlg::OnInitDialog() {
    // The bar's flag, tooltip, buttons; empty quotes and samples.
    m_bConnected = m_bar.IsConnected();
    SetPageColor(colors::kPage);
    m_list->setToolTip("Double Click Stocks to see their Historical Chart");
    for (int id : {IDC_WL_ADD, IDC_WL_DELETE, IDC_WL_SET_ALERT, IDC_WL_ADD_TICKER, IDC_WL_EXPORT,
                   IDC_WL_CLOSE, IDC_WL_HELP})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    m_quotes.fill(QuoteRecord{});
    m_prev.fill(PrevSample{});
    Control<QCheckBox>(IDC_WL_CONFIGURED)->setChecked(true);
    Control<QCheckBox>(IDC_WL_DAY)->setChecked(true);

    OnClicked(IDC_WL_ADD, &CWatchListDlg::OnAdd);
    OnClicked(IDC_WL_DELETE, &CWatchListDlg::OnDelete);
    OnClicked(IDC_WL_SET_ALERT, &CWatchListDlg::OnSetAlert);
    OnClicked(IDC_WL_EXPORT, &CWatchListDlg::OnExport);
    OnClicked(IDC_WL_CLOSE, [this] { OnCancel(); });
    connect(Control<QPushButton>(IDC_WL_HELP), &QPushButton::clicked, this, [this] {
        CAlertHelpDlg help(this);
        help.DoModal();
    });
    OnClicked(IDC_WL_ADD_TICKER,
              [this] { ui::messageBox("This Module is under development", ui::MB_OK, this); });
    for (int id : {IDC_WL_CONFIGURED, IDC_WL_DAY, IDC_WL_YEAR})
        OnClicked(id, [this] { RefreshWatchList(); });
    for (int id : {IDC_WL_POPUP, IDC_WL_INTRADAY, IDC_WL_LIVEDATA})
        OnClicked(id, [this] { ReadChecks(); });

    // Under the bar (the bar docks it).
    // The stored list.
    LoadWatchList();
    // The list and its columns.
    m_list->SetGridLines(true);
    m_list->SetSingleSelection(false);
    m_list->SetChecks(&m_checks);
    m_list->SetConnectedFlag([this] { return m_bConnected; });
    for (int c = 0; c < kWatchColumns; ++c)
        m_list->InsertColumn(c, kColumns[c].heading, kColumns[c].format, kColumns[c].width);
    m_list->SetTextCallback([this](int row, int col) -> std::string {
        const WatchListRow* r = m_list->ItemData<WatchListRow>(row);
        return r ? WatchCellText(*r, col) : std::string();
    });
    m_list->SetColumnClickHandler([this](int col) { OnSort(col); });
    Refresh(true); // the opening counts as the first answer: empty quotes, files made
    return true;
}

std::string CWatchListDlg::QuoteSymbol(int index) const {
    return ::QuoteSymbol(m_items[index].symbol, m_items[index].exchange);
}

void CWatchListDlg::ReportDbError(const std::string& error) {
    ui::messageBox(error, ui::MB_OK | ui::MB_ICONERROR, this);
}

void CWatchListDlg::LoadWatchList() {
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [this] {
                        std::vector<WatchItem> rows = db::ReadWatchList(m_set);
                        // A shared or hand-edited table may hold names that are no symbols:
                        // they would name log files, so they are left out, and said so.
                        std::string refused;
                        std::erase_if(rows, [&refused](const WatchItem& item) {
                            if (symbols::IsValidSymbol(item.symbol))
                                return false;
                            refused += "\n" + symbols::InvalidSymbolMessage(item.symbol);
                            return true;
                        });
                        if (rows.size() > kCapacity)
                            rows.resize(kCapacity);
                        m_items = std::move(rows);
                        if (!refused.empty())
                            ui::messageBox("These entries of the watch list were left out:" +
                                               refused,
                                           ui::MB_OK | ui::MB_ICONWARNING, this);
                        return true;
                    });
}

void CWatchListDlg::SaveWatchList() {
    // One transaction: the old list stays whole unless the new one is written whole.
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [this] { db::ReplaceWatchList(m_set, m_items); });
}

void CWatchListDlg::ReadChecks() {
    m_checks.popup = Control<QCheckBox>(IDC_WL_POPUP)->isChecked();
    m_checks.myConfigured = Control<QCheckBox>(IDC_WL_CONFIGURED)->isChecked();
    m_checks.dayHighLow = Control<QCheckBox>(IDC_WL_DAY)->isChecked();
    m_checks.yearHiLo = Control<QCheckBox>(IDC_WL_YEAR)->isChecked();
    m_checks.intraday = Control<QCheckBox>(IDC_WL_INTRADAY)->isChecked();
    m_checks.liveData = Control<QCheckBox>(IDC_WL_LIVEDATA)->isChecked();
}

void CWatchListDlg::InsertRows(const std::vector<WatchListRow>& rows) {
    m_list->SetCallbackRows(rows,
                            [](const WatchListRow& r) { return r.exchange + ":" + r.symbol; });
}

std::vector<WatchListRow> CWatchListDlg::Rows() const {
    return m_list->RowsData<WatchListRow>();
}

void CWatchListDlg::Refresh(bool newAnswer) {
    // Rows from the items, their quotes and the previous samples.
    ReadChecks();
    std::vector<WatchListRow> rows;
    rows.reserve(m_items.size());
    for (std::size_t i = 0; i < m_items.size(); ++i)
        rows.push_back(MakeWatchListRow(m_items[i], m_quotes[i], m_prev[i]));
    InsertRows(rows);
    // Nothing more until the bar's first probe has got through.
    if (!m_bar.IsProbeDone())
        return;
    if (newAnswer) {
        // The logs read the rows, whose previous values are those of the answer before.
        RunDataLogging();
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            m_prev[i].prevVolume = m_quotes[i].volume;
            m_prev[i].prevPrice = m_quotes[i].last;
            if (m_quotes[i].last != 0)
                m_prev[i].dataTaken = 1;
        }
        RunLiveFeedCycle();
    }
    if (m_checks.popup)
        ShowAlertPopup();
}

void CWatchListDlg::RunDataLogging() {
    const LocalTime now = Clock::Now();
    const std::string root = paths::DataRoot();
    IndexQuotes indices;
    indices.nifty = m_bar.NiftyRecord();
    indices.sensex = m_bar.SensexRecord();
    indices.previousNifty = m_bar.PreviousNifty();
    indices.previousSensex = m_bar.PreviousSensex();
    // A failing log says so at every refresh; one of its boxes at a time is enough.
    auto report = [this](const std::string& message) {
        if (m_bLogMessageUp)
            return;
        m_bLogMessageUp = true;
        ui::messageBox(message, ui::MB_OK | ui::MB_ICONWARNING, this);
        m_bLogMessageUp = false;
    };
    if (!IsMarketOpen(now)) {
        std::vector<EodItem> items;
        for (std::size_t i = 0; i < m_items.size(); ++i)
            items.push_back({m_items[i].symbol, m_quotes[i]});
        WriteEodFiles(root, now, indices, items, report, &m_logFiles);
        m_logFiles.EndRefresh();
        return;
    }
    if (!m_checks.liveData && !m_checks.intraday) {
        m_logFiles.EndRefresh(); // no intraday file is written: none stays open
        return;
    }
    const std::vector<RowCells> cells = WatchRowsCells(Rows());
    if (m_checks.liveData)
        WriteLiveDataFile(root, now, indices, cells, report, &m_logFiles);
    if (m_checks.intraday)
        WriteIntradayFiles(root, now, indices, cells, report, &m_logFiles);
    m_logFiles.EndRefresh();
}

void CWatchListDlg::RunLiveFeedCycle() {
    if (!m_bar.IsLiveFeedStarted() || !IsMarketOpen(Clock::Now()))
        return;
    if (m_feed->IsStillActive())
        return; // the previous refresh is still on its way: this one is not fed
    const std::vector<RowCells> cells = WatchRowsCells(Rows());
    m_feed->Start(amilink::LiveFeedText(m_bar.PreviousNifty(), m_bar.NiftyRecord().last,
                                        m_bar.PreviousSensex(), m_bar.SensexRecord().last, cells));
}

int CWatchListDlg::FeedCycles() const {
    return m_feed->Cycles();
}

bool CWatchListDlg::IsFeedSending() const {
    return m_feed->IsStillActive();
}

void CWatchListDlg::ShowAlertPopup() {
    if (m_bAlertUp)
        return; // one alert box at a time
    const std::vector<RowCells> cells = WatchRowsCells(Rows());
    const std::string text = AlertPopupText(AlertTimeText(Clock::Now()), cells, m_checks);
    if (text.empty())
        return;
    // The bar is often out of sight: the desktop shows the same alerts too.
    const std::size_t entries = text.find("\n\n");
    m_notifier->Notify("Koravel price alerts",
                       entries == std::string::npos ? text : text.substr(entries + 2));
    emit alertsShown(QString::fromStdString(text));
    m_bAlertUp = true;
    ui::messageBox(text, ui::MB_OK | ui::MB_ICONINFORMATION, this);
    m_bAlertUp = false;
}

void CWatchListDlg::AppendItem(const WatchItem& item) {
    if (static_cast<int>(m_items.size()) >= kCapacity || !symbols::IsValidSymbol(item.symbol))
        return;
    m_items.push_back(item);
    const std::size_t i = m_items.size() - 1;
    m_quotes[i] = QuoteRecord{};
    m_prev[i] = PrevSample{};
}

void CWatchListDlg::AddWatchItem(const std::string& companyName, const std::string& exchange,
                                 const std::string& symbol, int alertSetting, double lowerLimit,
                                 double upperLimit) {
    if (static_cast<int>(m_items.size()) >= kCapacity) {
        ui::messageBox("Sorry!!!You can't add more than 50 companies in your Watch List", ui::MB_OK,
                       this);
        return;
    }
    if (companyName.empty())
        return;
    if (!symbols::IsValidSymbol(symbol)) {
        ui::messageBox(symbols::InvalidSymbolMessage(symbol), ui::MB_OK, this);
        return;
    }
    for (const WatchItem& item : m_items)
        if (item.symbol == symbol) {
            ui::messageBox("Selected company is already added in the choice list", ui::MB_OK, this);
            return;
        }
    const WatchItem item{companyName, exchange, symbol, alertSetting, lowerLimit, upperLimit};
    // The table gets the row at once; a failure there still leaves it on the list.
    db::RunReported([this](const std::string& e) { ReportDbError(e); },
                    [&] { db::AppendWatchRow(m_set, item); });
    AppendItem(item);
    RefreshWatchList();
}

void CWatchListDlg::OnAdd() {
    if (m_bar.IsLiveFeedStarted()) {
        ui::messageBox(kFeedAddRefusal, ui::MB_OK, this);
        return;
    }
    if (static_cast<int>(m_items.size()) >= kAddLimit) {
        ui::messageBox("Sorry!!!You can't add more than 42 companies in your Watch List", ui::MB_OK,
                       this);
        return;
    }
    RefreshSuspension suspended(m_bar);
    CSearchCompanyDlg search(this, this);
    if (search.DoModal() == ui::IDOK)
        AddWatchItem(search.CompanyName(), search.Exchange(), search.Symbol(),
                     search.AlertSetting(), search.LowerLimit(), search.UpperLimit());
}

void CWatchListDlg::RebuildItemsFromRows(const std::vector<WatchListRow>& rows) {
    // Each row keeps its own values. Its quote and previous sample are taken from the
    // company's slots as they stand now, not from the row: the row holds the sample from
    // before the last refresh, which the logs and the colours have used already.
    const std::vector<WatchItem> oldItems = std::exchange(m_items, {});
    const auto oldQuotes = m_quotes;
    const auto oldPrev = m_prev;
    for (std::size_t i = 0; i < rows.size() && i < kCapacity; ++i) {
        const WatchListRow& r = rows[i];
        m_items.push_back(
            {r.companyName, r.exchange, r.symbol, r.alertSetting, r.lowerLimit, r.upperLimit});
        m_quotes[i] = r.quote;
        m_prev[i] = r.prev;
        for (std::size_t j = 0; j < oldItems.size(); ++j)
            if (oldItems[j].symbol == r.symbol && oldItems[j].exchange == r.exchange) {
                m_quotes[i] = oldQuotes[j];
                m_prev[i] = oldPrev[j];
                break;
            }
    }
}

void CWatchListDlg::OnDelete() {
    if (m_bar.IsLiveFeedStarted()) {
        ui::messageBox(kFeedDelete, ui::MB_OK, this);
        return;
    }
    if (m_list->GetSelectedCount() == 0) {
        ui::messageBox("Please select atleast ONE company to delete", ui::MB_OK, this);
        return;
    }
    {
        RefreshSuspension suspended(m_bar);
        std::vector<int> selected;
        for (int row = m_list->GetNextSelected(-1); row >= 0; row = m_list->GetNextSelected(row))
            selected.push_back(row);
        int removed = 0;
        for (int row : selected)
            m_list->DeleteItem(row - removed++); // each index corrected for the rows already gone
    }
    RebuildItemsFromRows(Rows());
    RefreshWatchList();
}

void CWatchListDlg::OnSort(int column) {
    if (m_bar.IsLiveFeedStarted()) {
        ui::messageBox(kFeedSort, ui::MB_OK, this);
        return;
    }
    ReadChecks();
    if (m_checks.intraday || m_checks.liveData) {
        ui::messageBox(kLoggingSort, ui::MB_OK, this);
        return;
    }
    std::vector<WatchListRow> rows = Rows();
    if (!SortWatchRows(rows, column, g_sortAscending))
        return;
    g_sortAscending = !g_sortAscending;
    InsertRows(rows);
    RebuildItemsFromRows(rows);
}

void CWatchListDlg::OnSetAlert() {
    const int row = m_list->GetNextSelected(-1);
    if (row < 0) {
        ui::messageBox("Please select the company for which you want to set ALERT", ui::MB_OK,
                       this);
        return;
    }
    const std::string name = m_list->GetItemText(row, kWcName);
    const std::string symbol = m_list->GetItemText(row, kWcSymbol);
    const int alert = text::CStrToL32(text::RemoveChar(m_list->GetItemText(row, kWcAlert), ','));
    const double lower = ParseListNumber(m_list->GetItemText(row, kWcLower));
    const double upper = ParseListNumber(m_list->GetItemText(row, kWcUpper));
    const double price = ParseListNumber(m_list->GetItemText(row, kWcPrice));
    CSetAlertDlg dlg(name, alert, lower, upper, price, this);
    RefreshSuspension suspended(m_bar);
    if (dlg.DoModal() == ui::IDOK) {
        db::RunReported([this](const std::string& e) { ReportDbError(e); },
                        [&] {
                            db::SetWatchAlert(m_set, symbol, dlg.AlertSetting(), dlg.LowerLimit(),
                                              dlg.UpperLimit());
                        });
        // The list takes the values even when the table could not.
        for (WatchItem& item : m_items)
            if (item.symbol == symbol) {
                item.alertSetting = dlg.AlertSetting();
                item.lowerLimit = dlg.LowerLimit();
                item.upperLimit = dlg.UpperLimit();
                break;
            }
        RefreshWatchList();
    }
}

void CWatchListDlg::OnExport() {
    const auto path =
        AskExportPath(this, m_list->GetItemCount() != 0, kNoDataToExport, paths::kWatchListData);
    if (!path)
        return;
    m_strExportPath = *path;
    WriteExportFile(this, m_strExportPath, WatchExportCsv(WatchRowsCells(Rows())), "WatchList");
}

void CWatchListDlg::OnCancel() {
    m_bar.HidePage(BarPage::Watchlist);
}

void RegisterWatchListPage() {
    RegisterBarPage(BarPage::Watchlist,
                    [](IBar& bar) -> CBarPage* { return new CWatchListDlg(bar); });
}
