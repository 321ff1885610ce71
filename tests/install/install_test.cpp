// An installation into a temporary prefix, moved to another place and run from a third, as a
// user with a home of their own: nothing may reach back into the build or the source tree.
#include <chrono>
#include <csignal>
#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "install/install_support.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using installtest::Outcome;
using installtest::Process;
using installtest::RunProgram;
using installtest::Shell;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

const char* const kPrograms[] = {"koravel", "koravel-market", "koravel-setup", "koravel-regsvr"};
// Who runs the programs: as root, an ordinary user (permissions bind everyone but root).
constexpr uid_t kNobody = 65534;

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new TempDir;
        fs::permissions(s_dir->path(), fs::perms::owner_all | fs::perms::group_read |
                                           fs::perms::group_exec | fs::perms::others_read |
                                           fs::perms::others_exec);
        const std::string stage = s_dir->file("stage");
        const Outcome install =
            RunProgram({KORAVEL_CMAKE, "--install", KORAVEL_BUILD_DIR, "--prefix", stage});
        ASSERT_EQ(install.exitCode, 0) << install.out << install.err;
        // The installation is moved, so only paths relative to itself can work.
        ASSERT_EQ(
            Shell("cp -a '" + stage + "' '" + Prefix() + "' && rm -rf '" + stage + "'").exitCode,
            0);
        fs::create_directories(s_dir->file("elsewhere"));
    }
    static void TearDownTestSuite() {
        Shell("chmod -R u+rwX '" + s_dir->path() + "'");
        delete s_dir;
        s_dir = nullptr;
    }

    static std::string Prefix() { return s_dir->file("koravel"); }
    static std::string Bin(const std::string& program) { return Prefix() + "/bin/" + program; }
    static bool AsNobody() { return ::geteuid() == 0 && installtest::HaveProgram("setpriv"); }

    // A home of its own for one run, owned by whoever runs the program.
    std::string MakeHome(const std::string& name) {
        const std::string home = s_dir->file(name);
        fs::create_directories(home + "/run");
        fs::permissions(home + "/run", fs::perms::owner_all);
        if (AsNobody())
            Shell("chown -R " + std::to_string(kNobody) + ":" + std::to_string(kNobody) + " '" +
                  home + "'");
        return home;
    }

    // The environment of a user's session, without a display unless the test asks.
    static std::vector<std::string> Environment(const std::string& home,
                                                const std::vector<std::string>& more = {}) {
        std::vector<std::string> env = {"PATH=/usr/bin:/bin", "HOME=" + home, "LANG=C.UTF-8",
                                        "XDG_RUNTIME_DIR=" + home + "/run",
                                        "XDG_CACHE_HOME=" + home + "/run/cache"};
        env.insert(env.end(), more.begin(), more.end());
        return env;
    }

    static std::vector<std::string> AsUser(std::vector<std::string> argv) {
        if (!AsNobody())
            return argv;
        std::vector<std::string> wrapped = {
            "/usr/bin/setpriv", "--reuid=" + std::to_string(kNobody),
            "--regid=" + std::to_string(kNobody), "--clear-groups", "--"};
        wrapped.insert(wrapped.end(), argv.begin(), argv.end());
        return wrapped;
    }

    static TempDir* s_dir;
};

TempDir* InstallTest::s_dir = nullptr;

TEST_F(InstallTest, EveryFileInItsPlaceAndLibrariesFoundBesideThePrograms) {
    EXPECT_EQ(installtest::FilesUnder(Prefix()), installtest::ExpectedFiles());
    // The moved copy resolves its own libraries inside itself ($ORIGIN), never in the build.
    for (const std::string& elf : installtest::ExpectedFiles()) {
        if (elf.rfind("bin/", 0) != 0 && elf.find(".so") == std::string::npos)
            continue;
        const Outcome ldd = RunProgram({"/usr/bin/ldd", Prefix() + "/" + elf});
        EXPECT_EQ(ldd.exitCode, 0) << elf;
        EXPECT_EQ(ldd.out.find("not found"), std::string::npos) << elf << "\n" << ldd.out;
        EXPECT_EQ(ldd.out.find(KORAVEL_BUILD_DIR), std::string::npos) << elf << "\n" << ldd.out;
    }
    for (const char* program : kPrograms) {
        const Outcome version = RunProgram({Bin(program), "--version"}, Environment(s_dir->path()),
                                           s_dir->file("elsewhere"));
        EXPECT_EQ(version.exitCode, 0) << program;
        EXPECT_EQ(version.out, std::string(program) + " " + KORAVEL_VERSION + "\n");
    }
}

