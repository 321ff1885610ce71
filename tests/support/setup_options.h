#pragma once

#include <string>

#include "setup/setup.h"
#include "support/temp_dir.h"

namespace testsupport {

// What koravel-setup is told to make a data source inside a temporary folder: the data root
// `rootName` there, its database file in it, and the folder's own odbc.ini.
inline setup::Options SetupOptionsIn(const TempDir& dir, const std::string& rootName) {
    setup::Options o;
    o.root = dir.file(rootName);
    o.dbFile = dir.file(rootName + "/CompanyList.db");
    o.odbcIni = dir.file("odbc.ini");
    return o;
}

} // namespace testsupport
