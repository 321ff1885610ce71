#include <filesystem>

#include <QCheckBox>
#include <gtest/gtest.h>

#include "charts/core/data_logs.h"
#include "db/watch_table.h"
#include "platform/base/text.h"
#include "support/data_source_fixture.h"
#include "support/temp_dir.h"
#include "support/ui_hooks.h"
#include "watch/watch_list_ctrl.h"
#include "watch/watch_list_dlg.h"
#include "watch_fixture.h"

namespace {

using testsupport::MessageBoxRecorder;
using testsupport::ReadFile;
namespace fs = std::filesystem;

TEST(DataLogRulesTest, MarketHoursAndStamps) {
    EXPECT_TRUE(IsMarketOpen(MakeLocalTime(2026, 12, 4, 15, 45, 0))); // Friday
    EXPECT_FALSE(IsMarketOpen(MakeLocalTime(2026, 12, 4, 15, 45, 1)));
    EXPECT_FALSE(IsMarketOpen(MakeLocalTime(2026, 12, 5, 11, 0, 0))); // Saturday
    EXPECT_FALSE(IsMarketOpen(MakeLocalTime(2026, 12, 7, 9, 54, 59)));
    EXPECT_TRUE(IsMarketOpen(MakeLocalTime(2026, 12, 7, 9, 55, 0)));

    const LogStamp s = FormatLogStamp(MakeLocalTime(2026, 3, 5, 9, 7, 4));
    EXPECT_EQ(s.date + " " + s.time + " " + s.delayedTime + " " + s.dateFolder,
              "03/05/2026 09:07:04 08:52:04 03-05-2026");
    EXPECT_EQ(FormatLogStamp(MakeLocalTime(2026, 3, 5, 0, 10, 0)).delayedTime, "23:55:00");
    EXPECT_EQ(EodLine("NIFTY", "12/7/2026", 1, 2.5, 0.126, 2, 1234567),
              "NIFTY,12/7/2026,1.00,2.50,0.13,2.00,1234567\r\n");
}

class DataLogTest : public DataSourceTest {
protected:
    void SetUp() override {
        DataSourceTest::SetUp();
        m_env = std::make_unique<testsupport::ScopedEnv>("KORAVEL_ROOT", m_root.path());
        for (const char* sub : {"EODData", "IntraDay", "LiveData"})
            fs::create_directories(m_root.file(sub));
        CSelCompanyListset set;
        db::ReplaceWatchList(
            set, {{"Alpha Ltd", "NSE", "ALPHA", 0, 0, 0}, {"Beta Ltd", "BSE", "BETA", 0, 0, 0}});
        m_bar.nifty.date = m_bar.sensex.date = "12/7/2026";
        m_bar.nifty.last = 25000.5;
        m_bar.sensex.last = 84000.25;
        m_bar.nifty.open = 24900;
        m_bar.nifty.high = 25100;
        m_bar.nifty.low = 24800;
    }
    void TearDown() override { Clock::Reset(); }

    static void Quote(CWatchListDlg& page, int i, double last, std::int32_t volume,
                      const char* date = "12/7/2026") {
        QuoteRecord& q = page.QuoteSlot(i);
        q.last = last;
        q.volume = volume;
        q.date = date;
        q.open = q.high = q.low = last;
    }
    std::string File(const std::string& relative) { return m_root.file(relative); }