// Each option and variable --help names is in the manual page, and the page is this version's.
TEST_F(InstallTest, ManualPagesCoverWhatHelpSays) {
    const std::regex word(R"((--[a-z][a-z-]*|\b[A-Z][A-Z0-9]*_[A-Z0-9_]+\b))");
    for (const char* program : kPrograms) {
        const Outcome help = RunProgram({Bin(program), "--help"}, Environment(s_dir->path()));
        EXPECT_EQ(help.exitCode, 0) << program;
        EXPECT_EQ(help.out.rfind("Usage: " + std::string(program), 0), 0u) << program;
        const Outcome page =
            RunProgram({"/bin/gzip", "-dc", Prefix() + "/share/man/man1/" + program + ".1.gz"});
        ASSERT_EQ(page.exitCode, 0) << program;
        EXPECT_NE(page.out.find(std::string("\"Koravel ") + KORAVEL_VERSION + "\""),
                  std::string::npos)
            << program << ": the page's header names another version";
        std::set<std::string> missing;
        for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), word);
             it != std::sregex_iterator(); ++it) {
            std::string roff;
            for (const char c : it->str())
                roff += c == '-' ? std::string("\\-") : std::string(1, c);
            if (page.out.find(roff) == std::string::npos)
                missing.insert(it->str());
        }
        EXPECT_TRUE(missing.empty()) << program << " lacks " << ::testing::PrintToString(missing);
    }
}

TEST_F(InstallTest, MenuEntryIconsAndSoftwareCentreDataAreValid) {
    const std::string desktop = Prefix() + "/share/applications/koravel.desktop";
    const std::string metainfo =
        Prefix() + "/share/metainfo/" + std::string(KORAVEL_APP_ID) + ".metainfo.xml";
    EXPECT_NE(ReadFile(desktop).find("\nIcon=koravel\n"), std::string::npos);
    const std::string info = ReadFile(metainfo);
    EXPECT_NE(info.find("<launchable type=\"desktop-id\">koravel.desktop</launchable>"),
              std::string::npos);
    EXPECT_NE(info.find(std::string("<release version=\"") + KORAVEL_VERSION + "\""),
              std::string::npos);

    // Each icon is drawn at the size its folder says (the PNG header's width and height).
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string s = std::to_string(size);
        const std::string png =
            ReadFile(Prefix() + "/share/icons/hicolor/" + s + "x" + s + "/apps/koravel.png");
        ASSERT_GT(png.size(), 24u) << size;
        const auto at = [&png](std::size_t i) {
            return (static_cast<unsigned char>(png[i]) << 24) |
                   (static_cast<unsigned char>(png[i + 1]) << 16) |
                   (static_cast<unsigned char>(png[i + 2]) << 8) |
                   static_cast<unsigned char>(png[i + 3]);
        };
        EXPECT_EQ(png.substr(1, 3), "PNG");
        EXPECT_EQ(at(16), static_cast<unsigned>(size));
        EXPECT_EQ(at(20), static_cast<unsigned>(size));
    }

    if (installtest::HaveProgram("desktop-file-validate")) {
        const Outcome r = RunProgram({"/usr/bin/desktop-file-validate", desktop});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_EQ(r.out + r.err, "");
    } else {
        ADD_FAILURE() << "desktop-file-validate is missing: scripts/bootstrap installs "
                         "desktop-file-utils";
    }
    if (installtest::HaveProgram("appstreamcli")) {
        // Never the network: the screenshots' addresses are not fetched.
        const Outcome r = RunProgram({"/usr/bin/appstreamcli", "validate", "--no-net", metainfo});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    } else {
        ADD_FAILURE() << "appstreamcli is missing: scripts/bootstrap installs appstream";
    }
}

