#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Flags for the RFX_ functions.
enum : unsigned {
    FX_NONE = 0,
    // The column is a counter the database assigns: read, never written by Update.
    FX_COUNTER = 1,
};

// Collects the bound columns of a recordset: each RFX_ call in DoFieldExchange names one
// column and the member that holds its value for the current row.
class CFieldExchange final {
public:
    enum FieldType { outputColumn };
    enum class ValueType { Text, Long, Int, Double };

    struct Field {
        std::string name; // as written in the statement, e.g. "[INDEX]"
        ValueType type;
        void* value; // std::string*, std::int32_t*, int* or double*
        int maxLength;
        bool counter;
    };

    // Only result columns are bound; kept so field exchange code reads the usual way.
    void SetFieldType(FieldType) {}

    void Add(Field field) { m_fields.push_back(std::move(field)); }
    const std::vector<Field>& Fields() const { return m_fields; }

private:
    std::vector<Field> m_fields;
};

// A NULL column reads as an empty text or 0.
void RFX_Text(CFieldExchange* pFX, const char* name, std::string& value, int maxLength = 255,
              unsigned flags = FX_NONE);
void RFX_Long(CFieldExchange* pFX, const char* name, std::int32_t& value, unsigned flags = FX_NONE);
// A small-integer column held in an int.
void RFX_Int(CFieldExchange* pFX, const char* name, int& value, unsigned flags = FX_NONE);
void RFX_Double(CFieldExchange* pFX, const char* name, double& value, unsigned flags = FX_NONE);
