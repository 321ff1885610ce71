#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

class CDatabase;

// koravel-setup: the data root with its folders, the SQLite database with the six tables and
// the catalogue, and the user data source "CompanyList". Running it again changes nothing
// that is already in place and never removes a row.
namespace setup {

inline constexpr const char* kDsnName = "CompanyList";
inline constexpr const char* kDriverName = "SQLite3";

struct Options {
    std::string root;    // data root
    std::string dbFile;  // database file
    std::string odbcIni; // user data source file
    bool help = false;
};

// Reads --root DIR, --db FILE, --odbcini FILE and --help (also as --opt=value) and fills in
// the defaults: paths::DataRoot(), <root>/CompanyList.db, $ODBCINI or ~/.odbc.ini.
// False with a message on bad usage.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error);
std::string Usage();

struct LoadCounts {
    int companiesAdded = 0;
    int companiesPresent = 0;
    int futuresAdded = 0;
    int futuresPresent = 0;
};

// Adds the companies and futures the tables do not have yet, in one transaction. A company
// is present when each of its symbols already stands in a row for that exchange (a company
// without symbols: when its name does); for a company with one symbol present, a row with
// only the other one is added, as the program records a new listing. A future is present
// when its symbol is. Throws CDBException.
LoadCounts LoadCatalogue(CDatabase& db, const std::vector<catalogue::Company>& companies,
                         const std::vector<catalogue::Future>& futures);

// The data source entries written for a database file.
std::vector<std::pair<std::string, std::string>> DsnEntries(const std::string& dbFile,
                                                            bool noCreate);

// Does everything; reports to out, failures to err. Returns the exit status (0 on success).
int Run(const Options& options, std::ostream& out, std::ostream& err);

} // namespace setup
