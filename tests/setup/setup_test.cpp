#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <gtest/gtest.h>

#include "db/recordsets.h"
#include "platform/base/text.h"
#include "platform/odbc/sql_dialect.h"
#include "setup/schema.h"
#include "setup/setup.h"
#include "support/setup_options.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

class CCountset final : public CRecordset {
public:
    explicit CCountset(CDatabase* db) : CRecordset(db) { m_nFields = 1; }
    void DoFieldExchange(CFieldExchange* pFX) override { RFX_Long(pFX, "n", m_n); }
    std::int32_t m_n = 0;
};

long Count(CDatabase& db, const std::string& table, const std::string& where = "1=1") {
    CCountset rs(&db);
    rs.Open(CRecordset::snapshot, ("SELECT COUNT(*) FROM " + table + " WHERE " + where).c_str());
    return rs.m_n;
}

std::string Connect(const std::string& dbFile) {
    return "DRIVER=SQLite3;Database=" + dbFile;
}

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunSetup(const setup::Options& options) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = setup::Run(options, out, err);
    return {status, out.str(), err.str()};
}

// Runs the installed program the way a user does, with extra environment settings.
Outcome RunProgram(const TempDir& dir, const std::string& env, const std::string& args) {
    const std::string out = dir.file("stdout.txt");
    const std::string err = dir.file("stderr.txt");
    const std::string command =
        env + " '" KORAVEL_SETUP_EXE "' " + args + " >'" + out + "' 2>'" + err + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
}

TEST(SetupArguments, OptionsAndDefaults) {
    const ScopedEnv root("KORAVEL_ROOT", "/data/kr");
    const ScopedEnv home("HOME", "/home/u");
    {
        const ScopedEnv ini("ODBCINI", std::nullopt);
        setup::Options o;
        std::string error;
        ASSERT_TRUE(setup::ParseArguments({}, o, error));
        EXPECT_EQ(o.root, "/data/kr");
        EXPECT_EQ(o.dbFile, "/data/kr/CompanyList.db");
        EXPECT_EQ(o.odbcIni, "/home/u/.odbc.ini");
        EXPECT_FALSE(o.help);
    }
    const ScopedEnv ini("ODBCINI", "/etc/mine.ini");
    struct Case {
        std::vector<std::string> args;
        bool ok;
        std::string root, db, odbcIni;
    };
    const Case cases[] = {
        {{"--root", "/r"}, true, "/r", "/r/CompanyList.db", "/etc/mine.ini"},
        {{"--root=/r", "--db", "/x/y.db", "--odbcini=/z.ini"}, true, "/r", "/x/y.db", "/z.ini"},
        {{"--help"}, true, "/data/kr", "/data/kr/CompanyList.db", "/etc/mine.ini"},
        {{"--root"}, false, "", "", ""},
        {{"--db="}, false, "", "", ""},
        {{"--verbose"}, false, "", "", ""},
        {{"/r"}, false, "", "", ""},
        {{"--use-dsn", "--postgres", "host=h dbname=d"}, false, "", "", ""},
        {{"--use-dsn", "--replace-dsn"}, false, "", "", ""},
        {{"--postgres"}, false, "", "", ""},
    };
    for (const Case& c : cases) {
        setup::Options o;
        std::string error;
        const std::string label = text::Join(c.args, " ");
        ASSERT_EQ(setup::ParseArguments(c.args, o, error), c.ok) << label;
        if (!c.ok) {
            EXPECT_FALSE(error.empty()) << label;
            continue;
        }
        EXPECT_EQ(o.root, c.root) << label;
        EXPECT_EQ(o.dbFile, c.db) << label;
        EXPECT_EQ(o.odbcIni, c.odbcIni) << label;
    }

    setup::Options o;
    std::string error;
    ASSERT_TRUE(setup::ParseArguments({"--postgres=host=h dbname=d", "--replace-dsn"}, o, error));
    EXPECT_EQ(o.postgres, "host=h dbname=d");
    EXPECT_TRUE(o.replaceDsn);
    EXPECT_FALSE(o.useDsn);
    ASSERT_TRUE(setup::ParseArguments({"--use-dsn"}, o, error));
    EXPECT_TRUE(o.useDsn);
}