TEST_F(InstallTest, TourRunsFromTheMovedInstallationInAnotherFolder) {
    const std::string home = s_dir->file("tour-home");
    fs::create_directories(home + "/run");
    const std::string tour = home + "/pictures";
    const std::string trace = home + "/run/ld";
    // As the caller: the loader writes its trace per process, and a process that changed its
    // user could not write the trace file made before.
    const Outcome r = RunProgram({Bin("koravel"), "--tour", tour},
                                 Environment(home, {"LD_DEBUG=files", "LD_DEBUG_OUTPUT=" + trace}),
                                 s_dir->file("elsewhere"));
    ASSERT_EQ(r.exitCode, 0) << r.err.substr(0, 4000);
    for (const char* picture : {"bar", "menu", "about", "histchart", "watchlist", "amibroker"})
        EXPECT_GT(fs::file_size(tour + "/" + picture + ".png"), 1000u) << picture;
    EXPECT_FALSE(fs::exists(home + "/Koravel")) << "the tour keeps to a data folder of its own";

    // Every library the process loaded, the components included, came from the system or
    // from the installation.
    std::string lines;
    for (const auto& e : fs::directory_iterator(home + "/run"))
        if (e.path().filename().string().rfind("ld.", 0) == 0)
            lines += ReadFile(e.path());
    std::set<std::string> loaded;
    const std::regex init(R"(calling init: (\S+))");
    for (auto it = std::sregex_iterator(lines.begin(), lines.end(), init);
         it != std::sregex_iterator(); ++it)
        loaded.insert(fs::weakly_canonical((*it)[1].str()).string());
    ASSERT_FALSE(loaded.empty());
    for (const std::string& lib : loaded) {
        EXPECT_NE(lib.rfind(KORAVEL_BUILD_DIR, 0), 0u) << lib;
        EXPECT_NE(lib.rfind(KORAVEL_SOURCE_DIR, 0), 0u) << lib;
    }
    const std::string libs = Prefix() + "/" + KORAVEL_PKGLIBDIR + "/";
    for (const char* lib : {"libkoravel-clock.so", "libpellar.so", "libkoravel-chartstore.so"})
        EXPECT_EQ(loaded.count(libs + lib), 1u) << lib;
}

