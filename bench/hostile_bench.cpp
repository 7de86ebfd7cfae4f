// Loading the crafted texts of hostileshapes.h. Each shape is read at 16 KB,
// 256 KB and 512 KB: a linear reader takes sixteen times as long for the
// second as for the first, twice as long for the third as for the second,
// and shows about the same bytes per second at all three (the smallest text
// fits in the processor's caches, and is read a little faster). Their peak
// memory is korvel-hostile-peaks' to measure, each in a process of its own.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "hostileshapes.h"
#include "model/cssparser.h"

namespace {

void Load(benchmark::State& state, const korvel::bench::Shape& shape) {
  const auto css = std::make_shared<const std::string>(shape(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    korvel::StyleDocument document = korvel::ReadStylesheet(css);
    benchmark::DoNotOptimize(document);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * css->size()));
}

const bool registered = [] {
  for (const korvel::bench::HostileShape& shape : korvel::bench::HostileShapes()) {
    const korvel::bench::Shape make = shape.make;
    benchmark::RegisterBenchmark((std::string("Hostile/") + shape.name).c_str(),
                                 [make](benchmark::State& state) { Load(state, make); })
        ->Arg(16 << 10)
        ->Arg(256 << 10)
        ->Arg(512 << 10)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
