#include "marketserver/upstream/host_gate.h"

#include <algorithm>
#include <cmath>

namespace upstream {

namespace {

constexpr std::int64_t kFirstBackoffMs = 60 * 1000;
constexpr std::int64_t kLongestBackoffMs = 30 * 60 * 1000;
constexpr std::int64_t kLongestRetryAfterMs = 2 * 60 * 60 * 1000;

} // namespace

HostGate::HostGate(std::string name, HostBudget budget, WallClock now, std::uint64_t seed)
    : m_name(std::move(name)), m_budget(budget), m_now(std::move(now)), m_tokens(budget.burst),
      m_refilledAt(m_now()), m_random(seed) {}

void HostGate::Refill(std::int64_t now) {
    if (now > m_refilledAt) {
        m_tokens = std::min<double>(m_budget.burst,
                                    m_tokens + (now - m_refilledAt) * m_budget.perMinute / 60000.0);
        m_refilledAt = now;
    } else if (now < m_refilledAt) {
        m_refilledAt = now; // the clock went back: start counting from here
    }
}

bool HostGate::TryStart(std::int64_t& retryInMs) {
    std::lock_guard lock(m_mutex);
    const std::int64_t now = Now();
    Refill(now);
    if (now < m_openUntil) {
        retryInMs = m_openUntil - now;
        return false;
    }
    if (m_inFlight >= m_budget.concurrency) {
        retryInMs = 50; // a slot frees when a request ends; Finish wakes the caller sooner
        return false;
    }
    const auto real = std::chrono::steady_clock::now();
    const auto gap = std::chrono::milliseconds(m_budget.minGapMs);
    if (m_budget.minGapMs > 0 && real - m_lastStart < gap) {
        retryInMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(gap - (real - m_lastStart))
                .count() +
            1;
        return false;
    }
    if (m_tokens < 1.0) {
        const double perMs = m_budget.perMinute / 60000.0;
        retryInMs =
            perMs > 0 ? static_cast<std::int64_t>(std::ceil((1.0 - m_tokens) / perMs)) : 60000;
        return false;
    }
    m_tokens -= 1.0;
    ++m_inFlight;
    m_lastStart = real;
    return true;
}

void HostGate::Finish() {
    std::lock_guard lock(m_mutex);
    if (m_inFlight > 0)
        --m_inFlight;
}

void HostGate::OnRefused(int retryAfterSeconds) {
    std::lock_guard lock(m_mutex);
    std::int64_t wait = 0;
    if (retryAfterSeconds >= 0) {
        wait = std::min<std::int64_t>(retryAfterSeconds * 1000LL, kLongestRetryAfterMs);
    } else {
        wait = kFirstBackoffMs;
        for (int i = 0; i < m_refusals && wait < kLongestBackoffMs; ++i)
            wait *= 2;
        wait = std::min(wait, kLongestBackoffMs);
        wait += static_cast<std::int64_t>(std::uniform_real_distribution<double>(0, 0.2)(m_random) *
                                          static_cast<double>(wait));
    }
    ++m_refusals;
    m_openUntil = std::max(m_openUntil, Now() + wait);
}

void HostGate::OnAnswered() {
    std::lock_guard lock(m_mutex);
    m_refusals = 0;
}

bool HostGate::CanStart() {
    std::lock_guard lock(m_mutex);
    const std::int64_t now = Now();
    Refill(now);
    return now >= m_openUntil && m_tokens >= 1.0;
}

bool HostGate::BreakerOpen() const {
    std::lock_guard lock(m_mutex);
    return m_now() < m_openUntil;
}

std::int64_t HostGate::BreakerOpenUntilMs() const {
    std::lock_guard lock(m_mutex);
    return m_openUntil;
}

} // namespace upstream
