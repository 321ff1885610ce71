#include "setup/setup.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "db/operations.h"
#include "db/recordsets.h"
#include "platform/base/install_paths.h"
#include "platform/base/paths.h"
#include "platform/base/text.h"
#include "platform/odbc/database.h"
#include "setup/odbc_ini.h"
#include "setup/schema.h"

namespace setup {

namespace fs = std::filesystem;

namespace {

// A step that cannot go on; its message is the one line the user sees.
struct Failure {
    std::string message;
};

const char* const kDriverMissing =
    "The SQLite3 ODBC driver is not installed: install the Debian package libsqliteodbc "
    "(apt-get install libsqliteodbc).";

std::string Absolute(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::absolute(path, ec);
    return (ec ? fs::path(path) : p).lexically_normal().string();
}

bool Writable(const std::string& path) {
    return access(path.c_str(), W_OK) == 0;
}

// What to do about a data folder that cannot be made or written; other folders are named
// by the user's own options and need no advice.
enum class Advice { None, DataFolder };

void MakeFolder(const std::string& path, Advice advice = Advice::None) {
    const bool data = advice == Advice::DataFolder;
    const std::string other = "choose another data folder with KORAVEL_ROOT (koravel-setup: "
                              "--root DIR)";
    std::string error;
    if (!paths::MakeDirs(path, &error))
        throw Failure{"Cannot create the folder " + path + ": " + error + "." +
                      (data ? " Make the folder above it writable, or " + other + "." : "")};
    if (!Writable(path))
        throw Failure{"The folder " + path + " is not writable." +
                      (data ? " Make it writable, or " + other + "." : "")};
}

const char* const kDataFolders[] = {paths::kEodData,     paths::kIntraDay,
                                    paths::kLiveData,    paths::kWatchListData,
                                    paths::kProfileData, paths::kToppersData};

// Creates the data root and its sub-folders; returns those it created.
std::vector<std::string> MakeDataFolders(const std::string& root) {
    std::vector<std::string> created;
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        created.push_back(root);
    MakeFolder(root, Advice::DataFolder);
    for (const char* sub : kDataFolders) {
        const std::string path = paths::Join(root, sub);
        if (!fs::is_directory(path, ec))
            created.push_back(sub);
        MakeFolder(path, Advice::DataFolder);
    }
    return created;
}

void RequireDriver(const char* driver, const std::string& missing) {
    for (const std::string& name : odbc::InstalledDrivers())
        if (text::IEquals(name, driver))
            return;
    throw Failure{missing};
}

std::string ConnectString(const std::string& dbFile, const std::string& extra = {}) {
    return std::string("DRIVER=") + kDriverName + ";Database=" + dbFile + extra;
}

void OpenDatabase(CDatabase& db, const std::string& dbFile) {
    if (dbFile.find(';') != std::string::npos)
        throw Failure{"The database path must not contain ';': " + dbFile};
    const std::string folder = fs::path(dbFile).parent_path().string();
    MakeFolder(folder);
    std::error_code ec;
    if (fs::exists(dbFile, ec) && !Writable(dbFile))
        throw Failure{"The database file " + dbFile + " is not writable."};
    try {
        db.Open(ConnectString(dbFile, ";Timeout=5000;SyncPragma=FULL"));
    } catch (const CDBException& e) {
        if (e.m_strError.find("Can't open lib") != std::string::npos)
            throw Failure{std::string(kDriverMissing) + " (" + e.m_strError + ")"};
        throw Failure{"Cannot open or create the database " + dbFile + ": " + e.m_strError};
    }
}

// Whether the driver refuses to create a missing database file when asked to; a data source
// with that setting cannot quietly start the program on an empty database.
bool DriverHonoursNoCreat(const std::string& folder) {
    const std::string probe =
        paths::Join(folder, ".koravel-nocreat-probe-" + std::to_string(getpid()) + ".db");
    std::error_code ec;
    fs::remove(probe, ec);
    bool honoured = false;
    try {
        CDatabase db;
        db.Open(ConnectString(probe, ";NoCreat=1"));
    } catch (const CDBException&) {
        honoured = !fs::exists(probe, ec);
    }
    fs::remove(probe, ec);
    return honoured;
}

// Edit the file a link points to, not the link.
std::string IniTarget(const std::string& iniFile) {
    std::error_code ec;
    if (fs::is_symlink(iniFile, ec)) {
        const fs::path resolved = fs::weakly_canonical(iniFile, ec);
        if (!ec)
            return resolved.string();
    }
    return iniFile;
}

// The text of the data source file; nothing when there is none.
std::optional<std::string> ReadIni(const std::string& iniFile) {
    const std::string target = IniTarget(iniFile);
    std::error_code ec;
    if (!fs::exists(target, ec))
        return std::nullopt;
    std::ifstream in(target, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (!in)
        throw Failure{"Cannot read the data source file " + target + "."};
    return ss.str();
}

// Writes the data source section; returns false when the file already said the same. A
// replaced data source loses the keys of its old driver.
bool WriteDsn(const std::string& iniFile, const IniEntries& entries, bool replace) {
    std::error_code ec;
    const std::string target = IniTarget(iniFile);
    const std::optional<std::string> old = ReadIni(iniFile);
    const std::string updated = UpdateIniSection(old.value_or(""), kDsnName, entries, replace);
    if (old && updated == *old)
        return false;

    const fs::path folder = fs::path(target).parent_path();
    if (!folder.empty())
        MakeFolder(folder.string());
    const std::string temp = target + ".koravel-" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << updated;
        out.close();
        if (!out) {
            fs::remove(temp, ec);
            throw Failure{"Cannot write the data source file " + target + "."};
        }
    }
    if (old)
        fs::permissions(temp, fs::status(target, ec).permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw Failure{"Cannot write the data source file " + target + "."};
    }
    return true;
}

// The file of system-wide data sources.
std::string SystemIniFile() {
    const char* folder = std::getenv("ODBCSYSINI");
    return paths::Join(folder && *folder ? folder : "/etc", "odbc.ini");
}

// Who the CompanyList data source belongs to.
enum class DsnOwner {
    None,    // there is none (or an empty section)
    Setup,   // the SQLite file this setup makes
    Another, // anything else: the user's, never rewritten unless asked
};

DsnOwner OwnerOf(const std::optional<IniEntries>& dsn, const std::string& dbFile) {
    if (!dsn || dsn->empty())
        return DsnOwner::None;
    const std::string database = IniValue(*dsn, "Database");
    return text::IEquals(IniValue(*dsn, "Driver"), kDriverName) && !database.empty() &&
                   Absolute(database) == dbFile
               ? DsnOwner::Setup
               : DsnOwner::Another;
}

// What a data source points to, for messages; never its password.
std::string Describe(const IniEntries& dsn) {
    std::vector<std::string> parts;
    for (const char* key : {"Driver", "Servername", "Server", "Port", "Database"}) {
        const std::string value = IniValue(dsn, key);
        if (!value.empty())
            parts.push_back(std::string(key) + "=" + value);
    }
    return parts.empty() ? "no driver or database" : text::Join(parts, ", ");
}

// An ODBC connection string with the data source's entries, read from the file itself (the
// driver manager may still hold an older copy of it).
std::string ConnectionString(const IniEntries& dsn) {
    std::string out;
    for (const auto& [key, value] : dsn) {
        if (text::IEquals(key, "Description"))
            continue;
        if (value.find_first_of("{}") != std::string::npos)
            throw Failure{"The data source entry " + key +
                          " holds a brace, which cannot be passed to the driver."};
        const bool braces = value.find(';') != std::string::npos || value != text::Trim(value);
        out += key + "=" + (braces ? "{" + value + "}" : value) + ";";
    }
    return out;
}

// The CompanyList data source and the file it stands in. The driver manager looks in the
// user's file first, then in the system's.
std::pair<std::optional<IniEntries>, std::string> FindDsn(const std::string& iniFile) {
    if (const std::optional<std::string> ini = ReadIni(iniFile))
        if (std::optional<IniEntries> dsn = ReadIniSection(*ini, kDsnName); dsn && !dsn->empty())
            return {dsn, iniFile};
    const std::string system = SystemIniFile();
    if (const std::optional<std::string> ini = ReadIni(system))
        if (std::optional<IniEntries> dsn = ReadIniSection(*ini, kDsnName); dsn && !dsn->empty())
            return {dsn, system};
    return {std::nullopt, iniFile};
}

struct DatabaseReport {
    SchemaChanges schema;
    LoadCounts counts;
};

// The lists setup loads: the catalogue folder's files, else the compiled-in lists.
struct Lists {
    std::vector<catalogue::Company> companies;
    std::vector<catalogue::Future> futures;
    int skipped = 0;
};

Lists ReadLists(const std::string& folder) {
    Lists lists;
    if (folder.empty()) {
        lists.companies = catalogue::Companies();
        lists.futures = catalogue::Futures();
        return lists;
    }
    std::string error;
    if (!catalogue::ReadFiles(folder, lists.companies, lists.futures, error, &lists.skipped))
        throw Failure{error + " Reinstall Koravel (the package koravel), or name a folder "
                              "holding companies.csv and futures.csv with koravel-setup "
                              "--catalogue DIR."};
    return lists;
}

// Tables, row numbers and the catalogue, through an open connection.
DatabaseReport FillDatabase(CDatabase& db, const std::string& where, const Lists& lists) {
    DatabaseReport report;
    try {
        report.schema = CreateTables(db);
        CheckTables(db);
        report.counts = LoadCatalogue(db, lists.companies, lists.futures);
    } catch (const CDBException& e) {
        throw Failure{"Cannot set up the database " + where + ": " + e.m_strError};
    }
    return report;
}

std::string JoinNames(const std::vector<std::string>& names) {
    return text::Join(names, ", ");
}

void ReportFolders(const std::string& root, std::ostream& out) {
    const std::vector<std::string> folders = MakeDataFolders(root);
    out << "Data folder " << root << ": "
        << (folders.empty() ? "all folders present" : "created " + JoinNames(folders)) << "\n";
}

void PrintReport(std::ostream& out, const std::string& where, const std::string& opened,
                 const DatabaseReport& r) {
    out << "Database " << where << ": " << opened << "; "
        << (r.schema.created.empty() ? "all tables present"
                                     : "created tables " + JoinNames(r.schema.created))
        << "\n";
    if (!r.schema.rowKeys.empty())
        out << "Numbered the rows of " << JoinNames(r.schema.rowKeys)
            << ", so each can be edited on its own\n";
    out << "Catalogue: " << r.counts.companiesAdded << " companies added, "
        << r.counts.companiesPresent << " already present; " << r.counts.futuresAdded
        << " futures added, " << r.counts.futuresPresent << " already present\n";
}

// Sets up the database the data source names, as it stands.
void SetUpThroughDsn(CDatabase& db, const IniEntries& dsn, const Lists& lists, std::ostream& out) {
    if (db.Dialect() == odbc::SqlDialect::Standard)
        throw Failure{"The data source " + std::string(kDsnName) + " is a " + db.DbmsName() +
                      " database; Koravel works with SQLite3 and PostgreSQL."};
    const std::string where =
        odbc::Rules(db.Dialect()).name + std::string(" (") + Describe(dsn) + ")";
    const DatabaseReport report = FillDatabase(db, where, lists);
    PrintReport(out, where, "used as the data source names it", report);
}

void OpenDsn(CDatabase& db, const IniEntries& dsn) {
    try {
        db.Open(ConnectionString(dsn));
    } catch (const CDBException& e) {
        throw Failure{"Cannot connect to the data source " + std::string(kDsnName) + " (" +
                      Describe(dsn) + "): " + e.m_strError};
    }
}

} // namespace

bool ParseArguments(const std::vector<std::string>& args, Options& options, std::string& error) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a == "--version") {
            o.version = true;
            continue;
        }
        if (a == "--use-dsn" || a == "--replace-dsn") {
            (a == "--use-dsn" ? o.useDsn : o.replaceDsn) = true;
            continue;
        }
        std::string* target = nullptr;
        std::string value;
        bool matched = false;
        for (auto [name, field] :
             {std::pair{"--root", &o.root}, std::pair{"--db", &o.dbFile},
              std::pair{"--odbcini", &o.odbcIni}, std::pair{"--postgres", &o.postgres},
              std::pair{"--catalogue", &o.catalogueDir}}) {
            const std::string option(name);
            if (a == option) {
                if (i + 1 >= args.size()) {
                    error = option + " needs a value";
                    return false;
                }
                value = args[++i];
            } else if (text::StartsWith(a, option + "=")) {
                value = a.substr(option.size() + 1);
            } else {
                continue;
            }
            matched = true;
            target = field;
            if (value.empty()) {
                error = option + " needs a value";
                return false;
            }
            break;
        }
        if (!matched) {
            error = "unknown option " + a;
            return false;
        }
        *target = value;
    }
    if (o.useDsn && (!o.postgres.empty() || o.replaceDsn)) {
        error = "--use-dsn takes the data source as it is; it goes with neither --postgres nor "
                "--replace-dsn";
        return false;
    }
    if (o.root.empty())
        o.root = paths::DataRoot();
    if (o.dbFile.empty())
        o.dbFile = paths::Join(o.root, "CompanyList.db");
    if (o.odbcIni.empty()) {
        const char* env = std::getenv("ODBCINI");
        o.odbcIni = env && *env ? env : paths::Join(paths::HomeDir(), ".odbc.ini");
    }
    if (o.catalogueDir.empty())
        o.catalogueDir = install::CatalogueDir();
    options = o;
    return true;
}

