#pragma once

#include <benchmark/benchmark.h>

namespace benchsupport {

// For work done by servers, workers and started programs: it is timed on the wall clock, in
// milliseconds, since the calling thread's CPU time misses most of it.
// BENCHMARK(...)->Apply(benchsupport::WallClockMs)
inline void WallClockMs(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace benchsupport
