#pragma once

#include <memory>
#include <string>

#include "platform/odbc/database.h"
#include "platform/odbc/db_exception.h"
#include "platform/odbc/field_exchange.h"

// A set of rows selected from one table (or by one SELECT), with a current row whose columns
// the derived class binds to its members in DoFieldExchange.
//
// Open reads the selected rows into memory and releases the statement at once: an open
// cursor would hold SQLite's read lock and block a later write, even on this connection's
// own transaction. A snapshot shows the rows as they were at Open or Requery; a dynaset also
// shows the rows it adds itself. Both show their own edits and deletions.
class CRecordset {
public:
    enum OpenType : unsigned {
        dynaset = 0,
        snapshot = 1,
        useDefaultType = 0xFFFFFFFFu, // m_nDefaultType
    };
    enum EditMode { noMode, edit, addnew };

    // Without a database the recordset opens its own connection from GetDefaultConnect() at
    // Open and drops it at Close.
    explicit CRecordset(CDatabase* pDatabase = nullptr);
    virtual ~CRecordset();
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    virtual std::string GetDefaultConnect();
    virtual std::string GetDefaultSQL();
    virtual void DoFieldExchange(CFieldExchange* pFX);

    // sqlOrTable: null for GetDefaultSQL(), a table name ("CompanyList" or "[CompanyList]"),
    // or a whole SELECT. For a table the statement is "SELECT <bound columns> FROM <table>"
    // with " WHERE <m_strFilter>" and " ORDER BY <m_strSort>" when they are not empty;
    // without a sort a table's rows come in the order they were added (by the counter
    // column, else the engine's row number). The filter and sort are appended to a whole
    // SELECT the same way. An open recordset is closed first. Returns true; failures throw
    // CDBException.
    virtual bool Open(unsigned nOpenType = useDefaultType, const char* sqlOrTable = nullptr);
    virtual void Close();
    bool IsOpen() const;

    bool IsEOF() const;
    bool IsBOF() const;
    // True right after Delete, until the next move.
    bool IsDeleted() const;
    void MoveFirst();
    void MoveNext();
    void MovePrev();
    void MoveLast();
    // The rows visited so far: it grows as the rows are visited and is the total after
    // MoveLast.
    long GetRecordCount() const;
    // Runs the selection again with the current filter and sort.
    bool Requery();

    // True when the rows come from one known table.
    bool CanUpdate() const;
    // AddNew clears the members; Update then inserts every bound column except the counter.
    // A text longer than its bound length (in characters) or holding a NUL is refused with
    // CDBException, the same on every engine.
    void AddNew();
    // Update then writes every bound column except the counter to the current row only.
    void Edit();
    bool Update();
    void CancelUpdate();
    // Deletes the current row.
    void Delete();
    EditMode GetEditMode() const;

    // The text last sent for the selection, after the dialect step.
    const std::string& GetSQL() const;
    // The table the rows come from; empty when it is not known.
    const std::string& GetTableName() const;

    std::string m_strFilter;
    std::string m_strSort;
    CDatabase* m_pDatabase;
    int m_nFields = 0;
    unsigned m_nDefaultType = snapshot;

private:
    struct State;

    void RunQuery();
    void BindFields();
    void LoadMembers();
    void ClearMembers();
    void Land(long index);
    void RequireOpen() const;
    void RequireCurrentRow() const;

    std::unique_ptr<State> m_state;
};
