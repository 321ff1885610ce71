#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/odbc/database.h"

// A fresh data source "CompanyList", made by koravel-setup's library, for every test. The
// engine behind it is SQLite, or PostgreSQL when KORAVEL_TEST_ENGINE=postgresql: then the
// database is the one the PG* variables name (the PostgreSQL run of the suites starts a
// throwaway server and sets them). The driver manager caches odbc.ini entries for a while,
// so the odbc.ini file and the data source stay the same for the whole test program; each
// test starts from new tables.
class DataSourceTest : public ::testing::Test {
protected:
    void SetUp() override;

    // Whether the tests run on PostgreSQL.
    static bool OnPostgres();

    // Rows of a table matching a condition, counted on the test's own connection.
    long Count(const std::string& table, const std::string& where = "1=1");

    CDatabase m_db; // connected to the data source
};

namespace testsupport {

// The PostgreSQL connection the PG* variables describe, in libpq's keyword=value form; empty
// when they name none.
std::string PostgresConnInfo();

} // namespace testsupport
