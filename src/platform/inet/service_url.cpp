#include "platform/inet/service_url.h"

#include <cstdlib>
#include <mutex>

namespace inet {

namespace {

std::mutex g_mutex;
std::string g_commandLine;
std::string g_embedded;

std::string StripSlash(std::string s) {
    while (!s.empty() && s.back() == '/')
        s.pop_back();
    return s;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? StripSlash(v) : std::string();
}

} // namespace

const char* ServiceEnvVar(Service s) {
    switch (s) {
    case Service::Quote:
        return "KORAVEL_QUOTE_URL";
    case Service::Chart:
        return "KORAVEL_CHART_URL";
    case Service::ChartData:
        return "KORAVEL_CHARTDATA_URL";
    case Service::Lookup:
        return "KORAVEL_LOOKUP_URL";
    case Service::Nse:
        return "KORAVEL_NSE_URL";
    }
    return "";
}

void SetCommandLineMarket(std::string baseUrl) {
    std::lock_guard lock(g_mutex);
    g_commandLine = StripSlash(std::move(baseUrl));
}

void SetEmbeddedMarket(std::string baseUrl) {
    std::lock_guard lock(g_mutex);
    g_embedded = StripSlash(std::move(baseUrl));
}

void ResetMarketConfig() {
    std::lock_guard lock(g_mutex);
    g_commandLine.clear();
    g_embedded.clear();
}

namespace {

std::string ConfiguredBase(Service s) {
    if (std::string own = Env(ServiceEnvVar(s)); !own.empty())
        return own;
    {
        std::lock_guard lock(g_mutex);
        if (!g_commandLine.empty())
            return g_commandLine;
    }
    return Env("KORAVEL_MARKET_URL");
}

} // namespace

std::string ServiceBase(Service s) {
    if (std::string base = ConfiguredBase(s); !base.empty())
        return base;
    std::lock_guard lock(g_mutex);
    return g_embedded;
}

bool NeedsEmbeddedMarket() {
    for (Service s :
         {Service::Quote, Service::Chart, Service::ChartData, Service::Lookup, Service::Nse})
        if (ConfiguredBase(s).empty())
            return true;
    return false;
}

std::string EncodeUrlText(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F || c == '&' || c == '#' || c == '%' || c == '+') {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string BuildUrl(std::string_view base, std::string_view path,
                     const std::vector<QueryParam>& query) {
    std::string url(base);
    while (!url.empty() && url.back() == '/')
        url.pop_back();
    if (!path.empty() && path.front() != '/')
        url += '/';
    url += EncodeUrlText(path);
    char sep = '?';
    for (const auto& [key, value] : query) {
        url += sep;
        url += EncodeUrlText(key);
        url += '=';
        url += EncodeUrlText(value);
        sep = '&';
    }
    return url;
}

std::string BuildServiceUrl(Service service, std::string_view path,
                            const std::vector<QueryParam>& query) {
    return BuildUrl(ServiceBase(service), path, query);
}

} // namespace inet
