// The merge guard on a file of alternating repeated rules ("a{...} b{...}
// a{...} b{...}" and so on): each later occurrence asks whether it may join
// the first one, as a reader does, and is merged when it may. The time per
// rule must stay flat as the file grows: a question looks what lies between
// up in an index, never walks it.
//
// BM_AlternatingRules/merging: nothing between ties, so every repeat merges.
// BM_AlternatingRules/blocked: the other selector sets the same property with
// the same specificity, so every repeat is refused and stays where it is.
//
// Each run builds a new guard. At 100,000 rules the memory freed by the run
// before goes back to the system, and the run pays the page faults of taking
// it again; MALLOC_TRIM_THRESHOLD_=2000000000 MALLOC_MMAP_THRESHOLD_=2000000000
// in the environment keeps it and shows the guard's own time.

#include <benchmark/benchmark.h>

#include <optional>
#include <vector>

#include "model/mergeguard.h"

namespace {

using korvel::MergeGuard;
using korvel::Specificity;

void Alternate(benchmark::State& state, bool blocked) {
  const auto rules = static_cast<std::size_t>(state.range(0));
  const std::vector<Specificity> a = {{0, 1, 0}};
  const std::vector<Specificity> b = {{0, 1, 0}};
  std::size_t merged = 0;
  for (auto _ : state) {
    MergeGuard guard;
    std::optional<MergeGuard::RuleId> firstA, firstB;
    merged = 0;
    for (std::size_t i = 0; i < rules; ++i) {
      const bool isA = i % 2 == 0;
      const MergeGuard::RuleId rule = guard.AddRule(isA ? a : b);
      guard.AddDeclaration(rule, isA ? "color" : (blocked ? "color" : "margin"), false);
      guard.AddDeclaration(rule, isA ? "font-size" : "padding-top", false);
      guard.AddDeclaration(rule, isA ? "border-top" : "outline", i % 3 == 0);
      std::optional<MergeGuard::RuleId>& first = isA ? firstA : firstB;
      if (!first) {
        first = rule;
      } else if (guard.CanMerge(*first, rule)) {
        guard.Merged(*first, rule);
        ++merged;
      }
    }
    benchmark::DoNotOptimize(merged);
  }
  state.counters["merged"] = static_cast<double>(merged);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * rules));
  state.SetComplexityN(static_cast<std::int64_t>(rules));
}

void BM_AlternatingRules_Merging(benchmark::State& state) { Alternate(state, false); }
void BM_AlternatingRules_Blocked(benchmark::State& state) { Alternate(state, true); }

BENCHMARK(BM_AlternatingRules_Merging)->Name("BM_AlternatingRules/merging")->Arg(10'000)->Arg(30'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_AlternatingRules_Blocked)->Name("BM_AlternatingRules/blocked")->Arg(10'000)->Arg(30'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
