#include "platform/odbc/sql_dialect.h"

#include <vector>

#include "platform/base/text.h"
#include "platform/odbc/db_exception.h"

namespace odbc {

namespace {

enum class Kind {
    Word,    // name, keyword or number
    Space,   // blanks and comments: skipped when looking at neighbours
    Opaque,  // string literal or quoted name, copied as it stands
    Compare, // a run of < > = !
    Other,   // any other single character
};

struct Token {
    Kind kind;
    std::string_view text;
};

bool IsWordChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '_' ||
           c == '$' || u >= 0x80;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Length of a quoted run starting at sql[pos] with the opening character `open`; a doubled
// closing character stands for itself. An unterminated run takes the rest of the text.
std::size_t QuotedLength(std::string_view sql, std::size_t pos, char close, bool doubledEscape) {
    std::size_t i = pos + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (doubledEscape && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1 - pos;
        }
        ++i;
    }
    return sql.size() - pos;
}

std::vector<Token> Tokenize(std::string_view sql) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < sql.size()) {
        const char c = sql[i];
        std::size_t n = 1;
        Kind kind = Kind::Other;
        if (c == '\'' || c == '"' || c == '`') {
            kind = Kind::Opaque;
            n = QuotedLength(sql, i, c, true);
        } else if (c == '[') {
            kind = Kind::Opaque;
            n = QuotedLength(sql, i, ']', false);
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            kind = Kind::Space;
            const std::size_t end = sql.find('\n', i);
            n = (end == std::string_view::npos ? sql.size() : end) - i;
        } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
            kind = Kind::Space;
            const std::size_t end = sql.find("*/", i + 2);
            n = (end == std::string_view::npos ? sql.size() : end + 2) - i;
        } else if (IsBlank(c)) {
            kind = Kind::Space;
            while (i + n < sql.size() && IsBlank(sql[i + n]))
                ++n;
        } else if (IsWordChar(c)) {
            kind = Kind::Word;
            while (i + n < sql.size() && IsWordChar(sql[i + n]))
                ++n;
        } else if (c == '<' || c == '>' || c == '=' || c == '!') {
            kind = Kind::Compare;
            while (i + n < sql.size() &&
                   std::string_view("<>=!").find(sql[i + n]) != std::string_view::npos)
                ++n;
        }
        tokens.push_back({kind, sql.substr(i, n)});
        i += n;
    }
    return tokens;
}

// Index of the next token after i that is not blank or comment, or tokens.size().
std::size_t NextSignificant(const std::vector<Token>& tokens, std::size_t i) {
    ++i;
    while (i < tokens.size() && tokens[i].kind == Kind::Space)
        ++i;
    return i;
}

bool IsWord(const std::vector<Token>& tokens, std::size_t i, std::string_view word) {
    return i < tokens.size() && tokens[i].kind == Kind::Word && text::IEquals(tokens[i].text, word);
}

// INDEX is a keyword only right after CREATE, CREATE UNIQUE and DROP; anywhere else in the
// program's statements it is the exchange column.
bool IndexIsKeyword(const Token* previous) {
    return previous && previous->kind == Kind::Word &&
           (text::IEquals(previous->text, "CREATE") || text::IEquals(previous->text, "UNIQUE") ||
            text::IEquals(previous->text, "DROP"));
}

void TrimTrailingBlanks(std::string& out) {
    while (!out.empty() && IsBlank(out.back()))
        out.pop_back();
}

void AppendQuoted(std::string& out, std::string_view name, const EngineRules& rules) {
    const std::string_view close = rules.quoteClose;
    out += rules.quoteOpen;
    for (const char c : rules.lowerCaseQuotedNames ? text::ToLowerAscii(name) : std::string(name)) {
        out += c;
        if (close.size() == 1 && c == close[0])
            out += c; // a quote inside the name stands for itself when doubled
    }
    out += close;
}

