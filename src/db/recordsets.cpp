#include "db/recordsets.h"

CCompanyListset::CCompanyListset(CDatabase* pDatabase) : CRecordset(pDatabase) {
    m_nFields = 3;
    m_nDefaultType = snapshot;
}

std::string CCompanyListset::GetDefaultConnect() {
    return db::kDefaultConnect;
}

std::string CCompanyListset::GetDefaultSQL() {
    return "[CompanyList]";
}

void CCompanyListset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Text(pFX, "[COMPNAME]", m_COMPNAME);
    RFX_Text(pFX, "[BSENAME]", m_BSENAME);
    RFX_Text(pFX, "[NSENAME]", m_NSENAME);
}

CSelCompanyListset::CSelCompanyListset(CDatabase* pDatabase) : CRecordset(pDatabase) {
    m_nFields = 7;
    m_nDefaultType = dynaset;
}

std::string CSelCompanyListset::GetDefaultConnect() {
    return db::kDefaultConnect;
}

std::string CSelCompanyListset::GetDefaultSQL() {
    return "[SelectedComp2Watch]";
}

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

CProfileListset::CProfileListset(CDatabase* pDatabase) : CRecordset(pDatabase) {
    m_nFields = 7;
    m_nDefaultType = dynaset;
}

std::string CProfileListset::GetDefaultConnect() {
    return db::kDefaultConnect;
}

std::string CProfileListset::GetDefaultSQL() {
    return "[PROFILELIST]";
}

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

CBrokersListset::CBrokersListset(CDatabase* pDatabase) : CRecordset(pDatabase) {
    m_nFields = 18;
    m_nDefaultType = dynaset;
}

std::string CBrokersListset::GetDefaultConnect() {
    return db::kDefaultConnect;
}

std::string CBrokersListset::GetDefaultSQL() {
    return "[BROKERLIST]";
}

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

CFutureset::CFutureset(CDatabase* pDatabase) : CRecordset(pDatabase) {
    m_nFields = 3;
    m_nDefaultType = dynaset;
}

std::string CFutureset::GetDefaultConnect() {
    return db::kDefaultConnect;
}

std::string CFutureset::GetDefaultSQL() {
    return "[Future]";
}

void CFutureset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Long(pFX, "[ID]", m_ID, FX_COUNTER);
    RFX_Text(pFX, "[Underlying]", m_Underlying);
    RFX_Text(pFX, "[Symbol]", m_Symbol);
}

CSelectedFutureset::CSelectedFutureset(CDatabase* pDatabase) : CRecordset(pDatabase) {
    m_nFields = 3;
    m_nDefaultType = snapshot;
}

std::string CSelectedFutureset::GetDefaultConnect() {
    return db::kDefaultConnect;
}

std::string CSelectedFutureset::GetDefaultSQL() {
    return "[SelectedFuture]";
}

void CSelectedFutureset::DoFieldExchange(CFieldExchange* pFX) {
    pFX->SetFieldType(CFieldExchange::outputColumn);
    RFX_Long(pFX, "[ID]", m_ID, FX_COUNTER);
    RFX_Text(pFX, "[Underlying]", m_Underlying);
    RFX_Text(pFX, "[Symbol]", m_Symbol);
}
