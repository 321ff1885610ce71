#include "market/core/market_text.h"

namespace market {

std::string ProgressText(int done, int total) {
    return "Batches done: " + std::to_string(done) + " of " + std::to_string(total);
}

} // namespace market
