#include "market/toppers_dlg.h"

#include <system_error>

#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>

#include "app/main_bar_dlg.h"
#include "app/tour.h"
#include "controls/banner.h"
#include "controls/color_button.h"
#include "controls/export_csv_dlg.h"
#include "controls/quote_lists.h"
#include "db/operations.h"
#include "db/statements.h"
#include "db/watch_table.h"
#include "market/market_pages.h"
#include "platform/base/paths.h"
#include "watch/watch_items.h"

namespace {

struct Column {
    const char* heading;
    int format;
    int width;
};

const Column kColumns[kToppersColumns] = {
    {"  Company Name", LVCFMT_LEFT, 140}, {"Index Name", LVCFMT_LEFT, 0},
    {"Curr.Price", LVCFMT_RIGHT, 60},     {"%Ch", LVCFMT_RIGHT, 40},
    {"Volume   ", LVCFMT_RIGHT, 85},      {"Turnover  ", LVCFMT_RIGHT, 106},
    {"Open  ", LVCFMT_RIGHT, 0},          {"High  ", LVCFMT_RIGHT, 60},
    {"Low  ", LVCFMT_RIGHT, 60},
};

constexpr int kRangeEdits[6] = {IDC_TP_PRICE_MIN, IDC_TP_PRICE_MAX,  IDC_TP_GAIN_MIN,
                                IDC_TP_GAIN_MAX,  IDC_TP_VOLUME_MIN, IDC_TP_VOLUME_MAX};

constexpr int kWatchCapacity = 50;

constexpr const char* kLegend =
    "COLORS above:\nGREEN :    Price\nis above Day High\nRED :     Price is \nbelow Day Low";

} // namespace

CToppersDlg::CToppersDlg(IBar& bar)
    : ui::CDialog(IDD, bar.Window()), m_bar(bar), m_table(std::make_shared<ToppersTable>()),
      m_cancel(std::make_shared<std::atomic<bool>>(false)) {
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    BuildTemplate();
    EnsureInitialized();
}

CToppersDlg::~CToppersDlg() {
    StopWorkers();
}

void CToppersDlg::BuildTemplate() {
    SetTemplateSize(388, 349);
    MakeBanner(
        AddStatic(-1, "  Find Market Toppers", 0, 0, 388, 13, Qt::AlignLeft | Qt::AlignVCenter));
    Add<CColorButton>(IDC_TP_CLOSE, 372, 1, 14, 11, std::string("X"));
    m_list = Add<CToppersListCtrl>(IDC_TP_LIST, 2, 15, 384, 240);

    Add<QRadioButton>(IDC_TP_NSE, 8, 261, 32, 10)->setText("NSE");
    Add<QRadioButton>(IDC_TP_BSE, 46, 261, 32, 10)->setText("BSE");
    Add<CColorButton>(IDC_TP_GET_DATA, 4, 275, 96, 18, std::string("GET LATEST DATA"));
    Add<CColorButton>(IDC_TP_EXPORT, 4, 298, 96, 14, std::string("Export to CSV"));
    AddStatic(IDC_TP_STATUS, "", 106, 259, 146, 36);
    AddStatic(-1, kLegend, 106, 297, 146, 48);

    // Min above Max in each range; volumes need the wider edits.
    struct Group {
        const char* caption;
        int x, y, w, editW;
    };
    const Group groups[3] = {{"Price Range", 256, 257, 58, 34},
                             {"Gain/Loss Range", 318, 257, 68, 44},
                             {"Volume Range", 256, 303, 130, 66}};
    for (int g = 0; g < 3; ++g) {
        const Group& b = groups[g];
        AddGroup(-1, b.caption, b.x, b.y, b.w, 44);
        AddStatic(-1, "Min", b.x + 4, b.y + 13, 16, 9);
        Add<QLineEdit>(kRangeEdits[2 * g], b.x + 20, b.y + 11, b.editW, 12);
        AddStatic(-1, "Max", b.x + 4, b.y + 29, 16, 9);
        Add<QLineEdit>(kRangeEdits[2 * g + 1], b.x + 20, b.y + 27, b.editW, 12);
    }
}

