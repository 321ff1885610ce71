#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/odbc/database.h"
#include "platform/odbc/recordset.h"
#include "support/temp_dir.h"

namespace {

constexpr const char* kConnect = "ODBC;DSN=OdbcTest";

// One data source for the whole test program: the driver manager caches odbc.ini entries
// for a while, so the file and its contents must not change between tests. Each test gets
// a fresh database file behind it.
const std::string& DatabaseFile() {
    static testsupport::TempDir dir;
    static const std::string file = [] {
        const std::string ini = dir.file("odbc.ini");
        testsupport::WriteFile(ini, "[OdbcTest]\nDriver=SQLite3\nDatabase=" + dir.file("test.db") +
                                        "\nTimeout=2000\n");
        setenv("ODBCINI", ini.c_str(), 1);
        return dir.file("test.db");
    }();
    return file;
}

// Items has a counter and a column named INDEX; Plain has neither.
class CItemset final : public CRecordset {
public:
    explicit CItemset(CDatabase* db = nullptr) : CRecordset(db) {
        m_nFields = 5;
        m_nDefaultType = dynaset;
    }
    std::string GetDefaultConnect() override { return kConnect; }
    std::string GetDefaultSQL() override { return "[Items]"; }
    void DoFieldExchange(CFieldExchange* pFX) override {
        pFX->SetFieldType(CFieldExchange::outputColumn);
        RFX_Long(pFX, "[ID]", m_ID, FX_COUNTER);
        RFX_Text(pFX, "[NAME]", m_NAME);
        RFX_Text(pFX, "[INDEX]", m_INDEX);
        RFX_Int(pFX, "[QTY]", m_QTY);
        RFX_Double(pFX, "[PRICE]", m_PRICE);
    }

    std::int32_t m_ID = 0;
    std::string m_NAME;
    std::string m_INDEX;
    int m_QTY = 0;
    double m_PRICE = 0;
};

class CPlainset final : public CRecordset {
public:
    explicit CPlainset(CDatabase* db = nullptr) : CRecordset(db) { m_nFields = 2; }
    std::string GetDefaultConnect() override { return kConnect; }
    std::string GetDefaultSQL() override { return "Plain"; }
    void DoFieldExchange(CFieldExchange* pFX) override {
        RFX_Text(pFX, "NAME", m_NAME);
        RFX_Long(pFX, "QTY", m_QTY);
    }

    std::string m_NAME;
    std::int32_t m_QTY = 0;
};

class RecordsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::remove(DatabaseFile().c_str());
        m_db.Open(kConnect);
        m_db.ExecuteSQL("CREATE TABLE Items (ID INTEGER PRIMARY KEY AUTOINCREMENT, NAME TEXT, "
                        "[INDEX] TEXT, QTY INTEGER, PRICE DOUBLE)");
        m_db.ExecuteSQL("CREATE TABLE Plain (NAME TEXT, QTY INTEGER)");
    }

    void AddItems(const std::vector<std::string>& names) {
        int qty = 1;
        for (const auto& name : names) {
            m_db.ExecuteSQL("INSERT INTO Items (NAME, INDEX, QTY, PRICE) VALUES ('" + name +
                            "', 'NSE', " + std::to_string(qty) + ", " + std::to_string(qty) +
                            ".5)");
            ++qty;
        }
    }

    // Names of all rows, read through a fresh connection.
    std::vector<std::string> Names(const char* table = "Items") {
        CDatabase other;
        other.Open(kConnect);
        CPlainset rs(&other);
        rs.m_strSort = "NAME";
        rs.Open(CRecordset::snapshot, (std::string("SELECT NAME, 0 FROM ") + table).c_str());
        std::vector<std::string> names;
        for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext())
            names.push_back(rs.m_NAME);
        return names;
    }

    CDatabase m_db;
};