    testsupport::TempDir m_root;
    std::unique_ptr<testsupport::ScopedEnv> m_env;
    FakeBar m_bar;
};

TEST_F(DataLogTest, EndOfDayOncePerDateForEveryWatchedShare) {
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 15, 50, 0)); // after the close
    CWatchListDlg page(m_bar);
    EXPECT_TRUE(std::filesystem::exists(File("EODData/ALPHA.txt"))) << "made when missing";
    EXPECT_EQ(ReadFile(File("EODData/ALPHA.txt")), "")
        << "no quotes yet: an empty date counts as present";
    Quote(page, 0, 101.5, 123456);
    Quote(page, 1, 55.25, 789);
    page.OnBarRefresh();
    page.OnBarRefresh(); // the same date again: nothing new
    EXPECT_EQ(ReadFile(File("EODData/NIFTY.txt")),
              "NIFTY,12/7/2026,24900.00,25100.00,24800.00,25000.50,0\r\n");
    EXPECT_EQ(ReadFile(File("EODData/SENSEX.txt")),
              "SENSEX,12/7/2026,0.00,0.00,0.00,84000.25,0\r\n");
    EXPECT_EQ(ReadFile(File("EODData/ALPHA.txt")),
              "ALPHA,12/7/2026,101.50,101.50,101.50,101.50,123456\r\n");
    EXPECT_EQ(ReadFile(File("EODData/BETA.txt")), "BETA,12/7/2026,55.25,55.25,55.25,55.25,789\r\n")
        << "BSE too";

    Quote(page, 0, 102, 200000, "12/8/2026"); // the next day's close
    page.OnBarRefresh();
    EXPECT_EQ(ReadFile(File("EODData/ALPHA.txt")),
              "ALPHA,12/7/2026,101.50,101.50,101.50,101.50,123456\r\n"
              "ALPHA,12/8/2026,102.00,102.00,102.00,102.00,200000\r\n");
    EXPECT_FALSE(fs::exists(File("IntraDay/12-07-2026"))) << "no intraday writes after the close";
}

TEST_F(DataLogTest, IntradayAndLiveBarsSpanTwoRefreshes) {
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    CWatchListDlg page(m_bar);
    page.Control<QCheckBox>(IDC_WL_INTRADAY)->click();
    page.Control<QCheckBox>(IDC_WL_LIVEDATA)->click();

    // First refresh: the index bars need the bar's previous values, the shares their own.
    m_bar.previousNifty = 24990;
    Quote(page, 0, 101.5, 120000);
    Quote(page, 1, 55.25, 1000);
    page.OnBarRefresh();
    EXPECT_TRUE(fs::is_directory(File("IntraDay/12-07-2026"))) << "the date folder is made";
    EXPECT_EQ(ReadFile(File("IntraDay/12-07-2026/NIFTY.txt")),
              "NIFTY,12/07/2026,11:00:00,24990.00,25000.50,24990.00,25000.50,0\r\n");
    EXPECT_FALSE(fs::exists(File("IntraDay/12-07-2026/SENSEX.txt"))) << "no previous SENSEX yet";
    EXPECT_FALSE(fs::exists(File("IntraDay/12-07-2026/ALPHA.txt")))
        << "a first refresh writes no share bar";
    EXPECT_EQ(ReadFile(File("LiveData/LiveData.txt")),
              "NIFTY,12/07/2026,11:00:00,24990.00,25000.50,24990.00,25000.50,0\r\n");

    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 15));
    m_bar.previousNifty = 25000.5;
    m_bar.previousSensex = 84100;
    Quote(page, 0, 100.25, 123456);
    Quote(page, 1, 56, 2000);
    page.OnBarRefresh();
    EXPECT_EQ(ReadFile(File("IntraDay/12-07-2026/ALPHA.txt")),
              "ALPHA,12/07/2026,11:00:15,101.50,101.50,100.25,100.25,3456\r\n");
    EXPECT_EQ(ReadFile(File("IntraDay/12-07-2026/SENSEX.txt")),
              "SENSEX,12/07/2026,10:45:15,84100.00,84100.00,84000.25,84000.25,0\r\n")
        << "SENSEX runs 15 minutes late";
    EXPECT_FALSE(fs::exists(File("IntraDay/12-07-2026/BETA.txt")))
        << "BSE shares have no intraday log";
    EXPECT_EQ(ReadFile(File("LiveData/LiveData.txt")),
              "NIFTY,12/07/2026,11:00:15,25000.50,25000.50,25000.50,25000.50,0\r\n"
              "ALPHA,12/07/2026,11:00:15,101.50,101.50,100.25,100.25,3456\r\n")
        << "only the latest refresh, no SENSEX";
}

