#pragma once

#include <string>
#include <vector>

class CDatabase;

namespace setup {

struct TableDefinition {
    std::string name;
    std::string create; // CREATE TABLE IF NOT EXISTS ...
};

// The six tables of the data source, columns in binding order. Counters are
// INTEGER PRIMARY KEY AUTOINCREMENT, so a deleted row's number is never given out again.
const std::vector<TableDefinition>& Tables();

// Creates the tables that are missing; returns the names of those it created.
std::vector<std::string> CreateTables(CDatabase& db);

// Opens each table through its recordset class, so a table left by another program with
// other columns is found now rather than by the program. Throws CDBException.
void CheckTables(CDatabase& db);

} // namespace setup
