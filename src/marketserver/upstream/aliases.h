#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace upstream {

// What to ask the chart service for, for a symbol the program sends.
struct Alias {
    std::string symbol; // the service's symbol (upper-cased)
    bool retired = false;
};

// The program's symbols that the service knows by another name, or no longer at all.
class AliasTable final {
public:
    // The table compiled in from data/upstream-aliases.csv.
    static const AliasTable& Default();
    // "legacy,upstream" lines; '#' starts a comment line; the header line is skipped.
    // Malformed lines are skipped and counted.
    static AliasTable Parse(std::string_view csv, int* skipped = nullptr);

    // The symbol trimmed and upper-cased, then looked up; unlisted symbols stand for
    // themselves.
    Alias Resolve(std::string_view requested) const;
    std::size_t Size() const { return m_map.size(); }

private:
    std::unordered_map<std::string, Alias> m_map;
};

// Trimmed of blanks at both ends ("^FTSE " is sent with one) and upper-cased.
std::string NormalizeSymbol(std::string_view requested);

std::string_view AliasesCsv();

} // namespace upstream
