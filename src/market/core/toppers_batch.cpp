#include "market/core/toppers_batch.h"

#include <algorithm>

#include "market/core/market_text.h"
#include "platform/base/text.h"
#include "platform/inet/internet_session.h"
#include "quotes/quote_request.h"

namespace {

std::atomic<int> g_sessionCounter{0};

} // namespace

const char* ToppersExchangeName(int exchange) {
    return exchange == kToppersBse ? "BSE" : "NSE";
}

std::vector<ToppersBatchJob> CutToppersBatches(int exchange, int companyCount) {
    const int size = exchange == kToppersBse ? kBseBatchSize : kNseBatchSize;
    std::vector<ToppersBatchJob> jobs;
    for (int first = 0; first < companyCount; first += size)
        jobs.push_back({exchange, first, std::min(first + size, companyCount) - 1});
    return jobs;
}

void ToppersTable::Load(int exch, std::vector<TopperCompany> list) {
    exchange = exch;
    companies = std::move(list);
    quotes.assign(companies.size(), QuoteRecord{});
}

namespace {

std::vector<std::string> BatchSymbols(const ToppersTable& table, const ToppersBatchJob& job) {
    std::vector<std::string> symbols;
    for (int slot = job.firstSlot; slot <= job.lastSlot; ++slot)
        symbols.push_back(
            QuoteSymbol(table.companies[slot].symbol, ToppersExchangeName(job.exchange)));
    return symbols;
}

} // namespace

std::string ToppersBatchUrl(const ToppersTable& table, const ToppersBatchJob& job) {
    return BuildQuoteRequest(BatchSymbols(table, job), kQuoteFormatShort);
}

std::string NextToppersSessionName() {
    return "session-" + std::to_string(g_sessionCounter.fetch_add(1));
}

bool StoreToppersBatch(const std::vector<std::string>& lines, const ToppersBatchJob& job,
                       ToppersTable& table) {
    const int slots = job.lastSlot - job.firstSlot + 1;
    if (slots <= 0 || job.lastSlot >= static_cast<int>(table.quotes.size()))
        return false;
    if (lines.empty())
        return false;
    QuoteRecord first;
    ParseQuoteLine9(lines.front(), first);
    const std::string asked =
        QuoteSymbol(table.companies[job.firstSlot].symbol, ToppersExchangeName(job.exchange));
    if (!text::IEquals(first.symbol, text::Trim(asked)))
        return false;
    const int n = std::min(slots, static_cast<int>(lines.size()));
    for (int k = 0; k < n; ++k)
        ParseQuoteLine9(lines[k], table.quotes[job.firstSlot + k]);
    return n == slots;
}

bool RunToppersBatch(const ToppersBatchJob& job, ToppersTable& table,
                     std::shared_ptr<const std::atomic<bool>> cancel) {
    try {
        const std::string url = ToppersBatchUrl(table, job);
        CInternetSession session(NextToppersSessionName(), 1);
        session.SetCancelFlag(std::move(cancel));
        std::vector<std::string> lines;
        try {
            lines = inet::ReadAllLines(session, url);
        } catch (const CInternetException&) {
            return false; // lines that came before the break are not trusted
        }
        session.Close();
        return StoreToppersBatch(lines, job, table);
    } catch (...) {
        return false; // the page must hear from every batch, whatever went wrong here
    }
}

std::string ToppersIdleText(int exchange) {
    return std::string("Press the left button\nto get the latest data for ") +
           ToppersExchangeName(exchange);
}

std::string ToppersProgressText(int done, int total) {
    return "Data Retrieval is in Progress\n        Please wait ...     \n" +
           market::ProgressText(done, total);
}

std::string ToppersDoneText(int failed, int total) {
    const std::string tail = "Now you can click on Column Headers\n to find the TOPPERS";
    if (failed == 0)
        return "Data Retrieval Successfully Completed!!!\n" + tail;
    return "Data Retrieval Completed with errors!!!\n" + std::to_string(failed) + " of " +
           std::to_string(total) + " batches failed\n" + tail;
}

std::string ToppersNoCompanyText(int exchange) {
    return std::string("There is no company listed on ") + ToppersExchangeName(exchange) +
           " in your company list";
}
