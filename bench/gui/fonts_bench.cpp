// The font catalogue and the two pickers: listing and classifying the
// installed font families (once per run, off the window's thread), filling
// the font picker with them, and opening each picker on a value.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "guibenchmain.h"
#include "editors/colorformunit.h"
#include "editors/fontcatalog.h"
#include "editors/fontsunit.h"

namespace korvel {
namespace {

std::size_t FamilyCount(const FontCatalog& catalog) {
  std::size_t count = 0;
  for (const std::vector<std::string>& names : catalog.families) count += names.size();
  return count;
}

// Warm: fontconfig's caches and the files are in memory after the first
// listing, as they are at every start but the first after a boot.
void BM_ListInstalledFontFamilies(benchmark::State& state) {
  FontCatalog catalog = ListInstalledFontFamilies();
  for (auto _ : state) {
    catalog = ListInstalledFontFamilies();
    benchmark::DoNotOptimize(catalog);
  }
  state.counters["families"] = static_cast<double>(FamilyCount(catalog));
}
BENCHMARK(BM_ListInstalledFontFamilies)->Unit(benchmark::kMillisecond);

void BM_FillFontPicker(benchmark::State& state) {
  const FontCatalog catalog = ListInstalledFontFamilies();
  TFontForm picker(nullptr);
  for (auto _ : state) picker.SetFontFamilies(catalog);
}
BENCHMARK(BM_FillFontPicker)->Unit(benchmark::kMillisecond);

void BM_OpenFontPicker(benchmark::State& state) {
  TFontForm picker(nullptr);
  picker.SetFontFamilies(ListInstalledFontFamilies());
  for (auto _ : state) {
    picker.LoadValue(QStringLiteral("'DejaVu Serif','Liberation Serif',Georgia,serif"));
    picker.show();
    QApplication::processEvents();  // lays out and paints the shown tab
    state.PauseTiming();
    picker.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenFontPicker)->Unit(benchmark::kMillisecond);

void BM_OpenColorPicker(benchmark::State& state) {
  TColorForm picker(nullptr);
  const QStringList keywords = {QStringLiteral("color"), QStringLiteral("transparent"), QStringLiteral("inherit")};
  for (auto _ : state) {
    picker.LoadValue(keywords, QStringLiteral("#fff"));
    picker.show();
    QApplication::processEvents();  // lays out and paints the list
    state.PauseTiming();
    picker.hide();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenColorPicker)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) { return korvel::bench::RunWindowBenchmarks(argc, argv); }
