#pragma once

#include <atomic>
#include <cstddef>
#include <string>

namespace upstream {

// What one GET brought back.
struct HttpResult {
    bool answered = false; // a whole HTTP answer arrived (any status)
    long status = 0;
    std::string body;
    int retryAfterSeconds = -1; // from a Retry-After header; -1 when there is none
    std::string error;          // why there is no answer
};

// Outbound requests to the upstream services, over libcurl: a browser's User-Agent,
// timeouts for connecting and for the whole request, a cap on the body, and an early end
// when the server stops.
class HttpFetcher final {
public:
    HttpFetcher(std::string userAgent, int connectTimeoutMs, int requestTimeoutMs,
                std::size_t maxBodyBytes = 64u << 20);

    HttpResult Get(const std::string& url, const std::atomic<bool>& stop) const;

private:
    std::string m_userAgent;
    long m_connectTimeoutMs;
    long m_requestTimeoutMs;
    std::size_t m_maxBody;
};

// Percent-encodes everything but letters, digits and - . _ ~ (a query value); a path
// segment keeps '=' too, as the services write "USDINR=X".
std::string EncodeComponent(const std::string& text, bool pathSegment = false);

// Seconds a Retry-After value asks for: delta seconds or an HTTP date; -1 when unreadable.
int ParseRetryAfter(const std::string& value, long long nowEpochSeconds);

} // namespace upstream
