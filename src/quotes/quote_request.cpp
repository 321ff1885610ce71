#include "quote_request.h"

#include "platform/base/text.h"
#include "platform/inet/service_url.h"

std::string QuoteSymbol(std::string_view tradingSymbol, std::string_view exchange) {
    std::string s(tradingSymbol);
    s += exchange == "NSE" ? ".NS" : ".BO";
    return s;
}

std::string BuildQuoteRequest(std::string_view symbolList, std::string_view formatCodes) {
    return inet::BuildServiceUrl(inet::Service::Quote, "/d/quotes.csv",
                                 {{"s", symbolList}, {"f", formatCodes}});
}

std::string BuildQuoteRequest(const std::vector<std::string>& symbols,
                              std::string_view formatCodes) {
    return BuildQuoteRequest(text::Join(symbols, ","), formatCodes);
}
