#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/catalogue.h"

class CDatabase;

// koravel-setup: the data root with its folders, and the data source "CompanyList" with the
// six tables and the catalogue. By default the data source is an SQLite file of its own;
// a CompanyList data source that points anywhere else is the user's and is never rewritten
// unless asked. Running it again changes nothing that is already in place and never removes
// a row.
namespace setup {

inline constexpr const char* kDsnName = "CompanyList";
inline constexpr const char* kDriverName = "SQLite3";
inline constexpr const char* kPostgresDriverName = "PostgreSQL Unicode";

struct Options {
    std::string root;    // data root
    std::string dbFile;  // database file
    std::string odbcIni; // user data source file
    bool help = false;
    bool version = false;
    // The folder holding companies.csv and futures.csv; empty: the lists compiled in.
    std::string catalogueDir;
    bool useDsn = false;     // set up whatever database the data source names
    std::string postgres;    // libpq-style "host=... dbname=..." for a PostgreSQL data source
    bool replaceDsn = false; // rewrite a data source that points elsewhere
};

// Reads --root DIR, --db FILE, --odbcini FILE, --catalogue DIR, --use-dsn,
// --postgres CONNINFO, --replace-dsn, --help and --version (also as --opt=value) and fills
// in the defaults: paths::DataRoot(), <root>/CompanyList.db, $ODBCINI or ~/.odbc.ini, the
// installed catalogue folder (none in the build tree). False with a message on bad usage.
bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error);
std::string Usage();

// The data source entries for a PostgreSQL database from libpq-style keyword=value pairs
// (host, port, dbname, user, sslmode; values may be single-quoted). A password is refused:
// it belongs in ~/.pgpass or PGPASSWORD, not in a data source file. False with a message.
bool PostgresDsnEntries(std::string_view conninfo,
                        std::vector<std::pair<std::string, std::string>>& entries,
                        std::string& error);

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

// True when the data folders and a CompanyList data source are in place (for setup's own
// SQLite data source: with its database file), so a start needs no setup.
bool IsSetUp(const Options& options);

// Does everything; reports to out, failures to err. Returns the exit status (0 on success).
int Run(const Options& options, std::ostream& out, std::ostream& err);

} // namespace setup
