#pragma once

#include <exception>
#include <string>

// A failure of the data source or of a recordset operation. m_strError is what the user is
// shown: the driver's own message (without the "[vendor][component]" tags, which go to
// m_strStateNativeOrigin), or the framework's text for a misuse such as moving past the end.
class CDBException : public std::exception {
public:
    // Return codes of failures the framework detects itself (the driver's are SQL_ERROR etc.).
    enum : int {
        kNoCurrentRecord = 1000,
        kScrollPastEnd,
        kReadOnly,
        kNoEditMode,
        kNoRowsAffected,
        kNotOpen,
        kBadUsage,
        kBadValue, // a value the data source cannot store as it is
    };

    CDBException(int retCode, std::string error, std::string stateNativeOrigin = {});

    const char* what() const noexcept override { return m_strError.c_str(); }

    int m_nRetCode;
    std::string m_strError;
    // One "State:...,Native:...,Origin:..." line per diagnostic record.
    std::string m_strStateNativeOrigin;
};