TEST_F(RecordsetTest, RecordCountGrowsAsRowsAreVisited) {
    AddItems({"a", "b", "c"});
    CItemset rs(&m_db);
    rs.Open();
    EXPECT_FALSE(rs.IsBOF());
    EXPECT_FALSE(rs.IsEOF());
    EXPECT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(rs.m_NAME, "a");
    rs.MoveNext();
    EXPECT_EQ(rs.GetRecordCount(), 2);
    rs.MovePrev();
    EXPECT_EQ(rs.GetRecordCount(), 2); // a high-water mark, not the position
    EXPECT_EQ(rs.m_NAME, "a");
    rs.MoveLast();
    EXPECT_EQ(rs.GetRecordCount(), 3);
    EXPECT_EQ(rs.m_NAME, "c");
    EXPECT_EQ(rs.m_QTY, 3);
    EXPECT_DOUBLE_EQ(rs.m_PRICE, 3.5);
    EXPECT_EQ(rs.m_INDEX, "NSE");
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_TRUE(rs.m_NAME.empty());
    EXPECT_THROW(rs.MoveNext(), CDBException);
    rs.MovePrev();
    EXPECT_EQ(rs.m_NAME, "c");
    rs.MoveFirst();
    rs.MovePrev();
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_THROW(rs.MovePrev(), CDBException);
}

TEST_F(RecordsetTest, EmptyResult) {
    CItemset rs(&m_db);
    rs.Open();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_TRUE(rs.IsBOF());
    EXPECT_EQ(rs.GetRecordCount(), 0);
    rs.MoveLast();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_EQ(rs.GetRecordCount(), 0);
    EXPECT_THROW(rs.Edit(), CDBException);
    EXPECT_THROW(rs.Delete(), CDBException);
}

TEST_F(RecordsetTest, FilterSortAndRequery) {
    AddItems({"b", "a", "c"});
    m_db.ExecuteSQL("INSERT INTO Items (NAME, [INDEX]) VALUES (NULL, 'BSE')");
    CItemset rs(&m_db);
    rs.m_strFilter = "NAME<>NULL AND INDEX='NSE'";
    rs.m_strSort = "NAME DESC";
    rs.Open();
    EXPECT_EQ(rs.GetSQL(), "SELECT [ID],[NAME],[INDEX],[QTY],[PRICE] FROM [Items] WHERE NAME IS "
                           "NOT NULL AND [INDEX]='NSE' ORDER BY NAME DESC");
    rs.MoveLast();
    EXPECT_EQ(rs.GetRecordCount(), 3);
    EXPECT_EQ(rs.m_NAME, "a");

    rs.m_strFilter = "NAME=NULL";
    rs.m_strSort.clear();
    rs.Requery();
    EXPECT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(rs.m_NAME, ""); // NULL reads as empty text and 0
    EXPECT_EQ(rs.m_QTY, 0);
    EXPECT_EQ(rs.m_INDEX, "BSE");

    rs.m_strFilter = "QTY>100";
    rs.Requery();
    EXPECT_TRUE(rs.IsEOF() && rs.IsBOF());

    // A table name or a whole SELECT may replace the default.
    rs.Close();
    rs.m_strFilter.clear();
    rs.Open(CRecordset::snapshot, "Items");
    rs.MoveLast();
    EXPECT_EQ(rs.GetRecordCount(), 4);
    rs.Open(CRecordset::snapshot, "SELECT ID, NAME, INDEX, QTY, PRICE FROM Items WHERE QTY=2");
    EXPECT_EQ(rs.m_NAME, "a");
    EXPECT_TRUE(rs.CanUpdate());
    rs.Open(CRecordset::snapshot, "SELECT I.ID, I.NAME, I.[INDEX], P.QTY, 0 FROM Items I "
                                  "JOIN Plain P ON P.NAME=I.NAME");
    EXPECT_FALSE(rs.CanUpdate());
    EXPECT_THROW(rs.AddNew(), CDBException);
}

