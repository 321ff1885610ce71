#include <string>

#include <gtest/gtest.h>

#include "platform/base/symbol_name.h"

namespace {

TEST(SymbolNameTest, AcceptsTheSymbolsMarketsUse) {
    for (const char* s : {"RELIANCE", "M&M", "BAJAJ-AUTO", "^NSEI", "USDINR=X", "RELIANCE.NS",
                          "500325.BO", "NIFTY_50", "3MINDIA", "a"})
        EXPECT_TRUE(symbols::IsValidSymbol(s)) << s;
    EXPECT_TRUE(symbols::IsValidSymbol(std::string(symbols::kMaxSymbolLength, 'A')));
}

TEST(SymbolNameTest, RefusesNamesThatCouldLeaveTheirFolder) {
    const std::string nul("A\0B", 3);
    for (const std::string& s :
         {std::string(), std::string("../../X"), std::string(".."), std::string("."),
          std::string(".hidden"), std::string("A..B"), std::string("A/B"), std::string("A\\B"),
          std::string("/etc/passwd"), std::string("A B"), std::string("^FTSE "), nul,
          std::string("A\nB"), std::string("A:B"), std::string("A*"), std::string("\xe2\x82\xb9"),
          std::string(symbols::kMaxSymbolLength + 1, 'A')})
        EXPECT_FALSE(symbols::IsValidSymbol(s)) << s;
}

TEST(SymbolNameTest, FilePathIsMadeOnlyForValidSymbols) {
    EXPECT_EQ(symbols::SymbolFilePath("/data/EODData", "M&M", ".txt"), "/data/EODData/M&M.txt");
    EXPECT_EQ(symbols::SymbolFilePath("/data/EODData/", "X", ".txt"), "/data/EODData/X.txt");
    EXPECT_FALSE(symbols::SymbolFilePath("/data/EODData", "../../X", ".txt"));
    EXPECT_FALSE(symbols::SymbolFilePath("/data/EODData", "", ".txt"));
    EXPECT_EQ(symbols::InvalidSymbolMessage("A\nB"), "\"A?B\" is not a valid trading symbol.");
}

} // namespace
