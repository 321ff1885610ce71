#include "platform/odbc/recordset.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/base/text.h"
#include "platform/odbc/odbc_internal.h"
#include "platform/odbc/sql_dialect.h"

using odbc::detail::Check;
using odbc::detail::Handle;
using ValueType = CFieldExchange::ValueType;

namespace {

// One column of one row as read. Integers are kept at full width so that a row can be
// found again by its original values.
struct Cell {
    bool null = true;
    std::string text;
    std::int64_t integer = 0;
    double real = 0;
};
using Row = std::vector<Cell>;

// A statement parameter. Its buffers must stay where they are until the statement ran.
struct Param {
    enum Kind { Text, Int32, Int64, Double } kind;
    std::string text;
    SQLINTEGER int32 = 0;
    SQLBIGINT int64 = 0;
    double real = 0;
    SQLLEN length = 0;
};

Param ParamFromMember(const CFieldExchange::Field& f) {
    Param p{Param::Text, {}};
    switch (f.type) {
    case ValueType::Text:
        p.text = *static_cast<const std::string*>(f.value);
        break;
    case ValueType::Long:
        p.kind = Param::Int32;
        p.int32 = *static_cast<const std::int32_t*>(f.value);
        break;
    case ValueType::Int:
        p.kind = Param::Int32;
        p.int32 = *static_cast<const int*>(f.value);
        break;
    case ValueType::Double:
        p.kind = Param::Double;
        p.real = *static_cast<const double*>(f.value);
        break;
    }
    return p;
}

Param ParamFromCell(ValueType type, const Cell& cell) {
    Param p{Param::Text, {}};
    switch (type) {
    case ValueType::Text:
        p.text = cell.text;
        break;
    case ValueType::Long:
    case ValueType::Int:
        p.kind = Param::Int64;
        p.int64 = cell.integer;
        break;
    case ValueType::Double:
        p.kind = Param::Double;
        p.real = cell.real;
        break;
    }
    return p;
}

Cell CellFromMember(const CFieldExchange::Field& f) {
    Cell c;
    c.null = false;
    switch (f.type) {
    case ValueType::Text:
        c.text = *static_cast<const std::string*>(f.value);
        break;
    case ValueType::Long:
        c.integer = *static_cast<const std::int32_t*>(f.value);
        break;
    case ValueType::Int:
        c.integer = *static_cast<const int*>(f.value);
        break;
    case ValueType::Double:
        c.real = *static_cast<const double*>(f.value);
        break;
    }
    return c;
}

void StoreMember(const CFieldExchange::Field& f, const Cell* cell) {
    switch (f.type) {
    case ValueType::Text:
        *static_cast<std::string*>(f.value) = cell ? cell->text : std::string();
        break;
    case ValueType::Long:
        *static_cast<std::int32_t*>(f.value) = cell ? static_cast<std::int32_t>(cell->integer) : 0;
        break;
    case ValueType::Int:
        *static_cast<int*>(f.value) = cell ? static_cast<int>(cell->integer) : 0;
        break;
    case ValueType::Double:
        *static_cast<double*>(f.value) = cell ? cell->real : 0.0;
        break;
    }
}

SQLCHAR* SqlText(const std::string& s) {
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

// Binds the parameters and runs the statement; SQL_NO_DATA when it changed no row.
SQLRETURN ExecuteBound(const Handle& stmt, const std::string& sql, std::vector<Param>& params) {
    Check(SQLPrepare(stmt.get(), SqlText(sql), static_cast<SQLINTEGER>(sql.size())), stmt);
    for (std::size_t i = 0; i < params.size(); ++i) {
        Param& p = params[i];
        const auto number = static_cast<SQLUSMALLINT>(i + 1);
        SQLRETURN rc = SQL_SUCCESS;
        switch (p.kind) {
        case Param::Text:
            p.length = static_cast<SQLLEN>(p.text.size());
            rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                  std::max<SQLULEN>(p.text.size(), 1), 0, p.text.data(), p.length,
                                  &p.length);
            break;
        case Param::Int32:
            rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0,
                                  0, &p.int32, 0, nullptr);
            break;
        case Param::Int64:
            rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0,
                                  0, &p.int64, 0, nullptr);
            break;
        case Param::Double:
            rc = SQLBindParameter(stmt.get(), number, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15,
                                  0, &p.real, 0, nullptr);
            break;
        }
        Check(rc, stmt);
    }
    const SQLRETURN rc = SQLExecute(stmt.get());
    if (rc != SQL_NO_DATA)
        Check(rc, stmt);
    return rc;
}

