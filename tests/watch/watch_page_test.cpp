#include <filesystem>

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <gtest/gtest.h>

#include "controls/export_csv_dlg.h"
#include "db/watch_table.h"
#include "platform/base/clock.h"
#include "platform/base/text.h"
#include "support/data_source_fixture.h"
#include "support/qt_wait.h"
#include "support/temp_dir.h"
#include "support/ui_hooks.h"
#include "watch/set_alert_dlg.h"
#include "watch/watch_list_ctrl.h"
#include "watch/watch_list_dlg.h"
#include "watch_fixture.h"

namespace {

using testsupport::MessageBoxRecorder;

class WatchPageTest : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        CWatchListDlg::ResetSortDirection();
        Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    }
    void TearDown() override {
        ui::SetModalHook(nullptr);
        Clock::Reset();
    }

    void Store(const std::vector<WatchItem>& items) {
        CSelCompanyListset set;
        db::ReplaceWatchList(set, items);
    }
    std::vector<WatchItem> Stored() {
        CSelCompanyListset set;
        return db::ReadWatchList(set);
    }
    static WatchItem Item(const std::string& name, const std::string& symbol,
                          const std::string& exchange = "NSE", int alert = 0, double lower = 0,
                          double upper = 0) {
        return {name, exchange, symbol, alert, lower, upper};
    }
    static void Quote(CWatchListDlg& page, int i, double last, float change, double low = 0,
                      double high = 0) {
        QuoteRecord& q = page.QuoteSlot(i);
        q.last = last;
        q.change = change;
        q.low = low;
        q.high = high;
    }
    static std::vector<std::string> Column(CWatchListDlg& page, int col) {
        std::vector<std::string> out;
        for (int r = 0; r < page.List()->GetItemCount(); ++r)
            out.push_back(page.List()->GetItemText(r, col));
        return out;
    }

    FakeBar m_bar;
};

TEST_F(WatchPageTest, LoadsTheTableAndRequestsItsSymbols) {
    Store({Item("Reliance Industries Ltd", "RELIANCE"), Item("M&M", "M&M", "BSE", 1, 10, 20)});
    CWatchListDlg page(m_bar);
    ASSERT_EQ(page.QuoteCount(), 2);
    EXPECT_EQ(page.QuoteSymbol(0), "RELIANCE.NS");
    EXPECT_EQ(page.QuoteSymbol(1), "M&M.BO");
    EXPECT_EQ(page.List()->GetItemCount(), 2);
    EXPECT_EQ(page.List()->GetItemText(1, kWcLower), "10.00");
}

TEST_F(WatchPageTest, AddLimitsAndDuplicates) {
    std::vector<WatchItem> items;
    for (int i = 0; i < 42; ++i)
        items.push_back(Item("Company " + std::to_string(i), "SYM" + std::to_string(i)));
    Store(items);
    CWatchListDlg page(m_bar);
    MessageBoxRecorder boxes;
    int modal = 0;
    ui::SetModalHook([&](QDialog&) { return ++modal, ui::IDCANCEL; });
    page.Control<QPushButton>(IDC_WL_ADD)->click();
    EXPECT_EQ(boxes.Texts().back(),
              "Sorry!!!You can't add more than 42 companies in your Watch List");
    EXPECT_EQ(modal, 0);

    // The toppers' way adds up to 50; the table gets each row at once.
    for (int i = 42; i < 50; ++i)
        page.AddWatchItem("Company " + std::to_string(i), "NSE", "SYM" + std::to_string(i), 0, 0,
                          0);
    EXPECT_EQ(page.ItemCount(), 50);
    EXPECT_EQ(Stored().size(), 50u);
    page.AddWatchItem("One Too Many", "NSE", "MANY", 0, 0, 0);
    EXPECT_EQ(boxes.Texts().back(),
              "Sorry!!!You can't add more than 50 companies in your Watch List");
    EXPECT_EQ(page.ItemCount(), 50);
}

