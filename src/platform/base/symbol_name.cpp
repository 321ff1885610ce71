#include "platform/base/symbol_name.h"

#include "platform/base/paths.h"

namespace symbols {

namespace {

bool IsSymbolChar(char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '&':
    case '-':
    case '^':
    case '.':
    case '=':
    case '_':
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsValidSymbol(std::string_view symbol) {
    if (symbol.empty() || symbol.size() > kMaxSymbolLength || symbol.front() == '.')
        return false;
    if (symbol.find("..") != std::string_view::npos)
        return false;
    for (const char c : symbol)
        if (!IsSymbolChar(c))
            return false;
    return true;
}

std::optional<std::string> SymbolFilePath(const std::string& folder, std::string_view symbol,
                                          std::string_view extension) {
    if (!IsValidSymbol(symbol))
        return std::nullopt;
    std::string name(symbol);
    name += extension;
    return paths::Join(folder, name);
}

std::string InvalidSymbolMessage(std::string_view symbol) {
    std::string shown;
    for (const char c : symbol.substr(0, 60))
        shown += (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) ? '?' : c;
    return "\"" + shown + "\" is not a valid trading symbol.";
}

} // namespace symbols
