#include "db/recordsets.h"

namespace db {

TableRecordset::TableRecordset(CDatabase* pDatabase, const char* table, int fields,
                               unsigned defaultType)
    : CRecordset(pDatabase), m_table(table) {
    m_nFields = fields;
    m_nDefaultType = defaultType;
}

std::string TableRecordset::GetDefaultConnect() {
    return kDefaultConnect;
}

std::string TableRecordset::GetDefaultSQL() {
    return m_table;
}

} // namespace db

CCompanyListset::CCompanyListset(CDatabase* pDatabase)
    : TableRecordset(pDatabase, "[CompanyList]", 3, snapshot) {}

void CCompanyListset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Text(pFX, "[COMPNAME]", m_COMPNAME);
    RFX_Text(pFX, "[BSENAME]", m_BSENAME);
    RFX_Text(pFX, "[NSENAME]", m_NSENAME);
}

CSelCompanyListset::CSelCompanyListset(CDatabase* pDatabase)
    : TableRecordset(pDatabase, "[SelectedComp2Watch]", 7, dynaset) {}

void CSelCompanyListset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Long(pFX, "[ID]", m_ID, FX_COUNTER);
    RFX_Text(pFX, "[COMPNAME]", m_COMPNAME);
    RFX_Text(pFX, "[INDEX]", m_INDEX);
    RFX_Text(pFX, "[INDEXNAME]", m_INDEXNAME);
    RFX_Int(pFX, "[ALERTSETTING]", m_ALERTSETTING);
    RFX_Double(pFX, "[LOWERLIMIT]", m_LOWERLIMIT);
    RFX_Double(pFX, "[UPPERLIMIT]", m_UPPERLIMIT);
}

CProfileListset::CProfileListset(CDatabase* pDatabase)
    : TableRecordset(pDatabase, "[PROFILELIST]", 7, dynaset) {}

void CProfileListset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Text(pFX, "[COMPNAME]", m_COMPNAME);
    RFX_Text(pFX, "[INDEX]", m_INDEX);
    RFX_Text(pFX, "[INDEXNAME]", m_INDEXNAME);
    RFX_Int(pFX, "[DELIVERYTYPE]", m_DELIVERYTYPE);
    RFX_Double(pFX, "[PRICE]", m_PRICE);
    RFX_Long(pFX, "[QUANTITY]", m_QUANTITY);
    RFX_Long(pFX, "[BROKERID]", m_BROKERID);
}

CBrokersListset::CBrokersListset(CDatabase* pDatabase)
    : TableRecordset(pDatabase, "[BROKERLIST]", 18, dynaset) {}

void CBrokersListset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Long(pFX, "[BROKERID]", m_BROKERID, FX_COUNTER);
    RFX_Text(pFX, "[BROKERNAME]", m_BROKERNAME);
    RFX_Double(pFX, "[DELIVERY_BUY_BROKERAGE]", m_DELIVERY_BUY_BROKERAGE);
    RFX_Double(pFX, "[DELIVERY_BUY_ST]", m_DELIVERY_BUY_ST);
    RFX_Double(pFX, "[DELIVERY_BUY_STT]", m_DELIVERY_BUY_STT);
    RFX_Double(pFX, "[DELIVERY_BUY_OTHERS]", m_DELIVERY_BUY_OTHERS);
    RFX_Double(pFX, "[DELIVERY_SELL_BROKERAGE]", m_DELIVERY_SELL_BROKERAGE);
    RFX_Double(pFX, "[DELIVERY_SELL_ST]", m_DELIVERY_SELL_ST);
    RFX_Double(pFX, "[DELIVERY_SELL_STT]", m_DELIVERY_SELL_STT);
    RFX_Double(pFX, "[DELIVERY_SELL_OTHERS]", m_DELIVERY_SELL_OTHERS);
    RFX_Double(pFX, "[INTRADAY_BUY_BROKERAGE]", m_INTRADAY_BUY_BROKERAGE);
    RFX_Double(pFX, "[INTRADAY_BUY_ST]", m_INTRADAY_BUY_ST);
    RFX_Double(pFX, "[INTRADAY_BUY_STT]", m_INTRADAY_BUY_STT);
    RFX_Double(pFX, "[INTRADAY_BUY_OTHERS]", m_INTRADAY_BUY_OTHERS);
    RFX_Double(pFX, "[INTRADAY_SELL_BROKERAGE]", m_INTRADAY_SELL_BROKERAGE);
    RFX_Double(pFX, "[INTRADAY_SELL_ST]", m_INTRADAY_SELL_ST);
    RFX_Double(pFX, "[INTRADAY_SELL_STT]", m_INTRADAY_SELL_STT);
    RFX_Double(pFX, "[INTRADAY_SELL_OTHERS]", m_INTRADAY_SELL_OTHERS);
}

void CFutureRowset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Long(pFX, "[ID]", m_ID, FX_COUNTER);
    RFX_Text(pFX, "[Underlying]", m_Underlying);
    RFX_Text(pFX, "[Symbol]", m_Symbol);
}

CFutureset::CFutureset(CDatabase* pDatabase) : CFutureRowset(pDatabase, "[Future]", 3, dynaset) {}

CSelectedFutureset::CSelectedFutureset(CDatabase* pDatabase)
    : CFutureRowset(pDatabase, "[SelectedFuture]", 3, snapshot) {}
