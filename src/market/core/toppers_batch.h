#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "quotes/quote_record.h"

// Fetching the quote of every listed company of one exchange in batches: the company
// table, how it is cut into batches, and what one batch worker does.

// The exchange radios: index 0 NSE, 1 BSE.
constexpr int kToppersNse = 0;
constexpr int kToppersBse = 1;
// Symbols per request: one request per batch keeps the requests few.
constexpr int kNseBatchSize = 150;
constexpr int kBseBatchSize = 200;

// "NSE" or "BSE".
const char* ToppersExchangeName(int exchange);

struct TopperCompany {
    std::string companyName;
    std::string indexName; // "NSE" or "BSE"
    std::string symbol;    // trading symbol on that exchange, no suffix
};

// What a batch worker is given: its exchange and its slots, first to last inclusive.
struct ToppersBatchJob {
    int exchange = kToppersNse;
    int firstSlot = 0;
    int lastSlot = -1;

    friend bool operator==(const ToppersBatchJob&, const ToppersBatchJob&) = default;
};

// The slots in order, cut into batches of the exchange's size; the last holds the rest.
std::vector<ToppersBatchJob> CutToppersBatches(int exchange, int companyCount);

// One exchange's companies in company-name order, and a quote per company at the same
// position. While a fetch runs each worker writes only its own slots; the page reads the
// quotes once every batch has reported.
struct ToppersTable {
    int exchange = kToppersNse;
    std::vector<TopperCompany> companies;
    std::vector<QuoteRecord> quotes;

    // New companies with empty quotes, so nothing of an earlier fetch can show again.
    void Load(int exchange, std::vector<TopperCompany> list);
};

// The quote request for a batch's symbols, each with ".NS" or ".BO", codes sl1d1t1c1ohgv.
std::string ToppersBatchUrl(const ToppersTable& table, const ToppersBatchJob& job);

// "session-0", "session-1", ...: one number per worker for the whole program run.
std::string NextToppersSessionName();

// Puts answer line k into slot first + k; lines past the batch's last slot are dropped.
// An answer whose first line is not the first symbol's quote (an error page) stores
// nothing. True only when every company of the batch got its line.
bool StoreToppersBatch(const std::vector<std::string>& lines, const ToppersBatchJob& job,
                       ToppersTable& table);

// The worker's whole job: its own session, one request, the lines into its slots. A
// transfer that fails or breaks off stores nothing. Never throws; false when the batch
// failed. `cancel` stops the transfer when the page goes.
bool RunToppersBatch(const ToppersBatchJob& job, ToppersTable& table,
                     std::shared_ptr<const std::atomic<bool>> cancel);

// The page's status texts.
std::string ToppersIdleText(int exchange);
std::string ToppersProgressText(int done, int total);
std::string ToppersDoneText(int failed, int total);
std::string ToppersNoCompanyText(int exchange);
