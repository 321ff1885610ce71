#include "platform/com/com.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

#include "platform/base/paths.h"
#include "platform/base/text.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_NULL = {};

bool operator==(const GUID& a, const GUID& b) {
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, sizeof a.Data4) == 0;
}

std::string GuidToString(const GUID& g) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

bool GuidFromString(const std::string& text, GUID& out) {
    unsigned d1 = 0, d2 = 0, d3 = 0, b[8] = {};
    char close = 0;
    if (std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%c", &d1, &d2, &d3, &b[0],
                    &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7], &close) != 12 ||
        close != '}' || text.size() != 38)
        return false;
    out.Data1 = d1;
    out.Data2 = static_cast<std::uint16_t>(d2);
    out.Data3 = static_cast<std::uint16_t>(d3);
    for (int i = 0; i < 8; ++i)
        out.Data4[i] = static_cast<std::uint8_t>(b[i]);
    return true;
}

// ---- strings, arrays, variants ---------------------------------------------------------

BSTR SysAllocStringLen(const char* text, std::uint32_t length) {
    auto* block = static_cast<char*>(std::malloc(sizeof(std::uint32_t) + length + 1));
    if (!block)
        return nullptr;
    std::memcpy(block, &length, sizeof length);
    char* s = block + sizeof length;
    if (text)
        std::memcpy(s, text, length);
    else
        std::memset(s, 0, length);
    s[length] = '\0';
    return s;
}

BSTR SysAllocString(const char* text) {
    return SysAllocStringLen(text, text ? static_cast<std::uint32_t>(std::strlen(text)) : 0);
}

void SysFreeString(BSTR s) {
    if (s)
        std::free(s - sizeof(std::uint32_t));
}

std::uint32_t SysStringLen(BSTR s) {
    if (!s)
        return 0;
    std::uint32_t n = 0;
    std::memcpy(&n, s - sizeof n, sizeof n);
    return n;
}

std::string BstrToString(BSTR s) {
    return s ? std::string(s, SysStringLen(s)) : std::string();
}

SAFEARRAY* SafeArrayCreateBstr(const std::vector<std::string>& items) {
    auto* a = new SAFEARRAY;
    for (const auto& item : items)
        a->items.push_back(SysAllocStringLen(item.data(), static_cast<std::uint32_t>(item.size())));
    return a;
}

void SafeArrayDestroy(SAFEARRAY* a) {
    if (!a)
        return;
    for (BSTR s : a->items)
        SysFreeString(s);
    delete a;
}

void VariantInit(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->lVal = 0;
}

HRESULT VariantClear(VARIANT* v) {
    if (!v)
        return E_POINTER;
    if (!(v->vt & VT_BYREF)) {
        if (v->vt == VT_BSTR)
            SysFreeString(v->bstrVal);
        else if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal)
            v->punkVal->Release();
        else if ((v->vt & VT_ARRAY) && v->parray)
            SafeArrayDestroy(v->parray);
    }
    VariantInit(v);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
    if (!dest || !src)
        return E_POINTER;
    VariantClear(dest);
    *dest = *src;
    if (src->vt & VT_BYREF)
        return S_OK;
    if (src->vt == VT_BSTR)
        dest->bstrVal = SysAllocStringLen(src->bstrVal, SysStringLen(src->bstrVal));
    else if ((src->vt == VT_DISPATCH || src->vt == VT_UNKNOWN) && src->punkVal)
        src->punkVal->AddRef();
    else if ((src->vt & VT_ARRAY) && src->parray) {
        std::vector<std::string> items;
        for (BSTR s : src->parray->items)
            items.push_back(BstrToString(s));
        dest->parray = SafeArrayCreateBstr(items);
    }
    return S_OK;
}

const VARIANT* VariantDeref(const VARIANT* v) {
    while (v && v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal)
        v = v->pvarVal;
    return v;
}

// ---- runtime ---------------------------------------------------------------------------

