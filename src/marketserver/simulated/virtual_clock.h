#pragma once

#include <chrono>
#include <mutex>

#include "marketserver/simulated/price_engine.h"

namespace sim {

// The market's own time, in IST: it starts where it is told and runs at a multiple of
// real time.
class VirtualClock final {
public:
    VirtualClock(CivilSeconds start, double speed);
    CivilSeconds Now() const;
    void Set(CivilSeconds start);
    void SetSpeed(double speed);
    double Speed() const;

    // The local wall-clock time read as IST: the demo's market hours then agree with the
    // program's own local-time hour checks.
    static CivilSeconds LocalWallClockAsIst();
    // "YYYY-MM-DD HH:MM[:SS]" in IST; false when malformed.
    static bool Parse(const std::string& text, CivilSeconds& out);

private:
    mutable std::mutex m_mutex;
    CivilSeconds m_start;
    double m_speed;
    std::chrono::steady_clock::time_point m_realStart;
};

} // namespace sim