bool CToppersDlg::OnInitDialog() {
    SetPageColor(colors::kPage);
    m_list->setToolTip("Double Click Stocks to see their Historical Chart");
    for (int id : {IDC_TP_CLOSE, IDC_TP_GET_DATA, IDC_TP_EXPORT})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    for (int c = 0; c < kToppersColumns; ++c)
        m_list->InsertColumn(c, kColumns[c].heading, kColumns[c].format, kColumns[c].width);
    m_list->SetGridLines(true);
    m_list->SetTextCallback([this](int row, int col) -> std::string {
        const TopperRow* r = m_list->ItemData<TopperRow>(row);
        return r ? TopperCellText(*r, col) : std::string();
    });
    m_list->SetColumnClickHandler([this](int col) { OnSort(col); });
    m_list->SetConnectedFlag([this] { return m_bConnected; });
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        OnListRightClick(m_list->rowAt(pos.y()), m_list->viewport()->mapToGlobal(pos));
    });
    m_bConnected = m_bar.IsConnected();

    const ToppersRangeTexts texts = FormatToppersRanges(m_ranges);
    for (int i = 0; i < 6; ++i)
        SetDlgItemText(kRangeEdits[i], texts[i]);
    Control<QRadioButton>(IDC_TP_NSE)->setChecked(true);
    SetStatus(ToppersIdleText(m_nExchange));

    OnClicked(IDC_TP_NSE, &CToppersDlg::OnNse);
    OnClicked(IDC_TP_BSE, &CToppersDlg::OnBse);
    OnClicked(IDC_TP_GET_DATA, &CToppersDlg::OnGetLatestData);
    OnClicked(IDC_TP_EXPORT, &CToppersDlg::OnExport);
    OnClicked(IDC_TP_CLOSE, [this] { OnCancel(); });
    return true;
}

void CToppersDlg::OnCancel() {
    // The bar forgets a destroyed page; its next press makes a new one.
    hide();
    deleteLater();
}

std::string CToppersDlg::StatusText() const {
    return GetDlgItemText(IDC_TP_STATUS);
}

void CToppersDlg::SetStatus(const std::string& text) {
    if (auto* label = Control<QLabel>(IDC_TP_STATUS)) {
        label->setTextFormat(Qt::PlainText);
        label->setText(ui::Q(text));
    }
}

void CToppersDlg::OnNse() {
    m_nExchange = kToppersNse;
    SetStatus(ToppersIdleText(m_nExchange));
}

void CToppersDlg::OnBse() {
    m_nExchange = kToppersBse;
    SetStatus(ToppersIdleText(m_nExchange));
}

bool CToppersDlg::ReadRanges() {
    ToppersRangeTexts texts;
    for (int i = 0; i < 6; ++i)
        texts[i] = GetDlgItemText(kRangeEdits[i]);
    int bad = 0;
    const std::string refusal = ReadToppersRanges(texts, m_ranges, &bad);
    if (refusal.empty())
        return true;
    ui::messageBox(refusal, ui::MB_OK | ui::MB_ICONWARNING, this);
    if (auto* edit = Control<QLineEdit>(kRangeEdits[bad])) {
        edit->setFocus();
        edit->selectAll();
    }
    return false;
}

void CToppersDlg::EnableControls(bool enable) {
    for (int id : {IDC_TP_LIST, IDC_TP_GET_DATA, IDC_TP_NSE, IDC_TP_BSE, IDC_TP_CLOSE})
        GetDlgItem(id)->setEnabled(enable);
}

bool CToppersDlg::LoadCompanies(int exchange, std::vector<TopperCompany>& companies) {
    const bool nse = exchange == kToppersNse;
    return db::RunReported(
        [this](const std::string& e) { ui::messageBox(e, ui::MB_OK | ui::MB_ICONERROR, this); },
        [&] {
            CCompanyListset rs;
            rs.m_strFilter = db::SqlFilterListedOn(nse);
            rs.m_strSort = db::kSortCompanyName;
            if (!rs.Open(CRecordset::snapshot, "CompanyList"))
                return false;
            db::CloseOnExit<CCompanyListset> closer(rs);
            const char* index = ToppersExchangeName(exchange);
            companies = db::ReadAllRows(rs, [&](CCompanyListset& r) {
                return TopperCompany{r.m_COMPNAME, index, nse ? r.m_NSENAME : r.m_BSENAME};
            });
            return true;
        });
}

