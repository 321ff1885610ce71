#include <filesystem>

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QComboBox>
#include <QCoreApplication>
#include <QLineSeries>
#include <QPointer>
#include <QPushButton>
#include <QValueAxis>
#include <gtest/gtest.h>

#include "charts/live_chart_dlg.h"
#include "db/watch_table.h"
#include "platform/base/clock.h"
#include "support/data_source_fixture.h"
#include "support/temp_dir.h"
#include "support/ui_hooks.h"

namespace {

using testsupport::MessageBoxRecorder;
using Lines = std::vector<std::string>;

std::string Bar(const std::string& name, const std::string& time, const std::string& close,
                const std::string& volume = "0") {
    return name + ",12/07/2026," + time + ",1.00,2.00,0.50," + close + "," + volume;
}

class LiveChartTest : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0)); // a Monday
    }
    void TearDown() override { Clock::Reset(); }

    // Symbols watched on NSE, and one on BSE that the chart must not offer.
    void Watch(const Lines& nseSymbols) {
        std::vector<db::WatchRow> rows = {{"State Bank", "BSE", "SBIN", 0, 0, 0}};
        for (const auto& symbol : nseSymbols)
            rows.push_back({symbol + " Ltd", "NSE", symbol, 0, 0, 0});
        CSelCompanyListset set;
        db::ReplaceWatchList(set, rows);
    }
    static void Write(const std::string& path, const Lines& lines) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::string content;
        for (const auto& l : lines)
            content += l + "\r\n";
        testsupport::WriteFile(path, content);
    }
    void Intraday(const std::string& name, const Lines& lines, const char* day = "12-07-2026") {
        Write(m_root.path() + "/IntraDay/" + day + "/" + name + ".txt", lines);
    }
    std::string LivePath() const { return m_root.path() + "/LiveData/LiveData.txt"; }
    void Tick(CLiveChartDlg* dlg, const Lines& live) {
        Write(LivePath(), live);
        dlg->OnTimer(kLiveChartTimer);
    }

    // As the bar makes one; the owner takes whatever is left at the end.
    CLiveChartDlg* OpenChart() {
        auto* dlg = new CLiveChartDlg(&m_owner);
        dlg->Create(false);
        return dlg;
    }

    static std::string Text(CLiveChartDlg* dlg, int id) { return dlg->GetDlgItemText(id); }
    static bool Enabled(CLiveChartDlg* dlg, int id) { return dlg->GetDlgItem(id)->isEnabled(); }
    static void Choose(CLiveChartDlg* dlg, int id, const QString& text) {
        auto* combo = dlg->Control<QComboBox>(id);
        combo->setCurrentIndex(combo->findText(text));
        emit combo->activated(combo->currentIndex());
    }
    static QValueAxis* Axis(QChart* chart, Qt::Alignment side) {
        for (QAbstractAxis* a : chart->axes(Qt::Vertical))
            if (a->alignment() == side)
                return qobject_cast<QValueAxis*>(a);
        return nullptr;
    }
    static QStringList Times(QChart* chart) {
        return qobject_cast<QCategoryAxis*>(chart->axes(Qt::Horizontal).value(0))
            ->categoriesLabels();
    }
    static std::vector<QLineSeries*> Series(QChart* chart, const QString& name) {
        std::vector<QLineSeries*> out;
        for (QAbstractSeries* s : chart->series())
            if (s->name() == name)
                out.push_back(qobject_cast<QLineSeries*>(s));
        return out;
    }
    static QBarSet* Volumes(CLiveChartDlg* dlg) {
        return qobject_cast<QBarSeries*>(dlg->BarChart()->series().value(0))->barSets().value(0);
    }

    testsupport::TempDir m_root;
    testsupport::ScopedEnv m_env{"KORAVEL_ROOT", m_root.path()};
    QWidget m_owner;
};