std::string Translate(std::string_view sql, const EngineRules& rules) {
    const std::vector<Token> tokens = Tokenize(sql);
    std::string out;
    out.reserve(sql.size() + 16);

    const std::size_t first =
        tokens.empty() || tokens[0].kind != Kind::Space ? 0 : NextSignificant(tokens, 0);
    const bool isUpdate = IsWord(tokens, first, "UPDATE");
    bool inSetList = false; // "col=NULL" there is an assignment, not a test
    const Token* previous = nullptr;
    std::size_t likePattern = tokens.size(); // the literal pattern that gets the suffix

    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Kind::Word) {
            if (text::IEquals(t.text, "DELETE")) {
                const std::size_t star = NextSignificant(tokens, i);
                const std::size_t from = NextSignificant(tokens, star);
                if (star < tokens.size() && tokens[star].text == "*" &&
                    IsWord(tokens, from, "FROM")) {
                    out += t.text;
                    out += ' ';
                    previous = &t;
                    i = from - 1;
                    continue;
                }
            } else if (isUpdate && text::IEquals(t.text, "SET")) {
                inSetList = true;
            } else if (text::IEquals(t.text, "WHERE")) {
                inSetList = false;
            } else if (text::IEquals(t.text, "INDEX") && !IndexIsKeyword(previous)) {
                AppendQuoted(out, t.text, rules);
                previous = &t;
                continue;
            } else if (text::IEquals(t.text, "LIKE")) {
                const std::size_t pattern = NextSignificant(tokens, i);
                if (*rules.likePatternSuffix && pattern < tokens.size() &&
                    tokens[pattern].kind == Kind::Opaque && tokens[pattern].text.front() == '\'' &&
                    !IsWord(tokens, NextSignificant(tokens, pattern), "ESCAPE"))
                    likePattern = pattern;
                out += rules.like;
                previous = &t;
                continue;
            }
        } else if (t.kind == Kind::Opaque && t.text.front() == '[') {
            const std::size_t closed = t.text.size() >= 2 && t.text.back() == ']' ? 1 : 0;
            AppendQuoted(out, t.text.substr(1, t.text.size() - 1 - closed), rules);
            previous = &t;
            continue;
        } else if (t.kind == Kind::Compare) {
            const bool equal = t.text == "=" || t.text == "==";
            const bool notEqual = t.text == "<>" || t.text == "!=";
            const std::size_t next = NextSignificant(tokens, i);
            if ((notEqual || (equal && !inSetList)) && IsWord(tokens, next, "NULL")) {
                TrimTrailingBlanks(out);
                out += notEqual ? " IS NOT NULL" : " IS NULL";
                previous = &tokens[next];
                i = next;
                continue;
            }
        }
        out += t.text;
        if (i == likePattern)
            out += rules.likePatternSuffix;
        if (t.kind != Kind::Space)
            previous = &t;
    }
    return out;
}

// One entry per engine; the first is the engine nobody recognised.
const EngineRules kEngines[] = {
    {SqlDialect::Standard,
     "an unknown engine",
     "",
     "[",
     "]",
     false,
     "LIKE",
     "",
     nullptr,
     nullptr,
     false,
     nullptr,
     nullptr,
     nullptr,
     nullptr,
     {nullptr, nullptr, nullptr, nullptr, nullptr}},
    {SqlDialect::Sqlite,
     "SQLite3",
     "sqlite",
     "[",
     "]",
     false,
     "LIKE", // already blind to the case of ASCII letters
     "",
     "rowid",
     nullptr,
     false,
     "rowid=last_insert_rowid()",
     nullptr, // one writer at a time: the first write takes the lock for the transaction
     nullptr,
     "SELECT name FROM sqlite_master WHERE type='table'",
     {"INTEGER PRIMARY KEY AUTOINCREMENT", "TEXT", "INTEGER", "INTEGER", "DOUBLE"}},
    {SqlDialect::PostgreSql,
     "PostgreSQL",
     "postgresql",
     "\"",
     "\"",
     true,
     "ILIKE",
     " ESCAPE ''",
     "rowid",
     "rowid BIGINT GENERATED BY DEFAULT AS IDENTITY UNIQUE",
     true,
     nullptr,
     "LOCK TABLE %s IN EXCLUSIVE MODE",
     // The program doubles quotes and nothing else, so a backslash must be an ordinary
     // character, whatever the server's default.
     "SET standard_conforming_strings = on",
     "SELECT table_name FROM information_schema.tables WHERE table_schema = current_schema()",
     {"INTEGER GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY", "VARCHAR(255)", "INTEGER", "SMALLINT",
      "DOUBLE PRECISION"}},
};

} // namespace

const EngineRules& Rules(SqlDialect dialect) {
    for (const EngineRules& rules : kEngines)
        if (rules.dialect == dialect)
            return rules;
    return kEngines[0];
}

SqlDialect DialectOfDbms(std::string_view dbmsName) {
    const std::string name = text::ToLowerAscii(dbmsName);
    for (const EngineRules& rules : kEngines)
        if (*rules.dbmsName && name.find(rules.dbmsName) != std::string::npos)
            return rules.dialect;
    return SqlDialect::Standard;
}

std::string TableOfSelect(std::string_view select) {
    const std::vector<Token> tokens = Tokenize(select);
    int depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == Kind::Other && t.text == "(")
            ++depth;
        else if (t.kind == Kind::Other && t.text == ")")
            --depth;
        if (depth != 0 || !IsWord(tokens, i, "FROM"))
            continue;
        const std::size_t name = NextSignificant(tokens, i);
        if (name >= tokens.size() ||
            (tokens[name].kind != Kind::Word &&
             (tokens[name].kind != Kind::Opaque || tokens[name].text.front() == '\'')))
            return {};
        const std::size_t after = NextSignificant(tokens, name);
        if (after < tokens.size() && !IsWord(tokens, after, "WHERE") &&
            !IsWord(tokens, after, "ORDER") && !IsWord(tokens, after, "LIMIT") &&
            !(tokens[after].kind == Kind::Other && tokens[after].text == ";"))
            return {};
        return std::string(tokens[name].text);
    }
    return {};
}

std::string TranslateSql(std::string_view sql, SqlDialect dialect) {
    if (dialect == SqlDialect::Standard)
        return std::string(sql);
    return Translate(sql, Rules(dialect));
}

std::string SqlEscape(std::string_view value) {
    if (value.find('\0') != std::string_view::npos)
        throw CDBException(CDBException::kBadValue,
                           "The text contains a NUL character, which cannot be stored.");
    std::string out;
    out.reserve(value.size() + 2);
    for (const char c : value) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

} // namespace odbc
