#include "platform/odbc/database.h"

#include <cctype>
#include <utility>

#include "platform/base/text.h"
#include "platform/odbc/odbc_internal.h"

using odbc::detail::Check;
using odbc::detail::Handle;

struct CDatabase::Impl {
    std::shared_ptr<Handle> env;
    Handle dbc;
    bool connected = false;
    bool inTransaction = false;
    odbc::SqlDialect dialect = odbc::SqlDialect::Standard;
    std::string dbmsName;
    std::string connect;
};

namespace odbc::detail {

struct DatabaseAccess {
    static SQLHDBC Connection(const CDatabase& db) {
        if (!db.m_impl->connected)
            throw CDBException(CDBException::kNotOpen, "The database is not open.");
        return db.m_impl->dbc.get();
    }
};

SQLHDBC ConnectionHandle(const CDatabase& db) {
    return DatabaseAccess::Connection(db);
}

} // namespace odbc::detail

namespace {

std::string GetInfoText(const Handle& dbc, SQLUSMALLINT info) {
    char buffer[256] = {};
    SQLSMALLINT length = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(dbc.get(), info, buffer, sizeof buffer, &length)))
        return {};
    return buffer;
}

void SetAutocommit(const Handle& dbc, bool on) {
    const auto value = reinterpret_cast<SQLPOINTER>(
        static_cast<SQLULEN>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF));
    Check(SQLSetConnectAttr(dbc.get(), SQL_ATTR_AUTOCOMMIT, value, SQL_IS_UINTEGER), dbc);
}

} // namespace

CDatabase::CDatabase() : m_impl(std::make_unique<Impl>()) {}

CDatabase::~CDatabase() {
    try {
        Close();
    } catch (...) {
        // Nothing useful can be done about a failed disconnect here.
    }
}

bool CDatabase::Open(std::string_view connect) {
    Close();
    std::string_view text = connect;
    if (text::StartsWith(text::ToUpperAscii(text.substr(0, 5)), "ODBC;"))
        text.remove_prefix(5);
    if (text::Trim(text).empty())
        throw CDBException(CDBException::kBadUsage, "No data source was named to connect to.");

    auto env = odbc::detail::Environment();
    Handle dbc(SQL_HANDLE_DBC, env->get());
    const std::string connectString(text);
    SQLCHAR completed[1024];
    SQLSMALLINT completedLength = 0;
    const SQLRETURN rc = SQLDriverConnect(
        dbc.get(), nullptr, reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectString.c_str())),
        SQL_NTS, completed, sizeof completed, &completedLength, SQL_DRIVER_NOPROMPT);
    Check(rc, dbc);

    m_impl->env = std::move(env);
    m_impl->dbc = std::move(dbc);
    m_impl->connected = true;
    m_impl->inTransaction = false;
    m_impl->connect = std::string(connect);
    m_impl->dbmsName = GetInfoText(m_impl->dbc, SQL_DBMS_NAME);
    m_impl->dialect = odbc::DialectOfDbms(m_impl->dbmsName);
    if (const char* setting = odbc::Rules(m_impl->dialect).onConnect) {
        try {
            ExecuteSQL(setting);
        } catch (...) {
            Close();
            throw;
        }
    }
    return true;
}

void CDatabase::Close() {
    if (!m_impl->connected)
        return;
    if (m_impl->inTransaction) {
        SQLEndTran(SQL_HANDLE_DBC, m_impl->dbc.get(), SQL_ROLLBACK);
        m_impl->inTransaction = false;
    }
    SQLDisconnect(m_impl->dbc.get());
    m_impl->connected = false;
    m_impl->dbc.reset();
    m_impl->env.reset();
}

bool CDatabase::IsOpen() const {
    return m_impl->connected;
}

const std::string& CDatabase::GetConnect() const {
    return m_impl->connect;
}

odbc::SqlDialect CDatabase::Dialect() const {
    return m_impl->dialect;
}

