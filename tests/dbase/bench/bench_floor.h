// Helpers of the benchmarks that set a job beside its floor (a minimal
// program doing the same work, timed in the same run) and that report the
// peak resident memory of one job.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace kt4::dbase {

// Seconds that job takes.
template <class Job>
double Seconds(Job&& job)
{
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The job's time and the floor's, both summed over the iterations.
inline void ReportFloor(benchmark::State& state, double seconds, double floorSeconds)
{
    const double n = double(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["floor_ms"] = floorSeconds * 1e3 / n;
    state.counters["x_floor"] = floorSeconds > 0 ? seconds / floorSeconds : 0;
}

// The process's peak resident memory in MB since the last ResetPeak.
inline double PeakMb()
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0; // kB
    return 0;
}

// Starts a new peak at the present resident memory.
inline void ResetPeak()
{
    if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);
        std::fclose(f);
    }
}

} // namespace kt4::dbase
