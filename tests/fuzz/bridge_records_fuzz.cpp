// The texts the bridge takes from the program: the live feed's records, a back-fill's bars
// for a named stock, comma lists and stock lists, handed through the component to the
// charting-program stand-in.
#include <cstdint>
#include <string>
#include <vector>

#include "bridge_harness.h"
#include "fuzz_check.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int call = data[0] % 4;
    const std::string text(fuzz::AsText(data + 1, size - 1));
    fuzz::BridgeHarness& bridge = fuzz::BridgeHarness::Instance();
    bridge.Reset();
    switch (call) {
    case 0:
        bridge.AddQuotations(text);
        break;
    case 1: {
        // The first line names the stock, the rest are its bars.
        const std::size_t eol = text.find('\n');
        bridge.Backfill(text.substr(0, eol), eol == std::string::npos ? "" : text.substr(eol + 1));
        break;
    }
    case 2: {
        std::vector<std::string> fields;
        const HRESULT hr = bridge.ParseCsv(text, fields);
        FUZZ_CHECK(hr == S_OK || hr == DISP_E_OVERFLOW || hr == CTL_E_ILLEGALFUNCTIONCALL);
        break;
    }
    case 3: {
        // Stock names become the stand-in's file names: only lists of valid symbols go in
        // (the program sends nothing else), so the fuzzer never writes outside its root.
        std::vector<std::string> fields;
        if (FAILED(bridge.ParseCsv(text, fields)))
            break;
        for (const std::string& field : fields)
            if (!symbols::IsValidSymbol(field))
                return 0;
        bridge.AddStocks(text);
        break;
    }
    }
    return 0;
}