TEST_F(WatchPageTest, SameSymbolOnTheOtherExchangeIsRefused) {
    CWatchListDlg page(m_bar);
    MessageBoxRecorder boxes;
    page.AddWatchItem("Infosys Ltd", "NSE", "INFY", 0, 0, 0);
    page.AddWatchItem("Infosys Ltd", "BSE", "INFY", 0, 0, 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Selected company is already added in the choice list"});
    page.AddWatchItem("", "NSE", "TCS", 0, 0, 0); // an empty name adds nothing, says nothing
    EXPECT_EQ(page.ItemCount(), 1);
    EXPECT_EQ(Stored().size(), 1u);

    m_bar.feed = true;
    page.Control<QPushButton>(IDC_WL_ADD)->click();
    EXPECT_EQ(boxes.Texts().back(), "AmiBroker data feeding is in START mode at the moment "
                                    "\nPlease STOP it then Add Stocks here");
}

TEST_F(WatchPageTest, DeletingRowsTwoAndFourKeepsTheOthersWithTheirLimits) {
    Store({Item("One", "A", "NSE", 1, 1000, 1250), Item("Two", "B"),
           Item("Three", "C", "BSE", 1, 5, 6), Item("Four", "D"),
           Item("Five", "E", "NSE", 1, 7, 8)});
    CWatchListDlg page(m_bar);
    for (int i = 0; i < 5; ++i)
        Quote(page, i, 100 + i, 1.0f);
    page.RefreshWatchList();
    page.List()->SetItemSelected(1, true);
    page.List()->SetItemSelected(3, true);
    page.Control<QPushButton>(IDC_WL_DELETE)->click();
    EXPECT_EQ(Column(page, kWcName), (std::vector<std::string>{"One", "Three", "Five"}));
    EXPECT_EQ(Column(page, kWcUpper), (std::vector<std::string>{"1,250.00", "6.00", "8.00"}));
    EXPECT_EQ(Column(page, kWcPrice), (std::vector<std::string>{"100.00", "102.00", "104.00"}))
        << "prices stay with their rows";
    EXPECT_EQ(page.QuoteSymbol(1), "C.BO");
    EXPECT_EQ(m_bar.suspended, 1);
    EXPECT_EQ(m_bar.resumed, 1);

    // What a termination signal saves keeps the deletion, in list order.
    page.SaveState();
    const auto stored = Stored();
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].symbol, "A");
    EXPECT_EQ(stored[2].upperLimit, 8);

    MessageBoxRecorder boxes;
    page.List()->SetItemSelected(0, false);
    page.List()->SetItemSelected(1, false);
    page.Control<QPushButton>(IDC_WL_DELETE)->click();
    EXPECT_EQ(boxes.Texts().back(), "Please select atleast ONE company to delete");
}

TEST_F(WatchPageTest, SortsFlipDirectionAcrossColumns) {
    Store({Item("A", "A"), Item("B", "B"), Item("C", "C"), Item("D", "D", "NSE", 1, 1000, 1250)});
    CWatchListDlg page(m_bar);
    Quote(page, 0, 300, 3.0f);
    Quote(page, 1, 100.004, -1.0f);
    Quote(page, 2, 100.001, 2.0f);
    Quote(page, 3, 50, 5.0f);
    page.RefreshWatchList();
    page.OnSort(kWcPrice);
    EXPECT_EQ(Column(page, kWcName), (std::vector<std::string>{"D", "B", "C", "A"}));
    page.OnSort(kWcPrice);
    EXPECT_EQ(Column(page, kWcName), (std::vector<std::string>{"A", "B", "C", "D"}));
    page.OnSort(kWcChange); // a third click, another column: ascending again
    EXPECT_EQ(Column(page, kWcName), (std::vector<std::string>{"B", "C", "A", "D"}));
    EXPECT_EQ(Column(page, kWcUpper).back(), "1,250.00");
    EXPECT_EQ(page.Item(3).upperLimit, 1250);
    EXPECT_EQ(page.QuoteSymbol(0), "B.NS") << "the request follows the new order";
    // Every row keeps its company's sample of the last answer: the next price colour
    // compares with that, not with a price from an answer before.
    page.OnBarRefresh();
    page.OnSort(kWcName);
    for (int i = 0; i < page.ItemCount(); ++i)
        EXPECT_EQ(page.Previous(i).prevPrice, page.QuoteSlot(i).last) << page.Item(i).symbol;
    page.OnSort(kWcChange); // ascending again, for the checks below

    MessageBoxRecorder boxes;
    page.Control<QCheckBox>(IDC_WL_INTRADAY)->click();
    page.OnSort(kWcName);
    EXPECT_EQ(boxes.Texts().back(),
              "As Either Intraday or Live Data is Checked  ,Sorting CAN'T be done\n"
              "If you want to do SORTING , UnCheck both Intraday and Live Data");
    EXPECT_EQ(Column(page, kWcName).front(), "B");
}

