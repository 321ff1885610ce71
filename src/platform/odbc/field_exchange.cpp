#include "platform/odbc/field_exchange.h"

namespace {

void Bind(CFieldExchange* pFX, const char* name, CFieldExchange::ValueType type, void* value,
          int maxLength, unsigned flags) {
    pFX->Add({name, type, value, maxLength, (flags & FX_COUNTER) != 0});
}

} // namespace

void RFX_Text(CFieldExchange* pFX, const char* name, std::string& value, int maxLength,
              unsigned flags) {
    Bind(pFX, name, CFieldExchange::ValueType::Text, &value, maxLength, flags);
}

void RFX_Long(CFieldExchange* pFX, const char* name, std::int32_t& value, unsigned flags) {
    Bind(pFX, name, CFieldExchange::ValueType::Long, &value, 0, flags);
}

void RFX_Int(CFieldExchange* pFX, const char* name, int& value, unsigned flags) {
    Bind(pFX, name, CFieldExchange::ValueType::Int, &value, 0, flags);
}

void RFX_Double(CFieldExchange* pFX, const char* name, double& value, unsigned flags) {
    Bind(pFX, name, CFieldExchange::ValueType::Double, &value, 0, flags);
}