class SetupRunTest : public ::testing::Test {
protected:
    TempDir m_dir;
    setup::Options m_options = testsupport::SetupOptionsIn(m_dir, "Koravel");
};

TEST_F(SetupRunTest, SecondRunChangesNothing) {
    const std::string foreign = "; my data sources\n[Shop]\nDriver=PostgreSQL\nServername=db\n";
    WriteFile(m_options.odbcIni, foreign);

    const Outcome first = RunSetup(m_options);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.err, "");
    for (const char* sub :
         {"EODData", "IntraDay", "LiveData", "WatchListData", "ProfileData", "ToppersData"})
        EXPECT_TRUE(fs::is_directory(m_dir.file("Koravel/") + sub)) << sub;

    const std::string ini = ReadFile(m_options.odbcIni);
    EXPECT_EQ(ini.substr(0, foreign.size()), foreign);
    EXPECT_NE(ini.find("[CompanyList]\nDriver=SQLite3\nDatabase=" + m_options.dbFile +
                       "\nTimeout=5000\nSyncPragma=FULL\nNoCreat=1\n"),
              std::string::npos)
        << ini;

    CDatabase db;
    db.Open(Connect(m_options.dbFile));
    const long companies = Count(db, "CompanyList");
    const long futures = Count(db, "Future");
    EXPECT_GT(companies, 0);
    EXPECT_LE(companies, static_cast<long>(catalogue::Companies().size()));
    EXPECT_EQ(futures, static_cast<long>(catalogue::Futures().size()));
    // Every catalogue company can be found by each of its symbols.
    for (const catalogue::Company& c : catalogue::Companies()) {
        if (c.nseName.empty())
            continue;
        EXPECT_EQ(Count(db, "CompanyList", "NSENAME='" + odbc::SqlEscape(c.nseName) + "'"), 1)
            << c.nseName;
    }
    // The user's own listing and watch list survive a second run.
    db.ExecuteSQL("INSERT INTO CompanyList VALUES ('My Own Listing Ltd', '', 'MYOWN')");
    db.ExecuteSQL("INSERT INTO SelectedComp2Watch (COMPNAME, INDEX, INDEXNAME) "
                  "VALUES ('My Own Listing Ltd', 'BSE', 'MYOWN')");
    db.Close();

    const Outcome second = RunSetup(m_options);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.err, "");
    EXPECT_NE(second.out.find("0 companies added"), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("0 futures added"), std::string::npos) << second.out;
    EXPECT_NE(second.out.find("all tables present"), std::string::npos) << second.out;
    EXPECT_NE(second.out.find(": unchanged"), std::string::npos) << second.out;
    EXPECT_EQ(ReadFile(m_options.odbcIni), ini);
    db.Open(Connect(m_options.dbFile));
    EXPECT_EQ(Count(db, "CompanyList"), companies + 1);
    EXPECT_EQ(Count(db, "Future"), futures);
    EXPECT_EQ(Count(db, "SelectedComp2Watch"), 1);
}

