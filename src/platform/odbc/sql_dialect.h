#pragma once

#include <string>
#include <string_view>

namespace odbc {

// The SQL forms a connection understands. The program writes its statements the way
// desktop databases take them ("DELETE * FROM", "X<>NULL", a column named INDEX); a
// connection to another engine rewrites them before they reach the driver.
enum class SqlDialect {
    Standard, // sent as written
    Sqlite,
};

// Rewrites a statement for the dialect. For SQLite: "DELETE * FROM" becomes "DELETE FROM",
// "x<>NULL" / "x=NULL" become "x IS NOT NULL" / "x IS NULL" (outside an UPDATE's SET list),
// and the bare word INDEX used as a name becomes [INDEX]. Text inside string literals,
// quoted or bracketed names and comments is never touched.
std::string TranslateSql(std::string_view sql, SqlDialect dialect);

// The table a simple SELECT reads: the one name after its FROM when only WHERE, ORDER BY,
// LIMIT or the end follow it. Empty for joins, groups and sub-selects, whose rows cannot be
// traced back to one row of one table.
std::string TableOfSelect(std::string_view select);

// Doubles every single quote, so the value can stand between quotes in a statement.
std::string SqlEscape(std::string_view value);

} // namespace odbc
