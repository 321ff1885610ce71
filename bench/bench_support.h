#pragma once

// What the benchmarks of the program's windows share: a headless screen, an event loop run
// until a condition holds, and a data source of their own.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "setup/setup.h"
#include "support/setup_options.h"
#include "support/temp_dir.h"

namespace benchsupport {

// Headless, unless the caller named a platform.
inline void OffscreenUnlessChosen() {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the event loop until done() holds or `ms` pass. Unlike the tests' WaitUntil it never
// sleeps, so it adds nothing to the time it is part of.
inline bool Wait(const std::function<bool()>& done, int ms = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Makes the data source "CompanyList" the process uses: its data root `rootName` and its
// odbc.ini in the folder (ODBCINI points there), even where the system names a shared
// CompanyList. False, with setup's message on stderr, when that fails.
inline bool MakeDataSource(const testsupport::TempDir& dir, const std::string& rootName) {
    setup::Options o = testsupport::SetupOptionsIn(dir, rootName);
    setenv("ODBCINI", o.odbcIni.c_str(), 1);
    o.replaceDsn = true;
    std::ostringstream out, err;
    if (setup::Run(o, out, err) == 0)
        return true;
    std::fprintf(stderr, "%s", err.str().c_str());
    return false;
}

} // namespace benchsupport
