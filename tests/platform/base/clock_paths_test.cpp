#include <filesystem>

#include <gtest/gtest.h>

#include "platform/base/clock.h"
#include "platform/base/paths.h"
#include "support/temp_dir.h"

namespace {

TEST(ClockTest, CalendarArithmetic) {
    EXPECT_EQ(DayOfWeek(2026, 12, 7), 1); // a Monday
    EXPECT_EQ(DayOfWeek(2008, 6, 5), 4);  // a Thursday
    EXPECT_EQ(DayOfWeek(2000, 2, 29), 2);
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    for (std::int64_t d : {-1000LL, 0LL, 11016LL, 20794LL, 60000LL}) {
        int y, m, day;
        CivilFromDays(d, y, m, day);
        EXPECT_EQ(DaysFromCivil(y, m, day), d);
    }
}

TEST(ClockTest, ParsesFixedTimesAndRefusesBadOnes) {
    const auto t = ParseLocalTime("2026-12-07 11:00:05");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->hour, 11);
    EXPECT_EQ(t->second, 5);
    EXPECT_EQ(t->dayOfWeek, 1);
    EXPECT_TRUE(ParseLocalTime("2024-02-29 09:15"));
    for (const char* bad : {"2025-02-29 09:15", "2026-13-01 00:00", "2026-12-07", "noon",
                            "2026-12-07 24:00", "2026-12-07 10:00:00x"})
        EXPECT_FALSE(ParseLocalTime(bad)) << bad;
}

TEST(ClockTest, FixedClockIsWhatProductCodeSees) {
    {
        ScopedFixedClock fixed(MakeLocalTime(2026, 12, 5, 12, 0, 0));
        EXPECT_TRUE(Clock::IsFixed());
        EXPECT_EQ(Clock::Now().day, 5);
        EXPECT_TRUE(Clock::Now().IsWeekend());
    }
    EXPECT_FALSE(Clock::IsFixed());
    EXPECT_GE(Clock::Now().year, 2024);
}

TEST(PathsTest, DataRootFollowsEnvironment) {
    testsupport::TempDir dir;
    {
        testsupport::ScopedEnv root("KORAVEL_ROOT", dir.path() + "/root/");
        EXPECT_EQ(paths::DataRoot(), dir.path() + "/root");
        EXPECT_EQ(paths::DataPath(paths::kIntraDay), dir.path() + "/root/IntraDay");
        EXPECT_EQ(paths::ShowDataRoot("Files are in C:\\Koravel\\IntraDay\\ now"),
                  "Files are in " + dir.path() + "/root/IntraDay/ now");
        EXPECT_TRUE(paths::MakeDirs(paths::DataPath("EODData/x")));
        EXPECT_TRUE(std::filesystem::is_directory(dir.path() + "/root/EODData/x"));
    }
    {
        testsupport::ScopedEnv root("KORAVEL_ROOT", std::nullopt);
        testsupport::ScopedEnv home("HOME", dir.path());
        EXPECT_EQ(paths::DataRoot(), dir.path() + "/Koravel");
    }
    std::string error;
    testsupport::WriteFile(dir.file("plain"), "x");
    EXPECT_FALSE(paths::MakeDirs(dir.file("plain") + "/sub", &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
