#include "charts/live_chart_dlg.h"

#include <algorithm>

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>

#include "charts/core/data_logs.h"
#include "controls/color_button.h"
#include "db/operations.h"
#include "db/recordsets.h"
#include "db/statements.h"
#include "platform/base/clock.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"

namespace {

// More time labels than this run into each other at the chart's width.
constexpr int kMaxTimeLabels = 8;

const QColor kStockColor(0, 150, 0);
const QColor kNiftyColor(220, 0, 0);
const QColor kVolumeColor(0, 128, 64);

QFont AxisFont(const QFont& base) {
    QFont f = base;
    f.setPixelSize(10);
    return f;
}

void StyleChart(QChart* chart) {
    chart->setBackgroundBrush(ui::ToQColor(colors::kPage));
    chart->setBackgroundRoundness(0);
    chart->setPlotAreaBackgroundBrush(Qt::white);
    chart->setPlotAreaBackgroundVisible(true);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setVisible(false);
}

void StyleAxis(QAbstractAxis* axis, const QFont& font, const QColor& labels = Qt::black) {
    axis->setLabelsFont(font);
    axis->setLabelsColor(labels);
    axis->setGridLineColor(QColor(225, 225, 225));
}

double Number(const std::string& s) {
    return text::CStrToD(s);
}

std::optional<std::string> TodayIntradayFile(const std::string& name) {
    return IntradayFile(paths::DataRoot(), FormatLogStamp(Clock::Now()).dateFolder, name);
}

} // namespace

CLiveChartDlg::CLiveChartDlg(QWidget* owner) : ui::CDialog(179, owner) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle("Live Charting");
    BuildTemplate();
}

CLiveChartDlg::~CLiveChartDlg() = default;

CLiveChartDlg* CLiveChartDlg::Open(QWidget* owner) {
    auto* dlg = new CLiveChartDlg(owner);
    dlg->Create(true);
    return dlg;
}

void CLiveChartDlg::BuildTemplate() {
    SetTemplateSize(400, 330);
    AddStatic(-1, "Stock", 6, 7, 22, 9);
    m_stockCombo = Add<QComboBox>(IDC_LC_STOCK, 30, 4, 74, 14);
    AddStatic(-1, "Refresh Rate", 114, 7, 46, 9);
    m_rateCombo = Add<QComboBox>(IDC_LC_RATE, 160, 4, 54, 14);
    m_rateCombo->addItems({"High", "Medium", "Low"});
    Add<CColorButton>(IDC_LC_START, 226, 4, 44, 14, std::string("START"));
    Add<CColorButton>(IDC_LC_STOP, 274, 4, 44, 14, std::string("STOP"));
    Add<CColorButton>(ui::IDCANCEL, 350, 4, 44, 14, std::string("Close"));

    AddStatic(-1, "Stock Price ::", 6, 28, 50, 9);
    AddStatic(IDC_LC_STOCK_VALUE, "", 58, 23, 110, 17);
    AddStatic(-1, "NIFTY ::", 200, 28, 32, 9);
    AddStatic(IDC_LC_NIFTY_VALUE, "", 234, 23, 120, 17);

    m_lineView = AddChart(IDC_LC_LINE_CHART, 4, 43, 392, 152);
    AddStatic(-1, "LINE chart ::", 6, 197, 50, 9);
    AddStatic(-1, "Stock PRICE(Green) && NIFTY(Red) vs Time", 58, 197, 200, 9);
    m_barView = AddChart(IDC_LC_BAR_CHART, 4, 209, 392, 106);
    AddStatic(-1, "BAR chart ::", 6, 318, 50, 9);
    AddStatic(-1, "Stock VOLUME vs Time", 58, 318, 200, 9);
    BuildLineChart();
    BuildBarChart();

    OnClicked(IDC_LC_START, [this] { OnStart(); });
    OnClicked(IDC_LC_STOP, [this] { OnStop(); });
    OnClicked(ui::IDCANCEL, [this] { OnCancel(); });
    // activated, not currentIndexChanged: filling the combo must not reload anything.
    connect(m_stockCombo, &QComboBox::activated, this, [this] { OnStockChanged(); });
    connect(m_rateCombo, &QComboBox::activated, this, [this] { OnRateChanged(); });
}