std::string Usage() {
    return "Usage: koravel-setup [--root DIR] [--db FILE] [--odbcini FILE] [--catalogue DIR]\n"
           "                     [--use-dsn | --postgres CONNINFO] [--replace-dsn]\n"
           "Creates the data folders, the database with its tables and the company catalogue,\n"
           "and the ODBC data source CompanyList. Running it again keeps every row.\n"
           "  --root DIR      data folder (default $KORAVEL_ROOT or ~/Koravel)\n"
           "  --db FILE       SQLite database file (default DIR/CompanyList.db)\n"
           "  --odbcini FILE  user data source file (default $ODBCINI or ~/.odbc.ini)\n"
           "  --catalogue DIR folder holding companies.csv and futures.csv (default: the\n"
           "                  installed share/koravel, or the lists built into the program)\n"
           "  --use-dsn       use the data source CompanyList as it stands (SQLite3 or\n"
           "                  PostgreSQL): create the missing tables, load the catalogue\n"
           "  --postgres CONNINFO\n"
           "                  point CompanyList at a PostgreSQL database, e.g.\n"
           "                  \"host=db.local port=5432 dbname=koravel user=anita\"; the password\n"
           "                  comes from ~/.pgpass or PGPASSWORD; then as --use-dsn\n"
           "  --replace-dsn   rewrite a CompanyList data source that points elsewhere\n"
           "  --help          this text\n"
           "  --version       the version\n"
           "A CompanyList data source that points anywhere but FILE is left as it is unless\n"
           "--replace-dsn is given.\n"
           "Environment: KORAVEL_ROOT (data folder), ODBCINI (user data source file),\n"
           "ODBCSYSINI (folder of the system's odbc.ini, default /etc).\n"
           "Files: ~/.odbc.ini, /etc/odbc.ini, ~/Koravel/CompanyList.db.\n";
}