TEST_F(RecordsetTest, AddNewOnDynasetAppendsTheRowWithItsCounter) {
    AddItems({"a"});
    CItemset rs(&m_db);
    rs.Open();
    rs.AddNew();
    EXPECT_TRUE(rs.m_NAME.empty());
    rs.m_ID = 999; // the counter is never written
    rs.m_NAME = "new";
    rs.m_INDEX = "BSE";
    rs.m_QTY = 7;
    rs.m_PRICE = 12.25;
    rs.Update();
    EXPECT_EQ(rs.m_NAME, "a"); // still on the row it was on
    rs.MoveNext();
    EXPECT_EQ(rs.m_NAME, "new");
    EXPECT_EQ(rs.m_ID, 2);
    EXPECT_EQ(rs.m_QTY, 7);
    EXPECT_EQ(rs.GetRecordCount(), 2);

    CItemset snap(&m_db);
    snap.Open(CRecordset::snapshot);
    snap.AddNew();
    snap.m_NAME = "third";
    snap.Update();
    snap.MoveLast();
    EXPECT_EQ(snap.GetRecordCount(), 2); // a snapshot keeps what it read
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "new", "third"}));
    snap.Requery();
    snap.MoveLast();
    EXPECT_EQ(snap.m_NAME, "third");
    EXPECT_EQ(snap.m_ID, 3);
}

TEST_F(RecordsetTest, EditAndDeleteTouchOnlyTheCurrentRow) {
    // Identical rows can only be told apart by the row id the recordset keeps.
    m_db.ExecuteSQL("INSERT INTO Plain VALUES ('same', 1)");
    m_db.ExecuteSQL("INSERT INTO Plain VALUES ('same', 1)");
    m_db.ExecuteSQL("INSERT INTO Plain VALUES ('other', 2)");
    {
        CPlainset rs(&m_db);
        rs.Open();
        rs.MoveNext();
        rs.Edit();
        rs.m_NAME = "edited";
        rs.Update();
        EXPECT_EQ(rs.m_NAME, "edited");
        rs.MoveNext();
        rs.Delete();
        EXPECT_TRUE(rs.IsDeleted());
        EXPECT_THROW(rs.Edit(), CDBException);
        rs.MoveNext();
        EXPECT_TRUE(rs.IsEOF());
        rs.MovePrev();
        EXPECT_EQ(rs.m_NAME, "edited");
    }
    EXPECT_EQ(Names("Plain"), (std::vector<std::string>{"edited", "same"}));

    // With a counter the row is found by it.
    AddItems({"x", "x"});
    CItemset items(&m_db);
    items.Open();
    items.MoveLast();
    items.Edit();
    items.m_QTY = 42;
    items.Update();
    items.Requery();
    EXPECT_EQ(items.m_QTY, 1);
    items.MoveNext();
    EXPECT_EQ(items.m_QTY, 42);

    // Opened by a whole SELECT there is neither: the row is found by all its old values,
    // NULL included.
    m_db.ExecuteSQL("INSERT INTO Plain VALUES (NULL, 5)");
    CPlainset bySelect(&m_db);
    bySelect.Open(CRecordset::snapshot, "SELECT NAME, QTY FROM Plain WHERE QTY=5");
    bySelect.Edit();
    bySelect.m_NAME = "named";
    bySelect.Update();
    EXPECT_EQ(Names("Plain"), (std::vector<std::string>{"edited", "named", "same"}));

    // A row deleted behind the recordset's back is reported, not silently skipped.
    bySelect.Edit();
    m_db.ExecuteSQL("DELETE FROM Plain WHERE QTY=5");
    bySelect.m_NAME = "again";
    try {
        bySelect.Update();
        FAIL() << "no error";
    } catch (const CDBException& e) {
        EXPECT_EQ(e.m_nRetCode, CDBException::kNoRowsAffected);
    }
}

