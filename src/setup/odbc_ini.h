#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace setup {

using IniEntries = std::vector<std::pair<std::string, std::string>>;

// Sets the entries of one section of an odbc.ini text and returns the new text. Every other
// line stays byte for byte: other sections, comments, the section's other keys. Keys and the
// section name match case-insensitively; a key already holding the value is left as written;
// missing keys go after the section's last line; a missing section is appended. With
// dropOtherKeys the section's other keys go (its comments stay): the section then describes
// a data source of another driver.
std::string UpdateIniSection(std::string_view text, std::string_view section,
                             const IniEntries& entries, bool dropOtherKeys = false);

// The keys of the first section of that name (matched case-insensitively) with their
// values, trimmed, in file order; nothing when there is no such section.
std::optional<IniEntries> ReadIniSection(std::string_view text, std::string_view section);

// The value of a key (matched case-insensitively), empty when it is not there.
std::string IniValue(const IniEntries& entries, std::string_view key);

} // namespace setup
