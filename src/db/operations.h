#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/odbc/recordset.h"

// The ways the program reads and writes its tables, shared by every window.
namespace db {

// Shows a database error's text to the user; the windows bind it to a message box.
using ErrorReporter = std::function<void(const std::string& error)>;

// Runs one database operation. A CDBException ends it and its text goes to report; an
// operation that returns false (its open failed) ends silently. True when it ran through.
bool RunReported(const ErrorReporter& report, const std::function<bool()>& operation);
// The same for an operation with no way of ending early.
template <class Operation>
requires std::is_void_v<std::invoke_result_t<Operation&>>
bool RunReported(const ErrorReporter& report, Operation operation) {
    return RunReported(report, std::function<bool()>([&operation] {
                           operation();
                           return true;
                       }));
}

// Closes the recordset when the scope ends, also when an exception leaves it.
template <class Set> class CloseOnExit final {
public:
    explicit CloseOnExit(Set& rs) : m_rs(rs) {}
    ~CloseOnExit() {
        try {
            m_rs.Close();
        } catch (...) {
            // The exception already on its way says more than this one would.
        }
    }
    CloseOnExit(const CloseOnExit&) = delete;
    CloseOnExit& operator=(const CloseOnExit&) = delete;

private:
    Set& m_rs;
};

// Copies every row of an open recordset in the order the data source returns them: move to
// the first row if there is one, then copy and move on while the count of rows copied is
// below the record count, which grows as rows are visited.
template <class Set, class Copy> auto ReadAllRows(Set& rs, Copy copy) {
    std::vector<std::invoke_result_t<Copy&, Set&>> rows;
    if (!(rs.IsBOF() && rs.IsEOF()))
        rs.MoveFirst();
    for (long n = 0; n < rs.GetRecordCount(); ++n) {
        rows.push_back(copy(rs));
        rs.MoveNext();
    }
    return rows;
}

// Opens the recordset with no filter and no sort, adds one row whose columns fill sets,
// and closes it. False when the open failed.
template <class Set, class Fill> bool AddRow(Set& rs, Fill fill) {
    if (rs.IsOpen())
        rs.Close();
    rs.m_strFilter.clear();
    rs.m_strSort.clear();
    if (!rs.Open())
        return false;
    CloseOnExit<Set> closer(rs);
    rs.AddNew();
    fill(rs);
    rs.Update();
    return true;
}

// Opens the recordset with the filter and changes the first row it selects; closes it.
// False when no row was selected or the open failed.
template <class Set, class Fill> bool ChangeFirstRow(Set& rs, std::string filter, Fill fill) {
    if (rs.IsOpen())
        rs.Close();
    rs.m_strFilter = std::move(filter);
    rs.m_strSort.clear();
    if (!rs.Open())
        return false;
    CloseOnExit<Set> closer(rs);
    if (rs.IsEOF())
        return false;
    rs.Edit();
    fill(rs);
    rs.Update();
    return true;
}

} // namespace db