// Runs the statement and returns the number of rows it changed.
SQLLEN ExecuteWithParams(const Handle& stmt, const std::string& sql, std::vector<Param>& params) {
    if (ExecuteBound(stmt, sql, params) == SQL_NO_DATA)
        return 0;
    SQLLEN count = 0;
    Check(SQLRowCount(stmt.get(), &count), stmt);
    return count;
}

// Number of characters of a UTF-8 text.
std::size_t Utf8Length(std::string_view text) {
    std::size_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

// A text column holds at most its bound length in characters, on every engine, and never a
// NUL; a value that does not fit is refused rather than cut or stored differently by each.
void CheckStorable(const CFieldExchange::Field& f) {
    if (f.type != ValueType::Text)
        return;
    const auto& value = *static_cast<const std::string*>(f.value);
    std::string name = f.name;
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    if (value.find('\0') != std::string::npos)
        throw CDBException(CDBException::kBadValue,
                           "The text for " + name +
                               " contains a NUL character, which cannot be stored.");
    const std::size_t length = Utf8Length(value);
    if (f.maxLength > 0 && length > static_cast<std::size_t>(f.maxLength))
        throw CDBException(CDBException::kBadValue,
                           "The text for " + name + " has " + std::to_string(length) +
                               " characters; at most " + std::to_string(f.maxLength) +
                               " can be stored.");
}

// Reads a text column in pieces, so no length limit applies. False for NULL.
bool ReadText(const Handle& stmt, SQLUSMALLINT column, std::string& out) {
    out.clear();
    char buffer[1024];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            SQLGetData(stmt.get(), column, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
        if (rc == SQL_NO_DATA)
            return true;
        Check(rc, stmt);
        if (indicator == SQL_NULL_DATA)
            return false;
        const bool partial =
            indicator == SQL_NO_TOTAL || indicator >= static_cast<SQLLEN>(sizeof buffer);
        out.append(buffer, partial ? sizeof buffer - 1 : static_cast<std::size_t>(indicator));
        if (!partial)
            return true;
    }
}

Cell ReadCell(const Handle& stmt, SQLUSMALLINT column, ValueType type) {
    Cell cell;
    SQLLEN indicator = 0;
    switch (type) {
    case ValueType::Text:
        cell.null = !ReadText(stmt, column, cell.text);
        return cell;
    case ValueType::Long:
    case ValueType::Int: {
        SQLBIGINT value = 0;
        Check(SQLGetData(stmt.get(), column, SQL_C_SBIGINT, &value, 0, &indicator), stmt);
        cell.integer = indicator == SQL_NULL_DATA ? 0 : value;
        break;
    }
    case ValueType::Double: {
        double value = 0;
        Check(SQLGetData(stmt.get(), column, SQL_C_DOUBLE, &value, 0, &indicator), stmt);
        cell.real = indicator == SQL_NULL_DATA ? 0 : value;
        break;
    }
    }
    cell.null = indicator == SQL_NULL_DATA;
    return cell;
}

bool StartsWithSelect(std::string_view sql) {
    const std::string t = text::Trim(sql);
    if (t.size() < 6 || !text::IEquals(std::string_view(t).substr(0, 6), "SELECT"))
        return false;
    if (t.size() == 6)
        return true;
    const auto next = static_cast<unsigned char>(t[6]);
    return !(std::isalnum(next) || next == '_');
}

[[noreturn]] void Fail(int code, const char* message) {
    throw CDBException(code, message);
}

} // namespace

