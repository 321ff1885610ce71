#include "marketserver/simulated/virtual_clock.h"

#include <cmath>
#include <ctime>

#include "platform/base/clock.h"

namespace sim {

VirtualClock::VirtualClock(CivilSeconds start, double speed)
    : m_start(start), m_speed(speed), m_realStart(std::chrono::steady_clock::now()) {}

CivilSeconds VirtualClock::Now() const {
    std::lock_guard lock(m_mutex);
    const double real =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_realStart).count();
    return m_start + static_cast<CivilSeconds>(std::floor(real * m_speed));
}

void VirtualClock::Set(CivilSeconds start) {
    std::lock_guard lock(m_mutex);
    m_start = start;
    m_realStart = std::chrono::steady_clock::now();
}

void VirtualClock::SetSpeed(double speed) {
    std::lock_guard lock(m_mutex);
    const double real =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_realStart).count();
    m_start += static_cast<CivilSeconds>(std::floor(real * m_speed));
    m_realStart = std::chrono::steady_clock::now();
    m_speed = speed;
}

double VirtualClock::Speed() const {
    std::lock_guard lock(m_mutex);
    return m_speed;
}

CivilSeconds VirtualClock::LocalWallClockAsIst() {
    const LocalTime t = Clock::Now();
    return DaysFromCivil(t.year, t.month, t.day) * kSecondsPerDay + t.SecondsOfDay();
}

bool VirtualClock::Parse(const std::string& text, CivilSeconds& out) {
    const auto t = ParseLocalTime(text);
    if (!t)
        return false;
    out = DaysFromCivil(t->year, t->month, t->day) * kSecondsPerDay + t->SecondsOfDay();
    return true;
}

} // namespace sim
