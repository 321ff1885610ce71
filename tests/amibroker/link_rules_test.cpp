#include <csignal>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "amibroker/core/link_rules.h"
#include "support/temp_dir.h"

namespace {

RowCells Row(std::map<int, std::string> cells) {
    return [cells](int c) {
        auto it = cells.find(c);
        return it == cells.end() ? std::string() : it->second;
    };
}

TEST(LinkRulesTest, LiveFeedText) {
    const RowCells taken = Row({{1, "NSE"},
                                {2, "TCS"},
                                {3, "3,210.50"},
                                {6, "1,23,456"},
                                {15, "1,20,000.00"},
                                {16, "1.00"},
                                {17, "3,200.25"}});
    const RowCells first =
        Row({{1, "NSE"}, {2, "INFY"}, {3, "1,500.00"}, {6, "500"}, {16, "0.00"}, {17, "1,499.00"}});
    const RowCells noPrevious = Row({{1, "NSE"}, {2, "ITC"}, {3, "410.00"}, {17, "0.00"}});
    const RowCells bse =
        Row({{1, "BSE"}, {2, "SBIN"}, {3, "800.00"}, {17, "790.00"}, {16, "1.00"}});
    EXPECT_EQ(amilink::LiveFeedText(0, 25000, 0, 84000, {taken, first, noPrevious, bse}),
              "*TCS,3200.25,3210.50,3456,*INFY,1499.00,1500.00,0")
        << "the first refresh leaves the indices out";
    EXPECT_EQ(amilink::LiveFeedText(24990, 25000.5, 84100, 84000.25, {}),
              "NIFTY,24990.00,25000.50,0*SENSEX,84100.00,84000.25,0");
}

TEST(LinkRulesTest, SyncListAndBackfillSteps) {
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"TCS", "NSE"}, {"SBIN", "BSE"}, {"M&M", "NSE"}};
    EXPECT_EQ(amilink::SyncList(entries), "TCS,M&M,NIFTY,SENSEX,");
    EXPECT_EQ(amilink::SyncList({{"SBIN", "BSE"}}), "NIFTY,SENSEX,");
    EXPECT_EQ(amilink::StepOf(0, entries).chartSymbol, "^NSEI");
    EXPECT_EQ(amilink::StepOf(1, entries).name, "SENSEX");
    EXPECT_EQ(amilink::StepOf(2, entries).chartSymbol, "TCS.NS");
    EXPECT_EQ(amilink::StepOf(3, entries).chartSymbol, "") << "BSE: nothing fetched";
    EXPECT_EQ(amilink::StepOf(9, entries).chartSymbol, "");
    EXPECT_EQ(amilink::StepProgress(0, 5), 1);
    EXPECT_EQ(amilink::StepProgress(4, 5), 81);
    EXPECT_EQ(amilink::ChartDataPath("^NSEI", 5),
              "/instrument/1.0/^NSEI/chartdata;type=quote;range=5d/csv/");
    std::vector<std::string> lines(14, "header");
    lines.push_back("1,2,3,4,5,6");
    lines.push_back("7,8,9,10,11,12");
    EXPECT_EQ(amilink::JoinBars(lines, amilink::HeaderLines(1)), "1,2,3,4,5,6*7,8,9,10,11,12*");
    EXPECT_EQ(amilink::JoinBars(lines, amilink::HeaderLines(5)), "")
        << "19 header lines: fewer when the answer ends";
}

TEST(LinkRulesTest, KillAllEndsOnlyTheNamedProgram) {
    testsupport::TempDir dir;
    const std::string fake = dir.file("Broker.exe");
    std::filesystem::copy_file("/bin/sleep", fake);
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    const pid_t child = fork();
    if (child == 0) {
        execl(fake.c_str(), "Broker.exe", "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    const pid_t bystander = fork();
    if (bystander == 0) {
        execl("/bin/sleep", "sleep", "60", static_cast<char*>(nullptr));
        _exit(127);
    }
    usleep(200000);
    EXPECT_EQ(amilink::KillProcessByName("Broker.exe"), amilink::kKilled);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(amilink::KillProcessByName("broker.EXE"), amilink::kNoSuchProcess);
    EXPECT_EQ(kill(bystander, 0), 0) << "another program lives on";
    kill(bystander, SIGKILL);
    waitpid(bystander, &status, 0);
    EXPECT_EQ(amilink::KillProcessByName(""), amilink::kBadName);
    EXPECT_EQ(amilink::KillProcessByName(std::string(261, 'x')), amilink::kBadName);
}

} // namespace
