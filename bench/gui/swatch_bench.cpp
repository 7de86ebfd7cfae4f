// The colour swatches of a rule of 50 properties: for each row, whether its
// property takes a colour (its entry in the shipped dictionary) and, for
// those that do, the colour its value stands for, as the property grid asks
// when a rule is shown and painted. Rows of properties the dictionary lacks
// (custom properties) are among them.

#include <benchmark/benchmark.h>

#include <QColor>
#include <QString>

#include <string>
#include <utility>
#include <vector>

#include "guibenchmain.h"
#include "dictionary/keyworddictionary.h"
#include "editors/colorswatch.h"

namespace korvel {
namespace {

std::vector<std::pair<std::string, QString>> RuleOf50Properties() {
  const char* rows[][2] = {
      {"color", "navy"},           {"background-color", "#f0f0f0"}, {"border-color", "rgb(10, 20, 30)"},
      {"outline-color", "Feldspar"}, {"width", "12px"},             {"margin", "0 auto"},
      {"display", "flex"},         {"font-size", "1.2em"},          {"zoom", "150%"},
      {"caret-color", "hsl(120 50% 50% / .5)"}};
  std::vector<std::pair<std::string, QString>> rule;
  for (int i = 0; i < 50; ++i) {
    if (i % 5 == 4) {
      rule.emplace_back("--brand-" + std::to_string(i), QStringLiteral("red"));
    } else {
      const auto& row = rows[i % 10];
      rule.emplace_back(row[0], QString::fromUtf8(row[1]));
    }
  }
  return rule;
}

void BM_SwatchesOfRuleOf50Properties(benchmark::State& state) {
  const KeywordDictionary dictionary = KeywordDictionary::Load(KORVEL_DATA "/CSSKeywords.xml");
  const std::vector<std::pair<std::string, QString>> rule = RuleOf50Properties();
  int painted = 0;
  for (auto _ : state) {
    painted = 0;
    for (const auto& [name, value] : rule) {
      const XmlElement entry = dictionary.FindKeyword(name);
      if (!entry || !(entry.GetAttr("EditMode") == editmode::kGetColor)) continue;
      if (SwatchColorOf(value).isValid()) ++painted;
    }
    benchmark::DoNotOptimize(painted);
  }
  state.counters["swatches"] = painted;
}
BENCHMARK(BM_SwatchesOfRuleOf50Properties)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) { return korvel::bench::RunWindowBenchmarks(argc, argv); }
