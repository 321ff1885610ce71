#include <gtest/gtest.h>

#include "platform/odbc/db_exception.h"
#include "platform/odbc/sql_dialect.h"

namespace {

using odbc::SqlDialect;
using odbc::TranslateSql;

// One row per form: as the program writes it, as SQLite gets it, as PostgreSQL gets it.
TEST(TranslateSql, RewritesTheProgramsFormsForEachEngine) {
    struct Case {
        const char* in;
        const char* sqlite;
        const char* postgres;
    };
    const Case cases[] = {
        {"delete  *  from X", "delete from X", "delete from X"},
        {"DELETE *FROM X WHERE A=1", "DELETE FROM X WHERE A=1", "DELETE FROM X WHERE A=1"},
        {"  DELETE\t*\nFROM X", "  DELETE FROM X", "  DELETE FROM X"},
        {"DELETE FROM X", "DELETE FROM X", "DELETE FROM X"},
        {"SELECT * FROM X", "SELECT * FROM X", "SELECT * FROM X"},
        {"NSENAME<>NULL AND NSENAME<>''", "NSENAME IS NOT NULL AND NSENAME<>''",
         "NSENAME IS NOT NULL AND NSENAME<>''"},
        {"(NSENAME <> NULL AND NSENAME<>'')", "(NSENAME IS NOT NULL AND NSENAME<>'')",
         "(NSENAME IS NOT NULL AND NSENAME<>'')"},
        {"A<>  null", "A IS NOT NULL", "A IS NOT NULL"},
        {"A != NULL", "A IS NOT NULL", "A IS NOT NULL"},
        {"A=NULL OR B = NULL", "A IS NULL OR B IS NULL", "A IS NULL OR B IS NULL"},
        {"A==NULL", "A IS NULL", "A IS NULL"},
        {"A>=NULL", "A>=NULL", "A>=NULL"},
        {"A<>NULLIF(B,C)", "A<>NULLIF(B,C)", "A<>NULLIF(B,C)"},
        {"A IS NOT NULL", "A IS NOT NULL", "A IS NOT NULL"},
        // An UPDATE's SET list assigns NULL; its WHERE clause still tests.
        {"UPDATE T SET A=NULL, B = NULL WHERE C=NULL",
         "UPDATE T SET A=NULL, B = NULL WHERE C IS NULL",
         "UPDATE T SET A=NULL, B = NULL WHERE C IS NULL"},
        // INDEX as a name is quoted; PostgreSQL folds unquoted names to lower case, so its
        // quoted names are lower case too.
        {"INDEX='NSE'", "[INDEX]='NSE'", "\"index\"='NSE'"},
        {"SELECT ID,INDEX,INDEXNAME FROM T", "SELECT ID,[INDEX],INDEXNAME FROM T",
         "SELECT ID,\"index\",INDEXNAME FROM T"},
        {"select t.index from t", "select t.[index] from t", "select t.\"index\" from t"},
        {"INDEXNAME='X' AND REINDEX=1 AND MYINDEX=2 AND INDEX_2=3",
         "INDEXNAME='X' AND REINDEX=1 AND MYINDEX=2 AND INDEX_2=3",
         "INDEXNAME='X' AND REINDEX=1 AND MYINDEX=2 AND INDEX_2=3"},
        {"CREATE INDEX I ON T(INDEX)", "CREATE INDEX I ON T([INDEX])",
         "CREATE INDEX I ON T(\"index\")"},
        {"CREATE UNIQUE INDEX I ON T(A)", "CREATE UNIQUE INDEX I ON T(A)",
         "CREATE UNIQUE INDEX I ON T(A)"},
        {"DROP INDEX I", "DROP INDEX I", "DROP INDEX I"},
        // The recordsets' bracketed names.
        {"SELECT [ID],[COMPNAME] FROM [SelectedComp2Watch] ORDER BY [ID]",
         "SELECT [ID],[COMPNAME] FROM [SelectedComp2Watch] ORDER BY [ID]",
         "SELECT \"id\",\"compname\" FROM \"selectedcomp2watch\" ORDER BY \"id\""},
        {"[Company \"List\"]", "[Company \"List\"]", "\"company \"\"list\"\"\""},
        {"[A=NULL]=1", "[A=NULL]=1", "\"a=null\"=1"},
        // LIKE ignores case on every engine; on PostgreSQL a backslash in the pattern is an
        // ordinary character, as on SQLite.
        {"COMPNAME LIKE '%ba\\nk%' AND B=1", "COMPNAME LIKE '%ba\\nk%' AND B=1",
         "COMPNAME ILIKE '%ba\\nk%' ESCAPE '' AND B=1"},
        {"A NOT LIKE 'x'", "A NOT LIKE 'x'", "A NOT ILIKE 'x' ESCAPE ''"},
        {"A LIKE 'x!%' ESCAPE '!'", "A LIKE 'x!%' ESCAPE '!'", "A ILIKE 'x!%' ESCAPE '!'"},
        {"A LIKE B", "A LIKE B", "A ILIKE B"},
        // Literals, quoted names and comments stay as written.
        {"A='DELETE * FROM X'", "A='DELETE * FROM X'", "A='DELETE * FROM X'"},
        {"A='it''s INDEX<>NULL' AND INDEX<>NULL", "A='it''s INDEX<>NULL' AND [INDEX] IS NOT NULL",
         "A='it''s INDEX<>NULL' AND \"index\" IS NOT NULL"},
        {"[INDEX]='NSE'", "[INDEX]='NSE'", "\"index\"='NSE'"},
        {"\"INDEX\"='NSE'", "\"INDEX\"='NSE'", "\"INDEX\"='NSE'"},
        {"A=1 -- INDEX<>NULL\nAND B=2", "A=1 -- INDEX<>NULL\nAND B=2",
         "A=1 -- INDEX<>NULL\nAND B=2"},
        {"A=1 /* INDEX */", "A=1 /* INDEX */", "A=1 /* INDEX */"},
        {"A='unterminated INDEX", "A='unterminated INDEX", "A='unterminated INDEX"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslateSql(c.in, SqlDialect::Sqlite), c.sqlite) << c.in;
        EXPECT_EQ(TranslateSql(c.in, SqlDialect::PostgreSql), c.postgres) << c.in;
        EXPECT_EQ(TranslateSql(c.in, SqlDialect::Standard), c.in) << c.in;
    }
}

TEST(DialectOfDbms, KnowsTheEnginesByTheNameTheirDriversReport) {
    const std::pair<const char*, SqlDialect> cases[] = {
        {"SQLite", SqlDialect::Sqlite},
        {"PostgreSQL", SqlDialect::PostgreSql},
        {"postgresql", SqlDialect::PostgreSql},
        {"Microsoft SQL Server", SqlDialect::Standard},
        {"", SqlDialect::Standard},
    };
    for (const auto& [name, dialect] : cases)
        EXPECT_EQ(odbc::DialectOfDbms(name), dialect) << name;
}

TEST(SqlEscape, DoublesEverySingleQuote) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"Tata", "Tata"},
        {"Dr. Reddy's Laboratories Ltd", "Dr. Reddy''s Laboratories Ltd"},
        {"'", "''"},
        {"''", "''''"},
        {"x' OR '1'='1", "x'' OR ''1''=''1"},
        {"\"quoted\" [name] %_", "\"quoted\" [name] %_"},
        {"Société Générale '€'", "Société Générale ''€''"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(odbc::SqlEscape(in), out) << in;

    // The driver would end the statement at a NUL and run what stands before it.
    try {
        odbc::SqlEscape(std::string("INFY\0' OR '1'='1", 16));
        FAIL() << "no error";
    } catch (const CDBException& e) {
        EXPECT_EQ(e.m_nRetCode, CDBException::kBadValue);
        EXPECT_NE(e.m_strError.find("NUL"), std::string::npos) << e.m_strError;
    }
}

TEST(TableOfSelect, FindsTheOneTableOfASimpleSelect) {
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT A,B FROM T", "T"},
        {"select a from [Company List] where b=1", "[Company List]"},
        {"SELECT A FROM T ORDER BY A", "T"},
        {"SELECT (SELECT MAX(X) FROM U) FROM T WHERE A='FROM V'", "T"},
        {"SELECT A FROM T, U", ""},
        {"SELECT A FROM T JOIN U ON T.X=U.X", ""},
        {"SELECT A, COUNT(*) FROM T GROUP BY A", ""},
        {"SELECT A FROM (SELECT A FROM T)", ""},
        {"SELECT 1", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(odbc::TableOfSelect(in), out) << in;
}

} // namespace
