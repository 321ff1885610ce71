#include <regex>

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

#include "controls/list_ctrl.h"
#include "market/futures_dlg.h"
#include "market_fixture.h"
#include "support/data_source_fixture.h"
#include "support/ui_hooks.h"

namespace {

using market::FutureChoice;
using testsupport::MessageBoxRecorder;
using Texts = std::vector<std::string>;

class FuturesTest : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        m_market = StartMarketAt();
        ASSERT_NE(m_market, nullptr);
    }
    void TearDown() override { inet::ResetMarketConfig(); }

    void Choose(const std::vector<std::pair<std::string, std::string>>& chosen) {
        for (const auto& [name, symbol] : chosen)
            m_db.ExecuteSQL("INSERT INTO SelectedFuture (Underlying, Symbol) VALUES ('" + name +
                            "', '" + symbol + "')");
    }
    static void Click(CFuturesDlg& page, int id) { page.Control<QPushButton>(id)->click(); }
    static void Select(CFuturesDlg& page, const Texts& symbols) {
        for (int i = 0; i < static_cast<int>(page.Choices().size()); ++i)
            for (const std::string& s : symbols)
                if (page.Choices()[i].symbol == s)
                    page.ChoiceList()->item(i)->setSelected(true);
    }
    static Texts Column(CListCtrl* list, int col) {
        Texts out;
        for (int r = 0; r < list->GetItemCount(); ++r)
            out.push_back(list->GetItemText(r, col));
        return out;
    }
    int Requests(const std::string& agent) {
        int n = 0;
        for (const auto& e : m_market->RequestLog())
            n += e.userAgent == agent;
        return n;
    }

    FakeBar m_bar;
    std::unique_ptr<marketserver::MarketServer> m_market;
};

// The contract rows as a reader that knows no markers sees them: every row of twelve cells,
// a link's text standing for its cell.
std::vector<Texts> TableRows(const std::string& page) {
    static const std::regex row("<tr>(.*?)</tr>");
    static const std::regex cell("<td[^>]*>(?:<a[^>]*>)?([^<]*)");
    std::vector<Texts> rows;
    for (std::sregex_iterator r(page.begin(), page.end(), row), end; r != end; ++r) {
        const std::string tr = (*r)[1];
        Texts cells;
        for (std::sregex_iterator c(tr.begin(), tr.end(), cell); c != end; ++c)
            cells.push_back((*c)[1]);
        if (cells.size() == 12)
            rows.push_back(cells);
    }
    return rows;
}

TEST_F(FuturesTest, ExchangePagesFieldByField) {
    // A stock, the index, and a dear stock whose far month does not trade ("-", "0.00").
    for (const char* symbol : {"RELIANCE", "NIFTY", "MRF"}) {
        const std::string page = market::ReadContractsPage(symbol);
        const auto expected = TableRows(page);
        ASSERT_EQ(expected.size(), 3u) << symbol;
        const auto rows = market::ExtractContracts(page);
        for (int r = 0; r < 3; ++r) {
            EXPECT_EQ(rows[r].expiry, expected[r][2]) << symbol;
            for (int v = 0; v < market::kContractValues; ++v)
                EXPECT_EQ(rows[r].values[v], market::FutureValueText(expected[r][5 + v]));
        }
    }
    EXPECT_EQ(m_market->RequestLog()[0].query, "key=RELIANCE&Fut_Opt=Futures");

    const market::FutureStats stats = market::ExtractStatistics(
        "<B>Trade Statistics for 01-Jan-2027</B><TABLE><TR><TH>P</TH></TR>"
        "<TR><TD>Index Futures</TD><TD>0</TD><TD>0.00</TD></TR>"
        "<TR><TD>Stock Futures</TD><TD>12</TD><TD>-</TD></TR></TABLE>");
    EXPECT_EQ(stats.title, "Trade Statistics for 01-Jan-2027");
    EXPECT_EQ(stats.rows[0].contracts + stats.rows[0].turnover, "--");
    EXPECT_EQ(stats.rows[1].product + stats.rows[1].contracts, "Stock Futures12");
}

