// The property dictionary: loading the shipped file at start-up, and
// preparing an entry, which happens on every click on a property row.

#include <benchmark/benchmark.h>

#include <string>

#include "dictionary/keyworddictionary.h"

namespace {

const std::string kShippedFile = std::string(KORVEL_DATA) + "/CSSKeywords.xml";

// What start-up does: read and parse the file, then list the names for the
// add-property list.
void DictionaryLoad(benchmark::State& state) {
  for (auto _ : state) {
    korvel::KeywordDictionary dictionary = korvel::KeywordDictionary::Load(kShippedFile);
    benchmark::DoNotOptimize(dictionary.KeywordNames());
  }
}
BENCHMARK(DictionaryLoad)->Unit(benchmark::kMillisecond);

void DictionaryPrepareKeyword(benchmark::State& state, const char* property, const char* value) {
  korvel::KeywordDictionary dictionary = korvel::KeywordDictionary::Load(kShippedFile);
  for (auto _ : state) benchmark::DoNotOptimize(dictionary.PrepareKeyword(property, value));
}
BENCHMARK_CAPTURE(DictionaryPrepareKeyword, background, "background",
                  "url('images/fond.png') no-repeat right top #c0c0c0 fixed padding-box content-box")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(DictionaryPrepareKeyword, font, "font",
                  "italic small-caps bold condensed 12px/1.5 Georgia, 'Times New Roman', Times, serif")
    ->Unit(benchmark::kMicrosecond);
// The last entry of the file, so the lookup scans every entry before it.
BENCHMARK_CAPTURE(DictionaryPrepareKeyword, zoom, "zoom", "150%")->Unit(benchmark::kMicrosecond);

}  // namespace
