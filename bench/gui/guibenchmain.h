#pragma once

// The main of a window benchmark: the benchmarks run inside a Qt
// application, and what they keep of the window goes (`release`) before the
// application object does.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>

#include <functional>

namespace korvel::bench {

inline int RunWindowBenchmarks(int argc, char** argv, const std::function<void()>& release = {}) {
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  if (release) release();
  benchmark::Shutdown();
  return 0;
}

}  // namespace korvel::bench
