#pragma once

#include <string>
#include <string_view>

namespace odbc {

// The database engines behind a connection. The program writes its statements the way
// desktop databases take them ("DELETE * FROM", "X<>NULL", [bracketed] names, a column
// named INDEX, LIKE without regard to case); a connection to a known engine rewrites them
// before they reach the driver. Standard is an engine we know nothing about: statements go
// as written.
enum class SqlDialect {
    Standard,
    Sqlite,
    PostgreSql,
};

// The kinds of column the program's tables hold, for creating them.
enum class ColumnType {
    Counter, // numbered by the database on insert, the table's key
    Text,    // up to 255 characters
    Long,    // 32-bit integer
    Short,   // small integer
    Double,
};

// What the program needs to know about one engine. Adding an engine is one more entry in
// the table behind Rules(), and a test of its translations.
struct EngineRules {
    SqlDialect dialect;
    const char* name;     // for messages
    const char* dbmsName; // found (case-insensitively) in the DBMS name the driver reports
    // A bracketed name, or a reserved word used as a name, becomes quoteOpen + name +
    // quoteClose. An engine that folds unquoted names to lower case gets quoted names in
    // lower case, so [COMPNAME] and a bare COMPNAME mean the same column.
    const char* quoteOpen;
    const char* quoteClose;
    bool lowerCaseQuotedNames;
    // LIKE becomes this comparison, which must ignore case as the program expects; the
    // suffix follows a literal pattern (to turn off an escape character the engine would
    // otherwise give the backslash).
    const char* like;
    const char* likePatternSuffix;
    // The column that numbers the rows of a table without a counter of its own, in
    // insertion order; recordsets find such rows again by it. rowKeyDefinition is how
    // setup adds it to a table (nullptr when the engine has it built in).
    const char* rowKey;
    const char* rowKeyDefinition;
    // How an inserted row is read back with the counter the database gave it: true for
    // "INSERT ... RETURNING <columns>"; otherwise a SELECT with lastInsertedWhere.
    bool insertReturning;
    const char* lastInsertedWhere;
    // Keeps other connections from writing the table (%s) until the transaction ends while
    // they may still read it; nullptr when the first write in a transaction does that.
    const char* lockTable;
    // Run after connecting; nullptr for none.
    const char* onConnect;
    // One column of table names: the tables of the database the connection works in.
    const char* tableNamesQuery;
    // Column types by ColumnType, for CREATE TABLE.
    const char* columnTypes[5];
};

const EngineRules& Rules(SqlDialect dialect);

// The engine whose dbmsName the driver's DBMS name contains; Standard when none does.
SqlDialect DialectOfDbms(std::string_view dbmsName);

// Rewrites a statement for the engine: "DELETE * FROM" becomes "DELETE FROM", "x<>NULL" /
// "x=NULL" become "x IS NOT NULL" / "x IS NULL" (outside an UPDATE's SET list), bracketed
// names and the bare word INDEX used as a name are quoted the engine's way, and LIKE
// becomes the engine's case-blind comparison. Text inside string literals, double-quoted
// names and comments is never touched. Standard returns the text as it is.
std::string TranslateSql(std::string_view sql, SqlDialect dialect);

// The table a simple SELECT reads: the one name after its FROM when only WHERE, ORDER BY,
// LIMIT or the end follow it. Empty for joins, groups and sub-selects, whose rows cannot be
// traced back to one row of one table.
std::string TableOfSelect(std::string_view select);

// Doubles every single quote, so the value can stand between quotes in a statement.
// A value with a NUL character cannot be put into a statement at all (the driver would end
// the statement there): CDBException.
std::string SqlEscape(std::string_view value);

} // namespace odbc