TEST_F(LiveChartTest, OpensOnTodaysHistory) {
    Watch({"TCS", "INFY", "RELIANCE"});
    Intraday("RELIANCE", {Bar("RELIANCE", "10:59:00", "2400.00", "1500"),
                          Bar("RELIANCE", "10:59:15", "2380.00", "700"),
                          Bar("RELIANCE", "10:59:30", "2420.00", "900")});
    Intraday("RELIANCE", {Bar("RELIANCE", "15:00:00", "1.00")}, "12-06-2026");
    // NIFTY's middle bar was written a second after the stock's.
    Intraday("NIFTY", {Bar("NIFTY", "10:59:00", "5000.00"), Bar("NIFTY", "10:59:16", "5100.00"),
                       Bar("NIFTY", "10:59:30", "4900.00")});
    MessageBoxRecorder boxes;
    CLiveChartDlg* dlg = OpenChart();
    EXPECT_TRUE(boxes.Texts().empty());

    // Sorted NSE symbols with the second chosen, "Medium", and running.
    auto* stocks = dlg->Control<QComboBox>(IDC_LC_STOCK);
    ASSERT_EQ(stocks->count(), 3);
    EXPECT_EQ(stocks->itemText(0), "INFY");
    EXPECT_EQ(dlg->Symbol(), "RELIANCE");
    EXPECT_EQ(Text(dlg, IDC_LC_RATE), "Medium");
    EXPECT_TRUE(dlg->HasTimer(kLiveChartTimer));
    EXPECT_EQ(dlg->Interval(), 15000);
    EXPECT_FALSE(Enabled(dlg, IDC_LC_START));
    EXPECT_TRUE(Enabled(dlg, IDC_LC_STOP));

    // Today's points only, and the latest values.
    EXPECT_EQ(dlg->StockSeries().Count(), 3);
    EXPECT_EQ(dlg->NiftySeries().Count(), 3);
    EXPECT_EQ(Text(dlg, IDC_LC_STOCK_VALUE), "2420.00");
    EXPECT_EQ(Text(dlg, IDC_LC_NIFTY_VALUE), "4900.00");

    // The stock on the left axis; NIFTY on the right, broken where no NIFTY bar has the
    // row's exact time, a lone value drawn as a point.
    QChart* line = dlg->LineChart();
    QValueAxis* left = Axis(line, Qt::AlignLeft);
    QValueAxis* right = Axis(line, Qt::AlignRight);
    const auto price = Series(line, "Price");
    ASSERT_EQ(price.size(), 1u);
    EXPECT_EQ(price[0]->points(), (QList<QPointF>{{0, 2400}, {1, 2380}, {2, 2420}}));
    EXPECT_TRUE(price[0]->attachedAxes().contains(left));
    const auto nifty = Series(line, "Nifty Price");
    ASSERT_EQ(nifty.size(), 2u);
    EXPECT_EQ(nifty[0]->points(), (QList<QPointF>{{0, 5000}}));
    EXPECT_EQ(nifty[1]->points(), (QList<QPointF>{{2, 4900}}));
    EXPECT_TRUE(nifty[1]->attachedAxes().contains(right));
    EXPECT_TRUE(nifty[1]->pointsVisible());

    // 10 % of 2420 - 2380 beyond the stock's ends, 5 % of 5100 - 4900 beyond NIFTY's.
    EXPECT_DOUBLE_EQ(left->min(), 2376);
    EXPECT_DOUBLE_EQ(left->max(), 2424);
    EXPECT_DOUBLE_EQ(right->min(), 4890);
    EXPECT_DOUBLE_EQ(right->max(), 5110);

    // The volumes as bars, both charts under the same times.
    const QStringList times = {"10:59:00", "10:59:15", "10:59:30"};
    EXPECT_EQ(Times(line), times);
    EXPECT_EQ(Times(dlg->BarChart()), times);
    ASSERT_EQ(Volumes(dlg)->count(), 3);
    EXPECT_EQ(Volumes(dlg)->at(0), 1500);
    EXPECT_EQ(Volumes(dlg)->at(2), 900);
}

