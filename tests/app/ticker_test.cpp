#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <gtest/gtest.h>

#include "app/core/ticker_rules.h"
#include "app/scrolling_text.h"
#include "app/ticker_bar_dlg.h"
#include "controls/color_button.h"
#include "controls/link_label.h"
#include "quotes/indian_number.h"
#include "test_page.h"

void PrintTo(const TickerTextItem& item, std::ostream* os) {
    *os << '"' << item.text << "\" style " << std::hex << item.style << std::dec << " on "
        << item.background;
}

namespace {

using testsupport::WaitUntil;

QuoteRecord Quote(const std::string& symbol, double last, float change) {
    QuoteRecord r;
    r.symbol = symbol;
    r.last = last;
    r.change = change;
    return r;
}

const std::uint32_t kBlackBold = colors::kBlack | kTickerBold;

TEST(TickerRulesTest, ItemsAndNiftyTexts) {
    const std::vector<QuoteRecord> watch = {
        Quote("TCS.NS", 3456.7, -12.5f),
        Quote("SBIN.BO", 812.4, 3.1f),
        Quote("INFY.NS", 1500, 0.0f),
        Quote("MRF.NS", 123456.78, 1250.25f),
    };
    const std::vector<TickerTextItem> expected = {
        {"TCS", kBlackBold, -1},
        {"  3,456.70", colors::kBlue, -1},
        {" (-12.50)   ", colors::kRed, -1},
        {"INFY", kBlackBold, -1},
        {"  1,500.00", colors::kBlue, -1},
        {" (+0.00)   ", colors::kDarkGreen, -1}, // no change counts as a rise
        {"MRF", kBlackBold, -1},
        {"  1,23,456.78", colors::kBlue, -1},
        {" (+1,250.25)   ", colors::kDarkGreen, -1},
    };
    EXPECT_EQ(TickerItems(watch), expected);
    // BSE stocks and symbols of other markets give nothing.
    EXPECT_TRUE(TickerItems({Quote("SBIN.BO", 812.4, 3.1f), Quote("^NSEI", 24000, 10)}).empty());
    EXPECT_EQ(MakeTickerStyle(0xFF123456, true, true, true), 0x07123456u); // no spill into flags

    const QuoteRecord falling = Quote("^NSEI", 24666.95, -123.4f);
    EXPECT_EQ(NiftyValueText(falling), "24,666.95");
    EXPECT_EQ(NiftyChangeText(falling), "(-123.40 )");
    EXPECT_EQ(NiftyChangeColor(falling), colors::kRed);
    EXPECT_EQ(NiftyChangeText(Quote("^NSEI", 500, 0)), "(0.00 )");
    EXPECT_EQ(NiftyChangeColor(Quote("^NSEI", 500, 0)), colors::kDarkGreen);
}

TEST(TickerRulesTest, IntervalAndOffsetSteps) {
    const std::pair<int, int> intervals[] = {{500, 20}, {600, 16},   {1, 10000}, {-500, 20},
                                             {0, 100},  {-1000, 10}, {7, 1428}};
    for (auto [speed, ms] : intervals)
        EXPECT_EQ(ScrollInterval(speed), ms) << speed;

    struct Case {
        int offset, speed, expected;
    };
    // A client from 0 to 400, 250 pixels of text.
    const Case cases[] = {
        {10, 500, 9},     {-249, 1, -250}, // leftwards by one
        {-250, 500, 400},                  // the last pixel gone: back at the right
        {399, -500, 400}, {400, -1, -250}, // rightwards; past the right edge: in from the left
        {37, 0, 37},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextScrollOffset(c.offset, c.speed, 250, 0, 400), c.expected)
            << c.offset << " at " << c.speed;
}

TEST(TextItemStaticTest, PutGetRemoveAndTheirRefusals) {
    CTextItemStatic text;
    text.resize(400, 26);
    const TickerTextItem a{"TCS", kBlackBold, -1};
    const TickerTextItem c{" (+1.00)   ", colors::kDarkGreen, 0x00FFFF};
    EXPECT_FALSE(text.AddItem("", colors::kRed));
    EXPECT_FALSE(text.PutItem(1, a)); // beyond the end
    EXPECT_FALSE(text.PutItem(-1, a));
    EXPECT_EQ(text.GetItemCount(), 0);

    EXPECT_TRUE(text.PutItem(0, a));
    EXPECT_TRUE(text.PutItem(1, a)); // at the count: appended
    EXPECT_TRUE(text.AddItem(c.text, c.style, c.background));
    EXPECT_TRUE(text.PutItem(1, c)); // occupied: replaced
    EXPECT_EQ(text.GetItemCount(), 3);
    EXPECT_EQ(text.GetItem(3), TickerTextItem{});
    EXPECT_FALSE(text.RemoveItem(3));
    EXPECT_TRUE(text.RemoveItem(0));
    EXPECT_EQ(text.GetItem(0), c);

    // Widths kept up along the way agree with a control filled afresh.
    CTextItemStatic fresh;
    fresh.resize(400, 26);
    fresh.AddItem(c);
    fresh.AddItem(c);
    EXPECT_GT(text.TotalWidth(), 0);
    EXPECT_EQ(text.TotalWidth(), fresh.TotalWidth());
    EXPECT_EQ(text.ItemLeft(1), text.TotalWidth() / 2);
    text.RemoveAllItems();
    EXPECT_EQ(text.TotalWidth(), 0);
    text.SetBkColor(-1);
    EXPECT_EQ(text.BkColor(), CTextItemStatic::ButtonFaceColor());
}

TEST(TextItemStaticTest, FontFollowsTheHeightAndItemsPaintOnTheirBackgrounds) {
    const int line = QFontMetrics(FontWithCellHeight(QFont("Ticker Font"), 18)).height();
    EXPECT_TRUE(line <= 18 && line >= 15) << line;

    CTextItemStatic text;
    text.resize(300, 26);
    text.SetBkColor(colors::kWhite);
    text.AddItem("WWWW", colors::kRed);
    text.AddItem("WWWW", MakeTickerStyle(colors::kRed, true), 0x00FFFF);
    EXPECT_GT(QFontMetrics(text.ItemFont(0)).height(), 20); // grown to the control's height
    ASSERT_LT(text.TotalWidth(), 290);

    const QImage shot = text.grab().toImage();
    EXPECT_EQ(shot.pixelColor(text.ItemLeft(0) + 1, 0), QColor(Qt::white)); // -1: the control's
    EXPECT_EQ(shot.pixelColor(text.ItemLeft(1) + 1, 0), QColor(Qt::yellow));
    EXPECT_EQ(shot.pixelColor(text.TotalWidth() + 2, 13), QColor(Qt::white));
    bool red = false;
    for (int x = 0; x < text.ItemLeft(1) && !red; ++x)
        for (int y = 0; y < 26 && !red; ++y)
            red = shot.pixelColor(x, y).red() > 200 && shot.pixelColor(x, y).green() < 60;
    EXPECT_TRUE(red);
}

TEST(ScrollingTextTest, MovesStopsWhereItStandsAndResumes) {
    CScrollingText text;
    text.resize(300, 26);
    text.AddItem("TCS", kBlackBold);
    text.show();
    text.SetSpeed(500);
    ASSERT_TRUE(WaitUntil([&] { return text.Offset() <= -3; }, 5000));

    text.SetSpeed(0);
    EXPECT_EQ(text.TimerId(), 0);
    const int stopped = text.Offset();
    testsupport::Pump(150);
    EXPECT_EQ(text.Offset(), stopped);
    text.SetSpeed(-1001); // out of range: ignored
    EXPECT_EQ(text.TimerId(), 0);

    text.SetSpeed(-1000);
    ASSERT_TRUE(WaitUntil([&] { return text.Offset() >= stopped + 3; }, 5000));
}

TEST(ScrollingTextTest, OnlyTheCurrentTimersEventSteps) {
    CScrollingText text;
    text.resize(300, 26);
    text.AddItem("TCS", kBlackBold);
    text.SetSpeed(1); // slow enough that no real event comes during the test
    const int old = text.TimerId();
    text.SetSpeed(2);
    const int current = text.TimerId();
    ASSERT_NE(current, old);

    text.OnTimer(old); // the replaced timer's event, still on its way
    EXPECT_EQ(text.Offset(), 0);
    text.OnTimer(current);
    EXPECT_EQ(text.Offset(), -1);
    EXPECT_NE(text.TimerId(), 0) << "each step starts the next";
    text.OnTimer(current); // one event, one step
    EXPECT_EQ(text.Offset(), -1);
}

class TickerBarTest : public BarTest {
protected:
    // A bar past its first refresh, with a watch list of these symbols.
    CMainBarDlg& StartBar(std::vector<std::string> watchSymbols) {
        RegisterBarPage(BarPage::Watchlist, [this, watchSymbols](IBar& bar) {
            return m_watch = new TestPage(watchSymbols, bar.Window());
        });
        return BarTest::StartBar();
    }
    void PressTickerBar() { m_bar->Control<QPushButton>(IDC_TICKER_BAR)->click(); }
    static void ReleaseSlider(QSlider* slider) {
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                            slider->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(slider, &release);
    }