QChartView* CLiveChartDlg::AddChart(int id, int x, int y, int w, int h) {
    auto* chart = new QChart;
    StyleChart(chart);
    auto* view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Place(view, id, x, y, w, h);
    return view;
}

void CLiveChartDlg::BuildLineChart() {
    QChart* chart = LineChart();
    const QFont font = AxisFont(this->font());
    m_lineTimeAxis = new QCategoryAxis;
    m_lineTimeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    StyleAxis(m_lineTimeAxis, font);
    m_stockAxis = new QValueAxis;
    m_stockAxis->setLabelFormat("%.2f");
    StyleAxis(m_stockAxis, font, kStockColor);
    m_niftyAxis = new QValueAxis;
    m_niftyAxis->setLabelFormat("%.2f");
    StyleAxis(m_niftyAxis, font, kNiftyColor);
    m_niftyAxis->setGridLineVisible(false); // one grid, the stock's, keeps the plot readable
    chart->addAxis(m_lineTimeAxis, Qt::AlignBottom);
    chart->addAxis(m_stockAxis, Qt::AlignLeft);
    chart->addAxis(m_niftyAxis, Qt::AlignRight);

    m_priceLine = new QLineSeries;
    m_priceLine->setName("Price");
    m_priceLine->setPen(QPen(kStockColor, 2));
    chart->addSeries(m_priceLine);
    m_priceLine->attachAxis(m_lineTimeAxis);
    m_priceLine->attachAxis(m_stockAxis);
}

void CLiveChartDlg::BuildBarChart() {
    QChart* chart = BarChart();
    const QFont font = AxisFont(this->font());
    m_barTimeAxis = new QCategoryAxis;
    m_barTimeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    StyleAxis(m_barTimeAxis, font);
    m_barTimeAxis->setGridLineVisible(false);
    m_volumeAxis = new QValueAxis;
    m_volumeAxis->setLabelFormat("%.0f");
    StyleAxis(m_volumeAxis, font);
    chart->addAxis(m_barTimeAxis, Qt::AlignBottom);
    chart->addAxis(m_volumeAxis, Qt::AlignLeft);

    m_volumes = new QBarSet("Volume");
    m_volumes->setColor(kVolumeColor);
    m_volumes->setBorderColor(kVolumeColor.darker(130));
    auto* bars = new QBarSeries;
    bars->setBarWidth(0.7);
    bars->append(m_volumes);
    chart->addSeries(bars);
    bars->attachAxis(m_barTimeAxis);
    bars->attachAxis(m_volumeAxis);
}

QChart* CLiveChartDlg::LineChart() const {
    return m_lineView->chart();
}

QChart* CLiveChartDlg::BarChart() const {
    return m_barView->chart();
}

std::string CLiveChartDlg::Symbol() const {
    return m_stockCombo->currentIndex() < 0 ? std::string() : ui::S(m_stockCombo->currentText());
}

bool CLiveChartDlg::OnInitDialog() {
    // Looks, and the middle rate.
    QFont valueFont(QStringLiteral("MsChart Font"));
    valueFont.setPixelSize(24);
    valueFont.setWeight(QFont::Bold);
    for (int id : {IDC_LC_STOCK_VALUE, IDC_LC_NIFTY_VALUE})
        GetDlgItem(id)->setFont(valueFont);
    SetPageColor(colors::kPage);
    for (int id : {int(IDC_LC_START), int(IDC_LC_STOP), ui::IDCANCEL})
        CColorButton::Attach(id, this, colors::kPage, colors::kButtonText, colors::kDisabledText,
                             colors::kBevel);
    m_rateCombo->setCurrentIndex(m_rateCombo->findText("Medium"));

    // The watched NSE symbols.
    FillStockCombo();

    // Today's history. Without it the window stays, empty and without a timer; it is
    // not running, so a rate change does not start one either.
    if (!LoadStockHistory() || !LoadNiftyHistory()) {
        m_bRunning = false;
        return true;
    }

    // Charts and timer.
    DrawCharts();
    GetDlgItem(IDC_LC_START)->setEnabled(false);
    GetDlgItem(IDC_LC_STOP)->setEnabled(true);
    SetTimer(kLiveChartTimer, m_nInterval);
    return true;
}