namespace {

thread_local int t_initCount = 0;
std::mutex g_registryMutex;

using Ini = std::map<std::string, std::map<std::string, std::string>>;

Ini ReadIni(const std::string& path) {
    Ini ini;
    std::ifstream in(path);
    std::string line, section;
    while (std::getline(in, line)) {
        line = text::Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            ini[section][text::Trim(line.substr(0, eq))] = text::Trim(line.substr(eq + 1));
    }
    return ini;
}

bool WriteIni(const std::string& path, const Ini& ini) {
    // A registry the user made read-only stays as it is, though its folder would let a
    // new file take its place.
    if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0)
        return false;
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        for (const auto& [section, entries] : ini) {
            out << '[' << section << "]\n";
            for (const auto& [key, value] : entries)
                out << key << '=' << value << '\n';
            out << '\n';
        }
        out.close();
        if (!out) {
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

// Held while the registry file is read or rewritten, across processes too.
class RegistryLock final {
public:
    explicit RegistryLock(const std::string& path) : m_lock(g_registryMutex) {
        m_fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~RegistryLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    std::lock_guard<std::mutex> m_lock;
    int m_fd = -1;
};

// Libraries stay loaded for the life of the process: objects from them may be anywhere.
std::mutex g_libraryMutex;
std::map<std::string, void*> g_libraries;

} // namespace

HRESULT CoInitialize(void*) {
    return t_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (t_initCount > 0)
        --t_initCount;
}

std::string ComRegistryFile() {
    if (const char* env = std::getenv("KORAVEL_COM_REGISTRY"); env && *env)
        return env;
    return paths::Join(paths::ConfigDir(), "registry.ini");
}

namespace {

// The registry as it is now, read under its lock.
Ini ReadRegistry() {
    const std::string path = ComRegistryFile();
    RegistryLock lock(path);
    return ReadIni(path);
}

// A value of the registry; null when its section or key is missing.
const std::string* FindValue(const Ini& ini, const std::string& section, const std::string& key) {
    const auto s = ini.find(section);
    if (s == ini.end())
        return nullptr;
    const auto it = s->second.find(key);
    return it == s->second.end() ? nullptr : &it->second;
}

} // namespace

HRESULT CLSIDFromProgID(const char* progId, CLSID* clsid) {
    if (!progId || !clsid)
        return E_INVALIDARG;
    const Ini ini = ReadRegistry();
    const std::string* id = FindValue(ini, "ProgID", progId);
    if (!id || !GuidFromString(*id, *clsid))
        return CO_E_CLASSSTRING;
    return S_OK;
}

std::string ComRegisteredLibrary(const std::string& progId) {
    const Ini ini = ReadRegistry();
    const std::string* id = FindValue(ini, "ProgID", progId);
    const std::string* library = id ? FindValue(ini, "CLSID", *id) : nullptr;
    return library ? *library : std::string();
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, std::uint32_t context,
                         const IID& riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    const Ini ini = ReadRegistry();
    const std::string* found = FindValue(ini, "CLSID", GuidToString(clsid));
    if (!found)
        return REGDB_E_CLASSNOTREG;
    const std::string library = *found;
    void* handle = nullptr;
    {
        std::lock_guard lock(g_libraryMutex);
        auto& h = g_libraries[library];
        if (!h)
            h = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        handle = h;
    }
    if (!handle)
        return CO_E_DLLNOTFOUND;
    auto getClassObject =
        reinterpret_cast<DllGetClassObjectFn>(::dlsym(handle, "DllGetClassObject"));
    if (!getClassObject)
        return CO_E_ERRORINDLL;
    IClassFactory* factory = nullptr;
    HRESULT hr = getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return hr;
    hr = factory->CreateInstance(outer, riid, ppv);
    factory->Release();
    return hr;
}

HRESULT ComRegisterServer(const std::string& progId, const CLSID& clsid,
                          const std::string& libraryPath, const std::string& typeLibrary) {
    const std::string path = ComRegistryFile();
    paths::MakeDirs(path.substr(0, path.find_last_of('/')));
    RegistryLock lock(path);
    Ini ini = ReadIni(path);
    ini["ProgID"][progId] = GuidToString(clsid);
    ini["CLSID"][GuidToString(clsid)] = libraryPath;
    if (!typeLibrary.empty())
        ini["TypeLib"][typeLibrary] = libraryPath;
    return WriteIni(path, ini) ? S_OK : SELFREG_E_CLASS;
}

HRESULT ComGetClassObject(const CLSID& asked, const CLSID& served, IClassFactory& factory,
                          const IID& riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (asked != served)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, ppv);
}

HRESULT ComUnregisterServer(const std::string& progId, const CLSID& clsid) {
    const std::string path = ComRegistryFile();
    RegistryLock lock(path);
    Ini ini = ReadIni(path);
    const std::string id = GuidToString(clsid);
    ini["ProgID"].erase(progId);
    const std::string library = ini["CLSID"][id];
    ini["CLSID"].erase(id);
    for (auto it = ini["TypeLib"].begin(); it != ini["TypeLib"].end();)
        it = it->second == library ? ini["TypeLib"].erase(it) : std::next(it);
    return WriteIni(path, ini) ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterServerLibrary(const std::string& libraryPath, bool unregister) {
    void* handle = ::dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return CO_E_DLLNOTFOUND;
    auto fn = reinterpret_cast<DllRegisterServerFn>(
        ::dlsym(handle, unregister ? "DllUnregisterServer" : "DllRegisterServer"));
    return fn ? fn() : CO_E_ERRORINDLL;
}

std::string LibraryPathOf(const void* address) {
    Dl_info info{};
    if (::dladdr(address, &info) && info.dli_fname) {
        char resolved[4096];
        if (::realpath(info.dli_fname, resolved))
            return resolved;
        return info.dli_fname;
    }
    return {};
}
