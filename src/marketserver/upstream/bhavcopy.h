#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "marketserver/market_source.h"

// The exchanges' daily files (bhavcopies) in their common layout: one row per instrument
// with named columns (TradDt, TckrSymb, FinInstrmTp, XpryDt, OpnPric ... TtlTrfVal).
namespace upstream {

enum class BhavcopyKind {
    NseFutures, // NSE F&O: the futures page and the trade statistics
    NseCash,    // NSE cash market: toppers and end-of-day quotes of .NS symbols
    BseCash,    // BSE cash market: the same for .BO symbols
};

// The columns a kind is read by; a file without one of them is refused.
const std::vector<std::string>& RequiredColumns(BhavcopyKind kind);

class UdiffTable final {
public:
    // Reads a file's text (header line first; quoted cells may hold commas). Rows that are
    // too short are skipped. With keepTypes, only rows whose FinInstrmTp is one of them are
    // kept. False, with a reason, when a required column is missing or no row is left.
    bool Parse(std::string_view csv, const std::vector<std::string>& required, std::string& why,
               const std::vector<std::string>& keepTypes = {});

    const std::string& Cell(std::size_t row, const char* column) const;
    double Number(std::size_t row, const char* column) const;
    std::size_t Rows() const { return m_rows.size(); }
    // The header and the kept rows as CSV text again (what the cache stores).
    std::string ToCsv() const;

private:
    std::string m_header;
    std::unordered_map<std::string, std::size_t> m_columns;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::string> m_lines;
};

// A civil day from "2026-03-12" or "12-Mar-2026"; false for anything else.
bool ParseTradeDate(const std::string& text, std::int64_t& civilDay);

// The futures contracts of an underlying (stock futures STF, index futures IDF), nearest
// expiry first, at most three. False when the file has none for it.
bool FuturesFromUdiff(const UdiffTable& fo, const std::string& key,
                      marketserver::FuturesTable& out);

// The day's totals of index futures and stock futures; false without a trade date.
bool StatisticsFromUdiff(const UdiffTable& fo, marketserver::TradeStatistics& out);

// End-of-day quotes of a cash-market file by upper-cased ticker symbol (NSE: series EQ
// first): close as the last price, at the session's close time.
std::unordered_map<std::string, marketserver::QuoteValues> QuotesFromCash(const UdiffTable& cm,
                                                                          BhavcopyKind kind);

} // namespace upstream
