#pragma once

#include <cstdint>
#include <string>

#include "platform/odbc/recordset.h"

// The recordset classes of the six tables of the data source "CompanyList". Each binds its
// columns in the table's column order; without a database object each opens its own
// connection.

namespace db {

// The connect text of every recordset class.
inline constexpr const char* kDefaultConnect = "ODBC;DSN=CompanyList";

// What the recordsets of the data source share: its connection, one table, the number of
// columns bound and the default type.
class TableRecordset : public CRecordset {
public:
    std::string GetDefaultConnect() override;
    std::string GetDefaultSQL() override;

protected:
    TableRecordset(CDatabase* pDatabase, const char* table, int fields, unsigned defaultType);

private:
    const char* m_table;
};

} // namespace db

// CompanyList: the catalogue of listed companies. BSENAME/NSENAME are null or empty when the
// company is not listed on that exchange.
class CCompanyListset final : public db::TableRecordset {
public:
    explicit CCompanyListset(CDatabase* pDatabase = nullptr);
    void DoFieldExchange(CFieldExchange* pFX) override;

    std::string m_COMPNAME;
    std::string m_BSENAME;
    std::string m_NSENAME;
};

// SelectedComp2Watch: the watch list, one row per company and exchange, in list order.
class CSelCompanyListset final : public db::TableRecordset {
public:
    explicit CSelCompanyListset(CDatabase* pDatabase = nullptr);
    void DoFieldExchange(CFieldExchange* pFX) override;

    std::int32_t m_ID = 0;
    std::string m_COMPNAME;
    std::string m_INDEX; // "NSE" or "BSE"
    std::string m_INDEXNAME;
    int m_ALERTSETTING = 0;
    double m_LOWERLIMIT = 0;
    double m_UPPERLIMIT = 0;
};

// PROFILELIST: the portfolio lots.
class CProfileListset final : public db::TableRecordset {
public:
    explicit CProfileListset(CDatabase* pDatabase = nullptr);
    void DoFieldExchange(CFieldExchange* pFX) override;

    std::string m_COMPNAME;
    std::string m_INDEX;
    std::string m_INDEXNAME;
    int m_DELIVERYTYPE = 0; // 0 delivery, 1 intraday
    double m_PRICE = 0;
    std::int32_t m_QUANTITY = 0;
    std::int32_t m_BROKERID = 0;
};

// BROKERLIST: the brokers with their brokerage and tax rates.
class CBrokersListset final : public db::TableRecordset {
public:
    explicit CBrokersListset(CDatabase* pDatabase = nullptr);
    void DoFieldExchange(CFieldExchange* pFX) override;

    std::int32_t m_BROKERID = 0;
    std::string m_BROKERNAME;
    double m_DELIVERY_BUY_BROKERAGE = 0;
    double m_DELIVERY_BUY_ST = 0;
    double m_DELIVERY_BUY_STT = 0;
    double m_DELIVERY_BUY_OTHERS = 0;
    double m_DELIVERY_SELL_BROKERAGE = 0;
    double m_DELIVERY_SELL_ST = 0;
    double m_DELIVERY_SELL_STT = 0;
    double m_DELIVERY_SELL_OTHERS = 0;
    double m_INTRADAY_BUY_BROKERAGE = 0;
    double m_INTRADAY_BUY_ST = 0;
    double m_INTRADAY_BUY_STT = 0;
    double m_INTRADAY_BUY_OTHERS = 0;
    double m_INTRADAY_SELL_BROKERAGE = 0;
    double m_INTRADAY_SELL_ST = 0;
    double m_INTRADAY_SELL_STT = 0;
    double m_INTRADAY_SELL_OTHERS = 0;
};

// The two futures tables have the same columns.
class CFutureRowset : public db::TableRecordset {
public:
    void DoFieldExchange(CFieldExchange* pFX) override;

    std::int32_t m_ID = 0;
    std::string m_Underlying;
    std::string m_Symbol;

protected:
    using db::TableRecordset::TableRecordset;
};

// Future: the futures the user can choose from.
class CFutureset final : public CFutureRowset {
public:
    explicit CFutureset(CDatabase* pDatabase = nullptr);
};

// SelectedFuture: the futures the user chose.
class CSelectedFutureset final : public CFutureRowset {
public:
    explicit CSelectedFutureset(CDatabase* pDatabase = nullptr);
};