void CToppersDlg::OnGetLatestData() {
    if (m_bFetching)
        return;
    if (!m_bConnected) {
        ui::messageBox(kNoConnectionMessage, ui::MB_OK, this);
        return;
    }
    if (!ReadRanges())
        return;
    // The batches of the previous fetch have all reported; they are at most returning.
    StopWorkers();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    SetStatus(ToppersProgressText(0, 0));
    EnableControls(false);
    m_nCompleted = 0;
    m_nFailed = 0;
    m_list->DeleteAllItems();

    const int exchange = m_nExchange;
    std::vector<TopperCompany> companies;
    const bool loaded = LoadCompanies(exchange, companies);
    if (!loaded || companies.empty()) {
        // Nothing to fetch: the page must not wait for batches that never start.
        if (loaded)
            ui::messageBox(ToppersNoCompanyText(exchange), ui::MB_OK, this);
        m_jobs.clear();
        EnableControls(true);
        SetStatus(ToppersIdleText(m_nExchange));
        return;
    }
    // Workers of an earlier fetch are gone, so the table can be replaced outright.
    m_table = std::make_shared<ToppersTable>();
    m_table->Load(exchange, std::move(companies));
    m_jobs = CutToppersBatches(exchange, static_cast<int>(m_table->companies.size()));
    m_nNextJob = 0;
    m_bFetching = true;
    SetStatus(ToppersProgressText(0, BatchCount()));
    StartPendingBatches();
}

void CToppersDlg::StartPendingBatches() {
    const msg::Poster poster = Poster();
    while (m_nNextJob < m_jobs.size()) {
        const int running = static_cast<int>(m_nNextJob) - m_nCompleted;
        if (m_nBatchLimit > 0 && running >= m_nBatchLimit)
            break;
        const ToppersBatchJob job = m_jobs[m_nNextJob++];
        try {
            m_workers.emplace_back([job, table = m_table, cancel = m_cancel, poster] {
                const bool ok = RunToppersBatch(job, *table, cancel);
                poster(msg::WM_TOPPERS_BATCH_DONE, static_cast<msg::WPARAM>(job.exchange),
                       ok ? 1 : 0);
            });
        } catch (const std::system_error&) {
            // No thread to be had: the batch fails, and the fetch still comes to its end.
            PostMessage(msg::WM_TOPPERS_BATCH_DONE, static_cast<msg::WPARAM>(job.exchange), 0);
        }
    }
}

void CToppersDlg::OnUserMessage(unsigned message, msg::WPARAM wParam, msg::LPARAM lParam) {
    if (message == msg::WM_TOPPERS_BATCH_DONE) {
        OnBatchDone(static_cast<int>(wParam), lParam != 0);
        return;
    }
    ui::CDialog::OnUserMessage(message, wParam, lParam);
}

void CToppersDlg::OnBatchDone(int exchange, bool ok) {
    if (!m_bFetching)
        return;
    ++m_nCompleted;
    if (!ok)
        ++m_nFailed;
    if (m_nCompleted < BatchCount()) {
        SetStatus(ToppersProgressText(m_nCompleted, BatchCount()));
        StartPendingBatches();
        return;
    }
    m_bFetching = false;
    StopWorkers();
    EnableControls(true);
    FillList(exchange);
    SetStatus(ToppersDoneText(m_nFailed, BatchCount()));
    emit fetchFinished();
}

void CToppersDlg::StopWorkers() {
    m_cancel->store(true);
    for (std::thread& t : m_workers)
        if (t.joinable())
            t.join();
    m_workers.clear();
}

void CToppersDlg::InsertRows(const std::vector<TopperRow>& rows) {
    m_list->SetCallbackRows(rows, [](const TopperRow& r) { return r.symbol; });
}

void CToppersDlg::FillList(int exchange) {
    ReadRanges(); // a refused edit keeps its last accepted value
    m_nListExchange = exchange;
    m_list->SetShowsBse(exchange == kToppersBse);
    InsertRows(FilterToppers(*m_table, static_cast<int>(m_table->companies.size()), m_ranges));
}

