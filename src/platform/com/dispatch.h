#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/com.h"

namespace com {

// Holds one reference to an interface.
template <class T> class ComPtr final {
public:
    ComPtr() = default;
    explicit ComPtr(T* p) : m_p(p) {} // takes the reference it is given
    ComPtr(const ComPtr& o) : m_p(o.m_p) {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) {
        if (o.m_p)
            o.m_p->AddRef();
        Reset();
        m_p = o.m_p;
        return *this;
    }
    ~ComPtr() { Reset(); }
    void Reset() {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For out parameters: releases what it held.
    T** Put() {
        Reset();
        return &m_p;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

private:
    T* m_p = nullptr;
};

// A system string owned for a scope.
class Bstr final {
public:
    Bstr() = default;
    explicit Bstr(const std::string& s)
        : m_s(SysAllocStringLen(s.data(), static_cast<std::uint32_t>(s.size()))) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(m_s); }
    BSTR Get() const { return m_s; }
    BSTR* Address() { return &m_s; }
    std::string Text() const { return BstrToString(m_s); }

private:
    BSTR m_s = nullptr;
};

// A variant cleared when it goes.
struct Variant final : VARIANT {
    Variant() { VariantInit(this); }
    explicit Variant(double d) : Variant() { vt = VT_R8, dblVal = d; }
    explicit Variant(std::int32_t l) : Variant() { vt = VT_I4, lVal = l; }
    explicit Variant(std::int16_t i) : Variant() { vt = VT_I2, iVal = i; }
    explicit Variant(const std::string& s) : Variant() {
        vt = VT_BSTR, bstrVal = SysAllocStringLen(s.data(), static_cast<std::uint32_t>(s.size()));
    }
    static Variant Date(DATE d) {
        Variant v;
        v.vt = VT_DATE;
        v.date = d;
        return v;
    }
    Variant(const Variant& o) : Variant() { VariantCopy(this, &o); }
    Variant& operator=(const Variant& o) {
        VariantCopy(this, &o);
        return *this;
    }
    ~Variant() { VariantClear(this); }
};

// Conversions as automation does them: numbers convert between themselves, a string that
// is no number is a type mismatch, a value out of range an overflow.
HRESULT ToDouble(const VARIANT& v, double& out);
HRESULT ToInt32(const VARIANT& v, std::int32_t& out);
HRESULT ToString(const VARIANT& v, std::string& out);
HRESULT ToDispatch(const VARIANT& v, IDispatch*& out); // adds a reference

// A date-time as automation keeps it, from seconds since 1970-01-01 00:00:00, and back.
DATE DateFromUnixSeconds(std::int64_t seconds);
std::int64_t UnixSecondsFromDate(DATE d);

// Late binding: a member by name, its arguments in natural order.
HRESULT Invoke(IDispatch* object, const char* name, WORD flags, const std::vector<Variant>& args,
               VARIANT* result);
HRESULT GetProperty(IDispatch* object, const char* name, VARIANT* result);
HRESULT PutProperty(IDispatch* object, const char* name, const Variant& value);
HRESULT CallMethod(IDispatch* object, const char* name, const std::vector<Variant>& args,
                   VARIANT* result);
// The default member with arguments (a collection's item).
HRESULT GetItem(IDispatch* object, const std::vector<Variant>& args, VARIANT* result);
// A property that holds an object.
HRESULT GetObject(IDispatch* object, const char* name, ComPtr<IDispatch>& result);

// Creates an object by ProgID and asks it for an interface.
HRESULT CreateByProgId(const char* progId, const IID& riid, void** ppv);

// The base of an automation object: reference counting, interface lookup and dispatch by
// a table of member names.
class DispatchObject : public IDispatch {
public:
    struct Member {
        const char* name;
        DISPID id;
    };

    HRESULT QueryInterface(const IID& riid, void** ppv) override;
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override;
    HRESULT GetTypeInfoCount(unsigned* pctinfo) override;
    HRESULT GetTypeInfo(unsigned, LCID, void** ppTInfo) override;
    HRESULT GetIDsOfNames(const IID& riid, const char** names, unsigned count, LCID lcid,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID id, const IID& riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excep, unsigned* argErr) override;

protected:
    DispatchObject() = default;
    virtual ~DispatchObject() = default;
    virtual const std::vector<Member>& Members() const = 0;
    // Arguments in natural order, by-reference ones followed to their values.
    virtual HRESULT OnInvoke(DISPID id, WORD flags, const std::vector<const VARIANT*>& args,
                             VARIANT* result) = 0;
    // An interface of the derived object's own (a dual interface), or nullptr.
    virtual void* OwnInterface(const IID&) { return nullptr; }

private:
    std::atomic<ULONG> m_refs{1};
};

} // namespace com
