#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a trading symbol may be. Symbols arrive from quote services, the data source, the
// user and the charting program, and several of them end up as file names (the quote logs,
// the chart store): one rule decides which names are symbols at all, so that nothing read
// from outside can name a file beyond the folder it is meant for.
namespace symbols {

// Longer than any symbol an exchange or quote service uses, with room for suffixes.
inline constexpr std::size_t kMaxSymbolLength = 40;

// Letters, digits and & - ^ . = _ only; not empty, at most kMaxSymbolLength characters,
// not starting with a dot and never containing "..".
bool IsValidSymbol(std::string_view symbol);

// folder + "/" + symbol + extension, or nullopt when the symbol is not a valid symbol.
// Callers refuse the write; a name is never rewritten into another (another symbol's
// file could be the result).
std::optional<std::string> SymbolFilePath(const std::string& folder, std::string_view symbol,
                                          std::string_view extension);

// The message shown when a name is refused.
std::string InvalidSymbolMessage(std::string_view symbol);

} // namespace symbols
