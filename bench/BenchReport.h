// Timing and the one-line report shared by the benchmarks that measure a cost
// against a target in milliseconds.
#pragma once

#include <chrono>
#include <cstdio>

inline double MillisecondsSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start)
        .count();
}

inline void Report(const char* What, double Ms, double TargetMs) {
    std::printf("%-44s %9.3f ms  target %7.1f ms  ratio %5.2f\n", What, Ms, TargetMs,
                Ms / TargetMs);
}
