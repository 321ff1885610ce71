#pragma once

#include <string>
#include <vector>

#include "platform/odbc/sql_dialect.h"

class CDatabase;

namespace setup {

struct TableDefinition {
    std::string name;
    std::string create; // CREATE TABLE IF NOT EXISTS ..., in the engine's types
    bool hasCounter;    // false: rows are told apart by the engine's row number
};

// The six tables of the data source, columns in binding order, in the engine's types.
// Counters never give a deleted row's number out again; on an engine without a built-in row
// number, a table without a counter gets one as a last column.
std::vector<TableDefinition> Tables(odbc::SqlDialect dialect);

struct SchemaChanges {
    std::vector<std::string> created; // tables
    std::vector<std::string> rowKeys; // existing tables that were given the row number
};

// Creates the tables that are missing and gives existing tables the engine's row number
// where it must be added. Never drops or rewrites a row. Throws CDBException.
SchemaChanges CreateTables(CDatabase& db);

// Opens each table through its recordset class, so a table left by another program with
// other columns is found now rather than by the program. Throws CDBException.
void CheckTables(CDatabase& db);

} // namespace setup