void CLiveChartDlg::FillStockCombo() {
    std::vector<std::string> symbols;
    const bool read = db::RunReported(
        [this](const std::string& e) { ui::messageBox(e, ui::MB_OK | ui::MB_ICONERROR, this); },
        [&symbols] {
            CSelCompanyListset set;
            set.m_strFilter = db::SqlFilterWatchNse();
            if (!set.Open())
                return false;
            db::CloseOnExit<CSelCompanyListset> closer(set);
            symbols =
                db::ReadAllRows(set, [](const CSelCompanyListset& rs) { return rs.m_INDEXNAME; });
            return true;
        });
    if (!read)
        return;
    if (symbols.empty()) {
        ui::messageBox(kNoNseCompany, ui::MB_OK, this);
        return;
    }
    // A sorted list, as the user reads it: case does not count.
    std::stable_sort(symbols.begin(), symbols.end(), [](const auto& a, const auto& b) {
        return text::ToUpperAscii(a) < text::ToUpperAscii(b);
    });
    for (const std::string& s : symbols)
        m_stockCombo->addItem(ui::Q(s));
    // The second entry; with a single entry nothing is chosen.
    m_stockCombo->setCurrentIndex(m_stockCombo->count() > 1 ? 1 : -1);
}

bool CLiveChartDlg::LoadStockHistory() {
    return LoadHistory(m_stock, IDC_LC_STOCK_VALUE, Symbol());
}

bool CLiveChartDlg::LoadNiftyHistory() {
    return LoadHistory(m_nifty, IDC_LC_NIFTY_VALUE, "NIFTY");
}

bool CLiveChartDlg::LoadHistory(LiveSeries& series, int labelId, const std::string& name) {
    series.Clear();
    std::vector<std::string> lines;
    // No chosen stock (or no symbol) has no file either; it is said the same way.
    const std::optional<std::string> file = TodayIntradayFile(name);
    if (!file || !ReadLogLines(*file, lines)) {
        ui::messageBox(kNoIntradayFile, ui::MB_OK, this);
        return false;
    }
    for (const std::string& line : lines)
        AddPoint(series, labelId, line);
    return true;
}

void CLiveChartDlg::AddPoint(LiveSeries& series, int labelId, std::string_view line) {
    if (series.Add(line))
        SetDlgItemText(labelId, series.points.back().close);
}

void CLiveChartDlg::OnTimer(int id) {
    if (id == kLiveChartTimer)
        ReadLiveData();
}

void CLiveChartDlg::ReadLiveData() {
    // A tick that comes while this tick's message is up waits for the next one, so an
    // unattended window does not pile up boxes.
    if (m_bInTick)
        return;
    m_bInTick = true;
    std::vector<std::string> lines;
    if (!ReadLogLines(LiveDataFile(paths::DataRoot()), lines)) {
        ui::messageBox(kNoLiveDataFile, ui::MB_OK, this);
    } else {
        const LiveLines picked = PickLiveLines(lines, Symbol());
        if (picked.nifty)
            AddPoint(m_nifty, IDC_LC_NIFTY_VALUE, *picked.nifty);
        if (picked.stock)
            AddPoint(m_stock, IDC_LC_STOCK_VALUE, *picked.stock);
    }
    m_bInTick = false;
    DrawCharts();
}

void CLiveChartDlg::DrawCharts() {
    DrawLineChart();
    DrawBarChart();
}

