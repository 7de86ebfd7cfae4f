// Opening a large stylesheet in the window, from the call until the rule tree
// is filled: reading the file, parsing it, checking its syntax, handing its
// bytes to the change watch and filling the tree. One size per process, so
// that the peak memory of one does not hide the other's:
//
//   QT_QPA_PLATFORM=offscreen korvel_open_bench --benchmark_filter=3.6MB
//   QT_QPA_PLATFORM=offscreen korvel_open_bench --benchmark_filter=16MiB
//
// Counters: the file's size; the resident memory of the window before the
// first open; the process's peak resident memory during the first open and
// over the whole run (later opens hold the document shown and the one being
// read at once); what the first open added to the window, over the file's
// size.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "guibenchmain.h"
#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/settingsstore.h"
#include "app/tstylesheeteditor.h"
#include "stylesheetgenerator.h"
#include "support/guitestsupport.h"
#include "throughput.h"

namespace korvel {
namespace {

// A line of /proc/self/status ("VmHWM", "VmRSS") in MB (10^6 bytes).
double StatusMegabytes(const char* field) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  const std::size_t length = std::strlen(field);
  double kilobytes = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
      kilobytes = std::strtod(line + length + 1, nullptr);
      break;
    }
  }
  std::fclose(status);
  return kilobytes * 1024 / 1e6;
}

// The peak so far becomes the memory in use now: what making the file cost
// is not counted against opening it.
void ResetPeak() {
  if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
}

// The main window, and a stylesheet of `bytes` of generated CSS to open.
class OpenBench final {
 public:
  explicit OpenBench(std::size_t bytes) {
    const QString exe = InstallKorvel(dir_.path());
    const QString project = dir_.path() + QStringLiteral("/big/");
    QDir().mkpath(project);
    css_ = project + QStringLiteral("styles.css");
    bytes_ = Write(css_, bench::StylesheetGenerator().Generate(bytes));
    dm_ = std::make_unique<TDM>(exe);
    // No project remembered: the window starts empty, as before a first open.
    registry_ = std::make_unique<SettingsStore>(dir_.path() + QStringLiteral("/registry.ini"));
    window_ = std::make_unique<TMainForm>(*dm_, launcher_, *registry_);
    window_->show();
    QApplication::processEvents();
  }
  TStyleSheetEditor& Editor() { return window_->Editor(); }
  [[nodiscard]] const QString& Stylesheet() const { return css_; }
  [[nodiscard]] std::size_t Bytes() const { return bytes_; }

 private:
  static std::size_t Write(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return bytes.size();
  }

  QTemporaryDir dir_;
  MessageRecorder messages_;
  RecordingLauncher launcher_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<SettingsStore> registry_;
  std::unique_ptr<TMainForm> window_;
  QString css_;
  std::size_t bytes_ = 0;
};

std::unique_ptr<OpenBench>& SharedSlot() {
  static std::unique_ptr<OpenBench> bench;
  return bench;
}

void OpenLargeStylesheet(benchmark::State& state, std::size_t bytes) {
  SharedSlot() = std::make_unique<OpenBench>(bytes);
  OpenBench& bench = *SharedSlot();
  ResetPeak();
  const double window = StatusMegabytes("VmRSS");
  double first = 0;
  for (auto _ : state) {
    if (!bench.Editor().LoadStylesheet(bench.Stylesheet())) {
      state.SkipWithError("the stylesheet could not be opened");
      break;
    }
    QApplication::processEvents();
    if (first == 0) first = StatusMegabytes("VmHWM");
  }
  const double file = static_cast<double>(bench.Bytes()) / 1e6;
  bench::ReportThroughput(state, bench.Bytes());
  state.counters["file_MB"] = file;
  state.counters["window_MB"] = window;
  state.counters["first_peak_MB"] = first;
  state.counters["peak_MB"] = StatusMegabytes("VmHWM");
  state.counters["first_open_per_file"] = (first - window) / file;
  state.counters["nodes"] = bench.Editor().RuleTree()->topLevelItemCount();
  SharedSlot().reset();
}

void BM_OpenStylesheet_3_6MB(benchmark::State& state) { OpenLargeStylesheet(state, 3'600'000); }
BENCHMARK(BM_OpenStylesheet_3_6MB)
    ->Name("BM_OpenStylesheet/3.6MB")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_OpenStylesheet_16MiB(benchmark::State& state) { OpenLargeStylesheet(state, 16u << 20); }
BENCHMARK(BM_OpenStylesheet_16MiB)
    ->Name("BM_OpenStylesheet/16MiB")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
  return korvel::bench::RunWindowBenchmarks(argc, argv, [] { korvel::SharedSlot().reset(); });
}