bool PostgresDsnEntries(std::string_view conninfo, IniEntries& entries, std::string& error) {
    const std::pair<const char*, const char*> keys[] = {{"host", "Servername"},
                                                        {"port", "Port"},
                                                        {"dbname", "Database"},
                                                        {"user", "Username"},
                                                        {"sslmode", "SSLmode"}};
    std::vector<std::pair<std::string, std::string>> given; // libpq key, value
    std::size_t i = 0;
    const auto blank = [&conninfo](std::size_t at) {
        return std::isspace(static_cast<unsigned char>(conninfo[at])) != 0;
    };
    for (;;) {
        while (i < conninfo.size() && blank(i))
            ++i;
        if (i == conninfo.size())
            break;
        const std::size_t eq = conninfo.find('=', i);
        if (eq == std::string_view::npos) {
            error = "expected keyword=value in \"" + std::string(conninfo.substr(i)) + "\"";
            return false;
        }
        const std::string key = text::Trim(conninfo.substr(i, eq - i));
        i = eq + 1;
        while (i < conninfo.size() && blank(i))
            ++i;
        std::string value;
        if (i < conninfo.size() && conninfo[i] == '\'') {
            for (++i; i < conninfo.size() && conninfo[i] != '\''; ++i) {
                if (conninfo[i] == '\\' && i + 1 < conninfo.size())
                    ++i;
                value += conninfo[i];
            }
            if (i == conninfo.size()) {
                error = "the value of " + key + " lacks its closing quote";
                return false;
            }
            ++i;
        } else {
            while (i < conninfo.size() && !blank(i)) {
                if (conninfo[i] == '\\' && i + 1 < conninfo.size())
                    ++i;
                value += conninfo[i++];
            }
        }
        if (key == "password") {
            error = "koravel-setup keeps no password in the data source file: put it in "
                    "~/.pgpass (host:port:dbname:user:password, mode 0600) or in PGPASSWORD";
            return false;
        }
        const auto known = std::find_if(std::begin(keys), std::end(keys),
                                        [&key](const auto& k) { return key == k.first; });
        if (known == std::end(keys)) {
            error = "unknown keyword " + key + " (known: host, port, dbname, user, sslmode)";
            return false;
        }
        // The value becomes a line of the data source file and part of a connection string.
        const bool unsafe = value.empty() || std::any_of(value.begin(), value.end(), [](char c) {
                                return static_cast<unsigned char>(c) < 0x20 || c == 0x7F ||
                                       c == ';' || c == '{' || c == '}';
                            });
        if (unsafe) {
            error =
                "the value of " + key + " is empty or holds a control character, ';' or a brace";
            return false;
        }
        if (key == "port" &&
            (value.size() > 5 || !std::all_of(value.begin(), value.end(),
                                              [](char c) { return c >= '0' && c <= '9'; }))) {
            error = "port must be a number";
            return false;
        }
        given.emplace_back(key, value);
    }
    IniEntries result = {{"Driver", kPostgresDriverName}};
    for (const auto& [key, name] : keys) {
        // A keyword given twice: the last one counts, as in libpq.
        const auto last = std::find_if(given.rbegin(), given.rend(),
                                       [key = key](const auto& g) { return g.first == key; });
        if (last != given.rend())
            result.emplace_back(name, last->second);
    }
    if (IniValue(result, "Servername").empty() || IniValue(result, "Database").empty()) {
        error = "host and dbname are needed";
        return false;
    }
    entries = result;
    return true;
}

