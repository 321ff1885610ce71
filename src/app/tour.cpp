#include "app/tour.h"

#include <algorithm>
#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QPainter>
#include <QThread>
#include <QTimer>

#include "app/about_dlg.h"
#include "app/main_bar_dlg.h"
#include "app/ticker_bar_dlg.h"
#include "charts/hist_chart_dlg.h"
#include "charts/image_view.h"
#include "charts/live_chart_dlg.h"

namespace {

std::vector<std::pair<std::string, CTour::Step>>& Steps() {
    static std::vector<std::pair<std::string, CTour::Step>> steps;
    return steps;
}

} // namespace

CTour::CTour(CMainBarDlg& bar, QString dir, std::function<void(int)> advanceMarket)
    : m_bar(bar), m_dir(std::move(dir)), m_advanceMarket(std::move(advanceMarket)) {}

void CTour::AddStep(const std::string& name, Step step) {
    Steps().emplace_back(name, std::move(step));
}

namespace {
std::vector<std::function<void()>>& DataFillers() {
    static std::vector<std::function<void()>> fillers;
    return fillers;
}
} // namespace

void CTour::AddDataFiller(std::function<void()> filler) {
    DataFillers().push_back(std::move(filler));
}

void CTour::RunDataFillers() {
    for (const auto& fill : DataFillers())
        fill();
}

bool CTour::Wait(int ms, const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        if (done && done())
            return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done ? done() : true;
}

QImage CTour::Docked(QWidget& bar, QWidget& page) {
    const QImage top = bar.grab().toImage();
    const QImage bottom = page.grab().toImage();
    QImage out(std::max(top.width(), bottom.width()), top.height() + bottom.height(),
               QImage::Format_RGB32);
    out.fill(QColor(0x30, 0x38, 0x40)); // the desktop around them
    QPainter p(&out);
    p.drawImage(0, 0, top);
    p.drawImage(0, top.height(), bottom);
    return out;
}

void CTour::Start() {
    if (!QDir().mkpath(m_dir)) {
        std::fprintf(stderr, "koravel: cannot create the tour folder %s\n", qPrintable(m_dir));
        Finish(2);
        return;
    }
    connect(&m_bar, &CMainBarDlg::refreshed, this, [this](bool ok) {
        if (ok && !m_started) {
            m_started = true;
            QTimer::singleShot(0, this, &CTour::Run);
        }
    });
    QTimer::singleShot(60000, this, [this] {
        if (!m_started) {
            std::fprintf(stderr, "koravel: the tour saw no refresh within a minute\n");
            Finish(3);
        }
    });
}

bool CTour::Save(const QImage& image, const QString& name) {
    const QString path = m_dir + "/" + name + ".png";
    if (image.isNull() || !image.save(path, "PNG")) {
        std::fprintf(stderr, "koravel: cannot write %s\n", qPrintable(path));
        return false;
    }
    m_written << path;
    return true;
}

void CTour::Run() {
    // A second refresh a few minutes on, so prices show which way they moved.
    if (m_advanceMarket) {
        m_advanceMarket(180);
        const int seen = m_bar.RefreshCount();
        m_bar.StartQuoteFetch();
        Wait(20000, [&] { return m_bar.RefreshCount() > seen; });
    }
    Wait(200);
    bool ok = Save(m_bar.grab().toImage(), "bar");

    // The context menu, as a right click on the bar shows it.
    {
        auto menu = m_bar.BuildContextMenu();
        menu->popup(m_bar.mapToGlobal(QPoint(40, 30)));
        Wait(150);
        ok = Save(menu->grab().toImage(), "menu") && ok;
        menu->close();
    }

    {
        CAboutDlg about(PriceSource::Simulated, &m_bar);
        about.EnsureInitialized();
        about.show();
        Wait(150);
        ok = Save(about.grab().toImage(), "about") && ok;
        about.hide();
    }

    {
        CHistChartDlg* chart = CHistChartDlg::Open(&m_bar, "NIFTY", "", "^NSEI");
        Wait(20000, [chart] { return !chart->Browser()->IsBusy(); });
        Wait(100);
        ok = Save(chart->grab().toImage(), "histchart") && ok;
        chart->close();
        delete chart;
    }

    for (int i = 0; i < kBarPageCount; ++i) {
        const auto page = static_cast<BarPage>(i);
        if (!BarPageFactoryOf(page))
            continue;
        const std::string name = PageInfo(page).name;
        if (std::any_of(Steps().begin(), Steps().end(),
                        [&](const auto& s) { return s.first == name; }))
            continue; // the page's own step shows it with its data
        const int seen = m_bar.RefreshCount();
        m_bar.OnPageButton(page);
        if (m_advanceMarket)
            m_advanceMarket(60); // a minute on: prices show which way they moved
        m_bar.StartQuoteFetch(); // the page's data, whether or not its creation asked already
        Wait(20000, [&] { return m_bar.RefreshCount() > seen; });
        Wait(300);
        if (CBarPage* p = m_bar.Page(page))
            ok = Save(Docked(m_bar, *p->PageWindow()), PageInfo(page).name) && ok;
        m_bar.OnPageButton(page); // and hide it again
    }

    for (const auto& [name, step] : Steps())
        ok = Save(step(m_bar), QString::fromStdString(name)) && ok;

    // A live chart after a quarter of an hour of logging.
    if (CBarPage* watch = m_bar.Page(BarPage::Watchlist); watch && m_advanceMarket) {
        for (int id : {1137, 1138}) // the watch list's Intraday and LiveData
            if (auto* box = ui::findControl<QAbstractButton>(watch->PageWindow(), id);
                box && !box->isChecked())
                box->click();
        for (int i = 0; i < 15; ++i) {
            m_advanceMarket(60);
            const int seen = m_bar.RefreshCount();
            m_bar.StartQuoteFetch();
            Wait(20000, [&] { return m_bar.RefreshCount() > seen; });
        }
        if (auto* button = ui::findControl<QAbstractButton>(&m_bar, IDC_LIVE_CHART))
            button->click();
        Wait(300);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* chart = qobject_cast<CLiveChartDlg*>(w); chart && chart->isVisible()) {
                ok = Save(chart->grab().toImage(), "livechart") && ok;
                chart->close();
            }
    }

    // The ticker strip in place of the bar, then back.
    m_bar.OnTickerBarButton();
    if (CTickerBarDlg* ticker = m_bar.Ticker()) {
        ticker->UpdateTicker();
        Wait(400);
        ok = Save(ticker->grab().toImage(), "ticker") && ok;
        m_bar.OnTickerClosed();
        delete ticker;
    }

    for (const QString& path : m_written)
        std::printf("%s\n", qPrintable(path));
    Finish(ok ? 0 : 4);
}

void CTour::Finish(int exitCode) {
    m_bar.CloseBar(exitCode);
}