const std::string& CDatabase::DbmsName() const {
    return m_impl->dbmsName;
}

void CDatabase::LockTable(std::string_view table) {
    odbc::detail::ConnectionHandle(*this);
    if (!m_impl->inTransaction)
        throw CDBException(CDBException::kBadUsage, "A table is locked only inside a transaction.");
    const char* lock = odbc::Rules(m_impl->dialect).lockTable;
    if (!lock)
        return;
    for (const char c : table)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '[' || c == ']'))
            throw CDBException(CDBException::kBadUsage, "Not a table name: " + std::string(table));
    std::string statement(lock);
    statement.replace(statement.find("%s"), 2, table);
    ExecuteSQL(statement);
}

void CDatabase::ExecuteSQL(std::string_view sql) {
    Handle stmt(SQL_HANDLE_STMT, odbc::detail::ConnectionHandle(*this));
    const std::string text = odbc::TranslateSql(sql, m_impl->dialect);
    const SQLRETURN rc =
        SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())),
                      static_cast<SQLINTEGER>(text.size()));
    // A searched DELETE or UPDATE that matches no row answers SQL_NO_DATA.
    if (rc != SQL_NO_DATA)
        Check(rc, stmt);
}

bool CDatabase::CanTransact() const {
    if (!m_impl->connected)
        return false;
    SQLUSMALLINT capable = SQL_TC_NONE;
    SQLGetInfo(m_impl->dbc.get(), SQL_TXN_CAPABLE, &capable, sizeof capable, nullptr);
    return capable != SQL_TC_NONE;
}

bool CDatabase::BeginTrans() {
    odbc::detail::ConnectionHandle(*this);
    if (m_impl->inTransaction)
        throw CDBException(CDBException::kBadUsage, "A transaction is already open.");
    SetAutocommit(m_impl->dbc, false);
    m_impl->inTransaction = true;
    return true;
}

bool CDatabase::CommitTrans() {
    odbc::detail::ConnectionHandle(*this);
    if (!m_impl->inTransaction)
        throw CDBException(CDBException::kBadUsage, "No transaction is open.");
    // A failed commit leaves the transaction open, for Rollback.
    Check(SQLEndTran(SQL_HANDLE_DBC, m_impl->dbc.get(), SQL_COMMIT), m_impl->dbc);
    m_impl->inTransaction = false;
    SetAutocommit(m_impl->dbc, true);
    return true;
}

bool CDatabase::Rollback() {
    odbc::detail::ConnectionHandle(*this);
    if (!m_impl->inTransaction)
        throw CDBException(CDBException::kBadUsage, "No transaction is open.");
    m_impl->inTransaction = false;
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, m_impl->dbc.get(), SQL_ROLLBACK);
    SetAutocommit(m_impl->dbc, true);
    Check(rc, m_impl->dbc);
    return true;
}

bool CDatabase::InTransaction() const {
    return m_impl->inTransaction;
}

CDatabase::Transaction::Transaction(CDatabase& db) : m_db(db) {
    m_db.BeginTrans();
}

CDatabase::Transaction::~Transaction() {
    if (m_bDone || !m_db.IsOpen() || !m_db.InTransaction())
        return;
    try {
        m_db.Rollback();
    } catch (...) {
        // The connection is unusable; closing it drops the transaction anyway.
    }
}

void CDatabase::Transaction::Commit() {
    m_db.CommitTrans();
    m_bDone = true;
}

namespace odbc {

std::vector<std::string> InstalledDrivers() {
    std::vector<std::string> names;
    auto env = detail::Environment();
    SQLCHAR name[256];
    SQLCHAR attributes[1024];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT attributesLength = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDrivers(env->get(), direction, name, sizeof name, &nameLength,
                                    attributes, sizeof attributes, &attributesLength))) {
        names.emplace_back(reinterpret_cast<const char*>(name));
        direction = SQL_FETCH_NEXT;
    }
    return names;
}

} // namespace odbc
