// Pellar: the bridge component. Each method opens the charting program's application
// object by its ProgID, finds or creates stocks and adds quotations through its automation
// members only. Nothing is caught: the first failing step's error is the method's result.
#include "bridge/pellar.h"

#include <atomic>
#include <string>
#include <vector>

#include "bridge/pellar_rules.h"
#include "platform/base/symbol_name.h"
#include "platform/base/text.h"
#include "platform/com/dispatch.h"

namespace {

using com::Bstr;
using com::ComPtr;
using com::Variant;

constexpr const char* kChartingProgram = "Broker.Application";
// An object variable used before anything was put in it.
constexpr HRESULT kObjectNotSet = static_cast<HRESULT>(0x800A005B);

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

class clsdll final : public _clsdll {
public:
    clsdll() { ++g_objects; }

    // IUnknown
    HRESULT QueryInterface(const IID& riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__clsdll) {
            *ppv = static_cast<_clsdll*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override {
        const ULONG left = --m_refs;
        if (left == 0)
            delete this;
        return left;
    }

    // IDispatch: the same methods by name and number.
    HRESULT GetTypeInfoCount(unsigned* n) override {
        if (!n)
            return E_POINTER;
        *n = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(unsigned, LCID, void** p) override {
        if (p)
            *p = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(const IID&, const char** names, unsigned count, LCID,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, const IID&, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO*, unsigned*) override;

    // _clsdll
    HRESULT fnInitialize(VARIANT* result) override;
    HRESULT fnAddQuotations(BSTR* strCSVData, VARIANT* result) override;
    HRESULT fnAddStocks(BSTR* strTicker, VARIANT* result) override;
    HRESULT fnDeleteAllStocks(VARIANT* result) override;
    HRESULT parseCsv(BSTR* lineIn, VARIANT* result) override;
    HRESULT fnAddQuotationsforBackFill(BSTR* strStockName, BSTR* strCSVData,
                                       VARIANT* result) override;

private:
    ~clsdll() { --g_objects; }
    HRESULT Open();
    HRESULT FindStock(const std::string& symbol, ComPtr<IDispatch>& stock, bool& found);
    HRESULT StockCount(std::int32_t& n);
    HRESULT RefreshAll() { return com::CallMethod(m_app.Get(), "RefreshAll", {}, nullptr); }
    static HRESULT AddQuotation(IDispatch* stock, DATE when, ComPtr<IDispatch>& quotation);

    std::atomic<ULONG> m_refs{1};
    ComPtr<IDispatch> m_app;    // the charting program
    ComPtr<IDispatch> m_stocks; // its Stocks collection
};

void Empty(VARIANT* result) {
    if (result)
        VariantClear(result);
}

// The bars of a quotations text: records separated by '*', their fields by ','. Empty records
// hold no bar and are passed over: the text starts with '*' when NIFTY has no value, and a
// back-fill text ends with one.
std::vector<std::vector<std::string>> BarRecords(BSTR* csv) {
    std::vector<std::vector<std::string>> records;
    for (const std::string& record : pellar::Split(csv ? BstrToString(*csv) : "", '*'))
        if (!record.empty())
            records.push_back(pellar::Split(record, ','));
    return records;
}

HRESULT clsdll::Open() {
    ComPtr<IDispatch> app;
    if (HRESULT hr = com::CreateByProgId(kChartingProgram, IID_IDispatch, app.PutVoid());
        FAILED(hr))
        return hr;
    m_app = app;
    return com::GetObject(m_app.Get(), "Stocks", m_stocks);
}

HRESULT clsdll::StockCount(std::int32_t& n) {
    Variant count;
    if (HRESULT hr = com::GetProperty(m_stocks.Get(), "Count", &count); FAILED(hr))
        return hr;
    return com::ToInt32(count, n);
}

HRESULT clsdll::FindStock(const std::string& symbol, ComPtr<IDispatch>& stock, bool& found) {
    found = false;
    std::int32_t n = 0;
    if (HRESULT hr = StockCount(n); FAILED(hr))
        return hr;
    for (std::int32_t i = 0; i < n; ++i) {
        Variant item;
        if (HRESULT hr = com::GetItem(m_stocks.Get(), {Variant(i)}, &item); FAILED(hr))
            return hr;
        IDispatch* candidate = nullptr;
        if (HRESULT hr = com::ToDispatch(item, candidate); FAILED(hr))
            return hr;
        ComPtr<IDispatch> held(candidate);
        Variant ticker;
        if (HRESULT hr = com::GetProperty(held.Get(), "Ticker", &ticker); FAILED(hr))
            return hr;
        std::string text;
        if (HRESULT hr = com::ToString(ticker, text); FAILED(hr))
            return hr;
        if (pellar::TickerMatches(text, symbol)) {
            stock = held;
            found = true;
            return S_OK;
        }
    }
    return S_OK;
}

HRESULT clsdll::AddQuotation(IDispatch* stock, DATE when, ComPtr<IDispatch>& quotation) {
    ComPtr<IDispatch> quotations;
    if (HRESULT hr = com::GetObject(stock, "Quotations", quotations); FAILED(hr))
        return hr;
    Variant added;
    if (HRESULT hr = com::CallMethod(quotations.Get(), "Add", {Variant::Date(when)}, &added);
        FAILED(hr))
        return hr;
    IDispatch* q = nullptr;
    if (HRESULT hr = com::ToDispatch(added, q); FAILED(hr))
        return hr;
    *quotation.Put() = q;
    return S_OK;
}

HRESULT clsdll::fnInitialize(VARIANT* result) {
    Empty(result);
    return Open();
}

HRESULT clsdll::fnAddStocks(BSTR* strTicker, VARIANT* result) {
    Empty(result);
    if (HRESULT hr = Open(); FAILED(hr))
        return hr;
    std::vector<std::string> list;
    if (HRESULT hr = pellar::ParseCsv(strTicker ? BstrToString(*strTicker) : "", list); FAILED(hr))
        return hr;
    for (const std::string& symbol : list) {
        // A list without its closing comma ends in an empty field: no stock for it.
        if (symbol.empty())
            continue;
        // Tickers name files and folders in charting programs: only symbols get through.
        if (!symbols::IsValidSymbol(symbol))
            return E_INVALIDARG;
        ComPtr<IDispatch> stock;
        bool found = false;
        if (HRESULT hr = FindStock(symbol, stock, found); FAILED(hr))
            return hr;
        if (!found)
            if (HRESULT hr = com::CallMethod(m_stocks.Get(), "Add", {Variant(symbol)}, nullptr);
                FAILED(hr))
                return hr;
    }
    return RefreshAll();
}

HRESULT clsdll::fnDeleteAllStocks(VARIANT* result) {
    Empty(result);
    // Works on the collection the last opening call of this instance stored.
    if (!m_stocks || !m_app)
        return kObjectNotSet;
    std::int32_t n = 0;
    if (HRESULT hr = StockCount(n); FAILED(hr))
        return hr;
    for (std::int32_t i = 0; i < n; ++i)
        if (HRESULT hr =
                com::CallMethod(m_stocks.Get(), "Remove", {Variant(std::int16_t{0})}, nullptr);
            FAILED(hr))
            return hr;
    return RefreshAll();
}

HRESULT clsdll::fnAddQuotations(BSTR* strCSVData, VARIANT* result) {
    Empty(result);
    if (HRESULT hr = Open(); FAILED(hr))
        return hr;
    for (const std::vector<std::string>& f : BarRecords(strCSVData)) {
        ComPtr<IDispatch> stock;
        bool found = false;
        if (HRESULT hr = FindStock(f[0], stock, found); FAILED(hr))
            return hr;
        if (!found)
            continue;
        if (f.size() < 4)
            return CTL_E_SUBSCRIPT;
        ComPtr<IDispatch> q;
        if (HRESULT hr = AddQuotation(stock.Get(), pellar::LocalNow(), q); FAILED(hr))
            return hr;
        if (HRESULT hr = com::PutProperty(q.Get(), "Open", Variant(pellar::Val(f[1]))); FAILED(hr))
            return hr;
        if (HRESULT hr = com::PutProperty(q.Get(), "Close", Variant(pellar::Val(f[2]))); FAILED(hr))
            return hr;
        Variant open, close;
        if (HRESULT hr = com::GetProperty(q.Get(), "Open", &open); FAILED(hr))
            return hr;
        if (HRESULT hr = com::GetProperty(q.Get(), "Close", &close); FAILED(hr))
            return hr;
        double o = 0, c = 0;
        if (HRESULT hr = com::ToDouble(open, o); FAILED(hr))
            return hr;
        if (HRESULT hr = com::ToDouble(close, c); FAILED(hr))
            return hr;
        if (HRESULT hr = com::PutProperty(q.Get(), "High", Variant(o >= c ? o : c)); FAILED(hr))
            return hr;
        if (HRESULT hr = com::PutProperty(q.Get(), "Low", Variant(o >= c ? c : o)); FAILED(hr))
            return hr;
        if (HRESULT hr = com::PutProperty(q.Get(), "Volume", Variant(pellar::Val(f[3])));
            FAILED(hr))
            return hr;
    }
    return RefreshAll();
}

HRESULT clsdll::fnAddQuotationsforBackFill(BSTR* strStockName, BSTR* strCSVData, VARIANT* result) {
    Empty(result);
    if (HRESULT hr = Open(); FAILED(hr))
        return hr;
    ComPtr<IDispatch> stock;
    bool found = false;
    if (HRESULT hr = FindStock(strStockName ? BstrToString(*strStockName) : "", stock, found);
        FAILED(hr))
        return hr;
    for (const std::vector<std::string>& f : BarRecords(strCSVData)) {
        DATE when = 0;
        if (HRESULT hr = pellar::BackfillDate(f[0], when); FAILED(hr))
            return hr;
        if (found) {
            if (f.size() < 6)
                return CTL_E_SUBSCRIPT;
            ComPtr<IDispatch> q;
            if (HRESULT hr = AddQuotation(stock.Get(), when, q); FAILED(hr))
                return hr;
            const std::pair<const char*, std::size_t> order[] = {
                {"Open", 4}, {"Close", 1}, {"High", 2}, {"Low", 3}, {"Volume", 5}};
            for (const auto& [name, field] : order)
                if (HRESULT hr = com::PutProperty(q.Get(), name, Variant(pellar::Val(f[field])));
                    FAILED(hr))
                    return hr;
        }
        if (HRESULT hr = RefreshAll(); FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT clsdll::parseCsv(BSTR* lineIn, VARIANT* result) {
    Empty(result);
    std::vector<std::string> fields;
    if (HRESULT hr = pellar::ParseCsv(lineIn ? BstrToString(*lineIn) : "", fields); FAILED(hr))
        return hr;
    if (result) {
        result->vt = VT_ARRAY | VT_BSTR;
        result->parray = SafeArrayCreateBstr(fields);
    }
    return S_OK;
}

HRESULT clsdll::GetIDsOfNames(const IID&, const char** names, unsigned count, LCID, DISPID* ids) {
    static const std::pair<const char*, DISPID> kNames[] = {
        {"fnInitialize", DISPID_fnInitialize},
        {"fnAddQuotations", DISPID_fnAddQuotations},
        {"fnAddStocks", DISPID_fnAddStocks},
        {"fnDeleteAllStocks", DISPID_fnDeleteAllStocks},
        {"parseCsv", DISPID_parseCsv},
        {"fnAddQuotationsforBackFill", DISPID_fnAddQuotationsforBackFill},
    };
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    for (const auto& [name, id] : kNames)
        if (text::IEquals(name, names[0] ? names[0] : "")) {
            ids[0] = id;
            return S_OK;
        }
    ids[0] = -1;
    return DISP_E_UNKNOWNNAME;
}

HRESULT clsdll::Invoke(DISPID id, const IID&, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO*, unsigned*) {
    const unsigned n = params ? params->cArgs : 0;
    // Text arguments come as strings, by reference or by value; arguments arrive reversed.
    std::vector<Bstr> texts(n);
    std::vector<BSTR*> args(n, nullptr);
    for (unsigned i = 0; i < n; ++i) {
        VARIANT& v = params->rgvarg[n - 1 - i];
        if (v.vt == (VT_BSTR | VT_BYREF))
            args[i] = v.pbstrVal;
        else {
            std::string s;
            if (HRESULT hr = com::ToString(v, s); FAILED(hr))
                return hr;
            *texts[i].Address() = SysAllocStringLen(s.data(), static_cast<std::uint32_t>(s.size()));
            args[i] = texts[i].Address();
        }
    }
    auto need = [&](unsigned count) { return n == count; };
    switch (id) {
    case DISPID_fnInitialize:
        return need(0) ? fnInitialize(result) : DISP_E_BADPARAMCOUNT;
    case DISPID_fnAddQuotations:
        return need(1) ? fnAddQuotations(args[0], result) : DISP_E_BADPARAMCOUNT;
    case DISPID_fnAddStocks:
        return need(1) ? fnAddStocks(args[0], result) : DISP_E_BADPARAMCOUNT;
    case DISPID_fnDeleteAllStocks:
        return need(0) ? fnDeleteAllStocks(result) : DISP_E_BADPARAMCOUNT;
    case DISPID_parseCsv:
        return need(1) ? parseCsv(args[0], result) : DISP_E_BADPARAMCOUNT;
    case DISPID_fnAddQuotationsforBackFill:
        return need(2) ? fnAddQuotationsforBackFill(args[0], args[1], result)
                       : DISP_E_BADPARAMCOUNT;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

LibraryClassFactory<clsdll> g_factory(&g_locks);

} // namespace

#define PELLAR_EXPORT extern "C" __attribute__((visibility("default")))

PELLAR_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& riid, void** ppv) {
    return ComGetClassObject(clsid, CLSID_clsdll, g_factory, riid, ppv);
}

PELLAR_EXPORT HRESULT DllCanUnloadNow() {
    return g_objects == 0 && g_locks == 0 ? S_OK : S_FALSE;
}

PELLAR_EXPORT HRESULT DllRegisterServer() {
    return ComRegisterServer(kPellarProgId, CLSID_clsdll,
                             LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer)),
                             kPellarTypeLibrary);
}

PELLAR_EXPORT HRESULT DllUnregisterServer() {
    return ComUnregisterServer(kPellarProgId, CLSID_clsdll);
}