TEST_F(FuturesTest, PagesThatAreNotTheExchangesGiveEmptyCells) {
    // Every cut of the real pages, an error page among them: only texts that stand in the
    // page come out (or "-" for a value), never anything from beyond its end.
    const std::string page = market::ReadContractsPage("RELIANCE");
    for (std::size_t n = 0; n <= page.size(); ++n) {
        const std::string cut = page.substr(0, n);
        for (const auto& row : market::ExtractContracts(cut)) {
            ASSERT_TRUE(row.expiry.empty() || cut.find(">" + row.expiry + "<") != cut.npos) << n;
            for (const std::string& v : row.values)
                ASSERT_TRUE(v.empty() || v == "-" || cut.find(">" + v + "<") != cut.npos) << n;
        }
    }
    const std::string stats = market::ReadStatisticsPage();
    for (std::size_t n = 0; n <= stats.size(); ++n) {
        const market::FutureStats s = market::ExtractStatistics(stats.substr(0, n));
        ASSERT_TRUE(s.title.empty() || stats.find(s.title + "<") < n) << n;
    }
    const auto none = market::ExtractContracts("<html><h1>We're sorry</h1></html>");
    EXPECT_EQ(none[0].expiry + none[1].values[0] + none[2].values[6], "");
}

TEST(FuturesRules, ValuesExpiriesAndAdd) {
    for (const char* dash : {"-", "0.00", "0", "", "n/a"})
        EXPECT_EQ(market::FutureValueText(dash), "-") << dash;
    for (const char* kept : {"1.05", "-12.50", "2,48,600"})
        EXPECT_EQ(market::FutureValueText(kept), kept);
    EXPECT_EQ(market::ExpiryDisplay("26JUN2008"), "26-JUN-2008");
    EXPECT_EQ(market::ExpiryDisplay(""), "");

    // A symbol chosen already, or twice in one selection, is added once at most.
    market::FutureSlots chosen;
    const FutureChoice a{"A Ltd", "A"}, b{"B Ltd", "B"}, b2{"B again", "B"};
    chosen.Append(a);
    const auto added = market::PlanFutureAdd(chosen, {a, b, b2}).added;
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].name, "B Ltd");

    // Reloaded slots keep each symbol's figures; a table edited elsewhere gives 25 at most.
    chosen.Append(b);
    chosen.Append({"C Ltd", "C"});
    for (int i = 0; i < 3; ++i)
        chosen.Row(2, i).values[3] = chosen.Row(2, i).symbol;
    chosen.Load({a, {"C Ltd", "C"}, {"D Ltd", "D"}});
    EXPECT_EQ(market::FutureCellText(chosen.Row(2, 1), 5), "C");
    EXPECT_EQ(market::FutureCellText(chosen.Row(2, 2), 5), "");
    chosen.Load(std::vector<FutureChoice>(30, a));
    EXPECT_EQ(chosen.Count(), 25);
}

TEST_F(FuturesTest, OpensWithTheChosenAndKeepsToTwentyFive) {
    std::vector<std::pair<std::string, std::string>> chosen;
    for (int i = 0; i < 25; ++i)
        chosen.push_back({"Name " + std::to_string(i), "S" + std::to_string(i)});
    Choose(chosen);
    CFuturesDlg page(m_bar);
    EXPECT_EQ(page.ChoiceList()->count(), Count("Future"));
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(Column(page.ContractList(t), 1)[24], "S24");

    MessageBoxRecorder boxes;
    Click(page, IDC_FU_ADD);
    Select(page, {"TCS"});
    Click(page, IDC_FU_ADD);
    EXPECT_EQ(boxes.Texts(),
              (Texts{"Select atleast ONE stock to add",
                     "Sorry!!!Total Stocks to watch here can't be more than 25 Stocks"}));
    EXPECT_EQ(Count("SelectedFuture"), 25);
    EXPECT_TRUE(m_market->RequestLog().empty()); // nothing is read until the user asks
}

TEST_F(FuturesTest, AddStoresReadsAndShowsTheContracts) {
    Choose({{"MRF LTD", "MRF"}});
    CFuturesDlg page(m_bar);
    Select(page, {"MRF", "RELIANCE"}); // MRF is chosen already
    Click(page, IDC_FU_ADD);
    EXPECT_EQ(Count("SelectedFuture", "Symbol='RELIANCE'"), 1);
    EXPECT_EQ(Count("SelectedFuture"), 2);
    EXPECT_EQ(Column(page.ContractList(0), 1), (Texts{"MRF", "RELIANCE"}));
    EXPECT_EQ(Requests("Future Data Session"), 2);
    EXPECT_EQ(Requests("Future Stat Data Session"), 1);
    // The first chosen symbol's expiries; MRF's idle far month shows "-" and "0.00" as "-".
    EXPECT_EQ(page.GetDlgItemText(IDC_FU_NEAR_EXPIRY), "29-DEC-2026");
    EXPECT_EQ(page.GetDlgItemText(IDC_FU_NEAR_EXPIRY + 2), "23-FEB-2027");
    const Texts idle = {"MRF LTD", "MRF", "-", "-", "", "-", "-", "-", ""};
    for (int c : {0, 1, 2, 3, 5, 6, 7})
        EXPECT_EQ(page.ContractList(2)->GetItemText(0, c), idle[c]) << c;
    EXPECT_GT(std::stod(page.ContractList(2)->GetItemText(0, 4)), 0);
    EXPECT_EQ(page.GetDlgItemText(IDC_FU_STATS_TITLE), "Trade Statistics for 07-Dec-2026");
    EXPECT_GT(std::stod(page.StatsList()->GetItemText(1, 1)), 0);
    EXPECT_FALSE(page.GetDlgItem(IDC_FU_STATUS)->isVisibleTo(&page));
}

