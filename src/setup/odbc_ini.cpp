#include "setup/odbc_ini.h"

#include <algorithm>

#include "platform/base/text.h"

namespace setup {

namespace {

bool IsComment(std::string_view trimmed) {
    return !trimmed.empty() && (trimmed.front() == '#' || trimmed.front() == ';');
}

// The section name of a "[name]" line, or nothing.
bool SectionName(std::string_view line, std::string& name) {
    const std::string t = text::Trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        return false;
    name = text::Trim(std::string_view(t).substr(1, t.size() - 2));
    return true;
}

bool KeyValue(std::string_view line, std::string& key, std::string& value) {
    const std::string t = text::Trim(line);
    const std::size_t eq = t.find('=');
    if (IsComment(t) || eq == std::string::npos)
        return false;
    key = text::Trim(std::string_view(t).substr(0, eq));
    value = text::Trim(std::string_view(t).substr(eq + 1));
    return true;
}

} // namespace

std::string UpdateIniSection(std::string_view text, std::string_view section,
                             const IniEntries& entries, bool dropOtherKeys) {
    std::vector<std::string> lines = text::Split(text, '\n');
    // A final line break leaves an empty last piece, which is no line.
    const bool endsWithBreak = !text.empty() && text.back() == '\n';
    if (endsWithBreak || text.empty())
        lines.pop_back();

    std::size_t header = lines.size();
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (SectionName(lines[i], name) && text::IEquals(name, section)) {
            header = i;
            break;
        }

    if (header == lines.size()) {
        std::string out(text);
        if (!out.empty() && !endsWithBreak)
            out += '\n';
        // One blank line before the new section, unless the text already ends with one.
        if (!out.empty() && !lines.empty() && !text::Trim(lines.back()).empty())
            out += '\n';
        out += "[" + std::string(section) + "]\n";
        for (const auto& [key, value] : entries)
            out += key + "=" + value + "\n";
        return out;
    }

    std::size_t end = header + 1;
    while (end < lines.size() && !SectionName(lines[end], name))
        ++end;
    if (dropOtherKeys) {
        const auto isOther = [&entries](const std::string& line) {
            std::string k;
            std::string v;
            if (!KeyValue(line, k, v))
                return false;
            for (const auto& entry : entries)
                if (text::IEquals(entry.first, k))
                    return false;
            return true;
        };
        const auto first = lines.begin() + static_cast<std::ptrdiff_t>(header + 1);
        const auto stop = lines.begin() + static_cast<std::ptrdiff_t>(end);
        const auto kept = std::remove_if(first, stop, isOther);
        end -= static_cast<std::size_t>(stop - kept);
        lines.erase(kept, stop);
    }
    std::size_t last = header; // the section's last non-blank line
    for (std::size_t i = header + 1; i < end; ++i)
        if (!text::Trim(lines[i]).empty())
            last = i;

    std::vector<std::string> missing;
    for (const auto& [key, value] : entries) {
        bool found = false;
        for (std::size_t i = header + 1; i < end && !found; ++i) {
            std::string k;
            std::string v;
            if (!KeyValue(lines[i], k, v) || !text::IEquals(k, key))
                continue;
            found = true;
            if (v != value) {
                const bool cr = !lines[i].empty() && lines[i].back() == '\r';
                lines[i] = key + "=" + value + (cr ? "\r" : "");
            }
        }
        if (!found)
            missing.push_back(key + "=" + value);
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), missing.begin(),
                 missing.end());

    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += lines[i];
        if (i + 1 < lines.size() || endsWithBreak || !missing.empty())
            out += '\n';
    }
    return out;
}

std::optional<IniEntries> ReadIniSection(std::string_view text, std::string_view section) {
    std::optional<IniEntries> entries;
    std::string name;
    for (const std::string& line : text::SplitLines(text)) {
        if (SectionName(line, name)) {
            if (entries)
                break;
            if (text::IEquals(name, section))
                entries.emplace();
            continue;
        }
        std::string key;
        std::string value;
        if (entries && KeyValue(line, key, value))
            entries->emplace_back(key, value);
    }
    return entries;
}

std::string IniValue(const IniEntries& entries, std::string_view key) {
    for (const auto& [k, v] : entries)
        if (text::IEquals(k, key))
            return v;
    return {};
}

} // namespace setup
