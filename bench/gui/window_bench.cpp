// What the user waits for in the window: opening a 3 MB stylesheet (read,
// parse, fill the rule tree) and showing a rule of 50 properties. Run with
// QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

#include "guibenchmain.h"
#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/tstylesheeteditor.h"
#include "app/settingsstore.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"
#include "settings/gxmlini.h"
#include "stylesheetgenerator.h"
#include "throughput.h"

namespace korvel {
namespace {

// One window over one project, made once for all the benchmarks.
class Bench final {
 public:
  Bench() {
    const QString exe = InstallKorvel(dir_.path());
    const QString project = dir_.path() + QStringLiteral("/big/");
    QDir().mkpath(project);
    std::string css = bench::StylesheetGenerator().Generate(3'000'000);
    css += ".fifty {\n";
    for (int i = 0; i < 50; ++i) css += "  --property-" + std::to_string(i) + ": " + std::to_string(i) + "px;\n";
    css += "}\n";
    bytes_ = css.size();
    Write(project + QStringLiteral("styles.css"), css);
    Write(project + QStringLiteral("index.html"), "<html></html>");
    GXMLIni ini;
    ini.Open((project + QStringLiteral("big.xml")).toStdString());
    ini.WriteValue(nullptr, settingkind::kHTMLFilePath, (project + QStringLiteral("index.html")).toStdString());
    ini.WriteValue(nullptr, settingkind::kCSSFilePath, (project + QStringLiteral("styles.css")).toStdString());
    dm_ = std::make_unique<TDM>(exe);
    registry_ = std::make_unique<SettingsStore>(dir_.path() + QStringLiteral("/registry.ini"));
    registry_->SetProjectFolderPath(project);
    window_ = std::make_unique<TMainForm>(*dm_, launcher_, *registry_);
    window_->show();
    QApplication::processEvents();
  }
  TStyleSheetEditor& Window() { return window_->Editor(); }
  [[nodiscard]] std::size_t Bytes() const { return bytes_; }

 private:
  static void Write(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  QTemporaryDir dir_;
  MessageRecorder messages_;
  RecordingLauncher launcher_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<SettingsStore> registry_;
  std::unique_ptr<TMainForm> window_;
  std::size_t bytes_ = 0;
};

// The window must go before the application object does: main() empties this
// slot while the application still exists.
std::unique_ptr<Bench>& SharedSlot() {
  static std::unique_ptr<Bench> bench;
  return bench;
}

Bench& Shared() {
  if (!SharedSlot()) SharedSlot() = std::make_unique<Bench>();
  return *SharedSlot();
}

void BM_OpenStylesheet3MB(benchmark::State& state) {
  Bench& bench = Shared();
  for (auto _ : state) {
    bench.Window().LoadStylesheet(bench.Window().CSSFilePath());
    QApplication::processEvents();
  }
  korvel::bench::ReportThroughput(state, bench.Bytes());
  state.counters["rules"] = bench.Window().RuleTree()->topLevelItemCount();
}
BENCHMARK(BM_OpenStylesheet3MB)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_ShowRuleOf50Properties(benchmark::State& state) {
  Bench& bench = Shared();
  QTreeWidgetItem* node = bench.Window().FindNode(QStringLiteral(".fifty"));
  QTreeWidgetItem* other = bench.Window().RuleTree()->topLevelItem(0);
  if (!node || !other) {
    state.SkipWithError("rules missing");
    return;
  }
  bench.Window().SelectRule(node, true);
  state.counters["rows"] = bench.Window().PropertyGrid()->RowCount();
  for (auto _ : state) {
    bench.Window().SelectRule(node, true);
    QApplication::processEvents();  // paints the grid
    state.PauseTiming();
    bench.Window().SelectRule(other, true);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowRuleOf50Properties)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
  return korvel::bench::RunWindowBenchmarks(argc, argv, [] { korvel::SharedSlot().reset(); });
}
