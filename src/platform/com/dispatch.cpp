#include "platform/com/dispatch.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "platform/base/text.h"

namespace com {

HRESULT ToDouble(const VARIANT& in, double& out) {
    const VARIANT& v = *VariantDeref(&in);
    switch (v.vt) {
    case VT_R8:
    case VT_DATE:
        out = v.dblVal;
        return S_OK;
    case VT_I4:
        out = v.lVal;
        return S_OK;
    case VT_I2:
        out = v.iVal;
        return S_OK;
    case VT_BOOL:
        out = v.boolVal;
        return S_OK;
    case VT_EMPTY:
        out = 0;
        return S_OK;
    case VT_BSTR:
    case VT_BSTR | VT_BYREF: {
        const std::string s = text::Trim(BstrToString(v.vt & VT_BYREF ? *v.pbstrVal : v.bstrVal));
        if (s.empty())
            return DISP_E_TYPEMISMATCH;
        char* end = nullptr;
        const double d = std::strtod(s.c_str(), &end);
        if (end == s.c_str() || *end != '\0')
            return DISP_E_TYPEMISMATCH;
        out = d;
        return S_OK;
    }
    case VT_R8 | VT_BYREF:
        out = *v.pdblVal;
        return S_OK;
    case VT_I4 | VT_BYREF:
        out = *v.plVal;
        return S_OK;
    case VT_I2 | VT_BYREF:
        out = *v.piVal;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT ToInt32(const VARIANT& v, std::int32_t& out) {
    double d = 0;
    if (HRESULT hr = ToDouble(v, d); FAILED(hr))
        return hr;
    const double r = std::nearbyint(d); // halves go to the even neighbour
    if (!(r >= INT32_MIN && r <= INT32_MAX))
        return DISP_E_OVERFLOW;
    out = static_cast<std::int32_t>(r);
    return S_OK;
}

HRESULT ToString(const VARIANT& in, std::string& out) {
    const VARIANT& v = *VariantDeref(&in);
    if (v.vt == VT_BSTR) {
        out = BstrToString(v.bstrVal);
        return S_OK;
    }
    if (v.vt == (VT_BSTR | VT_BYREF)) {
        out = BstrToString(*v.pbstrVal);
        return S_OK;
    }
    double d = 0;
    if (HRESULT hr = ToDouble(v, d); FAILED(hr))
        return hr;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    out = buf;
    return S_OK;
}

HRESULT ToDispatch(const VARIANT& in, IDispatch*& out) {
    const VARIANT& v = *VariantDeref(&in);
    IDispatch* d = nullptr;
    if (v.vt == VT_DISPATCH)
        d = v.pdispVal;
    else if (v.vt == (VT_DISPATCH | VT_BYREF))
        d = *reinterpret_cast<IDispatch**>(v.pvarVal);
    if (!d)
        return DISP_E_TYPEMISMATCH;
    d->AddRef();
    out = d;
    return S_OK;
}

DATE DateFromUnixSeconds(std::int64_t seconds) {
    return 25569.0 + static_cast<double>(seconds) / 86400.0;
}

std::int64_t UnixSecondsFromDate(DATE d) {
    return std::llround((d - 25569.0) * 86400.0);
}

HRESULT Invoke(IDispatch* object, const char* name, WORD flags, const std::vector<Variant>& args,
               VARIANT* result) {
    if (!object)
        return E_POINTER;
    DISPID id = DISPID_VALUE;
    if (name) {
        const char* names[] = {name};
        if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id); FAILED(hr))
            return hr;
    }
    // Arguments travel in reverse order.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params;
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    params.cArgs = static_cast<unsigned>(reversed.size());
    DISPID putId = DISPID_PROPERTYPUT;
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    Variant ignored;
    return object->Invoke(id, IID_NULL, 0, flags, &params, result ? result : &ignored, nullptr,
                          nullptr);
}

HRESULT GetProperty(IDispatch* object, const char* name, VARIANT* result) {
    return Invoke(object, name, DISPATCH_PROPERTYGET, {}, result);
}

HRESULT PutProperty(IDispatch* object, const char* name, const Variant& value) {
    return Invoke(object, name, DISPATCH_PROPERTYPUT, {value}, nullptr);
}

HRESULT CallMethod(IDispatch* object, const char* name, const std::vector<Variant>& args,
                   VARIANT* result) {
    return Invoke(object, name, DISPATCH_METHOD, args, result);
}

HRESULT GetItem(IDispatch* object, const std::vector<Variant>& args, VARIANT* result) {
    return Invoke(object, nullptr, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, result);
}

HRESULT GetObject(IDispatch* object, const char* name, ComPtr<IDispatch>& result) {
    Variant v;
    if (HRESULT hr = GetProperty(object, name, &v); FAILED(hr))
        return hr;
    IDispatch* d = nullptr;
    if (HRESULT hr = ToDispatch(v, d); FAILED(hr))
        return hr;
    *result.Put() = d;
    return S_OK;
}

HRESULT CreateByProgId(const char* progId, const IID& riid, void** ppv) {
    CLSID clsid;
    if (HRESULT hr = CLSIDFromProgID(progId, &clsid); FAILED(hr))
        return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, riid, ppv);
}

HRESULT DispatchObject::QueryInterface(const IID& riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch)
        *ppv = static_cast<IDispatch*>(this);
    else if (void* own = OwnInterface(riid))
        *ppv = own;
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG DispatchObject::Release() {
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT DispatchObject::GetTypeInfoCount(unsigned* pctinfo) {
    if (!pctinfo)
        return E_POINTER;
    *pctinfo = 0; // no type information: callers bind by name
    return S_OK;
}

HRESULT DispatchObject::GetTypeInfo(unsigned, LCID, void** ppTInfo) {
    if (ppTInfo)
        *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT DispatchObject::GetIDsOfNames(const IID&, const char** names, unsigned count, LCID,
                                      DISPID* ids) {
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    HRESULT result = S_OK;
    for (unsigned i = 0; i < count; ++i) {
        ids[i] = -1;
        if (i > 0) // argument names are not supported
            continue;
        for (const Member& m : Members())
            if (text::IEquals(m.name, names[i] ? names[i] : ""))
                ids[i] = m.id;
        if (ids[i] == -1)
            result = DISP_E_UNKNOWNNAME;
    }
    return result;
}

HRESULT DispatchObject::Invoke(DISPID id, const IID&, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO*, unsigned*) {
    std::vector<const VARIANT*> args;
    if (params)
        for (unsigned i = params->cArgs; i > 0; --i)
            args.push_back(VariantDeref(&params->rgvarg[i - 1]));
    Variant scratch;
    return OnInvoke(id, flags, args, result ? result : &scratch);
}

} // namespace com