TEST_F(WatchPageTest, AlertsPopUpOnlyAfterTheProbeAndOneAtATime) {
    Store(
        {Item("Upper Ltd", "UP", "NSE", 1, 450, 500), Item("Lower Ltd", "LO", "NSE", 1, 450, 500)});
    m_bar.probeDone = false;
    CWatchListDlg page(m_bar);
    page.Control<QCheckBox>(IDC_WL_POPUP)->click();
    Quote(page, 0, 500, 1.0f);
    Quote(page, 1, 450, -1.0f);
    MessageBoxRecorder boxes;
    page.OnBarRefresh();
    EXPECT_TRUE(boxes.Texts().empty()) << "no pop-up before the bar's probe";
    EXPECT_EQ(page.Previous(0).dataTaken, 0);
    EXPECT_EQ(page.List()->GetItemText(0, kWcPrice), "500.00");

    m_bar.probeDone = true;
    // A refresh while the box is up opens no second one.
    int nested = 0;
    ui::SetMessageBoxHook([&](const ui::MessageBoxCall& call) {
        boxes.Answer(0);
        if (nested++ == 0)
            page.OnBarRefresh();
        return (void)call, ui::IDOK;
    });
    page.OnBarRefresh();
    EXPECT_EQ(nested, 1);
    ui::SetMessageBoxHook(nullptr);

    MessageBoxRecorder again;
    page.OnBarRefresh();
    ASSERT_EQ(again.Texts().size(), 1u);
    EXPECT_EQ(
        again.Texts()[0],
        "Monday, December 07, 2026 ::  11:00:00 AM\n"
        "---------------------------------------------------------\n\n"
        "Upper Ltd::above UPPER LIMIT of 500.00\n\nLower Ltd::below LOWER LIMIT of 450.00\n\n");
    EXPECT_EQ(page.Previous(0).prevPrice, 500);
    EXPECT_EQ(page.Previous(1).dataTaken, 1);
    EXPECT_EQ(page.List()->CellColor(0, kWcName).background, colors::kGreen);
    EXPECT_EQ(page.List()->CellColor(1, kWcName).background, colors::kRed);
    EXPECT_EQ(page.List()->CellColor(0, kWcPrice).background, colors::kBlue)
        << "the same price as last time";

    page.Control<QCheckBox>(IDC_WL_CONFIGURED)->click(); // colours and pop-ups from the limits stop
    EXPECT_EQ(page.List()->CellColor(0, kWcName).background, colors::kWhite);
    page.OnBarRefresh();
    EXPECT_EQ(again.Texts().size(), 1u);
}

TEST_F(WatchPageTest, SetAlertStoresTheLimits) {
    Store({Item("Alpha Ltd", "ALPHA"), Item("Beta Ltd", "BETA")});
    CWatchListDlg page(m_bar);
    Quote(page, 1, 321.5, 0.5f);
    page.RefreshWatchList();
    MessageBoxRecorder boxes;
    page.Control<QPushButton>(IDC_WL_SET_ALERT)->click();
    EXPECT_EQ(boxes.Texts().back(), "Please select the company for which you want to set ALERT");

    page.List()->SetItemSelected(1, true);
    std::string lowerShown;
    ui::SetModalHook([&](QDialog& dlg) {
        auto& d = dynamic_cast<CSetAlertDlg&>(dlg);
        lowerShown = d.Control<QLineEdit>(IDC_SA_LOWER)->text().toStdString();
        EXPECT_FALSE(d.Control<QLineEdit>(IDC_SA_LOWER)->isEnabled());
        d.Control<QCheckBox>(IDC_SA_ENABLE)->click();
        d.Control<QPushButton>(ui::IDOK)->click(); // both at the price: refused
        d.Control<QLineEdit>(IDC_SA_LOWER)->setText("300");
        d.Control<QLineEdit>(IDC_SA_UPPER)->setText("10001");
        d.Control<QPushButton>(ui::IDOK)->click(); // out of range: refused
        d.Control<QLineEdit>(IDC_SA_UPPER)->setText("1250");
        d.Control<QPushButton>(ui::IDOK)->click();
        return d.Result();
    });
    page.Control<QPushButton>(IDC_WL_SET_ALERT)->click();
    EXPECT_EQ(lowerShown, "321.5") << "without an alert both limits start at the price";
    EXPECT_EQ(boxes.Texts()[1], "Lower Limit can't be greater than or equal to Upper Limit");
    EXPECT_EQ(boxes.Texts()[2], "Please enter a number between 0 and 10000.");
    EXPECT_EQ(page.Item(1).alertSetting, 1);
    EXPECT_EQ(page.Item(1).upperLimit, 1250);
    EXPECT_EQ(page.List()->GetItemText(1, kWcUpper), "1,250.00");
    const auto stored = Stored();
    EXPECT_EQ(stored[1].lowerLimit, 300);
    EXPECT_EQ(stored[1].alertSetting, 1);
    EXPECT_EQ(stored[0].alertSetting, 0);
}

