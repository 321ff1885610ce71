#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "support/loopback_server.h"

namespace testsupport {

// The upstream services on loopback: Yahoo's chart and search services and the exchanges'
// archive files, answering from the recorded fixtures. It logs every request and can turn
// requests away (429, 403, 401), answer late, or hang up part-way.
class UpstreamFake final {
public:
    struct Reply {
        Reply() = default;
        Reply(int s, std::string b, std::string t = "application/json")
            : status(s), body(std::move(b)), type(std::move(t)) {}
        int status = 200;
        std::string body;
        std::string type = "application/json";
        std::vector<std::pair<std::string, std::string>> headers;
        int delayMs = 0;
        bool dropHalf = false; // announce the whole body, send half, hang up
    };
    struct Request {
        std::string path; // decoded
        std::string query;
        std::string userAgent;
    };

    // Serves the fixtures: RELIANCE.NS, ^NSEI and NOSUCH.NS (unknown) charts, every other
    // symbol's chart made from RELIANCE.NS's, the search answer, and the F&O, NSE and BSE
    // cash-market files of 2026-03-12 (other days: 404).
    UpstreamFake();
    ~UpstreamFake();
    UpstreamFake(const UpstreamFake&) = delete;
    UpstreamFake& operator=(const UpstreamFake&) = delete;

    std::string BaseUrl() const;
    // "yahoo=...,nsearchives=...,bse=..." all pointing here.
    std::string Bases() const;

    // The reply for one path (decoded, exact), replacing what it had.
    void Route(const std::string& path, Reply reply);
    // The next `count` requests whose path starts with `prefix` get `reply` instead of
    // their route (-1: until cleared).
    void Inject(const std::string& prefix, Reply reply, int count = -1);
    void ClearInjections();
    // Every answer waits this long first (a distant service).
    void SetLatency(int ms);

    std::vector<Request> Log() const;
    // Requests whose path starts with the prefix.
    int Count(const std::string& prefix) const;
    void ClearLog();

    static std::string Fixture(const std::string& name);
    // A zip archive holding one file.
    static std::string Zip(const std::string& name, const std::string& content);
    // A chart answer for another symbol, made from RELIANCE.NS's.
    static std::string ChartFor(const std::string& symbol);
    static Reply TooMany(int retryAfterSeconds = -1);
    static Reply Forbidden(); // the exchange site's Akamai page
    static Reply Unauthorized();

    static constexpr const char* kChartPath = "/v8/finance/chart/";
    static constexpr const char* kFoFile =
        "/content/fo/BhavCopy_NSE_FO_0_0_0_20260312_F_0000.csv.zip";
    static constexpr const char* kNseCmFile =
        "/content/cm/BhavCopy_NSE_CM_0_0_0_20260312_F_0000.csv.zip";
    static constexpr const char* kBseCmFile =
        "/download/BhavCopy/Equity/BhavCopy_BSE_CM_0_0_0_20260312_F_0000.CSV";
    // 2026-03-12 12:50 IST, in the session of the fixtures (ms since the epoch).
    static constexpr std::int64_t kInSessionMs = 1773300000000LL;

private:
    Reply Answer(const std::string& path);

    mutable std::mutex m_mutex;
    std::map<std::string, Reply> m_routes;
    struct Injection {
        std::string prefix;
        Reply reply;
        int count;
    };
    std::vector<Injection> m_injections;
    std::vector<Request> m_log;
    int m_latencyMs = 0;
    LoopbackServer m_http; // last: it stops before the rest goes
};

} // namespace testsupport