    TestPage* m_watch = nullptr;
};

TEST_F(TickerBarTest, TickerBarButtonSwapsTheBarForOneStripAndMBringsItBack) {
    CMainBarDlg& bar = StartBar({"TCS.NS", "SBIN.BO", "INFY.NS"});
    bar.OnPageButton(BarPage::Watchlist);
    PressTickerBar();
    QPointer<CTickerBarDlg> strip = bar.Ticker();
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_FALSE(bar.isVisible());
    EXPECT_FALSE(m_watch->isVisible());
    PressTickerBar();
    EXPECT_EQ(bar.Ticker(), strip.data());
    EXPECT_EQ(bar.findChildren<CTickerBarDlg*>().size(), 1);

    // A thin strip at the top centre, above other windows, filled from the last refresh.
    const QRect screen = strip->screen()->geometry();
    EXPECT_EQ(strip->pos(), QPoint(screen.width() / 2 - strip->width() / 2, screen.top()));
    EXPECT_TRUE(strip->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    auto* scroller = strip->Control<CScrollingText>(CTickerBarDlg::IDC_SCROLLER);
    ASSERT_EQ(scroller->GetItemCount(), 6);
    EXPECT_EQ(scroller->GetItem(3), (TickerTextItem{"INFY", kBlackBold, -1})); // SBIN.BO left out
    const QuoteRecord& nifty = bar.NiftyRecord();
    auto* value = strip->Control<CLinkLabel>(CTickerBarDlg::IDC_NIFTY_VALUE);
    auto* change = strip->Control<QLabel>(CTickerBarDlg::IDC_NIFTY_CHANGE);
    EXPECT_EQ(value->GetText(), FormatIndianNumber(nifty.last));
    EXPECT_EQ(change->palette().color(QPalette::WindowText),
              ui::ToQColor(nifty.change < 0 ? colors::kRed : colors::kDarkGreen));
    // Five-digit NIFTY values and three-digit changes are shown whole in the box.
    const_cast<QuoteRecord&>(nifty).change = -234.5f;
    strip->UpdateTicker();
    for (QLabel* label : {static_cast<QLabel*>(value), change})
        EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()),
                  label->contentsRect().width())
            << label->text().toStdString();