LoadCounts LoadCatalogue(CDatabase& db, const std::vector<catalogue::Company>& companies,
                         const std::vector<catalogue::Future>& futures) {
    LoadCounts counts;
    CDatabase::Transaction transaction(db);
    // Two machines setting up one shared database at once add each company once.
    db.LockTable("CompanyList");
    db.LockTable("Future");

    CCompanyListset companySet(&db);
    companySet.Open(CRecordset::snapshot);
    std::set<std::string> nse;
    std::set<std::string> bse;
    std::set<std::string> unlisted; // names of rows without any symbol
    db::ReadAllRows(companySet, [&](const CCompanyListset& rs) {
        if (!rs.m_NSENAME.empty())
            nse.insert(rs.m_NSENAME);
        if (!rs.m_BSENAME.empty())
            bse.insert(rs.m_BSENAME);
        if (rs.m_NSENAME.empty() && rs.m_BSENAME.empty())
            unlisted.insert(rs.m_COMPNAME);
        return 0;
    });
    for (const catalogue::Company& c : companies) {
        const bool nsePresent = !c.nseName.empty() && nse.count(c.nseName) > 0;
        const bool bsePresent = !c.bseName.empty() && bse.count(c.bseName) > 0;
        const bool needed =
            c.nseName.empty() && c.bseName.empty()
                ? unlisted.count(c.name) == 0
                : (!c.nseName.empty() && !nsePresent) || (!c.bseName.empty() && !bsePresent);
        if (!needed) {
            ++counts.companiesPresent;
            continue;
        }
        companySet.AddNew();
        companySet.m_COMPNAME = c.name;
        companySet.m_NSENAME = nsePresent ? std::string() : c.nseName;
        companySet.m_BSENAME = bsePresent ? std::string() : c.bseName;
        companySet.Update();
        if (!c.nseName.empty())
            nse.insert(c.nseName);
        if (!c.bseName.empty())
            bse.insert(c.bseName);
        if (c.nseName.empty() && c.bseName.empty())
            unlisted.insert(c.name);
        ++counts.companiesAdded;
    }
    companySet.Close();

    CFutureset futureSet(&db);
    futureSet.Open(CRecordset::snapshot);
    std::set<std::string> symbols;
    db::ReadAllRows(futureSet,
                    [&](const CFutureset& rs) { return *symbols.insert(rs.m_Symbol).first; });
    for (const catalogue::Future& f : futures) {
        if (!symbols.insert(f.symbol).second) {
            ++counts.futuresPresent;
            continue;
        }
        futureSet.AddNew();
        futureSet.m_Underlying = f.underlying;
        futureSet.m_Symbol = f.symbol;
        futureSet.Update();
        ++counts.futuresAdded;
    }
    futureSet.Close();

    transaction.Commit();
    return counts;
}

