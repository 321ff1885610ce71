#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace upstream {

// How much one upstream host is asked.
struct HostBudget {
    double perMinute = 30; // requests started per minute, on average
    int burst = 8;         // requests that may start at once after a quiet spell
    int concurrency = 4;   // requests in flight at most
    int minGapMs = 0;      // at least this long between two starts
};

// Milliseconds since 1970-01-01 UTC on the wall clock.
using WallClock = std::function<std::int64_t()>;

// A current desktop browser's User-Agent: the services turn away what looks like a script.
inline constexpr const char* kDefaultUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/138.0.0.0 Safari/537.36";

struct UpstreamOptions {
    std::string yahooBase = "https://query1.finance.yahoo.com";
    std::string nseArchivesBase = "https://nsearchives.nseindia.com";
    std::string bseBase = "https://www.bseindia.com";
    // Answers kept across restarts; empty: $XDG_CACHE_HOME/koravel/upstream (or
    // ~/.cache/koravel/upstream).
    std::string cacheDir;
    std::string userAgent = kDefaultUserAgent;
    HostBudget yahoo{30, 8, 4, 0};
    HostBudget nseArchives{20, 4, 2, 200};
    HostBudget bse{20, 4, 2, 200};
    // The longest a request waits for answers the cache does not have yet.
    int firstAnswerWaitMs = 20000;
    // How long a quote of an open market stays fresh.
    int liveTtlSeconds = 60;
    int connectTimeoutMs = 5000;
    int requestTimeoutMs = 10000;
    // Where "now" comes from; null: the system clock. Tests and benchmarks move it.
    WallClock now;
    // Seeds the jitter of the backoff; 0: a random seed.
    std::uint64_t jitterSeed = 0;
};

// Reads "yahoo=URL,nsearchives=URL,bse=URL" (any of them, in any order) into the options.
// False, with a message, for an unknown name or a URL that is not http(s).
bool ParseUpstreamBases(const std::string& bases, UpstreamOptions& options, std::string& error);

// The cache folder the options name, or the default one.
std::string CacheDirOf(const UpstreamOptions& options);

} // namespace upstream
