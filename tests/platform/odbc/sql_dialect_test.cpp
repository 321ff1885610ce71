#include <gtest/gtest.h>

#include "platform/odbc/sql_dialect.h"

namespace {

using odbc::SqlDialect;
using odbc::TranslateSql;

TEST(TranslateSql, RewritesAccessFormsForSqlite) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"delete  *  from X", "delete from X"},
        {"DELETE *FROM X WHERE A=1", "DELETE FROM X WHERE A=1"},
        {"  DELETE\t*\nFROM X", "  DELETE FROM X"},
        {"DELETE FROM X", "DELETE FROM X"},
        {"SELECT * FROM X", "SELECT * FROM X"},
        {"NSENAME<>NULL AND NSENAME<>''", "NSENAME IS NOT NULL AND NSENAME<>''"},
        {"(NSENAME <> NULL AND NSENAME<>'')", "(NSENAME IS NOT NULL AND NSENAME<>'')"},
        {"A<>  null", "A IS NOT NULL"},
        {"A != NULL", "A IS NOT NULL"},
        {"A=NULL OR B = NULL", "A IS NULL OR B IS NULL"},
        {"A==NULL", "A IS NULL"},
        {"A>=NULL", "A>=NULL"},
        {"A<>NULLIF(B,C)", "A<>NULLIF(B,C)"},
        {"A IS NOT NULL", "A IS NOT NULL"},
        // An UPDATE's SET list assigns NULL; its WHERE clause still tests.
        {"UPDATE T SET A=NULL, B = NULL WHERE C=NULL",
         "UPDATE T SET A=NULL, B = NULL WHERE C IS NULL"},
        {"INDEX='NSE'", "[INDEX]='NSE'"},
        {"SELECT ID,INDEX,INDEXNAME FROM T", "SELECT ID,[INDEX],INDEXNAME FROM T"},
        {"select t.index from t", "select t.[index] from t"},
        {"INDEXNAME='X' AND REINDEX=1 AND MYINDEX=2 AND INDEX_2=3",
         "INDEXNAME='X' AND REINDEX=1 AND MYINDEX=2 AND INDEX_2=3"},
        {"CREATE INDEX I ON T(INDEX)", "CREATE INDEX I ON T([INDEX])"},
        {"CREATE UNIQUE INDEX I ON T(A)", "CREATE UNIQUE INDEX I ON T(A)"},
        {"DROP INDEX I", "DROP INDEX I"},
        // Literals, quoted and bracketed names and comments stay as written.
        {"A='DELETE * FROM X'", "A='DELETE * FROM X'"},
        {"A='it''s INDEX<>NULL' AND INDEX<>NULL", "A='it''s INDEX<>NULL' AND [INDEX] IS NOT NULL"},
        {"[INDEX]='NSE'", "[INDEX]='NSE'"},
        {"[A=NULL]=1", "[A=NULL]=1"},
        {"\"INDEX\"='NSE'", "\"INDEX\"='NSE'"},
        {"A=1 -- INDEX<>NULL\nAND B=2", "A=1 -- INDEX<>NULL\nAND B=2"},
        {"A=1 /* INDEX */", "A=1 /* INDEX */"},
        {"A='unterminated INDEX", "A='unterminated INDEX"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslateSql(c.in, SqlDialect::Sqlite), c.out) << c.in;
        EXPECT_EQ(TranslateSql(c.in, SqlDialect::Standard), c.in) << c.in;
    }
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
