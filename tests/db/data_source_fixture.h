#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/odbc/database.h"

// A fresh data source "CompanyList", made by koravel-setup's library, for every test. The
// driver manager caches odbc.ini entries for a while, so the odbc.ini file and the database
// path stay the same for the whole test program; each test starts from a new database file.
class DataSourceTest : public ::testing::Test {
protected:
    void SetUp() override;

    static const std::string& DatabaseFile();

    // Rows of a table matching a condition, counted on the test's own connection.
    long Count(const std::string& table, const std::string& where = "1=1");

    CDatabase m_db; // connected to the data source
};