struct CRecordset::State {
    bool open = false;
    unsigned openType = snapshot;
    std::unique_ptr<CDatabase> ownDatabase;
    std::vector<CFieldExchange::Field> fields;
    int counter = -1;   // index of the counter column, -1 without one
    std::string rowKey; // the engine's row number, selected after the bound columns
    std::string source; // table name or SELECT as given to Open
    bool sourceIsTable = false;
    std::string table;
    std::string sql;
    std::vector<Row> rows;
    long current = 0; // -1 before the first row, rows.size() after the last
    bool bof = true;
    bool eof = true;
    bool deleted = false;
    long visited = 0;
    EditMode mode = noMode;

    odbc::SqlDialect Dialect(const CDatabase* db) const {
        return db ? db->Dialect() : odbc::SqlDialect::Standard;
    }

    std::string SelectList() const {
        std::string list;
        for (const auto& f : fields) {
            if (!list.empty())
                list += ',';
            list += f.name;
        }
        if (!rowKey.empty())
            list += "," + rowKey;
        return list;
    }

    // The rows of an executed statement whose columns are SelectList().
    std::vector<Row> ReadRows(const Handle& stmt) const {
        SQLSMALLINT columns = 0;
        Check(SQLNumResultCols(stmt.get(), &columns), stmt);
        const std::size_t wanted = fields.size() + (rowKey.empty() ? 0 : 1);
        if (static_cast<std::size_t>(columns) < wanted)
            throw CDBException(CDBException::kBadUsage,
                               "The selection returns " + std::to_string(columns) +
                                   " columns, but " + std::to_string(wanted) + " are bound.");
        std::vector<Row> rows;
        for (;;) {
            const SQLRETURN rc = SQLFetch(stmt.get());
            if (rc == SQL_NO_DATA)
                break;
            Check(rc, stmt);
            Row row;
            row.reserve(wanted);
            for (std::size_t i = 0; i < fields.size(); ++i)
                row.push_back(ReadCell(stmt, static_cast<SQLUSMALLINT>(i + 1), fields[i].type));
            if (!rowKey.empty())
                row.push_back(ReadCell(stmt, static_cast<SQLUSMALLINT>(wanted), ValueType::Long));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    // Rows read by a SELECT of SelectList().
    std::vector<Row> Read(const CDatabase& db, const std::string& text) const {
        Handle stmt(SQL_HANDLE_STMT, odbc::detail::ConnectionHandle(db));
        Check(SQLExecDirect(stmt.get(), SqlText(text), static_cast<SQLINTEGER>(text.size())), stmt);
        return ReadRows(stmt);
    }

    // " WHERE ..." that finds the row again: by its counter, else by the engine's row number,
    // else by every original value.
    std::string WhereRow(const Row& row, std::vector<Param>& params) const {
        if (counter >= 0) {
            params.push_back(ParamFromCell(ValueType::Long, row[counter]));
            return " WHERE " + fields[counter].name + "=?";
        }
        if (!rowKey.empty()) {
            params.push_back(ParamFromCell(ValueType::Long, row.back()));
            return " WHERE " + rowKey + "=?";
        }
        std::string where;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            where += where.empty() ? " WHERE " : " AND ";
            if (row[i].null) {
                where += fields[i].name + " IS NULL";
            } else {
                where += fields[i].name + "=?";
                params.push_back(ParamFromCell(fields[i].type, row[i]));
            }
        }
        return where;
    }
};

CRecordset::CRecordset(CDatabase* pDatabase)
    : m_pDatabase(pDatabase), m_state(std::make_unique<State>()) {}

CRecordset::~CRecordset() {
    try {
        Close();
    } catch (...) {
        // A failed disconnect cannot be reported from here.
    }
}

std::string CRecordset::GetDefaultConnect() {
    return "ODBC;";
}

std::string CRecordset::GetDefaultSQL() {
    return {};
}

void CRecordset::DoFieldExchange(CFieldExchange*) {}

bool CRecordset::Open(unsigned nOpenType, const char* sqlOrTable) {
    Close();
    State& s = *m_state;
    const unsigned type = nOpenType == useDefaultType ? m_nDefaultType : nOpenType;
    if (type != dynaset && type != snapshot)
        Fail(CDBException::kBadUsage, "Only dynaset and snapshot recordsets are supported.");
    BindFields();
    s.source = text::Trim(sqlOrTable ? std::string(sqlOrTable) : GetDefaultSQL());
    if (s.source.empty())
        Fail(CDBException::kBadUsage, "The recordset names no table and no SELECT.");

    try {
        if (!m_pDatabase) {
            s.ownDatabase = std::make_unique<CDatabase>();
            s.ownDatabase->Open(GetDefaultConnect());
            m_pDatabase = s.ownDatabase.get();
        } else if (!m_pDatabase->IsOpen()) {
            m_pDatabase->Open(GetDefaultConnect());
        }
        s.sourceIsTable = !StartsWithSelect(s.source) && s.source.front() != '{';
        s.table = s.sourceIsTable              ? s.source
                  : StartsWithSelect(s.source) ? odbc::TableOfSelect(s.source)
                                               : std::string();
        s.counter = -1;
        for (std::size_t i = 0; i < s.fields.size(); ++i)
            if (s.fields[i].counter)
                s.counter = static_cast<int>(i);
        const char* rowKey = odbc::Rules(m_pDatabase->Dialect()).rowKey;
        s.rowKey = s.sourceIsTable && s.counter < 0 && rowKey ? rowKey : "";
        s.openType = type;
        RunQuery();
    } catch (...) {
        if (s.ownDatabase) {
            s.ownDatabase.reset();
            m_pDatabase = nullptr;
        }
        throw;
    }
    s.open = true;
    return true;
}

void CRecordset::Close() {
    State& s = *m_state;
    s.open = false;
    s.rows.clear();
    s.current = 0;
    s.bof = s.eof = true;
    s.deleted = false;
    s.visited = 0;
    s.mode = noMode;
    if (s.ownDatabase) {
        s.ownDatabase->Close();
        s.ownDatabase.reset();
        m_pDatabase = nullptr;
    }
}

bool CRecordset::IsOpen() const {
    return m_state->open;
}

bool CRecordset::IsEOF() const {
    return m_state->eof;
}

bool CRecordset::IsBOF() const {
    return m_state->bof;
}

bool CRecordset::IsDeleted() const {
    return m_state->deleted;
}

void CRecordset::MoveFirst() {
    RequireOpen();
    Land(0);
}

void CRecordset::MoveNext() {
    RequireOpen();
    if (m_state->eof)
        Fail(CDBException::kScrollPastEnd,
             "Attempt to scroll past end or before beginning of data.");
    // After Delete the following row has moved into the deleted row's place.
    Land(m_state->deleted ? m_state->current : m_state->current + 1);
}

void CRecordset::MovePrev() {
    RequireOpen();
    if (m_state->bof)
        Fail(CDBException::kScrollPastEnd,
             "Attempt to scroll past end or before beginning of data.");
    Land(m_state->current - 1);
}

void CRecordset::MoveLast() {
    RequireOpen();
    Land(static_cast<long>(m_state->rows.size()) - 1);
}

long CRecordset::GetRecordCount() const {
    return m_state->visited;
}

bool CRecordset::Requery() {
    RequireOpen();
    RunQuery();
    return true;
}

bool CRecordset::CanUpdate() const {
    return m_state->open && !m_state->table.empty();
}

void CRecordset::AddNew() {
    RequireOpen();
    if (!CanUpdate())
        Fail(CDBException::kReadOnly, "The recordset is read-only.");
    ClearMembers();
    m_state->mode = addnew;
}

void CRecordset::Edit() {
    RequireCurrentRow();
    if (!CanUpdate())
        Fail(CDBException::kReadOnly, "The recordset is read-only.");
    m_state->mode = edit;
}

bool CRecordset::Update() {
    RequireOpen();
    State& s = *m_state;
    if (s.mode == noMode)
        Fail(CDBException::kNoEditMode, "Update was called without AddNew or Edit.");
    const odbc::SqlDialect dialect = m_pDatabase->Dialect();
    const odbc::EngineRules& rules = odbc::Rules(dialect);
    std::vector<Param> params;
    std::string columns;
    for (const auto& f : s.fields) {
        if (f.counter)
            continue;
        CheckStorable(f);
        params.push_back(ParamFromMember(f));
        if (!columns.empty())
            columns += ',';
        columns += f.name;
        if (s.mode == edit)
            columns += "=?";
    }
    Handle stmt(SQL_HANDLE_STMT, odbc::detail::ConnectionHandle(*m_pDatabase));

    if (s.mode == addnew) {
        std::string marks;
        for (std::size_t i = 0; i < params.size(); ++i)
            marks += i ? ",?" : "?";
        std::string sql =
            params.empty() ? "INSERT INTO " + s.table + " DEFAULT VALUES"
                           : "INSERT INTO " + s.table + " (" + columns + ") VALUES (" + marks + ")";
        // The new row is read back so the counter the database gave it shows.
        std::vector<Row> added;
        if (rules.insertReturning && s.openType == dynaset) {
            sql += " RETURNING " + s.SelectList();
            ExecuteBound(stmt, odbc::TranslateSql(sql, dialect), params);
            added = s.ReadRows(stmt);
        } else {
            ExecuteWithParams(stmt, odbc::TranslateSql(sql, dialect), params);
            if (rules.lastInsertedWhere && s.openType == dynaset)
                added = s.Read(*m_pDatabase,
                               odbc::TranslateSql("SELECT " + s.SelectList() + " FROM " + s.table +
                                                      " WHERE " + rules.lastInsertedWhere,
                                                  dialect));
        }
        if (s.openType == dynaset) {
            if (added.size() != 1) {
                added.assign(1, Row());
                for (const auto& f : s.fields)
                    added[0].push_back(CellFromMember(f));
                if (!s.rowKey.empty())
                    added[0].push_back(Cell());
            }
            const bool allVisited = s.visited == static_cast<long>(s.rows.size());
            s.rows.push_back(std::move(added[0]));
            if (allVisited)
                ++s.visited;
            if (s.eof)
                s.current = static_cast<long>(s.rows.size());
        }
    } else {
        Row& row = s.rows[static_cast<std::size_t>(s.current)];
        const std::string where = s.WhereRow(row, params);
        const std::string sql = "UPDATE " + s.table + " SET " + columns + where;
        if (ExecuteWithParams(stmt, odbc::TranslateSql(sql, dialect), params) == 0)
            Fail(CDBException::kNoRowsAffected,
                 "No rows were affected by the update or delete operation.");
        for (std::size_t i = 0; i < s.fields.size(); ++i)
            if (!s.fields[i].counter)
                row[i] = CellFromMember(s.fields[i]);
    }
    s.mode = noMode;
    LoadMembers();
    return true;
}

void CRecordset::CancelUpdate() {
    RequireOpen();
    m_state->mode = noMode;
    LoadMembers();
}

void CRecordset::Delete() {
    RequireCurrentRow();
    State& s = *m_state;
    if (!CanUpdate())
        Fail(CDBException::kReadOnly, "The recordset is read-only.");
    if (s.mode != noMode)
        Fail(CDBException::kBadUsage, "Delete was called during AddNew or Edit.");
    std::vector<Param> params;
    const auto index = static_cast<std::size_t>(s.current);
    const std::string where = s.WhereRow(s.rows[index], params);
    Handle stmt(SQL_HANDLE_STMT, odbc::detail::ConnectionHandle(*m_pDatabase));
    const std::string sql = "DELETE FROM " + s.table + where;
    if (ExecuteWithParams(stmt, odbc::TranslateSql(sql, m_pDatabase->Dialect()), params) == 0)
        Fail(CDBException::kNoRowsAffected,
             "No rows were affected by the update or delete operation.");
    s.rows.erase(s.rows.begin() + static_cast<std::ptrdiff_t>(index));
    --s.visited;
    s.deleted = true;
    ClearMembers();
}

CRecordset::EditMode CRecordset::GetEditMode() const {
    return m_state->mode;
}

const std::string& CRecordset::GetSQL() const {
    return m_state->sql;
}

const std::string& CRecordset::GetTableName() const {
    return m_state->table;
}

void CRecordset::BindFields() {
    CFieldExchange fx;
    DoFieldExchange(&fx);
    if (fx.Fields().empty())
        Fail(CDBException::kBadUsage, "The recordset binds no columns.");
    if (m_nFields != static_cast<int>(fx.Fields().size()))
        throw CDBException(CDBException::kBadUsage,
                           "m_nFields is " + std::to_string(m_nFields) + " but " +
                               std::to_string(fx.Fields().size()) + " columns are bound.");
    m_state->fields = fx.Fields();
}

void CRecordset::RunQuery() {
    State& s = *m_state;
    std::string sql = s.sourceIsTable ? "SELECT " + s.SelectList() + " FROM " + s.source : s.source;
    if (!text::Trim(m_strFilter).empty())
        sql += " WHERE " + m_strFilter;
    if (!text::Trim(m_strSort).empty())
        sql += " ORDER BY " + m_strSort;
    else if (s.sourceIsTable && s.counter >= 0)
        // A table's own order is the order its rows were added in, on every engine.
        sql += " ORDER BY " + s.fields[static_cast<std::size_t>(s.counter)].name;
    else if (s.sourceIsTable && !s.rowKey.empty())
        sql += " ORDER BY " + s.rowKey;
    s.sql = odbc::TranslateSql(sql, m_pDatabase->Dialect());
    s.rows = s.Read(*m_pDatabase, s.sql);
    s.visited = 0;
    Land(0);
}

void CRecordset::Land(long index) {
    State& s = *m_state;
    const auto count = static_cast<long>(s.rows.size());
    s.deleted = false;
    s.mode = noMode;
    if (count == 0) {
        s.current = 0;
        s.bof = s.eof = true;
    } else if (index < 0) {
        s.current = -1;
        s.bof = true;
        s.eof = false;
    } else if (index >= count) {
        s.current = count;
        s.bof = false;
        s.eof = true;
    } else {
        s.current = index;
        s.bof = s.eof = false;
        s.visited = std::max(s.visited, index + 1);
    }
    LoadMembers();
}

void CRecordset::LoadMembers() {
    const State& s = *m_state;
    const bool onRow = !s.bof && !s.eof && !s.deleted;
    for (std::size_t i = 0; i < s.fields.size(); ++i)
        StoreMember(s.fields[i], onRow ? &s.rows[static_cast<std::size_t>(s.current)][i] : nullptr);
}

void CRecordset::ClearMembers() {
    for (const auto& f : m_state->fields)
        StoreMember(f, nullptr);
}

void CRecordset::RequireOpen() const {
    if (!m_state->open)
        Fail(CDBException::kNotOpen, "The recordset is not open.");
}

void CRecordset::RequireCurrentRow() const {
    RequireOpen();
    if (m_state->bof || m_state->eof || m_state->deleted)
        Fail(CDBException::kNoCurrentRecord, "No current record.");
}
