#include "platform/odbc/odbc_internal.h"

#include <string>
#include <utility>
#include <vector>

#include "platform/odbc/db_exception.h"

namespace odbc::detail {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type) {
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (!SQL_SUCCEEDED(rc)) {
        m_handle = SQL_NULL_HANDLE;
        if (type == SQL_HANDLE_ENV)
            throw CDBException(rc, "The ODBC environment could not be created.");
        ThrowDiagnostics(rc, type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC, parent);
    }
}

Handle::Handle(Handle&& other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr)) {}

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        reset();
        m_type = other.m_type;
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

void Handle::reset() {
    if (m_handle != SQL_NULL_HANDLE)
        SQLFreeHandle(m_type, m_handle);
    m_handle = SQL_NULL_HANDLE;
}

std::shared_ptr<Handle> Environment() {
    static const std::shared_ptr<Handle> env = [] {
        auto h = std::make_shared<Handle>(SQL_HANDLE_ENV, SQLHANDLE{});
        const SQLRETURN rc = SQLSetEnvAttr(h->get(), SQL_ATTR_ODBC_VERSION,
                                           reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        Check(rc, *h);
        return h;
    }();
    return env;
}

void SplitOrigin(std::string_view message, std::string_view& origin, std::string_view& text) {
    std::size_t end = 0;
    while (end < message.size() && message[end] == '[') {
        const std::size_t close = message.find(']', end);
        if (close == std::string_view::npos)
            break;
        end = close + 1;
    }
    origin = message.substr(0, end);
    text = message.substr(end);
}

void ThrowDiagnostics(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    std::string error;
    std::string stateNativeOrigin;
    for (SQLSMALLINT record = 1; handle != SQL_NULL_HANDLE; ++record) {
        SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::vector<SQLCHAR> message(512);
        SQLRETURN r = SQLGetDiagRec(type, handle, record, state, &native, message.data(),
                                    static_cast<SQLSMALLINT>(message.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
            message.resize(static_cast<std::size_t>(length) + 1);
            r = SQLGetDiagRec(type, handle, record, state, &native, message.data(),
                              static_cast<SQLSMALLINT>(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(r))
            break;
        const std::string_view full(reinterpret_cast<const char*>(message.data()));
        std::string_view origin;
        std::string_view text;
        SplitOrigin(full, origin, text);
        if (!error.empty())
            error += '\n';
        error += text;
        stateNativeOrigin += "State:";
        stateNativeOrigin += reinterpret_cast<const char*>(state);
        stateNativeOrigin += ",Native:" + std::to_string(native) + ",Origin:";
        stateNativeOrigin += origin;
        stateNativeOrigin += '\n';
    }
    if (error.empty())
        error = rc == SQL_INVALID_HANDLE ? "Invalid ODBC handle."
                                         : "The data source reported an error without a message.";
    throw CDBException(rc, std::move(error), std::move(stateNativeOrigin));
}

} // namespace odbc::detail
