#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/odbc/db_exception.h"
#include "platform/odbc/sql_dialect.h"

namespace odbc::detail {
struct DatabaseAccess;
}

// One connection to an ODBC data source. Failures throw CDBException with the driver's text.
class CDatabase {
public:
    CDatabase();
    virtual ~CDatabase();
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Connects with "ODBC;DSN=CompanyList" or any ODBC connection string
    // ("DRIVER=SQLite3;Database=/path/file.db"). An open database is closed first.
    // Returns true; a failure throws.
    bool Open(std::string_view connect);
    // Rolls back an unfinished transaction, then disconnects.
    void Close();
    bool IsOpen() const;

    // The connect text as given to Open.
    const std::string& GetConnect() const;
    // The engine behind the connection decides how statements are rewritten.
    odbc::SqlDialect Dialect() const;
    // The engine's name as the driver reports it ("SQLite", "PostgreSQL").
    const std::string& DbmsName() const;

    // Runs a statement that returns no rows; the text goes through the dialect step.
    void ExecuteSQL(std::string_view sql);

    // Autocommit is on outside a transaction. While one is open the SQLite driver holds the
    // write lock, so keep transactions short.
    bool CanTransact() const;
    bool BeginTrans();
    bool CommitTrans();
    bool Rollback();
    bool InTransaction() const;
    // Inside a transaction: other connections may still read the table but wait to write
    // it until the transaction ends, so two rewrites of one table never interleave.
    void LockTable(std::string_view table);

    // Rolls back unless Commit() was called. Must not outlive the database.
    class Transaction final {
    public:
        explicit Transaction(CDatabase& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

    private:
        CDatabase& m_db;
        bool m_bDone = false;
    };

private:
    friend struct odbc::detail::DatabaseAccess;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

namespace odbc {

// Names of the drivers the driver manager knows (the sections of odbcinst.ini).
std::vector<std::string> InstalledDrivers();

} // namespace odbc
