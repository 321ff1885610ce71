#pragma once

#include <string>
#include <vector>

#include "bridge/pellar.h"
#include "platform/com/dispatch.h"

namespace fuzz {

// The bridge in front of the charting-program stand-in, both loaded as the program loads
// them (registered in a registry of their own), with a data root of their own that goes
// when the process ends.
class BridgeHarness final {
public:
    static BridgeHarness& Instance();

    // Every input starts from the same three stocks and no bars.
    void Reset();
    HRESULT AddStocks(const std::string& list);
    HRESULT AddQuotations(const std::string& text);
    HRESULT Backfill(const std::string& name, const std::string& text);
    HRESULT ParseCsv(const std::string& line, std::vector<std::string>& fields);
    // The bars the charting program holds for the stock at this index.
    int BarCount(int stockIndex);

private:
    BridgeHarness();
    com::ComPtr<_clsdll> m_bridge;
    com::ComPtr<IDispatch> m_app;
};

inline constexpr const char* kHarnessStocks = "NIFTY,SENSEX,RELIANCE,";

} // namespace fuzz
