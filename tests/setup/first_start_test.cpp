// The first start of the program, in this process: what it sets up, what it leaves alone,
// and how it refuses without leaving anything half-made.
#include <filesystem>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "platform/com/com.h"
#include "setup/first_start.h"
#include "setup/odbc_ini.h"
#include "setup/setup.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

// Every place the first start writes to, inside one temporary home.
class FirstStartTest : public ::testing::Test {
protected:
    FirstStartTest()
        : m_home("HOME", m_dir.path()), m_root("KORAVEL_ROOT", std::nullopt),
          m_ini("ODBCINI", m_dir.file(".odbc.ini")), m_config("XDG_CONFIG_HOME", std::nullopt),
          m_registry("KORAVEL_COM_REGISTRY", std::nullopt) {}

    bool Prepare(std::string& out, std::string& problem) {
        std::ostringstream report;
        const bool ok = setup::PrepareFirstStart(KORAVEL_COMPONENT_DIR, report, problem);
        out = report.str();
        return ok;
    }

    // Every file and folder under the home, for "nothing was written" checks; lock files
    // are the registry's own and hold nothing.
    std::string Listing() const {
        std::string all;
        for (const auto& e : fs::recursive_directory_iterator(m_dir.path()))
            if (e.path().extension() != ".lock")
                all += e.path().string() + "\n";
        return all;
    }

    TempDir m_dir;
    ScopedEnv m_home, m_root, m_ini, m_config, m_registry;
};

TEST_F(FirstStartTest, SetsUpOnceAndRegistersBothComponents) {
    std::string out, problem;
    ASSERT_TRUE(Prepare(out, problem)) << problem;
    EXPECT_NE(out.find("Koravel is set up"), std::string::npos) << out;
    for (const char* sub :
         {"", "EODData", "IntraDay", "LiveData", "WatchListData", "ProfileData", "ToppersData"})
        EXPECT_TRUE(fs::is_directory(m_dir.file("Koravel/") + sub)) << sub;
    EXPECT_TRUE(fs::exists(m_dir.file("Koravel/CompanyList.db")));
    const auto dsn = setup::ReadIniSection(ReadFile(m_dir.file(".odbc.ini")), "CompanyList");
    ASSERT_TRUE(dsn);
    EXPECT_EQ(setup::IniValue(*dsn, "Database"), m_dir.file("Koravel/CompanyList.db"));

    const std::string registry = m_dir.file(".config/koravel/registry.ini");
    EXPECT_EQ(ComRegistryFile(), registry);
    for (const setup::Component& c : setup::kComponents)
        EXPECT_EQ(ComRegisteredLibrary(c.progId),
                  fs::canonical(std::string(KORAVEL_COMPONENT_DIR) + "/" + c.library).string())
            << c.progId;

    // The next start finds everything in place and touches nothing.
    const std::string registryText = ReadFile(registry);
    const std::string listing = Listing();
    ASSERT_TRUE(Prepare(out, problem)) << problem;
    EXPECT_EQ(out, "");
    EXPECT_EQ(ReadFile(registry), registryText);
    EXPECT_EQ(Listing(), listing);

    // A data folder removed since is made again; the lists in the database stay.
    fs::remove_all(m_dir.file("Koravel/LiveData"));
    ASSERT_TRUE(Prepare(out, problem)) << problem;
    EXPECT_TRUE(fs::is_directory(m_dir.file("Koravel/LiveData")));
    EXPECT_NE(out.find("0 companies added"), std::string::npos) << out;
}

TEST_F(FirstStartTest, AUsersOwnRegistrationStaysAndAStaleOneIsRedone) {
    // Another charting program's Broker.Application, and a Pellar whose library is gone.
    const std::string other = m_dir.file("libother.so");
    WriteFile(other, "");
    fs::create_directories(m_dir.file(".config/koravel"));
    WriteFile(m_dir.file(".config/koravel/registry.ini"),
              "[CLSID]\n{11111111-2222-3333-4444-555555555555}=" + other +
                  "\n{9DEFFD01-6C65-499E-BBCF-24D1B210348A}=" + m_dir.file("gone/libpellar.so") +
                  "\n[ProgID]\nBroker.Application={11111111-2222-3333-4444-555555555555}\n"
                  "Pellar.clsdll={9DEFFD01-6C65-499E-BBCF-24D1B210348A}\n");
    ASSERT_EQ(setup::ComponentsToRegister().size(), 1u);
    std::string out, problem;
    ASSERT_TRUE(Prepare(out, problem)) << problem;
    EXPECT_EQ(ComRegisteredLibrary("Broker.Application"), other);
    EXPECT_EQ(ComRegisteredLibrary("Pellar.clsdll"),
              fs::canonical(std::string(KORAVEL_COMPONENT_DIR) + "/libpellar.so").string());
    EXPECT_TRUE(setup::ComponentsToRegister().empty());
}

// Registration leaves a registry the user made read-only as it is (its folder would let a
// new file replace it); permissions bind everyone but root.
TEST(ComRegistry, AReadOnlyRegistryIsNeverReplaced) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes whatever the permissions say";
    TempDir dir;
    WriteFile(dir.file("registry.ini"), "");
    fs::permissions(dir.file("registry.ini"), fs::perms::owner_read);
    const ScopedEnv registry("KORAVEL_COM_REGISTRY", dir.file("registry.ini"));
    EXPECT_EQ(setup::RegistryWriteProblem(dir.file("registry.ini")), "the file is read-only");
    EXPECT_EQ(RegisterServerLibrary(std::string(KORAVEL_COMPONENT_DIR) + "/libpellar.so"),
              SELFREG_E_CLASS);
    EXPECT_EQ(ReadFile(dir.file("registry.ini")), "");
}

} // namespace
