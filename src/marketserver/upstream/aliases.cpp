#include "marketserver/upstream/aliases.h"

#include "platform/base/symbol_name.h"
#include "platform/base/text.h"

namespace upstream {

std::string NormalizeSymbol(std::string_view requested) {
    return text::ToUpperAscii(text::Trim(requested));
}

AliasTable AliasTable::Parse(std::string_view csv, int* skipped) {
    AliasTable t;
    int bad = 0;
    for (const std::string& raw : text::SplitLines(csv)) {
        const std::string line = text::Trim(raw);
        if (line.empty() || line[0] == '#' || text::IEquals(line, "legacy,upstream"))
            continue;
        const auto fields = text::Split(line, ',');
        if (fields.size() != 2) {
            ++bad;
            continue;
        }
        const std::string from = NormalizeSymbol(fields[0]);
        const std::string to = NormalizeSymbol(fields[1]);
        if (!symbols::IsValidSymbol(from) || (to != "RETIRED" && !symbols::IsValidSymbol(to))) {
            ++bad;
            continue;
        }
        t.m_map[from] = to == "RETIRED" ? Alias{"", true} : Alias{to, false};
    }
    if (skipped)
        *skipped = bad;
    return t;
}

const AliasTable& AliasTable::Default() {
    static const AliasTable table = Parse(AliasesCsv());
    return table;
}

Alias AliasTable::Resolve(std::string_view requested) const {
    const std::string key = NormalizeSymbol(requested);
    if (auto it = m_map.find(key); it != m_map.end())
        return it->second;
    return Alias{key, false};
}

} // namespace upstream
