#include <gtest/gtest.h>

#include "watch/core/search_rules.h"

namespace {

TEST(SearchRulesTest, ALineCountsOnlyForTheSymbolItNames) {
    const std::string infyNs = R"("INFY.NS",1520.00,"12/7/2026","11:00am",+5.00,1515,1525,1,9)";
    const std::string infyBo = R"("INFY.BO",1519.00,"12/7/2026","11:00am",+4.00,1515,1525,1,9)";
    ValidationAnswer a = ReadValidationAnswer({infyNs}, "infy", "INFY");
    EXPECT_EQ(a.nse, SymbolCheck::Passed) << "the service echoes symbols in upper case";
    EXPECT_EQ(a.bse, SymbolCheck::NotAnswered);
    a = ReadValidationAnswer({infyBo, infyNs}, "INFY", "INFY");
    EXPECT_EQ(a.nse, SymbolCheck::NotAnswered);
    EXPECT_FALSE(a.Answered());
}

db::WatchRow Item(const char* exchange, const char* symbol) {
    db::WatchRow r;
    r.companyName = "Newco Ltd";
    r.exchange = exchange;
    r.symbol = symbol;
    return r;
}

TEST(SearchRulesTest, NewListingItemsSkipWatchedAndEmptySymbols) {
    using Items = std::vector<db::WatchRow>;
    const NewListing listing{"Newco Ltd", "NEWCO", "NEWB"};
    EXPECT_EQ(NewListingItems(listing, {true, true}, {Item("BSE", "NEWCO"), Item("NSE", "newb")}),
              (Items{Item("NSE", "NEWCO"), Item("BSE", "NEWB")}));
    EXPECT_EQ(NewListingItems(listing, {true, true}, {Item("NSE", "newco")}),
              Items{Item("BSE", "NEWB")});
    // A flag left from an earlier run does not make an empty name an item.
    EXPECT_TRUE(NewListingItems({"Newco Ltd", "", "NEWB"}, {true, false}, {}).empty());
}

TEST(SearchRulesTest, TheCatalogueGetsTheValidatedSymbolsItLacks) {
    const NewListing listing{"Newco Ltd", "NEWCO", "NEWB"};
    struct Case {
        ValidatedFlags flags;
        bool nsePresent, bsePresent;
        const char* nse;
        const char* bse;
    };
    const Case cases[] = {
        {{true, true}, false, false, "NEWCO", "NEWB"},
        {{true, true}, true, false, "", "NEWB"},
        {{true, true}, false, true, "NEWCO", ""},
        {{true, true}, true, true, "", ""},
        {{false, true}, false, false, "", "NEWB"},
        {{true, false}, true, false, "", ""}, // BSE missing but not validated: nothing to record
    };
    for (const Case& c : cases) {
        const CatalogueRow row =
            NewListingCatalogueRow(listing, c.flags, c.nsePresent, c.bsePresent);
        EXPECT_EQ(row.nseName, c.nse);
        EXPECT_EQ(row.bseName, c.bse);
        EXPECT_EQ(row.add, *c.nse || *c.bse) << c.nse << "|" << c.bse;
        EXPECT_EQ(row.companyName, "Newco Ltd");
    }
}

} // namespace
