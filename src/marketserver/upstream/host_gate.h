#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>

#include "marketserver/upstream/upstream_options.h"

namespace upstream {

// How often and how many at once one upstream host is asked: a token bucket, a cap on
// requests in flight, a least gap between starts, and a breaker that stops all traffic to
// the host for a while after it said "too many requests" or "forbidden".
class HostGate final {
public:
    HostGate(std::string name, HostBudget budget, WallClock now, std::uint64_t jitterSeed);

    // Starts a request when a token and a slot are free and the breaker is closed. When
    // not, returns false and says in how many milliseconds to look again.
    bool TryStart(std::int64_t& retryInMs);
    // The request that TryStart let through has ended.
    void Finish();

    // The host turned a request away (429, 403): no traffic until the backoff ends. The
    // backoff is what Retry-After asks for, else 60 s doubling with each refusal in a row
    // up to 30 min, with up to a fifth added at random.
    void OnRefused(int retryAfterSeconds);
    // A request was answered: the next refusal starts the doubling again.
    void OnAnswered();

    bool BreakerOpen() const;
    // A request could start now, or as soon as one in flight ends: the breaker is closed
    // and a token is there.
    bool CanStart();
    std::int64_t BreakerOpenUntilMs() const;
    const std::string& Name() const { return m_name; }

private:
    std::int64_t Now() const { return m_now(); }
    void Refill(std::int64_t now);

    const std::string m_name;
    const HostBudget m_budget;
    const WallClock m_now;
    mutable std::mutex m_mutex;
    double m_tokens;
    std::int64_t m_refilledAt;
    // The gap between starts is kept in real time: it shapes bursts on the wire.
    std::chrono::steady_clock::time_point m_lastStart{};
    int m_inFlight = 0;
    int m_refusals = 0;
    std::int64_t m_openUntil = 0;
    std::mt19937_64 m_random;
};

} // namespace upstream