void CLiveChartDlg::DrawLineChart() {
    const std::vector<LineRow> rows = LineRows();
    QList<QPointF> prices;
    std::vector<QList<QPointF>> runs; // NIFTY breaks off where a row has no value
    bool inRun = false;
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        prices.append(QPointF(i, Number(rows[i].price)));
        if (rows[i].niftyPrice.empty()) {
            inRun = false;
            continue;
        }
        if (!inRun)
            runs.emplace_back();
        inRun = true;
        runs.back().append(QPointF(i, Number(rows[i].niftyPrice)));
    }
    m_priceLine->replace(prices);

    QChart* chart = LineChart();
    while (m_niftyLines.size() > runs.size()) {
        chart->removeSeries(m_niftyLines.back());
        delete m_niftyLines.back();
        m_niftyLines.pop_back();
    }
    while (m_niftyLines.size() < runs.size()) {
        auto* line = new QLineSeries;
        line->setName("Nifty Price");
        line->setPen(QPen(kNiftyColor, 2));
        line->setColor(kNiftyColor);
        chart->addSeries(line);
        line->attachAxis(m_lineTimeAxis);
        line->attachAxis(m_niftyAxis);
        m_niftyLines.push_back(line);
    }
    for (std::size_t i = 0; i < runs.size(); ++i) {
        m_niftyLines[i]->replace(runs[i]);
        m_niftyLines[i]->setPointsVisible(runs[i].size() == 1); // a lone value still shows
    }

    const AxisScale stock = DrawableScale(StockAxisScale(m_stock));
    m_stockAxis->setRange(stock.minimum, stock.maximum);
    m_stockAxis->setTickCount(stock.majorDivision + 1);
    const AxisScale nifty = DrawableScale(NiftyAxisScale(m_nifty));
    m_niftyAxis->setRange(nifty.minimum, nifty.maximum);
    m_niftyAxis->setTickCount(nifty.majorDivision + 1);
    SetTimeLabels(m_lineTimeAxis);
}

void CLiveChartDlg::DrawBarChart() {
    QList<qreal> volumes;
    qreal low = 0;
    qreal high = 0;
    for (const LivePoint& p : m_stock.points) {
        const qreal v = Number(p.volume);
        volumes.append(v);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    m_volumes->remove(0, m_volumes->count());
    m_volumes->append(volumes);
    m_volumeAxis->setRange(low, high > low ? high * 1.1 : low + 1);
    m_volumeAxis->applyNiceNumbers();
    SetTimeLabels(m_barTimeAxis);
}

void CLiveChartDlg::SetTimeLabels(QCategoryAxis* axis) {
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    const int count = m_stock.Count();
    // Point i sits at x = i, in the middle of its slot.
    axis->setRange(-0.5, std::max(count, 1) - 0.5);
    axis->setStartValue(-0.5);
    for (int row : TimeLabelRows(count, kMaxTimeLabels)) {
        const QString time = ui::Q(m_stock.points[row].time);
        if (!axis->categoriesLabels().contains(time)) // a repeated tick repeats its time
            axis->append(time, row);
    }
}

void CLiveChartDlg::OnStart() {
    m_nInterval = RefreshRateInterval(ui::S(m_rateCombo->currentText())).value_or(m_nInterval);
    SetTimer(kLiveChartTimer, m_nInterval);
    GetDlgItem(IDC_LC_START)->setEnabled(false);
    GetDlgItem(IDC_LC_STOP)->setEnabled(true);
    m_bRunning = true;
}

void CLiveChartDlg::OnStop() {
    KillTimer(kLiveChartTimer);
    GetDlgItem(IDC_LC_START)->setEnabled(true);
    GetDlgItem(IDC_LC_STOP)->setEnabled(false);
    m_bRunning = false;
}

void CLiveChartDlg::OnStockChanged() {
    if (LoadStockHistory())
        LoadNiftyHistory();
    DrawCharts();
}

void CLiveChartDlg::OnRateChanged() {
    m_nInterval = RefreshRateInterval(ui::S(m_rateCombo->currentText())).value_or(m_nInterval);
    if (m_bRunning)
        SetTimer(kLiveChartTimer, m_nInterval);
}

void CLiveChartDlg::OnCancel() {
    KillTimer(kLiveChartTimer);
    hide();
    deleteLater();
}
