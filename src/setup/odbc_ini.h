#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace setup {

using IniEntries = std::vector<std::pair<std::string, std::string>>;

// Sets the entries of one section of an odbc.ini text and returns the new text. Every other
// line stays byte for byte: other sections, comments, the section's other keys. Keys and the
// section name match case-insensitively; a key already holding the value is left as written;
// missing keys go after the section's last line; a missing section is appended.
std::string UpdateIniSection(std::string_view text, std::string_view section,
                             const IniEntries& entries);

} // namespace setup
