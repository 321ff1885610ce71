// A chart-data answer as the back-fill reads it: lines as the session reads them, the
// header of the mode left out, the bars joined and handed to the bridge for one stock.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "amibroker/core/link_rules.h"
#include "bridge_harness.h"
#include "fuzz_check.h"
#include "platform/base/text.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int mode = data[0] & 1 ? 5 : 1;
    const std::vector<std::string> lines = text::SplitLines(fuzz::AsText(data + 1, size - 1));
    const std::string bars = amilink::JoinBars(lines, amilink::HeaderLines(mode));
    if (lines.size() <= static_cast<std::size_t>(amilink::HeaderLines(mode)))
        FUZZ_CHECK(bars.empty());

    fuzz::BridgeHarness& bridge = fuzz::BridgeHarness::Instance();
    bridge.Reset();
    const HRESULT hr = bridge.Backfill("RELIANCE", bars);
    // Each record ('*' ends one) is at most one bar in the charting program.
    if (hr == S_OK)
        FUZZ_CHECK(bridge.BarCount(2) <= std::count(bars.begin(), bars.end(), '*'));
    return 0;
}
