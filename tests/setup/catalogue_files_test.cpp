// The catalogue an installed program loads from its files, and what setup makes of it.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "platform/odbc/database.h"
#include "platform/odbc/recordset.h"
#include "setup/setup.h"
#include "support/setup_options.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(CatalogueFiles, TheShippedListsHoldOnlyValidRows) {
    int skipped = -1;
    EXPECT_FALSE(catalogue::ParseCompanies(catalogue::CompaniesCsv(), &skipped).empty());
    EXPECT_EQ(skipped, 0);
    EXPECT_FALSE(catalogue::ParseFutures(catalogue::FuturesCsv(), &skipped).empty());
    EXPECT_EQ(skipped, 0);
}

TEST(CatalogueFiles, ReadsBothFilesAndRefusesMissingOrEmptyOnes) {
    TempDir dir;
    const std::string companies = dir.file("companies.csv");
    const std::string futures = dir.file("futures.csv");
    struct Case {
        const char* companiesCsv; // nullptr: no file
        const char* futuresCsv;
        std::string error; // empty: read
        std::size_t companyCount = 0;
        int skipped = 0;
    };
    const Case cases[] = {
        {"COMPNAME,NSENAME,BSENAME\nFoo Ltd,FOO,500001\nM&M Ltd,M&M,\n"
         "Evil Ltd,../../etc/passwd,\nBlank Ltd,A B,\nNo Symbol Ltd,,\n",
         "Underlying,Symbol\nNIFTY 50,NIFTY\nBad,..\n", "", 2, 4},
        {nullptr, "Underlying,Symbol\nNIFTY 50,NIFTY\n",
         "The company catalogue " + companies + " is missing or cannot be read."},
        {"COMPNAME,NSENAME,BSENAME\nFoo Ltd,FOO,\n", nullptr,
         "The futures list " + futures + " is missing or cannot be read."},
        {"COMPNAME,NSENAME,BSENAME\n", "Underlying,Symbol\nNIFTY 50,NIFTY\n",
         "The company catalogue " + companies + " holds no companies."},
        {"garbage\x01\x02", "Underlying,Symbol\nNIFTY 50,NIFTY\n",
         "The company catalogue " + companies + " holds no companies."},
    };
    for (const Case& c : cases) {
        fs::remove(companies);
        fs::remove(futures);
        if (c.companiesCsv)
            WriteFile(companies, c.companiesCsv);
        if (c.futuresCsv)
            WriteFile(futures, c.futuresCsv);
        std::vector<catalogue::Company> readCompanies;
        std::vector<catalogue::Future> readFutures;
        std::string error;
        int skipped = 0;
        const bool ok =
            catalogue::ReadFiles(dir.path(), readCompanies, readFutures, error, &skipped);
        EXPECT_EQ(ok, c.error.empty()) << error;
        EXPECT_EQ(error, c.error);
        if (ok) {
            EXPECT_EQ(readCompanies.size(), c.companyCount);
            EXPECT_EQ(skipped, c.skipped);
        }
    }
}

TEST(CatalogueFiles, SetupLoadsTheFolderItIsGiven) {
    TempDir dir;
    fs::create_directories(dir.file("cat"));
    WriteFile(dir.file("cat/companies.csv"),
              "COMPNAME,NSENAME,BSENAME\nFoo Ltd,FOO,500001\nBar Ltd,BAR,\nBad Ltd,/x,\n");
    WriteFile(dir.file("cat/futures.csv"), "Underlying,Symbol\nNIFTY 50,NIFTY\n");
    setup::Options options = testsupport::SetupOptionsIn(dir, "Koravel");
    options.catalogueDir = dir.file("cat");
    std::ostringstream out, err;
    ASSERT_EQ(setup::Run(options, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("Catalogue: 1 rows skipped"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("2 companies added"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("1 futures added"), std::string::npos) << out.str();
}

} // namespace
