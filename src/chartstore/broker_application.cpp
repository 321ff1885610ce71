// The charting-program stand-in: an automation object "Broker.Application" with the
// members the bridge uses (Stocks, RefreshAll; Count, items, Add, Remove; Ticker,
// Quotations; Add(date); Open, High, Low, Close, Volume), over the process-wide store.
#include <cmath>
#include <string>

#include "chartstore/chart_store.h"
#include "platform/com/dispatch.h"

namespace {

using chartstore::Bar;
using chartstore::Store;
using com::DispatchObject;
using com::Variant;

// Our own class id for the stand-in.
constexpr CLSID CLSID_BrokerApplication = {
    0x6E1A5C2B, 0x4D7F, 0x4F3B, {0x9C, 0x1E, 0x2A, 0x7B, 0x8D, 0x5E, 0x9F, 0x10}};
constexpr const char* kProgId = "Broker.Application";

std::int64_t Seconds(DATE d) {
    return com::UnixSecondsFromDate(d);
}

void ReturnObject(VARIANT* result, IDispatch* object) {
    VariantClear(result);
    result->vt = VT_DISPATCH;
    result->pdispVal = object; // the reference the caller now holds
}

class Quotation final : public DispatchObject {
public:
    Quotation(std::string ticker, std::int64_t when) : m_ticker(std::move(ticker)), m_when(when) {}

protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> m = {{"Date", 1}, {"Open", 2},  {"High", 3},
                                              {"Low", 4},  {"Close", 5}, {"Volume", 6}};
        return m;
    }
    HRESULT OnInvoke(DISPID id, WORD flags, const std::vector<const VARIANT*>& args,
                     VARIANT* result) override {
        Bar bar;
        if (!Store::Instance().Get(m_ticker, m_when, bar))
            return DISP_E_MEMBERNOTFOUND; // the stock went away
        double* field = id == 2   ? &bar.open
                        : id == 3 ? &bar.high
                        : id == 4 ? &bar.low
                        : id == 5 ? &bar.close
                        : id == 6 ? &bar.volume
                                  : nullptr;
        if (id == 1 && (flags & DISPATCH_PROPERTYGET)) {
            VariantClear(result);
            result->vt = VT_DATE;
            result->date = com::DateFromUnixSeconds(m_when);
            return S_OK;
        }
        if (!field)
            return DISP_E_MEMBERNOTFOUND;
        if (flags & DISPATCH_PROPERTYPUT) {
            if (args.size() != 1)
                return DISP_E_BADPARAMCOUNT;
            if (HRESULT hr = com::ToDouble(*args[0], *field); FAILED(hr))
                return hr;
            Store::Instance().Set(m_ticker, m_when, bar);
            return S_OK;
        }
        VariantClear(result);
        result->vt = VT_R8;
        result->dblVal = *field;
        return S_OK;
    }

private:
    std::string m_ticker;
    std::int64_t m_when;
};

