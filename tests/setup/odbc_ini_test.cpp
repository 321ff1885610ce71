#include <gtest/gtest.h>

#include "setup/odbc_ini.h"

namespace {

TEST(UpdateIniSection, SetsTheSectionAndKeepsEverythingElse) {
    const setup::IniEntries entries = {{"Driver", "SQLite3"}, {"Database", "/d/x.db"}};
    struct Case {
        const char* name;
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"empty file", "", "[CompanyList]\nDriver=SQLite3\nDatabase=/d/x.db\n"},
        {"other sections and comments stay", "# mine\n[PG]\nDriver=PostgreSQL\nDatabase=shop\n",
         "# mine\n[PG]\nDriver=PostgreSQL\nDatabase=shop\n\n"
         "[CompanyList]\nDriver=SQLite3\nDatabase=/d/x.db\n"},
        {"no final line break", "[PG]\nDriver=PostgreSQL",
         "[PG]\nDriver=PostgreSQL\n\n[CompanyList]\nDriver=SQLite3\nDatabase=/d/x.db\n"},
        {"blank line already there", "[PG]\nDriver=PostgreSQL\n\n",
         "[PG]\nDriver=PostgreSQL\n\n[CompanyList]\nDriver=SQLite3\nDatabase=/d/x.db\n"},
        {"existing section updated in place, other keys kept",
         "[companylist]\nDescription=mine\ndatabase = /old.db\n; note\n\n[PG]\nDriver=PostgreSQL\n",
         "[companylist]\nDescription=mine\nDatabase=/d/x.db\n; note\nDriver=SQLite3\n\n"
         "[PG]\nDriver=PostgreSQL\n"},
        {"keys already right are left as written",
         "[CompanyList]\n  Driver = SQLite3\nDatabase=/d/x.db\n",
         "[CompanyList]\n  Driver = SQLite3\nDatabase=/d/x.db\n"},
        {"commented key is not a key",
         "[CompanyList]\n#Driver=Old\nDriver=SQLite3\nDatabase=/d/x.db\n",
         "[CompanyList]\n#Driver=Old\nDriver=SQLite3\nDatabase=/d/x.db\n"},
        {"CRLF lines keep their CR", "[CompanyList]\r\nDriver=Old\r\nDatabase=/d/x.db\r\n",
         "[CompanyList]\r\nDriver=SQLite3\r\nDatabase=/d/x.db\r\n"},
        {"a section named like a prefix is another section", "[CompanyList2]\nDriver=Old\n",
         "[CompanyList2]\nDriver=Old\n\n[CompanyList]\nDriver=SQLite3\nDatabase=/d/x.db\n"},
    };
    for (const Case& c : cases) {
        const std::string once = setup::UpdateIniSection(c.in, "CompanyList", entries);
        EXPECT_EQ(once, c.out) << c.name;
        EXPECT_EQ(setup::UpdateIniSection(once, "CompanyList", entries), once) << c.name;
    }
}

TEST(UpdateIniSection, ADataSourceOfAnotherDriverLosesTheOldDriversKeys) {
    const setup::IniEntries entries = {{"Driver", "PostgreSQL Unicode"}, {"Database", "k"}};
    const std::string in = "[CompanyList]\n; shared lists\nDriver=SQLite3\nDatabase=/d/x.db\n"
                           "SyncPragma=FULL\n\n[PG]\nPort=5432\n";
    EXPECT_EQ(setup::UpdateIniSection(in, "CompanyList", entries, true),
              "[CompanyList]\n; shared lists\nDriver=PostgreSQL Unicode\nDatabase=k\n\n"
              "[PG]\nPort=5432\n");
}

TEST(ReadIniSection, ReadsTheKeysOfTheFirstSectionOfThatName) {
    const std::string text = "[Other]\nDriver=X\n[companylist]\r\n Driver = SQLite3 \r\n"
                             "# Database=/old.db\nDatabase=/d/x.db\n[CompanyList]\nDriver=Y\n";
    EXPECT_EQ(setup::ReadIniSection(text, "CompanyList"),
              (setup::IniEntries{{"Driver", "SQLite3"}, {"Database", "/d/x.db"}}));
    EXPECT_EQ(setup::ReadIniSection("[CompanyList]\n", "CompanyList"), setup::IniEntries{});
    EXPECT_FALSE(setup::ReadIniSection(text, "Missing"));
    EXPECT_EQ(setup::IniValue({{"DRIVER", "a"}}, "driver"), "a");
}

} // namespace
