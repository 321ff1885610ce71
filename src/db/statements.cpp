#include "db/statements.h"

#include <cstdio>

#include "platform/odbc/sql_dialect.h"

namespace db {

namespace {

std::string Quoted(std::string_view value) {
    return "'" + odbc::SqlEscape(value) + "'";
}

template <class T> std::string Format(const char* format, T value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

} // namespace

std::string SqlFilterNseCompanies(std::string_view text) {
    return "COMPNAME LIKE '%" + odbc::SqlEscape(text) + "%' AND (NSENAME<>NULL AND NSENAME<>'')";
}

std::string SqlFilterBseCompanies(std::string_view text) {
    return "COMPNAME LIKE '%" + odbc::SqlEscape(text) + "%' AND (BSENAME<>NULL AND BSENAME<>'')";
}

std::string SqlFilterListedOn(bool nse) {
    return nse ? "NSENAME<>NULL AND NSENAME<>''" : "BSENAME<>NULL AND BSENAME<>''";
}

std::string SqlFilterNseName(std::string_view symbol) {
    return "NSENAME=" + Quoted(symbol);
}

std::string SqlFilterBseName(std::string_view symbol) {
    return "BSENAME=" + Quoted(symbol);
}

std::string SqlDeleteAllWatch() {
    return "DELETE * FROM SelectedComp2Watch";
}

std::string SqlFilterWatchSymbol(std::string_view symbol) {
    return "INDEXNAME=" + Quoted(symbol);
}

std::string SqlFilterWatchNse() {
    return "INDEX='NSE'";
}

std::string SqlFilterLotsOfBroker(long brokerId) {
    return "BROKERID=" + Format("%ld", brokerId);
}

std::string SqlDeleteBroker(long brokerId) {
    return "DELETE FROM BROKERLIST WHERE BROKERID=" + Format("%ld", brokerId);
}

std::string SqlFilterBrokerName(std::string_view name) {
    return "BROKERNAME=" + Quoted(name);
}

std::string SqlDeleteLots(std::string_view symbol, int deliveryType) {
    return "DELETE FROM PROFILELIST WHERE INDEXNAME=" + Quoted(symbol) +
           " AND DELIVERYTYPE=" + Format("%d", deliveryType);
}

std::string SqlFilterLots(std::string_view symbol, int deliveryType) {
    return "INDEXNAME=" + Quoted(symbol) + " AND DELIVERYTYPE=" + Format("%d", deliveryType);
}

std::string SqlDeleteSelectedFuture(std::string_view symbol) {
    return "DELETE FROM SelectedFuture WHERE Symbol=" + Quoted(symbol);
}

} // namespace db