TEST_F(FuturesTest, DeleteRemovesTheSymbolAndRowsKeepTheirFigures) {
    Choose(
        {{"RELIANCE INDUSTRIES LTD", "RELIANCE"}, {"O''Brien Ltd", "OB''X"}, {"MRF LTD", "MRF"}});
    CFuturesDlg page(m_bar);
    MessageBoxRecorder boxes;
    Click(page, IDC_FU_NEAR_DELETE);
    EXPECT_EQ(boxes.Texts(), (Texts{"Select a Stock to delete"}));

    Click(page, IDC_FU_GET_DATA);
    const std::string mrfLast = page.ContractList(0)->GetItemText(2, 8);
    page.ContractList(1)->SetItemSelected(1, true); // any list's selection names the symbol
    Click(page, IDC_FU_NEAR_DELETE + 2);
    EXPECT_EQ(Count("SelectedFuture"), 2);
    EXPECT_EQ(Count("SelectedFuture", "Symbol='OB''X'"), 0);
    EXPECT_EQ(Column(page.ContractList(0), 1), (Texts{"RELIANCE", "MRF"}));
    EXPECT_EQ(page.ContractList(0)->GetItemText(1, 8), mrfLast);
    EXPECT_EQ(boxes.Texts().size(), 1u);
}

TEST_F(FuturesTest, StatisticsWithNothingChosenAndTheFailures) {
    CFuturesDlg none(m_bar);
    MessageBoxRecorder boxes;
    Click(none, IDC_FU_GET_DATA);
    EXPECT_EQ(Requests("Future Stat Data Session"), 1);
    EXPECT_EQ(none.GetDlgItemText(IDC_FU_STATS_TITLE), "Trade Statistics for 07-Dec-2026");

    // A broken symbol page stops the symbols after it; the statistics are read anyway.
    Choose({{"RELIANCE INDUSTRIES LTD", "RELIANCE"}, {"TATA CONSULTANCY SERVICES LTD", "TCS"}});
    CFuturesDlg page(m_bar);
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Http500, 1, "RELIANCE"));
    Click(page, IDC_FU_GET_DATA);
    EXPECT_EQ(boxes.Texts(), (Texts{"Internet Problem in getting Future Data"}));
    EXPECT_EQ(Requests("Future Data Session"), 1);
    EXPECT_EQ(Requests("Future Stat Data Session"), 2);

    // An error page in place of TCS's empties its cells; a failed statistics read has its
    // own message and leaves the totals as they were.
    Click(page, IDC_FU_GET_DATA);
    ASSERT_NE(page.ContractList(2)->GetItemText(1, 8), "");
    const std::string total = page.StatsList()->GetItemText(1, 1);
    boxes.Clear();
    m_market->AddFault(marketserver::Fault::Make(marketserver::FaultKind::Garbage, 1, "TCS"));
    marketserver::Fault stats = marketserver::Fault::Make(marketserver::FaultKind::Http500);
    stats.pathPrefix = "/content/fo/";
    m_market->AddFault(stats);
    Click(page, IDC_FU_GET_DATA);
    EXPECT_EQ(boxes.Texts(), (Texts{"Internet Problem in getting Future Stats Data"}));
    EXPECT_NE(page.ContractList(0)->GetItemText(0, 8), "");
    for (int t = 0; t < 3; ++t)
        EXPECT_EQ(Column(page.ContractList(t), 8)[1] + Column(page.ContractList(t), 2)[1], "");
    EXPECT_EQ(page.StatsList()->GetItemText(1, 1), total);
}

} // namespace