TEST_F(LiveChartTest, OpeningWithoutHistoryStaysStopped) {
    Intraday("TCS", {Bar("TCS", "10:59:00", "3400.00")});
    MessageBoxRecorder boxes;
    auto expectStopped = [](CLiveChartDlg* dlg) {
        EXPECT_FALSE(dlg->HasTimer(kLiveChartTimer));
        EXPECT_TRUE(Enabled(dlg, IDC_LC_START));
        EXPECT_TRUE(Enabled(dlg, IDC_LC_STOP));
    };

    // No NSE company: our message, an empty list, and no stock to load.
    Watch({});
    CLiveChartDlg* dlg = OpenChart();
    EXPECT_EQ(boxes.Texts(), (Lines{kNoNseCompany, kNoIntradayFile}));
    EXPECT_EQ(dlg->Control<QComboBox>(IDC_LC_STOCK)->count(), 0);
    expectStopped(dlg);

    // NIFTY's file missing.
    boxes.Clear();
    Watch({"TCS", "ABB"});
    dlg = OpenChart();
    EXPECT_EQ(dlg->Symbol(), "TCS");
    EXPECT_EQ(boxes.Texts(), Lines{kNoIntradayFile});
    expectStopped(dlg);

    // One NSE company: there is no second entry, so nothing is chosen.
    boxes.Clear();
    Intraday("NIFTY", {Bar("NIFTY", "10:59:00", "5000.00")});
    Watch({"TCS"});
    dlg = OpenChart();
    EXPECT_EQ(boxes.Texts(), Lines{kNoIntradayFile});
    EXPECT_EQ(dlg->Control<QComboBox>(IDC_LC_STOCK)->currentIndex(), -1);
    EXPECT_TRUE(Series(dlg->LineChart(), "Price")[0]->points().isEmpty());
    expectStopped(dlg);
    // Nothing runs, so a rate change starts nothing; choosing the stock loads it.
    Choose(dlg, IDC_LC_RATE, "High");
    Choose(dlg, IDC_LC_STOCK, "TCS");
    EXPECT_FALSE(dlg->HasTimer(kLiveChartTimer));
    EXPECT_EQ(dlg->StockSeries().Count(), 1);
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

TEST_F(LiveChartTest, TicksTakeTheLiveFile) {
    Watch({"INFOSYSTCH", "INFOSYS", "ABB"});
    Intraday("INFOSYS", {Bar("INFOSYS", "10:59:45", "1500.00", "100")});
    Intraday("NIFTY", {Bar("NIFTY", "10:59:45", "5000.00")});
    MessageBoxRecorder boxes;
    CLiveChartDlg* dlg = OpenChart();
    ASSERT_EQ(dlg->Symbol(), "INFOSYS");
    QChart* line = dlg->LineChart();
    EXPECT_DOUBLE_EQ(Axis(line, Qt::AlignLeft)->max(), 1650); // 1500 over a minimum of 0

    // NIFTY's line, then the first line after it containing the symbol: the longer one.
    Tick(dlg, {Bar("NIFTY", "11:00:00", "5010.00"), Bar("INFOSYSTCH", "11:00:00", "1510.00", "250"),
               Bar("INFOSYS", "11:00:00", "900.00", "5")});
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(dlg->StockSeries().points.back(), (LivePoint{"11:00:00", "1510.00", "250"}));
    EXPECT_EQ(dlg->NiftySeries().Count(), 2);
    EXPECT_EQ(Text(dlg, IDC_LC_STOCK_VALUE), "1510.00");
    EXPECT_EQ(Text(dlg, IDC_LC_NIFTY_VALUE), "5010.00");
    EXPECT_EQ(Series(line, "Price")[0]->count(), 2);
    EXPECT_EQ(Series(line, "Nifty Price")[0]->count(), 2);
    EXPECT_EQ(Volumes(dlg)->at(1), 250);
    EXPECT_EQ(Times(line), (QStringList{"10:59:45", "11:00:00"}));
    EXPECT_DOUBLE_EQ(Axis(line, Qt::AlignLeft)->max(), 1510 * 1.1);
    EXPECT_DOUBLE_EQ(Axis(line, Qt::AlignRight)->min(), -5010 * 0.05);

    // A file caught half-written, one with garbage, an empty one: nothing changes.
    Tick(dlg, {"NIFTY,12/07/2026,11:00:1", Bar("INFOSYS", "11:00:15", "N/A")});
    Tick(dlg, {});
    EXPECT_EQ(dlg->StockSeries().Count(), 2);
    EXPECT_EQ(dlg->NiftySeries().Count(), 2);
    EXPECT_EQ(Text(dlg, IDC_LC_STOCK_VALUE), "1510.00");
    EXPECT_TRUE(boxes.Texts().empty());

    // No live file: the message once per tick; the charts stay; the timer runs on.
    std::filesystem::remove(LivePath());
    dlg->OnTimer(kLiveChartTimer);
    dlg->OnTimer(1); // not the chart's timer
    EXPECT_EQ(boxes.Texts(), Lines{kNoLiveDataFile});
    EXPECT_EQ(Series(line, "Price")[0]->count(), 2);
    EXPECT_TRUE(dlg->HasTimer(kLiveChartTimer));
}

TEST_F(LiveChartTest, StartStopRatesAndClose) {
    Watch({"TCS", "INFY"});
    Intraday("TCS", {Bar("TCS", "10:59:00", "3400.00")});
    Intraday("NIFTY", {Bar("NIFTY", "10:59:00", "5000.00")});
    QPointer<CLiveChartDlg> dlg = CLiveChartDlg::Open(&m_owner);
    EXPECT_TRUE(dlg->isVisible() && dlg->isWindow());

    dlg->Control<QPushButton>(IDC_LC_STOP)->click();
    EXPECT_FALSE(dlg->HasTimer(kLiveChartTimer));
    EXPECT_TRUE(Enabled(dlg, IDC_LC_START));
    EXPECT_FALSE(Enabled(dlg, IDC_LC_STOP));
    // "High" while stopped starts nothing; START takes it.
    Choose(dlg, IDC_LC_RATE, "High");
    EXPECT_FALSE(dlg->HasTimer(kLiveChartTimer));
    dlg->Control<QPushButton>(IDC_LC_START)->click();
    EXPECT_TRUE(dlg->HasTimer(kLiveChartTimer));
    EXPECT_EQ(dlg->Interval(), 10000);
    EXPECT_FALSE(Enabled(dlg, IDC_LC_START));
    EXPECT_TRUE(Enabled(dlg, IDC_LC_STOP));
    // While running a new rate applies at once.
    Choose(dlg, IDC_LC_RATE, "Low");
    EXPECT_EQ(dlg->Interval(), 20000);
    EXPECT_TRUE(dlg->HasTimer(kLiveChartTimer));

    dlg->Control<QPushButton>(ui::IDCANCEL)->click();
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(dlg->HasTimer(kLiveChartTimer));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dlg.isNull());
}