TEST_F(WatchPageTest, ExportWritesTheRowsOrSaysThereAreNone) {
    testsupport::TempDir root;
    testsupport::ScopedEnv env("KORAVEL_ROOT", root.path());
    std::filesystem::create_directories(root.path() + "/WatchListData");
    MessageBoxRecorder boxes;
    {
        CWatchListDlg empty(m_bar);
        int asked = 0;
        ui::SetModalHook([&](QDialog&) { return ++asked, ui::IDOK; });
        empty.Control<QPushButton>(IDC_WL_EXPORT)->click();
        EXPECT_EQ(asked, 0);
        EXPECT_EQ(boxes.Texts().back(),
                  "There is no data to export, Please first \"Get Latest Data\"");
        EXPECT_TRUE(std::filesystem::is_empty(root.path() + "/WatchListData"));
    }
    Store({Item("Larsen & Toubro, Ltd", "LT")});
    CWatchListDlg page(m_bar);
    Quote(page, 0, 3500.25, 25.25f);
    page.RefreshWatchList();
    ui::SetModalHook([&](QDialog& dlg) {
        auto& d = dynamic_cast<CExportCsvDlg&>(dlg);
        d.Control<QLineEdit>(CExportCsvDlg::IDC_FILE_NAME)->setText("../escape");
        d.Control<QPushButton>(ui::IDOK)->click(); // refused, stays open
        d.Control<QLineEdit>(CExportCsvDlg::IDC_FILE_NAME)->setText("mylist");
        d.Control<QPushButton>(ui::IDOK)->click();
        return d.Result();
    });
    page.Control<QPushButton>(IDC_WL_EXPORT)->click();
    const std::string path = root.path() + "/WatchListData/mylist.csv";
    EXPECT_EQ(boxes.Texts().back(),
              "WatchList present displayed data is exported Successfully at \n" + path);
    EXPECT_EQ(testsupport::ReadFile(path),
              "Company Name,Index,Last Close,Current Price,Change,% Change,Volume,Open,High,Low\r\n"
              "Larsen & Toubro Ltd,NSE,3475.00,3500.25,25.25,0.73,0,0.00,0.00,0.00\r\n");
    EXPECT_FALSE(std::filesystem::exists(root.path() + "/escape.csv"));
}

TEST_F(WatchPageTest, ADatabaseErrorIsShownAndTheListKeepsWhatTheUserSees) {
    MessageBoxRecorder boxes; // outlives the page, whose save fails too
    CWatchListDlg page(m_bar);
    m_db.ExecuteSQL("DROP TABLE SelectedComp2Watch");
    page.AddWatchItem("Infosys Ltd", "NSE", "INFY", 0, 0, 0);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    // The engine names the missing table in its own case.
    EXPECT_NE(text::ToLowerAscii(boxes.Texts()[0]).find("selectedcomp2watch"), std::string::npos)
        << boxes.Texts()[0];
    EXPECT_EQ(page.ItemCount(), 1);
    EXPECT_EQ(page.List()->GetItemText(0, kWcName), "Infosys Ltd");
}

TEST_F(WatchPageTest, DoubleClickNeedsAConnectionAndCloseOnlyHides) {
    Store({Item("Alpha Ltd", "ALPHA")});
    CWatchListDlg page(m_bar);
    m_bar.connected = 0;
    page.SetConnected(false);
    MessageBoxRecorder boxes;
    page.List()->SetDoubleClickHandler(nullptr);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(page.List()->viewport(), &dbl);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{"Sorry!!!There is no internet connection detected"});

    page.Control<QPushButton>(IDC_WL_CLOSE)->click();
    EXPECT_EQ(m_bar.hidden, 1);
}

TEST_F(WatchPageTest, NamesThatAreNoSymbolsNeverEnterTheList) {
    // A shared or hand-edited table: the bad rows are left out, and the user is told.
    Store({Item("Good Ltd", "GOOD"), Item("Bad Ltd", "../../X"), Item("Empty Ltd", "")});
    MessageBoxRecorder boxes;
    CWatchListDlg page(m_bar);
    ASSERT_EQ(page.ItemCount(), 1);
    EXPECT_EQ(page.Item(0).symbol, "GOOD");
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0], "These entries of the watch list were left out:\n"
                                "\"../../X\" is not a valid trading symbol.\n"
                                "\"\" is not a valid trading symbol.");
    // The toppers' way and the new listings' way refuse them too.
    page.AddWatchItem("Bad Ltd", "NSE", "A/B", 0, 0, 0);
    EXPECT_EQ(boxes.Texts().back(), "\"A/B\" is not a valid trading symbol.");
    page.AppendItem(Item("Dots", ".."));
    EXPECT_EQ(page.ItemCount(), 1);
    EXPECT_EQ(Stored().size(), 3u) << "nothing is written until the list is saved";
}

} // namespace
