#include "db/operations.h"

namespace db {

bool RunReported(const ErrorReporter& report, const std::function<bool()>& operation) {
    try {
        return operation();
    } catch (const CDBException& e) {
        if (report)
            report(e.m_strError);
        return false;
    }
}

} // namespace db
