// The Debian package: its files, their modes, the dependencies dpkg-shlibdeps derived, and
// lintian's verdict.
#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "install/install_support.h"
#include "support/temp_dir.h"

namespace {

using installtest::Outcome;
using installtest::RunProgram;

TEST(PackageTest, DebHoldsTheInstallationWithDerivedDependenciesAndPassesLintian) {
    for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps"})
        ASSERT_TRUE(installtest::HaveProgram(tool))
            << tool << " is missing: scripts/bootstrap installs dpkg-dev";
    testsupport::TempDir out;
    const Outcome cpack =
        RunProgram({KORAVEL_CPACK, "-G", "DEB", "--config",
                    std::string(KORAVEL_BUILD_DIR) + "/CPackConfig.cmake", "-B", out.path()});
    ASSERT_EQ(cpack.exitCode, 0) << cpack.out << cpack.err;
    const std::string arch = installtest::Shell("dpkg --print-architecture | tr -d '\\n'").out;
    const std::string file =
        out.file(std::string("koravel_") + KORAVEL_VERSION + "_" + arch + ".deb");

    // Files: exactly the installation's, under /usr, owned by root, programs executable.
    const Outcome contents = RunProgram({"/usr/bin/dpkg-deb", "-c", file});
    ASSERT_EQ(contents.exitCode, 0) << contents.err;
    std::vector<std::string> files;
    const std::regex line(R"(^(\S+) (\S+)\s+\d+ \S+ \S+ \./(\S*)$)");
    std::istringstream lines(contents.out);
    for (std::string l; std::getline(lines, l);) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(l, m, line)) << l;
        EXPECT_EQ(m[2].str(), "root/root") << l;
        const std::string mode = m[1].str();
        const std::string path = m[3].str();
        if (mode[0] == 'd')
            continue;
        ASSERT_EQ(path.rfind("usr/", 0), 0u) << l;
        files.push_back(path.substr(4));
        const bool program = path.rfind("usr/bin/", 0) == 0;
        EXPECT_EQ(mode, program ? "-rwxr-xr-x" : "-rw-r--r--") << l;
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, installtest::ExpectedFiles());

    // Dependencies: derived from the libraries the programs link, plus the ODBC driver the
    // driver manager loads by name; never the package's own libraries.
    const Outcome depends = RunProgram({"/usr/bin/dpkg-deb", "-f", file, "Depends", "Version"});
    ASSERT_EQ(depends.exitCode, 0) << depends.err;
    for (const char* package :
         {"libsqliteodbc", "libc6 (", "libstdc++6 (", "libqt6core6 (", "libqt6gui6 (",
          "libqt6widgets6 (", "libqt6charts6 (", "libqt6dbus6 (", "libodbc2 (", "libcurl4 (",
          "libcpp-httplib0.11 ("})
        EXPECT_NE(depends.out.find(std::string(" ") + package), std::string::npos)
            << package << " in " << depends.out;
    EXPECT_EQ(depends.out.find("koravel"), std::string::npos) << depends.out;
    EXPECT_NE(depends.out.find(std::string("Version: ") + KORAVEL_VERSION + "\n"),
              std::string::npos)
        << depends.out;

    if (!installtest::HaveProgram("lintian")) {
        ADD_FAILURE() << "lintian is missing: scripts/bootstrap installs it";
        return;
    }
    const Outcome lintian = RunProgram({"/usr/bin/lintian", "--tag-display-limit", "0", file});
    std::string errors;
    std::istringstream report(lintian.out);
    for (std::string l; std::getline(report, l);)
        if (l.rfind("E: ", 0) == 0)
            errors += l + "\n";
    EXPECT_EQ(errors, "") << lintian.out << lintian.err;
    EXPECT_EQ(lintian.exitCode, 0) << lintian.out << lintian.err;
}

} // namespace