TEST_F(InstallTest, FirstStartSetsUpTheUserWithoutRoot) {
    const std::string home = MakeHome("first-home");
    Process koravel(AsUser({Bin("koravel"), "--nosplash", "--clock", "2026-12-07 11:00:00"}),
                    Environment(home, {"QT_QPA_PLATFORM=offscreen"}), s_dir->file("elsewhere"));
    ASSERT_TRUE(koravel.Start());
    const std::string registry = home + "/.config/koravel/registry.ini";
    const auto ready = [&] {
        const std::string text = ReadFile(registry);
        return text.find("Broker.Application=") != std::string::npos &&
               text.find("Pellar.clsdll=") != std::string::npos;
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!ready() && koravel.Running() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(koravel.Running()) << koravel.Err();
    std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // the bar comes up
    koravel.Signal(SIGTERM);
    ASSERT_TRUE(koravel.Wait(30000));
    EXPECT_EQ(koravel.ExitCode(), 0) << koravel.Err();
    EXPECT_NE(koravel.Out().find("Koravel is set up for its first start"), std::string::npos)
        << koravel.Out();

    for (const char* sub :
         {"EODData", "IntraDay", "LiveData", "WatchListData", "ProfileData", "ToppersData"})
        EXPECT_TRUE(fs::is_directory(home + "/Koravel/" + sub)) << sub;
    EXPECT_GT(fs::file_size(home + "/Koravel/CompanyList.db"), 10000u);
    EXPECT_NE(
        ReadFile(home + "/.odbc.ini")
            .find("[CompanyList]\nDriver=SQLite3\nDatabase=" + home + "/Koravel/CompanyList.db\n"),
        std::string::npos);
    const std::string registered = ReadFile(registry);
    const std::string libs = Prefix() + "/" + KORAVEL_PKGLIBDIR + "/";
    EXPECT_NE(registered.find("=" + libs + "libpellar.so\n"), std::string::npos) << registered;
    EXPECT_NE(registered.find("=" + libs + "libkoravel-chartstore.so\n"), std::string::npos)
        << registered;
}

// What the user finds in their home, leaving out the registry's empty lock file.
std::string Listing(const std::string& home) {
    std::string all;
    for (auto it = fs::recursive_directory_iterator(home); it != fs::recursive_directory_iterator();
         ++it) {
        if (it->path().filename() == "run") {
            it.disable_recursion_pending();
            continue;
        }
        if (it->path().extension() != ".lock")
            all += it->path().string() + "\n";
    }
    return all;
}

TEST_F(InstallTest, BadPlacesStopTheFirstStartWithOneMessageAndNothingWritten) {
    // An installation whose catalogue has gone.
    const std::string broken = s_dir->file("broken");
    ASSERT_EQ(Shell("cp -a '" + Prefix() + "' '" + broken + "' && rm '" + broken +
                    "/share/koravel/companies.csv'")
                  .exitCode,
              0);
    struct Case {
        const char* name;
        bool needsPermissions; // only an ordinary user meets these
        std::string prepare;   // shell commands in the home, before the home is handed over
        std::string variable;  // extra environment
        std::string program;
        std::string says; // after "koravel: "; HOME stands for the home
        std::string advice;
    };
    const std::vector<Case> cases = {
        {"root-under-a-file", false, "echo x > file", "KORAVEL_ROOT=HOME/file/Koravel",
         Bin("koravel"), "Cannot create the folder HOME/file/Koravel: Not a directory.",
         "KORAVEL_ROOT"},
        {"read-only-root", true, "mkdir Koravel && chmod 555 Koravel", "", Bin("koravel"),
         "The folder HOME/Koravel is not writable.", "Make it writable"},
        {"root-in-a-read-only-folder", true, "mkdir ro && chmod 555 ro",
         "KORAVEL_ROOT=HOME/ro/Koravel", Bin("koravel"),
         "Cannot create the folder HOME/ro/Koravel: Permission denied.", "KORAVEL_ROOT"},
        {"catalogue-gone", false, "", "", broken + "/bin/koravel",
         "The company catalogue " + broken + "/share/koravel/companies.csv is missing",
         "Reinstall Koravel"},
        {"registry-folder-read-only", true, "mkdir locked && chmod 555 locked",
         "KORAVEL_COM_REGISTRY=HOME/locked/registry.ini", Bin("koravel"),
         "Cannot write the component registry HOME/locked/registry.ini: the folder HOME/locked "
         "is not writable.",
         "KORAVEL_COM_REGISTRY"},
        {"registry-file-read-only", true,
         "mkdir -p .config/koravel && : > .config/koravel/registry.ini && chmod 444 "
         ".config/koravel/registry.ini",
         "", Bin("koravel"),
         "Cannot write the component registry HOME/.config/koravel/registry.ini: the file is "
         "read-only.",
         "KORAVEL_COM_REGISTRY"},
    };
    const auto withHome = [](std::string text, const std::string& home) {
        for (std::size_t at; (at = text.find("HOME")) != std::string::npos;)
            text.replace(at, 4, home);
        return text;
    };
    for (const Case& c : cases) {
        if (c.needsPermissions && ::geteuid() == 0 && !AsNobody()) {
            ADD_FAILURE() << c.name << ": needs setpriv to run as an ordinary user";
            continue;
        }
        const std::string home = s_dir->file(std::string("bad-") + c.name);
        fs::create_directories(home);
        if (!c.prepare.empty()) {
            ASSERT_EQ(Shell("cd '" + home + "' && " + c.prepare).exitCode, 0) << c.name;
        }
        MakeHome(std::string("bad-") + c.name); // read-only folders stay so for their owner
        const std::string before = Listing(home);
        std::vector<std::string> more = {"QT_QPA_PLATFORM=offscreen"};
        if (!c.variable.empty())
            more.push_back(withHome(c.variable, home));
        const Outcome r = RunProgram(AsUser({c.program, "--nosplash"}), Environment(home, more),
                                     s_dir->file("elsewhere"), 60000);
        EXPECT_EQ(r.exitCode, 1) << c.name << "\n" << r.err;
        EXPECT_NE(r.err.find("koravel: " + withHome(c.says, home)), std::string::npos)
            << c.name << "\n"
            << r.err;
        EXPECT_NE(r.err.find(c.advice), std::string::npos) << c.name << "\n" << r.err;
        EXPECT_EQ(Listing(home), before) << c.name;
    }
}

} // namespace