    // "M": the bar comes back with the page that was open, and the strip goes.
    strip->Control<CColorButton>(CTickerBarDlg::IDC_BACK_TO_BAR)->click();
    EXPECT_TRUE(bar.isVisible());
    EXPECT_TRUE(m_watch->isVisible());
    EXPECT_EQ(bar.Ticker(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(strip.isNull());

    // Esc on a new strip goes back to the bar as well, never leaving both hidden.
    PressTickerBar();
    ASSERT_NE(bar.Ticker(), nullptr);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(bar.Ticker(), &esc);
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.Ticker(), nullptr);
}

TEST_F(TickerBarTest, FollowsTheBarsRefreshesAndTakesTheSpeedOnRelease) {
    CMainBarDlg& bar = StartBar({"TCS.NS", "INFY.NS"});
    PressTickerBar();
    CTickerBarDlg* strip = bar.Ticker();
    ASSERT_NE(strip, nullptr);
    auto* value = strip->Control<CLinkLabel>(CTickerBarDlg::IDC_NIFTY_VALUE);
    auto* change = strip->Control<QLabel>(CTickerBarDlg::IDC_NIFTY_CHANGE);
    auto* scroller = strip->Control<CScrollingText>(CTickerBarDlg::IDC_SCROLLER);
    const std::string before = value->GetText();

    m_market->Clock().Set(At("2026-12-07 11:07:00"));
    ASSERT_TRUE(Refresh());
    EXPECT_NE(value->GetText(), before);
    EXPECT_EQ(value->GetText(), FormatIndianNumber(bar.NiftyRecord().last));
    EXPECT_EQ(change->text().toStdString(),
              "(" + FormatIndianNumber(bar.NiftyRecord().change) + " )");
    ASSERT_EQ(scroller->GetItemCount(), 6);
    EXPECT_EQ(scroller->GetItem(4).text, "  " + FormatIndianNumber(m_watch->m_records[1].last));

    // The trackbar counts when it is let go: 0 stops, any other value runs again.
    auto* slider = strip->Control<QSlider>(CTickerBarDlg::IDC_SPEED);
    slider->setValue(0);
    EXPECT_EQ(scroller->Speed(), 500) << "not before the release";
    ReleaseSlider(slider);
    EXPECT_EQ(scroller->TimerId(), 0);
    const int stopped = scroller->Offset();
    slider->setValue(250);
    ReleaseSlider(slider);
    EXPECT_EQ(scroller->Interval(), 40);
    EXPECT_TRUE(WaitUntil([&] { return scroller->Offset() < stopped; }, 3000));
}

} // namespace