TEST_F(RecordsetTest, TransactionsRollBackUnlessCommitted) {
    AddItems({"a"});
    m_db.BeginTrans();
    m_db.ExecuteSQL("DELETE * FROM Items");
    m_db.Rollback();
    {
        CDatabase::Transaction txn(m_db);
        CItemset rs(&m_db);
        rs.Open();
        rs.AddNew();
        rs.m_NAME = "lost";
        rs.Update();
        m_db.ExecuteSQL("DELETE FROM Items WHERE NAME='a'");
    }
    EXPECT_FALSE(m_db.InTransaction());
    EXPECT_EQ(Names(), (std::vector<std::string>{"a"}));

    {
        CDatabase::Transaction txn(m_db);
        m_db.ExecuteSQL("DELETE * FROM Items");
        m_db.ExecuteSQL("INSERT INTO Items (NAME) VALUES ('kept')");
        txn.Commit();
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept"}));

    // Closing the connection drops an unfinished transaction.
    m_db.BeginTrans();
    m_db.ExecuteSQL("DELETE * FROM Items");
    m_db.Close();
    EXPECT_EQ(Names(), (std::vector<std::string>{"kept"}));
}

TEST_F(RecordsetTest, ErrorsCarryTheDriversText) {
    CItemset rs(&m_db);
    rs.m_strFilter = "NOSUCHCOLUMN=1";
    try {
        rs.Open();
        FAIL() << "no error";
    } catch (const CDBException& e) {
        EXPECT_NE(e.m_strError.find("no such column: NOSUCHCOLUMN"), std::string::npos)
            << e.m_strError;
        EXPECT_STREQ(e.what(), e.m_strError.c_str());
        EXPECT_NE(e.m_strStateNativeOrigin.find("State:"), std::string::npos);
    }
    EXPECT_FALSE(rs.IsOpen());

    CDatabase db;
    try {
        db.Open("ODBC;DSN=NoSuchDataSource");
        FAIL() << "no error";
    } catch (const CDBException& e) {
        // The driver manager's "[unixODBC][Driver Manager]" tags go to the origin.
        EXPECT_EQ(e.m_strError, "Data source name not found and no default driver specified");
        EXPECT_NE(e.m_strStateNativeOrigin.find("State:IM002"), std::string::npos);
        EXPECT_NE(e.m_strStateNativeOrigin.find("Origin:[unixODBC][Driver Manager]"),
                  std::string::npos);
    }
    EXPECT_FALSE(db.IsOpen());
    EXPECT_THROW(m_db.ExecuteSQL("INSERT INTO Nowhere VALUES (1)"), CDBException);
}

TEST_F(RecordsetTest, ValuesRoundTripUnchanged) {
    const std::vector<std::string> texts = {
        "Dr. Reddy's Laboratories Ltd",
        "x' OR '1'='1",
        "टाटा मोटर्स — Société Générale ₹",
        std::string(252, 'L') + "end", // the bound length exactly
        [] {
            std::string rupees;
            for (int i = 0; i < 255; ++i)
                rupees += "₹"; // characters are counted, not bytes
            return rupees;
        }(),
        "",
    };
    CItemset rs(&m_db);
    rs.Open();
    for (const auto& t : texts) {
        rs.AddNew();
        rs.m_NAME = t;
        rs.m_PRICE = -1234567.125;
        rs.m_QTY = -32768;
        rs.Update();
    }
    rs.Requery();
    for (const auto& t : texts) {
        ASSERT_FALSE(rs.IsEOF());
        EXPECT_EQ(rs.m_NAME, t);
        EXPECT_DOUBLE_EQ(rs.m_PRICE, -1234567.125);
        EXPECT_EQ(rs.m_QTY, -32768);
        rs.MoveNext();
    }
    // An empty text is stored as '' rather than NULL.
    rs.m_strFilter = "NAME=''";
    rs.Requery();
    EXPECT_EQ(rs.GetRecordCount(), 1);

    // What no engine would keep as given is refused before it reaches one, so a stored row
    // reads back as it was written everywhere.
    const std::string refused[] = {std::string(256, 'L'), std::string("a\0b", 3)};
    for (const std::string& t : refused) {
        rs.AddNew();
        rs.m_NAME = t;
        try {
            rs.Update();
            FAIL() << "stored " << t.size() << " bytes";
        } catch (const CDBException& e) {
            EXPECT_EQ(e.m_nRetCode, CDBException::kBadValue);
            EXPECT_EQ(e.m_strError.find("The text for NAME "), 0u) << e.m_strError;
        }
        rs.CancelUpdate();
    }
    EXPECT_EQ(Names().size(), texts.size());
}

} // namespace
