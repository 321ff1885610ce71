#include "marketserver/upstream/http_fetch.h"

#include <cctype>
#include <memory>

#include <curl/curl.h>

#include "platform/base/capped_body.h"
#include "platform/base/text.h"

namespace upstream {

namespace {

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;

struct Transfer : CappedBody {
    std::string retryAfter;
    const std::atomic<bool>* stop = nullptr;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
    const std::size_t n = size * count;
    return static_cast<Transfer*>(user)->Append(data, n) ? n : 0;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    const std::string line(data, size * count);
    static const std::string kName = "retry-after:";
    if (line.size() > kName.size() && text::IEquals(line.substr(0, kName.size()), kName))
        t->retryAfter = text::Trim(line.substr(kName.size()));
    else if (text::StartsWith(line, "HTTP/"))
        t->retryAfter.clear(); // a new answer after a redirect
    return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* t = static_cast<const Transfer*>(user);
    return t->stop->load(std::memory_order_relaxed) ? 1 : 0;
}

bool IsLoopbackUrl(const std::string& url) {
    for (const char* p : {"http://127.", "http://localhost", "http://[::1]"})
        if (text::StartsWith(url, p))
            return true;
    return false;
}

} // namespace

HttpFetcher::HttpFetcher(std::string userAgent, int connectTimeoutMs, int requestTimeoutMs,
                         std::size_t maxBodyBytes)
    : m_userAgent(std::move(userAgent)), m_connectTimeoutMs(connectTimeoutMs),
      m_requestTimeoutMs(requestTimeoutMs), m_maxBody(maxBodyBytes) {}

HttpResult HttpFetcher::Get(const std::string& url, const std::atomic<bool>& stop) const {
    HttpResult r;
    Easy h(curl_easy_init());
    if (!h) {
        r.error = "no transfer handle";
        return r;
    }
    Transfer t;
    t.maxBody = m_maxBody;
    t.stop = &stop;
    curl_easy_setopt(h.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(h.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h.get(), CURLOPT_USERAGENT, m_userAgent.c_str());
    curl_easy_setopt(h.get(), CURLOPT_ACCEPT_ENCODING, ""); // whatever this curl can decode
    curl_easy_setopt(h.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h.get(), CURLOPT_MAXREDIRS, 3L);
    curl_easy_setopt(h.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h.get(), CURLOPT_CONNECTTIMEOUT_MS, m_connectTimeoutMs);
    curl_easy_setopt(h.get(), CURLOPT_TIMEOUT_MS, m_requestTimeoutMs);
    curl_easy_setopt(h.get(), CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(h.get(), CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h.get(), CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(h.get(), CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(h.get(), CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h.get(), CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(h.get(), CURLOPT_XFERINFODATA, &t);
    if (IsLoopbackUrl(url))
        curl_easy_setopt(h.get(), CURLOPT_PROXY, ""); // a proxy variable must not take these
    const CURLcode rc = curl_easy_perform(h.get());
    if (rc != CURLE_OK) {
        r.error = stop.load()  ? "stopped"
                  : t.tooLarge ? "answer too large"
                               : curl_easy_strerror(rc);
        return r;
    }
    curl_easy_getinfo(h.get(), CURLINFO_RESPONSE_CODE, &r.status);
    r.answered = true;
    r.body = std::move(t.body);
    if (!t.retryAfter.empty())
        r.retryAfterSeconds = ParseRetryAfter(t.retryAfter, static_cast<long long>(time(nullptr)));
    return r;
}

std::string EncodeComponent(const std::string& s, bool pathSegment) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' ||
            (pathSegment && c == '=')) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

int ParseRetryAfter(const std::string& value, long long now) {
    const std::string v = text::Trim(value);
    if (v.empty())
        return -1;
    bool digits = true;
    for (char c : v)
        digits = digits && c >= '0' && c <= '9';
    if (digits)
        return v.size() > 7 ? 9999999 : std::stoi(v);
    const time_t when = curl_getdate(v.c_str(), nullptr);
    if (when < 0)
        return -1;
    return when <= now ? 0 : static_cast<int>(std::min<long long>(when - now, 9999999));
}

} // namespace upstream
