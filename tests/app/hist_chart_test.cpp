#include <QCheckBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "charts/hist_chart_dlg.h"
#include "charts/image_view.h"
#include "controls/chart_opener.h"
#include "controls/quote_lists.h"
#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "quotes/quote_request.h"
#include "support/ui_hooks.h"
#include "test_page.h"

namespace {

using testsupport::MessageBoxRecorder;
using testsupport::WaitUntil;

class HistChartTest : public BarTest {
protected:
    void Click(CHistChartDlg& dlg, int id) { dlg.Control<QPushButton>(id)->click(); }
    std::string Query(const CHistChartDlg& dlg) {
        const std::string a = dlg.Address();
        return a.substr(a.find("/z?"));
    }
};

TEST_F(HistChartTest, OpensOnTheDefaultsWithTheYearRange) {
    CHistChartDlg dlg("Tata Consultancy Services Ltd", "NSE", "TCS");
    dlg.Create(true);
    EXPECT_EQ(Query(dlg), "/z?s=TCS.NS&t=1d&q=l&l=off&z=m&p=&a=&c=");
    for (int id : {IDC_HC_LINE, IDC_HC_LINEAR, IDC_HC_1D, IDC_HC_SIZE_M})
        EXPECT_EQ(dlg.ButtonTextColor(id), colors::kRed) << id;
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_5D), colors::kButtonText);

    // The range text is the "w" quote's, without its quotes.
    CInternetSession session("t");
    const auto lines = inet::ReadAllLines(session, BuildQuoteRequest("TCS.NS", "w"));
    EXPECT_EQ(dlg.YearRange(), text::RemoveChar(lines[0], '"'));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_HC_RANGE52), dlg.YearRange());

    // The chart itself comes from the chart service.
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Browser()->IsBusy(); }));
    EXPECT_EQ(dlg.Browser()->Picture().width(), 512);
    bool asked = false;
    for (const auto& e : m_market->RequestLog())
        asked |= e.path == "/z" && e.query == "s=TCS.NS&t=1d&q=l&l=off&z=m&p=&a=&c=";
    EXPECT_TRUE(asked);
}

TEST_F(HistChartTest, ButtonsRebuildTheAddressAndTheirColours) {
    CHistChartDlg dlg("State Bank of India", "BSE", "SBIN");
    dlg.Create(true);
    Click(dlg, IDC_HC_1Y);
    Click(dlg, IDC_HC_CDL);
    Click(dlg, IDC_HC_LOG);
    Click(dlg, IDC_HC_SIZE_L);
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_1Y), colors::kRed);
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_1D), colors::kBlack); // the group's others turn black
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_LINE), colors::kBlack);
    EXPECT_EQ(Query(dlg), "/z?s=SBIN.BO&t=1y&q=c&l=on&z=l&p=&a=&c=");

    // Six averages of both kinds: the sixth changes nothing but the count.
    for (int id :
         {IDC_HC_MA50, IDC_HC_EMA20, IDC_HC_MA5, IDC_HC_EMA200, IDC_HC_MA100, IDC_HC_MA200})
        Click(dlg, id);
    EXPECT_EQ(dlg.Choices().averages(), ",m50,e20,m5,e200,m100");
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_MA100), colors::kRed);
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_MA200), colors::kButtonText);
    Click(dlg, IDC_HC_BOLLINGER);
    Click(dlg, IDC_HC_RSI);
    Click(dlg, IDC_HC_RSI);
    EXPECT_EQ(dlg.Choices().indicators(), ",r14,r14");
    EXPECT_EQ(dlg.ButtonTextColor(IDC_HC_RSI), colors::kRed);

    dlg.Control<QCheckBox>(IDC_HC_COMPARE)->click();
    EXPECT_EQ(dlg.Choices().compare(), "^BSESN,^NSEI");
    dlg.Control<QCheckBox>(IDC_HC_COMPARE)->click();
    EXPECT_EQ(Query(dlg), "/z?s=SBIN.BO&t=1y&q=c&l=on&z=l&p=,m50,e20,m5,e200,m100,b&a=,r14,r14&c=");
    ASSERT_TRUE(WaitUntil([&] { return !dlg.Browser()->IsBusy(); }));
    EXPECT_FALSE(dlg.Browser()->Picture().isNull());
}

TEST_F(HistChartTest, YearRangeFailureSaysInternetProblem) {
    MessageBoxRecorder boxes;
    marketserver::Fault fault =
        marketserver::Fault::Make(marketserver::FaultKind::Http500, 1, "TCS.NS");
    fault.pathPrefix = "/d/"; // the range quote, not the picture fetched beside it
    m_market->AddFault(fault);
    CHistChartDlg dlg("", "NSE", "TCS");
    dlg.Create(true);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Internet Problem"});
    EXPECT_EQ(dlg.YearRange(), "");
}

// What a list's double-click asks for (an index row: name, price, symbol) opens this page.
TEST_F(HistChartTest, ChartRequestsOpenThePageOrSayThereIsNoConnection) {
    InstallHistChartOpener();
    MessageBoxRecorder boxes;
    QWidget list;
    RequestChartPage(&list, ChartRequest{"NIFTY", "24,666.95", "^NSEI"}, false);
    EXPECT_EQ(boxes.Texts().back(), "Sorry!!!There is no internet connection detected");

    auto* page = qobject_cast<CHistChartDlg*>(
        RequestChartPage(&list, ChartRequest{"NIFTY", "24,666.95", "^NSEI"}, true));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->ChartSymbol(), "^NSEI"); // a price is no exchange name: the symbol stays
    delete page;
}

} // namespace
