#include "setup/setup.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "db/operations.h"
#include "db/recordsets.h"
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

void MakeFolder(const std::string& path) {
    std::string error;
    if (!paths::MakeDirs(path, &error))
        throw Failure{"Cannot create the folder " + path + ": " + error};
    if (!Writable(path))
        throw Failure{"The folder " + path + " is not writable."};
}

// Creates the data root and its sub-folders; returns those it created.
std::vector<std::string> MakeDataFolders(const std::string& root) {
    std::vector<std::string> created;
    const char* const subs[] = {paths::kEodData,       paths::kIntraDay,    paths::kLiveData,
                                paths::kWatchListData, paths::kProfileData, paths::kToppersData};
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        created.push_back(root);
    MakeFolder(root);
    for (const char* sub : subs) {
        const std::string path = paths::Join(root, sub);
        if (!fs::is_directory(path, ec))
            created.push_back(sub);
        MakeFolder(path);
    }
    return created;
}

void RequireDriver() {
    for (const std::string& name : odbc::InstalledDrivers())
        if (text::IEquals(name, kDriverName))
            return;
    throw Failure{kDriverMissing};
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

// Writes the data source section; returns false when the file already said the same.
bool WriteDsn(const std::string& iniFile, const std::string& dbFile, bool noCreat) {
    std::error_code ec;
    // Edit the file a link points to, not the link.
    std::string target = iniFile;
    if (fs::is_symlink(iniFile, ec)) {
        const fs::path resolved = fs::weakly_canonical(iniFile, ec);
        if (!ec)
            target = resolved.string();
    }
    const bool exists = fs::exists(target, ec);
    std::string old;
    if (exists) {
        std::ifstream in(target, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        if (!in)
            throw Failure{"Cannot read the data source file " + target + "."};
        old = ss.str();
    }
    const std::string updated = UpdateIniSection(old, kDsnName, DsnEntries(dbFile, noCreat));
    if (exists && updated == old)
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
    if (exists)
        fs::permissions(temp, fs::status(target, ec).permissions(), ec);
    fs::rename(temp, target, ec);
    if (ec) {
        fs::remove(temp, ec);
        throw Failure{"Cannot write the data source file " + target + "."};
    }
    return true;
}

std::string JoinNames(const std::vector<std::string>& names) {
    return text::Join(names, ", ");
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
        std::string* target = nullptr;
        std::string value;
        bool matched = false;
        for (auto [name, field] : {std::pair{"--root", &o.root}, std::pair{"--db", &o.dbFile},
                                   std::pair{"--odbcini", &o.odbcIni}}) {
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
    if (o.root.empty())
        o.root = paths::DataRoot();
    if (o.dbFile.empty())
        o.dbFile = paths::Join(o.root, "CompanyList.db");
    if (o.odbcIni.empty()) {
        const char* env = std::getenv("ODBCINI");
        o.odbcIni = env && *env ? env : paths::Join(paths::HomeDir(), ".odbc.ini");
    }
    options = o;
    return true;
}

std::string Usage() {
    return "Usage: koravel-setup [--root DIR] [--db FILE] [--odbcini FILE]\n"
           "Creates the data folders, the database with its tables and the company catalogue,\n"
           "and the ODBC data source CompanyList. Running it again keeps every row.\n"
           "  --root DIR      data folder (default $KORAVEL_ROOT or ~/Koravel)\n"
           "  --db FILE       database file (default DIR/CompanyList.db)\n"
           "  --odbcini FILE  user data source file (default $ODBCINI or ~/.odbc.ini)\n";
}

LoadCounts LoadCatalogue(CDatabase& db, const std::vector<catalogue::Company>& companies,
                         const std::vector<catalogue::Future>& futures) {
    LoadCounts counts;
    CDatabase::Transaction transaction(db);

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

int Run(const Options& options, std::ostream& out, std::ostream& err) {
    try {
        const std::string root = Absolute(options.root);
        const std::string dbFile = Absolute(options.dbFile);
        const std::string iniFile = Absolute(options.odbcIni);

        // Nothing is touched on a machine that cannot run the program.
        RequireDriver();
        const std::vector<std::string> folders = MakeDataFolders(root);
        out << "Data folder " << root << ": "
            << (folders.empty() ? "all folders present" : "created " + JoinNames(folders)) << "\n";

        std::error_code ec;
        const bool existed = fs::exists(dbFile, ec);
        CDatabase db;
        OpenDatabase(db, dbFile);
        std::vector<std::string> tables;
        LoadCounts counts;
        try {
            tables = CreateTables(db);
            CheckTables(db);
            counts = LoadCatalogue(db, catalogue::Companies(), catalogue::Futures());
        } catch (const CDBException& e) {
            throw Failure{"Cannot set up the database " + dbFile + ": " + e.m_strError};
        }
        db.Close();
        out << "Database " << dbFile << ": " << (existed ? "opened" : "created") << "; "
            << (tables.empty() ? "all tables present" : "created tables " + JoinNames(tables))
            << "\n";
        out << "Catalogue: " << counts.companiesAdded << " companies added, "
            << counts.companiesPresent << " already present; " << counts.futuresAdded
            << " futures added, " << counts.futuresPresent << " already present\n";

        const bool noCreat = DriverHonoursNoCreat(fs::path(dbFile).parent_path().string());
        const bool written = WriteDsn(iniFile, dbFile, noCreat);
        out << "Data source " << kDsnName << " in " << iniFile << ": "
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
