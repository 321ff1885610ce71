#include "bridge_harness.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "fuzz_check.h"

namespace fuzz {

namespace {

using com::Bstr;
using com::ComPtr;
using com::Variant;

std::string g_root;

void RemoveRoot() {
    std::error_code ec;
    std::filesystem::remove_all(g_root, ec);
}

// A text handed over by reference comes back as it went.
HRESULT CallWithText(_clsdll& bridge, HRESULT (_clsdll::*method)(BSTR*, VARIANT*),
                     const std::string& text) {
    Bstr arg(text);
    Variant result;
    const HRESULT hr = (bridge.*method)(arg.Address(), &result);
    FUZZ_CHECK(arg.Text() == text);
    return hr;
}

} // namespace

BridgeHarness& BridgeHarness::Instance() {
    static BridgeHarness harness;
    return harness;
}

BridgeHarness::BridgeHarness() {
    // The stand-in writes its files at every refresh: memory-backed storage when there is
    // some, so the disk does not set the pace.
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : "/tmp";
    if (::access("/dev/shm", W_OK) == 0)
        base = "/dev/shm";
    std::string pattern = base + "/koravel-fuzz-XXXXXX";
    FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
    g_root = pattern;
    std::atexit(RemoveRoot);
    ::setenv("KORAVEL_ROOT", g_root.c_str(), 1);
    ::setenv("KORAVEL_COM_REGISTRY", (g_root + "/registry.ini").c_str(), 1);
    FUZZ_CHECK(RegisterServerLibrary(PELLAR_LIBRARY) == S_OK);
    FUZZ_CHECK(RegisterServerLibrary(CHARTSTORE_LIBRARY) == S_OK);
    FUZZ_CHECK(CoCreateInstance(CLSID_clsdll, nullptr, CLSCTX_INPROC_SERVER, IID__clsdll,
                                m_bridge.PutVoid()) == S_OK);
    FUZZ_CHECK(com::CreateByProgId("Broker.Application", IID_IDispatch, m_app.PutVoid()) == S_OK);
}

void BridgeHarness::Reset() {
    Variant result;
    FUZZ_CHECK(m_bridge->fnInitialize(&result) == S_OK);
    FUZZ_CHECK(m_bridge->fnDeleteAllStocks(&result) == S_OK);
    FUZZ_CHECK(AddStocks(kHarnessStocks) == S_OK);
}

HRESULT BridgeHarness::AddStocks(const std::string& list) {
    return CallWithText(*m_bridge.Get(), &_clsdll::fnAddStocks, list);
}

HRESULT BridgeHarness::AddQuotations(const std::string& text) {
    return CallWithText(*m_bridge.Get(), &_clsdll::fnAddQuotations, text);
}

HRESULT BridgeHarness::Backfill(const std::string& name, const std::string& text) {
    Bstr n(name), t(text);
    Variant result;
    const HRESULT hr = m_bridge->fnAddQuotationsforBackFill(n.Address(), t.Address(), &result);
    FUZZ_CHECK(n.Text() == name && t.Text() == text);
    FUZZ_CHECK(result.vt == VT_EMPTY);
    return hr;
}

HRESULT BridgeHarness::ParseCsv(const std::string& line, std::vector<std::string>& fields) {
    Bstr arg(line);
    Variant result;
    const HRESULT hr = m_bridge->parseCsv(arg.Address(), &result);
    FUZZ_CHECK(arg.Text() == line);
    fields.clear();
    if (SUCCEEDED(hr)) {
        FUZZ_CHECK(result.vt == (VT_ARRAY | VT_BSTR) && result.parray);
        for (BSTR item : result.parray->items)
            fields.push_back(BstrToString(item));
    }
    return hr;
}

int BridgeHarness::BarCount(int stockIndex) {
    ComPtr<IDispatch> stocks, quotations;
    FUZZ_CHECK(com::GetObject(m_app.Get(), "Stocks", stocks) == S_OK);
    Variant stock, count;
    FUZZ_CHECK(com::GetItem(stocks.Get(), {Variant(stockIndex)}, &stock) == S_OK);
    IDispatch* held = nullptr;
    FUZZ_CHECK(com::ToDispatch(stock, held) == S_OK);
    ComPtr<IDispatch> owner(held);
    FUZZ_CHECK(com::GetObject(owner.Get(), "Quotations", quotations) == S_OK);
    FUZZ_CHECK(com::GetProperty(quotations.Get(), "Count", &count) == S_OK);
    std::int32_t n = 0;
    FUZZ_CHECK(com::ToInt32(count, n) == S_OK);
    return n;
}

} // namespace fuzz