TEST_F(LiveChartTest, AnotherStockReloadsBothHistories) {
    Watch({"TCS", "INFY", "WIPRO"});
    Intraday("TCS", {Bar("TCS", "10:59:00", "3400.00")});
    Intraday("INFY", {Bar("INFY", "10:59:00", "100.00", "10"), Bar("INFY", "10:59:15", "150.00")});
    Intraday("NIFTY", {Bar("NIFTY", "10:59:00", "5000.00")});
    MessageBoxRecorder boxes;
    CLiveChartDlg* dlg = OpenChart();
    Tick(dlg, {Bar("NIFTY", "11:00:00", "5010.00"), Bar("TCS", "11:00:00", "3410.00")});
    ASSERT_EQ(dlg->NiftySeries().Count(), 2);

    Choose(dlg, IDC_LC_STOCK, "INFY");
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(dlg->StockSeries().Count(), 2);
    EXPECT_EQ(dlg->NiftySeries().Count(), 1); // rebuilt from the file
    EXPECT_EQ(Times(dlg->LineChart()), (QStringList{"10:59:00", "10:59:15"}));

    // No file today for this one: the message and an empty stock chart; the timer runs on.
    Choose(dlg, IDC_LC_STOCK, "WIPRO");
    EXPECT_EQ(boxes.Texts(), Lines{kNoIntradayFile});
    EXPECT_EQ(Volumes(dlg)->count(), 0);
    EXPECT_TRUE(Times(dlg->LineChart()).isEmpty());
    EXPECT_TRUE(dlg->HasTimer(kLiveChartTimer));
}

} // namespace
