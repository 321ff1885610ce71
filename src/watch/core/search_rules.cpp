#include "watch/core/search_rules.h"

#include "platform/base/text.h"
#include "quotes/quote_record.h"
#include "quotes/quote_request.h"

namespace {

// Characters, not bytes: a UTF-8 continuation byte starts no character.
std::size_t CharacterCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++n;
    return n;
}

SymbolCheck CheckLine(const std::vector<std::string>& lines, std::size_t index,
                      const std::string& quoteSymbol) {
    if (index >= lines.size())
        return SymbolCheck::NotAnswered;
    QuoteRecord record;
    ParseQuoteLine9(lines[index], record);
    if (!text::IEquals(record.symbol, quoteSymbol))
        return SymbolCheck::NotAnswered;
    return IsUnknownSymbolLine(lines[index]) ? SymbolCheck::Failed : SymbolCheck::Passed;
}

bool Holds(const std::vector<db::WatchRow>& items, const std::string& exchange,
           const std::string& symbol) {
    for (const db::WatchRow& item : items)
        // The quote service takes symbols in any case, so "infy" is INFY already watched.
        if (item.exchange == exchange && text::IEquals(item.symbol, symbol))
            return true;
    return false;
}

} // namespace

bool IsLongEnoughToSearch(std::string_view text) {
    return CharacterCount(text) >= 3;
}

SearchStart StartSearch(std::string_view text, bool typed) {
    if (IsLongEnoughToSearch(text))
        return SearchStart::Run;
    return typed ? SearchStart::StopSilently : SearchStart::Refuse;
}

std::string CheckAlertLimits(bool alertSet, double lowerLimit, double upperLimit) {
    if (!alertSet)
        return {};
    if (lowerLimit == 0 || upperLimit == 0)
        return kMsgLimitZero;
    if (lowerLimit >= upperLimit)
        return kMsgLimitOrder;
    return {};
}

std::string ValidationSymbolList(std::string_view nseName, std::string_view bseName) {
    std::string list;
    if (!nseName.empty())
        list += QuoteSymbol(nseName, "NSE");
    if (!nseName.empty() && !bseName.empty())
        list += ',';
    if (!bseName.empty())
        list += QuoteSymbol(bseName, "BSE");
    return list;
}

bool ValidationAnswer::Answered() const {
    auto answered = [](SymbolCheck c) {
        return c == SymbolCheck::Passed || c == SymbolCheck::Failed;
    };
    return answered(nse) || answered(bse);
}

ValidationAnswer ReadValidationAnswer(const std::vector<std::string>& lines,
                                      std::string_view nseName, std::string_view bseName) {
    ValidationAnswer answer;
    std::size_t next = 0;
    if (!nseName.empty())
        answer.nse = CheckLine(lines, next++, QuoteSymbol(nseName, "NSE"));
    if (!bseName.empty())
        answer.bse = CheckLine(lines, next, QuoteSymbol(bseName, "BSE"));
    return answer;
}

std::string NseValidationText(bool passed) {
    return passed ? "NSE Name Validation PASSED" : "NSE Name Validation FAILED";
}

std::string BseValidationText(bool passed) {
    return passed ? "BSE Name Validation PASSED" : "BSE Name Validation FAILED";
}

void ValidatedFlags::Apply(const ValidationAnswer& answer) {
    if (answer.nse == SymbolCheck::Passed)
        nse = true;
    if (answer.bse == SymbolCheck::Passed)
        bse = true;
}

std::vector<db::WatchRow> NewListingItems(const NewListing& listing, const ValidatedFlags& flags,
                                          const std::vector<db::WatchRow>& existing) {
    std::vector<db::WatchRow> items;
    auto add = [&](bool validated, const std::string& exchange, const std::string& symbol) {
        if (!validated || symbol.empty() || Holds(existing, exchange, symbol))
            return;
        db::WatchRow item;
        item.companyName = listing.companyName;
        item.exchange = exchange;
        item.symbol = symbol;
        items.push_back(std::move(item));
    };
    add(flags.nse, "NSE", listing.nseSymbol);
    add(flags.bse, "BSE", listing.bseSymbol);
    return items;
}

CatalogueRow NewListingCatalogueRow(const NewListing& listing, const ValidatedFlags& flags,
                                    bool nsePresent, bool bsePresent) {
    CatalogueRow row;
    row.companyName = listing.companyName;
    // A row without a symbol could never be found by a search, so it is not written.
    if (flags.nse && !nsePresent && !listing.nseSymbol.empty())
        row.nseName = listing.nseSymbol;
    if (flags.bse && !bsePresent && !listing.bseSymbol.empty())
        row.bseName = listing.bseSymbol;
    row.add = !row.nseName.empty() || !row.bseName.empty();
    return row;
}