std::vector<TopperRow> CToppersDlg::Rows() const {
    return m_list->RowsData<TopperRow>();
}

void CToppersDlg::OnSort(int column) {
    std::vector<TopperRow> rows = Rows();
    if (SortToppers(rows, column))
        InsertRows(rows);
}

void CToppersDlg::OnListRightClick(int row, const QPoint& screenPos) {
    // A click beside the rows names no company to add.
    if (row < 0 || m_list->GetSelectedCount() == 0)
        return;
    m_nRightClickRow = row;
    QMenu menu(this);
    menu.setTitle("Topper");
    menu.addAction("Add to Watch List")->setData(ID_ADD_TO_WATCH_LIST);
    if (ui::trackPopupMenu(menu, screenPos) == ID_ADD_TO_WATCH_LIST)
        OnAddToWatchList();
}

void CToppersDlg::OnAddToWatchList() {
    const std::string name = m_list->GetItemText(m_nRightClickRow, kTcName);
    const std::string symbol = m_list->GetItemText(m_nRightClickRow, kTcSymbol);
    if (name.empty() || symbol.empty())
        return;
    if (m_bar.IsLiveFeedStarted()) {
        ui::messageBox(kFeedAddRefusal, ui::MB_OK, this);
        return;
    }
    // The exchange the rows came from: the radios may have moved on since.
    const std::string exchange = ToppersExchangeName(m_nListExchange);
    // The watch list page rewrites its table when it goes, so while it exists the company
    // must go through it, or the rewrite would drop the row again.
    if (auto* watch = dynamic_cast<IWatchList*>(m_bar.FindPage(BarPage::Watchlist))) {
        watch->AddWatchItem(name, exchange, symbol, 0, 0, 0);
        return;
    }
    db::RunReported(
        [this](const std::string& e) { ui::messageBox(e, ui::MB_OK | ui::MB_ICONERROR, this); },
        [&] {
            CSelCompanyListset set;
            const std::vector<db::WatchRow> rows = db::ReadWatchList(set);
            if (rows.size() >= kWatchCapacity) {
                ui::messageBox("Sorry!!! You can't add more than 50 stocks in Watchlist", ui::MB_OK,
                               this);
                return true;
            }
            for (const db::WatchRow& r : rows)
                if (r.symbol == symbol) {
                    ui::messageBox("Selected company is already added in the choice list",
                                   ui::MB_OK, this);
                    return true;
                }
            db::AppendWatchRow(set, {name, exchange, symbol, 0, 0, 0});
            return true;
        });
}

void CToppersDlg::OnExport() {
    const auto path =
        AskExportPath(this, m_list->GetItemCount() != 0, kNoDataToExport, paths::kToppersData,
                      std::string(ToppersExchangeName(m_nListExchange)) + "_");
    if (!path)
        return;
    m_strExportPath = *path;
    std::vector<RowCells> cells;
    for (int r = 0, n = m_list->GetItemCount(); r < n; ++r)
        cells.push_back([this, r](int c) { return m_list->GetItemText(r, c); });
    WriteExportFile(this, m_strExportPath, ToppersExportCsv(cells), "Toppers");
}

void RegisterToppersPage() {
    RegisterBarPage(BarPage::Toppers, [](IBar& bar) -> CBarPage* { return new CToppersDlg(bar); });
    CTour::AddStep("toppers", [](CMainBarDlg& bar) {
        QImage image;
        if (!bar.Page(BarPage::Toppers) || !bar.IsPageShown(BarPage::Toppers))
            bar.OnPageButton(BarPage::Toppers);
        auto* page = dynamic_cast<CToppersDlg*>(bar.Page(BarPage::Toppers));
        if (!page)
            return image;
        page->OnGetLatestData();
        CTour::Wait(60000, [page] { return !page->IsFetching(); });
        page->OnSort(kTcPercent); // the day's gainers on top
        CTour::Wait(300);
        image = CTour::Docked(bar, *page);
        bar.OnPageButton(BarPage::Toppers); // hidden again
        return image;
    });
}
