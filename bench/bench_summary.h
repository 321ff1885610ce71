#pragma once

// One summary line per figure, after Google Benchmark's own table, so a script can read the
// figures: "figure <name> <value> <unit>".
#include <cstdio>
#include <map>
#include <string>

#include <benchmark/benchmark.h>

namespace benchsummary {

class Recorder final : public benchmark::ConsoleReporter {
public:
    Recorder() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            Result& r = m_results[run.benchmark_name()];
            r.realSeconds = run.GetAdjustedRealTime() / Multiplier(run.time_unit);
            r.cpuSeconds = run.GetAdjustedCPUTime() / Multiplier(run.time_unit);
            for (const auto& [name, counter] : run.counters)
                r.counters[name] = counter.value;
        }
    }

    struct Result {
        double realSeconds = 0, cpuSeconds = 0;
        std::map<std::string, double> counters;
    };
    // The result of a benchmark by its full name; empty when it did not run.
    const Result* Find(const std::string& name) const {
        const auto it = m_results.find(name);
        return it == m_results.end() ? nullptr : &it->second;
    }

private:
    static double Multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e9;
        case benchmark::kMicrosecond:
            return 1e6;
        case benchmark::kMillisecond:
            return 1e3;
        default:
            return 1;
        }
    }
    std::map<std::string, Result> m_results;
};

inline void Figure(const std::string& name, double value, const char* unit) {
    std::printf("figure %s %.4g %s\n", name.c_str(), value, unit);
}

// Runs the benchmarks with the recorder, then `summary` with it.
template <class Summary> int Run(int argc, char** argv, Summary summary) {
    benchmark::Initialize(&argc, argv);
    Recorder recorder;
    benchmark::RunSpecifiedBenchmarks(&recorder);
    std::fflush(stdout);
    summary(recorder);
    benchmark::Shutdown();
    return 0;
}

} // namespace benchsummary
