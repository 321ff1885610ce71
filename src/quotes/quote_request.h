#pragma once

#include <string>
#include <string_view>
#include <vector>

// Format codes the program asks the quote service for.
inline constexpr const char* kQuoteFormatFull = "sl1d1t1c1ohgvjk"; // 11 fields: the bar's request
inline constexpr const char* kQuoteFormatShort =
    "sl1d1t1c1ohgv";                                  // 9 fields: toppers, validation, probe
inline constexpr const char* kQuoteFormatRange = "w"; // the 52-week range as text

inline constexpr const char* kSymbolNifty = "^NSEI";
inline constexpr const char* kSymbolSensex = "^BSESN";
inline constexpr const char* kSymbolDollar = "USDINR=X";

// A stock's quote symbol: the trading symbol + ".NS" when the exchange string is exactly
// "NSE", else + ".BO".
std::string QuoteSymbol(std::string_view tradingSymbol, std::string_view exchange);

// The quote service URL for a symbol list (already joined by commas) and format codes.
std::string BuildQuoteRequest(std::string_view symbolList, std::string_view formatCodes);
// The same for separate symbols, joined with single commas.
std::string BuildQuoteRequest(const std::vector<std::string>& symbols,
                              std::string_view formatCodes);