TEST_F(SetupRunTest, CatalogueFillsOnlyWhatIsMissing) {
    CDatabase db;
    db.Open(Connect(m_dir.file("c.db")));
    setup::CreateTables(db);
    // The user added the company on NSE only; the catalogue also knows its BSE code.
    db.ExecuteSQL("INSERT INTO CompanyList VALUES ('Foo Ltd', '', 'FOO')");
    const std::vector<catalogue::Company> companies = {
        {"Foo Ltd", "FOO", "500001", 0},
        {"Bar's Ltd", "BAR", "", 0},
        {"Bar's Ltd", "BAR", "", 0},
    };
    const std::vector<catalogue::Future> futures = {{"NIFTY 50", "NIFTY"}, {"Other", "NIFTY"}};

    const setup::LoadCounts first = setup::LoadCatalogue(db, companies, futures);
    EXPECT_EQ(first.companiesAdded, 2);
    EXPECT_EQ(first.companiesPresent, 1);
    EXPECT_EQ(first.futuresAdded, 1);
    EXPECT_EQ(first.futuresPresent, 1);
    EXPECT_EQ(Count(db, "CompanyList", "BSENAME='500001' AND NSENAME=''"), 1);
    EXPECT_EQ(Count(db, "CompanyList", "NSENAME='FOO'"), 1);
    EXPECT_EQ(Count(db, "CompanyList", "COMPNAME='Bar''s Ltd'"), 1);

    const setup::LoadCounts second = setup::LoadCatalogue(db, companies, futures);
    EXPECT_EQ(second.companiesAdded, 0);
    EXPECT_EQ(second.futuresAdded, 0);
    EXPECT_EQ(Count(db, "CompanyList"), 3);
}

TEST_F(SetupRunTest, UnwritablePlacesFailWithOneMessage) {
    WriteFile(m_dir.file("file"), "not a folder");

    setup::Options badRoot = m_options;
    badRoot.root = m_dir.file("file/Koravel");
    const Outcome root = RunSetup(badRoot);
    EXPECT_EQ(root.status, 1);
    EXPECT_EQ(root.err,
              "koravel-setup: Cannot create the folder " + badRoot.root +
                  ": Not a directory. Make the folder above it writable, or choose another data "
                  "folder with KORAVEL_ROOT (koravel-setup: --root DIR).\n");

    setup::Options badDb = m_options;
    badDb.dbFile = m_dir.file("file/CompanyList.db");
    const Outcome dbFile = RunSetup(badDb);
    EXPECT_EQ(dbFile.status, 1);
    EXPECT_NE(dbFile.err.find(m_dir.file("file")), std::string::npos) << dbFile.err;
    EXPECT_FALSE(fs::exists(m_options.odbcIni));

    setup::Options badIni = m_options;
    badIni.odbcIni = m_dir.file("file/odbc.ini");
    const Outcome ini = RunSetup(badIni);
    EXPECT_EQ(ini.status, 1);
    EXPECT_NE(ini.err.find("koravel-setup: "), std::string::npos);
    EXPECT_EQ(std::count(ini.err.begin(), ini.err.end(), '\n'), 1) << ini.err;
}

TEST_F(SetupRunTest, TheProgramExplainsFailures) {
    const Outcome ok = RunProgram(
        m_dir, "", "--root '" + m_options.root + "' --odbcini '" + m_options.odbcIni + "'");
    EXPECT_EQ(ok.status, 0) << ok.err;
    EXPECT_EQ(ok.err, "");

    // A driver manager that knows no SQLite3 driver.
    fs::create_directories(m_dir.file("sys"));
    WriteFile(m_dir.file("sys/odbcinst.ini"), "[PostgreSQL]\nDriver=psqlodbcw.so\n");
    const Outcome noDriver =
        RunProgram(m_dir, "ODBCSYSINI='" + m_dir.file("sys") + "' ODBCINSTINI=odbcinst.ini",
                   "--root '" + m_dir.file("other") + "' --odbcini '" + m_dir.file("o.ini") + "'");
    EXPECT_EQ(noDriver.status, 1);
    EXPECT_NE(noDriver.err.find("install the Debian package libsqliteodbc"), std::string::npos)
        << noDriver.err;
    EXPECT_FALSE(fs::exists(m_dir.file("o.ini")));
    EXPECT_FALSE(fs::exists(m_dir.file("other")));

    const Outcome usage = RunProgram(m_dir, "", "--frobnicate");
    EXPECT_EQ(usage.status, 2);
    EXPECT_NE(usage.err.find("Usage: koravel-setup"), std::string::npos);
}

} // namespace
