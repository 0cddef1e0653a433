// Helpers of the benchmarks that set a job beside its floor (a minimal
// program doing the same work, timed in the same run) and that report the
// peak resident memory of one job.
#pragma once

#include "common/peak_memory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

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

using kt4::testing::PeakMb;
using kt4::testing::ResetPeak;

// Starts a new peak; returns the resident memory then (MB), from which the
// job's own peak rises.
inline double StartPeak()
{
    ResetPeak();
    return PeakMb();
}

// The process's peak and how far it rose above base.
inline void ReportPeak(benchmark::State& state, double base)
{
    state.counters["peak_MB"] = PeakMb();
    state.counters["rise_MB"] = PeakMb() - base;
}

} // namespace kt4::dbase