TEST_F(DataLogTest, AMissingFolderSaysSoEachTimeAndTheOtherLogsGoOn) {
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    fs::remove_all(File("LiveData"));
    CWatchListDlg page(m_bar);
    page.Control<QCheckBox>(IDC_WL_INTRADAY)->click();
    page.Control<QCheckBox>(IDC_WL_LIVEDATA)->click();
    m_bar.previousNifty = 24990;
    MessageBoxRecorder boxes;
    page.OnBarRefresh();
    page.OnBarRefresh();
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{"Problem occured in Opening LiveData File",
                                        "Problem occured in Opening LiveData File"}));
    EXPECT_TRUE(fs::exists(File("IntraDay/12-07-2026/NIFTY.txt")));

    // Before the bar's probe has got through nothing is written or said.
    fs::remove_all(File("IntraDay/12-07-2026"));
    m_bar.probeDone = false;
    boxes.Clear();
    page.OnBarRefresh();
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_FALSE(fs::exists(File("IntraDay/12-07-2026")));
}

TEST_F(DataLogTest, RowsChangedBetweenAnswersWriteNoBarTwice) {
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 0));
    CWatchListDlg page(m_bar);
    page.Control<QCheckBox>(IDC_WL_INTRADAY)->click();
    m_bar.previousNifty = 24990;
    Quote(page, 0, 101.5, 120000);
    page.OnBarRefresh();
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 15));
    m_bar.previousNifty = 25000.5;
    Quote(page, 0, 100.25, 123456);
    page.OnBarRefresh();
    const std::string alphaBar = "ALPHA,12/07/2026,11:00:15,101.50,101.50,100.25,100.25,3456\r\n";
    ASSERT_EQ(ReadFile(File("IntraDay/12-07-2026/ALPHA.txt")), alphaBar);
    const std::string nifty = ReadFile(File("IntraDay/12-07-2026/NIFTY.txt"));

    // Deleting BETA redraws the rows: no answer came, so no log gets a line.
    page.List()->SetItemSelected(1, true);
    page.OnDelete();
    ASSERT_EQ(page.ItemCount(), 1);
    EXPECT_EQ(ReadFile(File("IntraDay/12-07-2026/ALPHA.txt")), alphaBar);
    EXPECT_EQ(ReadFile(File("IntraDay/12-07-2026/NIFTY.txt")), nifty);
    EXPECT_EQ(page.Previous(0).prevPrice, 100.25) << "the sample of the last answer, not older";

    // The next answer's bar starts at the last price and counts only the new volume.
    Clock::SetFixed(MakeLocalTime(2026, 12, 7, 11, 0, 30));
    Quote(page, 0, 100.75, 124000);
    page.OnBarRefresh();
    EXPECT_EQ(ReadFile(File("IntraDay/12-07-2026/ALPHA.txt")),
              alphaBar + "ALPHA,12/07/2026,11:00:30,100.25,100.75,100.25,100.75,544\r\n");
}

TEST_F(DataLogTest, NamesThatAreNoSymbolsNeverBecomeFiles) {
    const LocalTime closed = MakeLocalTime(2026, 12, 7, 16, 0, 0);
    const std::string root = File("inner");
    for (const char* sub : {"EODData", "IntraDay"})
        fs::create_directories(root + "/" + sub);
    QuoteRecord q;
    q.date = "12/7/2026";
    q.last = 10;
    MessageBoxRecorder boxes;
    std::vector<std::string> reports;
    auto report = [&](const std::string& m) { reports.push_back(m); };
    EXPECT_EQ(WriteEodFiles(root, closed, {}, {{"../../X", q}, {"", q}, {"OK", q}}, report), 1);
    EXPECT_FALSE(fs::exists(File("X.txt")));
    EXPECT_FALSE(fs::exists(root + "/EODData/.txt"));
    EXPECT_TRUE(fs::exists(root + "/EODData/OK.txt")) << "the valid ones are still written";
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(EodFile(root, "../X"));
    EXPECT_FALSE(IntradayFile(root, "12-07-2026", "A/B"));
}

