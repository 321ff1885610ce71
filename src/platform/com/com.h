#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// A small component model in the shape of COM: reference-counted interfaces found by IID,
// late binding through IDispatch, system strings and variants, and in-process servers
// created by ProgID. Enough for the bridge and the charting-program stand-in; there is no
// marshalling: an object is called on whatever thread calls it.

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using WORD = std::uint16_t;
using VARIANT_BOOL = std::int16_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x8004015F);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
constexpr HRESULT DISP_E_OVERFLOW = static_cast<HRESULT>(0x8002000A);
constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000B);
constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = static_cast<HRESULT>(0x8002000F);
// The runtime errors an automation server raises: subscript out of range, invalid call.
constexpr HRESULT CTL_E_SUBSCRIPT = static_cast<HRESULT>(0x800A0009);
constexpr HRESULT CTL_E_ILLEGALFUNCTIONCALL = static_cast<HRESULT>(0x800A0005);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::uint8_t Data4[8] = {};
    friend bool operator==(const GUID& a, const GUID& b);
    friend bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }
};
using IID = GUID;
using CLSID = GUID;

// "{9DEFFD01-6C65-499E-BBCF-24D1B210348A}" and back.
std::string GuidToString(const GUID& g);
bool GuidFromString(const std::string& text, GUID& out);

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const IID IID_IClassFactory;
extern const IID IID_NULL;

// A system string: UTF-8 text owned by the component model, with its length in front so
// it may hold any byte. The pointer addresses the text.
using BSTR = char*;
BSTR SysAllocString(const char* text);
BSTR SysAllocStringLen(const char* text, std::uint32_t length);
void SysFreeString(BSTR s);
std::uint32_t SysStringLen(BSTR s);
std::string BstrToString(BSTR s);

enum VARENUM : std::uint16_t {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
};
using VARTYPE = std::uint16_t;

struct IUnknown;
struct IDispatch;

// One-dimensional arrays of strings (the only kind the bridge returns).
struct SAFEARRAY {
    std::int32_t lLbound = 0;
    std::vector<BSTR> items;
};
SAFEARRAY* SafeArrayCreateBstr(const std::vector<std::string>& items);
void SafeArrayDestroy(SAFEARRAY* a);

using DATE = double; // days since 1899-12-30, the day's time as the fraction

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    union {
        std::int16_t iVal;
        std::int32_t lVal;
        double dblVal;
        DATE date;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BSTR* pbstrVal;
        VARIANT* pvarVal;
        std::int16_t* piVal;
        std::int32_t* plVal;
        double* pdblVal;
    };
    VARIANT() : lVal(0) {}
};
void VariantInit(VARIANT* v);
// Releases what the variant owns (its string, its object, its array) and empties it.
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
// Follows a by-reference variant to the value it refers to.
const VARIANT* VariantDeref(const VARIANT* v);

struct DISPPARAMS {
    VARIANT* rgvarg = nullptr; // arguments in reverse order
    DISPID* rgdispidNamedArgs = nullptr;
    unsigned cArgs = 0;
    unsigned cNamedArgs = 0;
};
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr WORD DISPATCH_METHOD = 1;
constexpr WORD DISPATCH_PROPERTYGET = 2;
constexpr WORD DISPATCH_PROPERTYPUT = 4;

struct EXCEPINFO {
    std::string description;
    HRESULT scode = 0;
};

struct IUnknown {
    virtual HRESULT QueryInterface(const IID& riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(unsigned* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(unsigned iTInfo, LCID lcid, void** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(const IID& riid, const char** names, unsigned count, LCID lcid,
                                  DISPID* dispids) = 0;
    virtual HRESULT Invoke(DISPID dispid, const IID& riid, LCID lcid, WORD flags,
                           DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                           unsigned* argErr) = 0;

protected:
    ~IDispatch() = default;
};

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** ppv) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

constexpr std::uint32_t CLSCTX_INPROC_SERVER = 0x1;

// The runtime. Initialisation is counted per thread; creation does not insist on it.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();
HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid);
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, std::uint32_t context,
                         const IID& riid, void** ppv);

// The registry of in-process servers: $KORAVEL_COM_REGISTRY, else registry.ini in the
// user's configuration folder. Servers write themselves into it when registered.
std::string ComRegistryFile();
HRESULT ComRegisterServer(const std::string& progId, const CLSID& clsid,
                          const std::string& libraryPath, const std::string& typeLibrary = {});
HRESULT ComUnregisterServer(const std::string& progId, const CLSID& clsid);
// The class factory of a server with one class: one object for the life of the library
// (references are not counted), making T objects that start with one reference of their own.
// LockServer calls are counted in `locks` where the server keeps that count.
template <class T> class LibraryClassFactory final : public IClassFactory {
public:
    explicit LibraryClassFactory(std::atomic<long>* locks = nullptr) : m_locks(locks) {}

    HRESULT QueryInterface(const IID& riid, void** ppv) override {
        if (!ppv)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* object = new T;
        const HRESULT hr = object->QueryInterface(riid, ppv);
        object->Release();
        return hr;
    }
    HRESULT LockServer(bool lock) override {
        if (m_locks)
            lock ? ++*m_locks : --*m_locks;
        return S_OK;
    }

private:
    std::atomic<long>* m_locks;
};

// DllGetClassObject of a server with one class: `factory` when `asked` is the class it serves.
HRESULT ComGetClassObject(const CLSID& asked, const CLSID& served, IClassFactory& factory,
                          const IID& riid, void** ppv);
// The library registered for a ProgID; empty when there is none. A registry file that is
// read-only is never rewritten: registration then fails with SELFREG_E_CLASS.
std::string ComRegisteredLibrary(const std::string& progId);

// The entry points a server library exports.
using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, const IID& riid, void** ppv);
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
using DllCanUnloadNowFn = HRESULT (*)();

// Loads a server library and calls its own (un)registration entry point.
HRESULT RegisterServerLibrary(const std::string& libraryPath, bool unregister = false);

// The path of the shared library that holds the given address (a server finds itself).
std::string LibraryPathOf(const void* address);
