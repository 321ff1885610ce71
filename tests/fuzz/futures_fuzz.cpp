// The exchange's futures pages as the futures page reads them: the contract rows of a
// symbol's page, the day's trade statistics, and the cell texts made of them.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "market/core/futures_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view page = fuzz::AsText(data, size);

    const auto contracts = market::ExtractContracts(page);
    for (int table = 0; table < market::kContractRows; ++table) {
        const market::ContractCells& cells = contracts[table];
        market::FutureRow row{"Name", "SYMBOL", cells.expiry, cells.values};
        for (int column = 0; column < market::kFutureColumns; ++column)
            market::FutureCellText(row, column);
        const std::string expiry = market::ExpiryDisplay(cells.expiry);
        FUZZ_CHECK(expiry.size() == cells.expiry.size() ||
                   (cells.expiry.size() == 9 && expiry.size() == 11));
        for (const std::string& value : cells.values)
            FUZZ_CHECK(!market::FutureValueText(value).empty());
        // Cells are pieces of the page, never more than it holds.
        FUZZ_CHECK(cells.expiry.size() <= page.size());
    }

    const market::FutureStats stats = market::ExtractStatistics(page);
    FUZZ_CHECK(stats.title.size() <= page.size());
    for (const market::FutureStatsRow& row : stats.rows)
        FUZZ_CHECK(row.product.size() + row.contracts.size() + row.turnover.size() <= page.size());
    return 0;
}
