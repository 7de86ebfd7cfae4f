#pragma once

// The throughput every benchmark here reports: MB (10^6 bytes) per second of
// wall time, as bench/README.md gives its figures. Benchmarks that report it
// are registered with UseRealTime(), so that the rate is counted against wall
// time; the console prints it as "…M/s" with M = 10^6.

#include <benchmark/benchmark.h>

#include <cstddef>

namespace korvel::bench {

inline void ReportThroughput(benchmark::State& state, std::size_t bytesPerIteration) {
  state.counters["bytes_per_second"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * static_cast<double>(bytesPerIteration),
                         benchmark::Counter::kIsRate, benchmark::Counter::OneK::kIs1000);
}

}  // namespace korvel::bench