class Quotations final : public DispatchObject {
public:
    explicit Quotations(std::string ticker) : m_ticker(std::move(ticker)) {}

protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> m = {{"Item", DISPID_VALUE}, {"Add", 1}, {"Count", 2}};
        return m;
    }
    HRESULT OnInvoke(DISPID id, WORD, const std::vector<const VARIANT*>& args,
                     VARIANT* result) override {
        if (id == 1) { // Add(date): the bar at that moment, made when missing
            if (args.size() != 1)
                return DISP_E_BADPARAMCOUNT;
            double d = 0;
            if (HRESULT hr = com::ToDouble(*args[0], d); FAILED(hr))
                return hr;
            const std::int64_t when = Seconds(d);
            if (!Store::Instance().Touch(m_ticker, when))
                return DISP_E_MEMBERNOTFOUND;
            ReturnObject(result, new Quotation(m_ticker, when));
            return S_OK;
        }
        const auto bars = Store::Instance().Bars(m_ticker);
        if (id == 2) {
            VariantClear(result);
            result->vt = VT_I4;
            result->lVal = static_cast<std::int32_t>(bars.size());
            return S_OK;
        }
        if (id == DISPID_VALUE) {
            std::int32_t index = 0;
            if (args.size() != 1 || FAILED(com::ToInt32(*args[0], index)) || index < 0 ||
                index >= static_cast<std::int32_t>(bars.size()))
                return DISP_E_BADINDEX;
            ReturnObject(result, new Quotation(m_ticker, std::next(bars.begin(), index)->first));
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::string m_ticker;
};

class Stock final : public DispatchObject {
public:
    explicit Stock(std::string ticker) : m_ticker(std::move(ticker)) {}

protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> m = {{"Ticker", 1}, {"Quotations", 2}};
        return m;
    }
    HRESULT OnInvoke(DISPID id, WORD, const std::vector<const VARIANT*>&,
                     VARIANT* result) override {
        if (id == 1) {
            VariantClear(result);
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocString(m_ticker.c_str());
            return S_OK;
        }
        if (id == 2) {
            ReturnObject(result, new Quotations(m_ticker));
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::string m_ticker;
};

class Stocks final : public DispatchObject {
protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> m = {
            {"Item", DISPID_VALUE}, {"Count", 1}, {"Add", 2}, {"Remove", 3}};
        return m;
    }
    HRESULT OnInvoke(DISPID id, WORD, const std::vector<const VARIANT*>& args,
                     VARIANT* result) override {
        Store& store = Store::Instance();
        switch (id) {
        case 1:
            VariantClear(result);
            result->vt = VT_I4;
            result->lVal = store.Count();
            return S_OK;
        case 2: {
            std::string ticker;
            if (args.size() != 1)
                return DISP_E_BADPARAMCOUNT;
            if (HRESULT hr = com::ToString(*args[0], ticker); FAILED(hr))
                return hr;
            const std::string added = store.Add(ticker);
            if (added.empty())
                return E_INVALIDARG; // no symbol (or the list's own name): nothing is made
            ReturnObject(result, new Stock(added));
            return S_OK;
        }
        case 3:
        case DISPID_VALUE: {
            std::int32_t index = 0;
            if (args.size() != 1)
                return DISP_E_BADPARAMCOUNT;
            if (HRESULT hr = com::ToInt32(*args[0], index); FAILED(hr))
                return hr;
            if (id == 3)
                return store.RemoveAt(index) ? S_OK : DISP_E_BADINDEX;
            const std::string ticker = store.TickerAt(index);
            if (ticker.empty())
                return DISP_E_BADINDEX;
            ReturnObject(result, new Stock(ticker));
            return S_OK;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }
};

class Application final : public DispatchObject {
protected:
    const std::vector<Member>& Members() const override {
        static const std::vector<Member> m = {
            {"Stocks", 1}, {"RefreshAll", 2}, {"RefreshCount", 3}};
        return m;
    }
    HRESULT OnInvoke(DISPID id, WORD, const std::vector<const VARIANT*>&,
                     VARIANT* result) override {
        if (id == 1) {
            ReturnObject(result, new Stocks);
            return S_OK;
        }
        if (id == 2) // the charting program redraws; the stand-in writes its files
            return Store::Instance().Flush() ? S_OK : E_FAIL;
        if (id == 3) { // how often it was asked to (for checks)
            VariantClear(result);
            result->vt = VT_I4;
            result->lVal = Store::Instance().Flushes();
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }
};

LibraryClassFactory<Application> g_factory;

} // namespace

#define CHARTSTORE_EXPORT extern "C" __attribute__((visibility("default")))

CHARTSTORE_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& riid, void** ppv) {
    return ComGetClassObject(clsid, CLSID_BrokerApplication, g_factory, riid, ppv);
}

CHARTSTORE_EXPORT HRESULT DllCanUnloadNow() {
    return S_FALSE;
}

CHARTSTORE_EXPORT HRESULT DllRegisterServer() {
    return ComRegisterServer(kProgId, CLSID_BrokerApplication,
                             LibraryPathOf(reinterpret_cast<const void*>(&DllRegisterServer)));
}

CHARTSTORE_EXPORT HRESULT DllUnregisterServer() {
    return ComUnregisterServer(kProgId, CLSID_BrokerApplication);
}
