#pragma once

// Shared by the ODBC classes only; product code includes database.h and recordset.h.

#include <memory>
#include <string_view>

#include <sql.h>
#include <sqlext.h>

class CDatabase;

namespace odbc::detail {

// Owns one ODBC handle and frees it.
class Handle final {
public:
    Handle() = default;
    // Allocates a handle of the type under the parent; throws CDBException on failure.
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle() { reset(); }
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }
    void reset();

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// The process-wide ODBC 3 environment, created on first use. Every connection keeps a
// reference, so the environment outlives the last connection even at process exit.
std::shared_ptr<Handle> Environment();

// Throws CDBException built from the handle's diagnostic records.
[[noreturn]] void ThrowDiagnostics(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle);

// Throws unless rc is SQL_SUCCESS or SQL_SUCCESS_WITH_INFO.
inline void Check(SQLRETURN rc, const Handle& h) {
    if (!SQL_SUCCEEDED(rc))
        ThrowDiagnostics(rc, h.type(), h.get());
}

// The connection handle of an open database (throws when it is closed).
SQLHDBC ConnectionHandle(const CDatabase& db);

// Splits the "[vendor][component]" tags off the front of a diagnostic message.
void SplitOrigin(std::string_view message, std::string_view& origin, std::string_view& text);

} // namespace odbc::detail
