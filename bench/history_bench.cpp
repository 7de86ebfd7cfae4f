// The history of the open stylesheet on a large file: 10,000 steps of the
// kinds the window makes (values set, properties switched off, deleted and
// added), the memory they hold beyond the document, and the time of one undo
// and of one redo among them.
//
// The file: Tailwind's built stylesheet (2.2.19, 3.6 MB) when tools/acceptance
// has installed it (`npm install` there), else the generated 20 MB one.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "model/stylesheetdocument.h"
#include "stylesheetgenerator.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kSteps = 10'000;

// The stylesheet's file, written once from the generator when Tailwind's is
// not there.
std::string StylesheetPath() {
  const fs::path tailwind = KORVEL_TAILWIND;
  if (fs::exists(tailwind)) return tailwind.string();
  const fs::path generated = fs::temp_directory_path() / "korvel-history-bench-20MB.css";
  if (!fs::exists(generated))
    std::ofstream(generated, std::ios::binary) << korvel::bench::StylesheetGenerator().Generate(20'000'000);
  return generated.string();
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// The rules that hold properties, in document order.
std::vector<korvel::ConstXmlElement> RulesWithProperties(const korvel::StyleDocument& styles) {
  std::vector<korvel::ConstXmlElement> rules;
  for (const korvel::ConstXmlElement child : styles.Root().Elements()) {
    if (korvel::IsRule(child) && korvel::IsProp(child.ChildAt(0))) rules.push_back(child);
  }
  return rules;
}

// Step i changes the first property of a rule, going round the rules: a new
// value, switched off, deleted, or a property added.
void MakeSteps(korvel::StyleSheetDocument& document) {
  const std::vector<korvel::ConstXmlElement> rules = RulesWithProperties(document.Styles());
  for (std::size_t i = 0; i < kSteps; ++i) {
    const korvel::ConstXmlElement rule = rules[i % rules.size()];
    korvel::PropEdit edit;
    edit.name = rule.ChildAt(0).GetAttr(korvel::attrs::kName).AsText();
    switch (i % 4) {
      case 0: edit.value = std::to_string(i) + "px"; break;
      case 1: edit.checked = false; break;
      case 2: edit.deleted = true; break;
      case 3:
        edit.name = "margin-inline-" + std::to_string(i);
        edit.value = "1px";
        break;
    }
    document.Apply(rule, {edit}, "step " + std::to_string(i));
  }
}

struct Loaded {
  korvel::StyleSheetDocument document;
  std::size_t historyBytes = 0;
};

Loaded& LoadedWithSteps() {
  static std::unique_ptr<Loaded> loaded = [] {
    auto made = std::make_unique<Loaded>();
    made->document.Load(StylesheetPath());
    const std::size_t before = HeapInUse();
    MakeSteps(made->document);
    made->historyBytes = HeapInUse() - before;
    return made;
  }();
  return *loaded;
}

// Making the 10,000 steps; the memory they hold beyond the document.
void BM_TenThousandSteps(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto document = std::make_unique<korvel::StyleSheetDocument>();
    document->Load(StylesheetPath());
    const std::size_t before = HeapInUse();
    state.ResumeTiming();
    MakeSteps(*document);
    state.PauseTiming();
    state.counters["history_MB"] = static_cast<double>(HeapInUse() - before) / 1e6;
    document.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TenThousandSteps)->Unit(benchmark::kMillisecond)->Iterations(1);

// One undo (one redo) among the 10,000 steps; at the end of the history
// all are redone (undone) again, out of the timing.
void BM_Step(benchmark::State& state, bool redo) {
  Loaded& loaded = LoadedWithSteps();
  korvel::StyleSheetDocument& document = loaded.document;
  for (auto _ : state) {
    if (redo ? !document.CanRedo() : !document.CanUndo()) {
      state.PauseTiming();
      document.GoTo(redo ? 0 : document.StepCount());
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(redo ? document.Redo() : document.Undo());
  }
  state.counters["history_MB"] = static_cast<double>(loaded.historyBytes) / 1e6;
}
BENCHMARK_CAPTURE(BM_Step, Undo, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Step, Redo, true)->Unit(benchmark::kMicrosecond);

}  // namespace