std::vector<std::pair<std::string, std::string>> DsnEntries(const std::string& dbFile,
                                                            bool noCreate) {
    std::vector<std::pair<std::string, std::string>> entries = {
        {"Driver", kDriverName},
        {"Database", dbFile},
        // The driver waits this long for another connection's lock before it gives up.
        {"Timeout", "5000"},
        {"SyncPragma", "FULL"},
    };
    if (noCreate)
        entries.emplace_back("NoCreat", "1");
    return entries;
}

bool IsSetUp(const Options& options) {
    try {
        const std::string root = Absolute(options.root);
        std::error_code ec;
        if (!fs::is_directory(root, ec))
            return false;
        for (const char* sub : kDataFolders)
            if (!fs::is_directory(paths::Join(root, sub), ec))
                return false;
        const std::string iniFile = Absolute(options.odbcIni);
        const std::string dbFile = Absolute(options.dbFile);
        const auto [dsn, dsnFile] = FindDsn(iniFile);
        if (!dsn)
            return false;
        return dsnFile != iniFile || OwnerOf(dsn, dbFile) != DsnOwner::Setup ||
               fs::exists(dbFile, ec);
    } catch (const Failure&) {
        return false; // setup itself says what is wrong
    }
}

int Run(const Options& options, std::ostream& out, std::ostream& err) {
    try {
        const std::string root = Absolute(options.root);
        const std::string dbFile = Absolute(options.dbFile);
        const std::string iniFile = Absolute(options.odbcIni);
        const std::string dsnName = kDsnName;
        // A catalogue that cannot be read stops setup before anything is written.
        const Lists lists = ReadLists(options.catalogueDir);
        if (lists.skipped > 0)
            out << "Catalogue: " << lists.skipped
                << " rows skipped (no name, no symbol, or not a valid symbol)\n";

        auto [dsn, dsnFile] = FindDsn(iniFile);
        // Setup writes only the user's file; a system-wide data source is always another's.
        const DsnOwner owner = dsnFile == iniFile ? OwnerOf(dsn, dbFile)
                               : dsn              ? DsnOwner::Another
                                                  : DsnOwner::None;

        if (options.useDsn) {
            if (owner == DsnOwner::None)
                throw Failure{"There is no data source " + dsnName + " in " + iniFile +
                              " to use; run koravel-setup without --use-dsn for the SQLite "
                              "default, or with --postgres CONNINFO."};
            ReportFolders(root, out);
            CDatabase db;
            OpenDsn(db, *dsn);
            SetUpThroughDsn(db, *dsn, lists, out);
            out << "Data source " << dsnName << " in " << dsnFile << ": unchanged\n";
            return 0;
        }

        if (!options.postgres.empty()) {
            IniEntries entries;
            std::string error;
            if (!PostgresDsnEntries(options.postgres, entries, error))
                throw Failure{"--postgres: " + error};
            RequireDriver(kPostgresDriverName,
                          "The PostgreSQL ODBC driver is not installed: install the Debian "
                          "package odbc-postgresql (apt-get install odbc-postgresql).");
            if (owner == DsnOwner::Another && !options.replaceDsn &&
                Describe(*dsn) != Describe(entries))
                throw Failure{"The data source " + dsnName + " in " + dsnFile +
                              " already points to " + Describe(*dsn) +
                              "; it is left as it is. Add --replace-dsn to point it at "
                              "PostgreSQL instead."};
            // Nothing is written for a database that cannot be reached.
            CDatabase db;
            OpenDsn(db, entries);
            ReportFolders(root, out);
            SetUpThroughDsn(db, entries, lists, out);
            db.Close();
            const bool otherDriver = owner != DsnOwner::None &&
                                     !text::IEquals(IniValue(*dsn, "Driver"), kPostgresDriverName);
            const bool written = WriteDsn(iniFile, entries, otherDriver || options.replaceDsn);
            out << "Data source " << dsnName << " in " << iniFile << ": "
                << (written ? "written" : "unchanged") << "\n";
            return 0;
        }

        if (owner == DsnOwner::Another && !options.replaceDsn) {
            ReportFolders(root, out);
            out << "Data source " << dsnName << " in " << dsnFile
                << ": left as it is; it points to " << Describe(*dsn) << ", not to " << dbFile
                << ".\n"
                << "  To create the tables and load the catalogue there: koravel-setup --use-dsn\n"
                << "  To point it at " << dbFile << " instead: koravel-setup --replace-dsn\n";
            return 0;
        }

        // Nothing is touched on a machine that cannot run the program.
        RequireDriver(kDriverName, kDriverMissing);
        ReportFolders(root, out);

        std::error_code ec;
        const bool existed = fs::exists(dbFile, ec);
        CDatabase db;
        OpenDatabase(db, dbFile);
        const DatabaseReport report = FillDatabase(db, dbFile, lists);
        db.Close();
        PrintReport(out, dbFile, existed ? "opened" : "created", report);

        const bool noCreat = DriverHonoursNoCreat(fs::path(dbFile).parent_path().string());
        const bool written =
            WriteDsn(iniFile, DsnEntries(dbFile, noCreat), owner == DsnOwner::Another);
        out << "Data source " << dsnName << " in " << iniFile << ": "
            << (written ? "written" : "unchanged") << "\n";
        if (!noCreat)
            out << "Note: this SQLite ODBC driver creates a missing database file on connect.\n";
        return 0;
    } catch (const Failure& f) {
        err << "koravel-setup: " << f.message << "\n";
        return 1;
    } catch (const CDBException& e) {
        err << "koravel-setup: " << e.m_strError << "\n";
        return 1;
    }
}

} // namespace setup