TEST_F(DataLogTest, KeptOpenFilesWriteTheSameBytesAndSurviveARemovedFile) {
    // The same refreshes written twice: files opened per write, and files kept open.
    const std::string plain = File("plain"), kept = File("kept");
    for (const std::string& root : {plain, kept})
        for (const char* sub : {"EODData", "IntraDay", "LiveData"})
            fs::create_directories(root + "/" + sub);
    LogFiles files;
    std::vector<std::string> reports;
    auto report = [&](const std::string& m) { reports.push_back(m); };
    auto row = [](const char* symbol, double price, double previous, int volume) {
        return RowCells([=](int c) -> std::string {
            switch (c) {
            case 1:
                return "NSE";
            case 2:
                return symbol;
            case 3:
                return std::to_string(price);
            case 6:
                return std::to_string(volume);
            case 15:
                return "100";
            case 16:
                return "1.00";
            case 17:
                return std::to_string(previous);
            default:
                return "";
            }
        });
    };
    IndexQuotes indices;
    indices.nifty.last = 25000;
    indices.previousNifty = 24990;
    for (int minute = 0; minute < 3; ++minute) {
        const LocalTime at = MakeLocalTime(2026, 12, 7, 11, minute, 0);
        const std::vector<RowCells> rows = {row("ALPHA", 100 + minute, 99 + minute, 200 + minute),
                                            row("BETA", 50, 50, 100)};
        EXPECT_EQ(WriteIntradayFiles(plain, at, indices, rows, report), 1);
        EXPECT_EQ(WriteIntradayFiles(kept, at, indices, rows, report, &files), 1);
        // The live file holds only the latest bars, a shorter text after a longer one too.
        const std::vector<RowCells> live(rows.begin(), rows.begin() + (minute == 2 ? 1 : 2));
        EXPECT_EQ(WriteLiveDataFile(plain, at, indices, live, report), 1);
        EXPECT_EQ(WriteLiveDataFile(kept, at, indices, live, report, &files), 1);
        EXPECT_EQ(ReadFile(kept + "/LiveData/LiveData.txt"),
                  ReadFile(plain + "/LiveData/LiveData.txt"));
        files.EndRefresh();
        if (minute == 1)
            fs::remove(kept + "/IntraDay/12-07-2026/ALPHA.txt"); // another tool tidies up
    }
    EXPECT_EQ(ReadFile(kept + "/IntraDay/12-07-2026/NIFTY.txt"),
              ReadFile(plain + "/IntraDay/12-07-2026/NIFTY.txt"));
    EXPECT_EQ(ReadFile(kept + "/IntraDay/12-07-2026/BETA.txt"),
              ReadFile(plain + "/IntraDay/12-07-2026/BETA.txt"));
    EXPECT_EQ(text::SplitLines(ReadFile(kept + "/IntraDay/12-07-2026/ALPHA.txt")).size(), 1u)
        << "the removed file is made again for the next bar";

    // End of day: the same lines, read once per date.
    QuoteRecord q;
    q.date = "12/7/2026";
    q.last = 10;
    const LocalTime closed = MakeLocalTime(2026, 12, 7, 16, 0, 0);
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_EQ(WriteEodFiles(plain, closed, indices, {{"ALPHA", q}}, report), 1);
        EXPECT_EQ(WriteEodFiles(kept, closed, indices, {{"ALPHA", q}}, report, &files), 1);
    }
    EXPECT_EQ(ReadFile(kept + "/EODData/ALPHA.txt"), ReadFile(plain + "/EODData/ALPHA.txt"));
    EXPECT_TRUE(files.HasDate(kept + "/EODData/ALPHA.txt", "12/7/2026"));
    EXPECT_TRUE(reports.empty());
}

} // namespace
