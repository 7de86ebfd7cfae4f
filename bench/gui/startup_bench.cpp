// Start-up against a bare Qt window, in one run: each iteration starts, as
// processes of their own, a bare Qt program (korvel_bare_window: a
// QMainWindow shown) and Korvel's start-up as main() does it, on a first
// start, that is on the example project (this program run with --korvel
// FOLDER). Each is timed from its start until it says its window is exposed
// and painted. The counters give the medians of both and their ratio, in wall
// time and in processor time. A second benchmark starts Korvel on a
// generated stylesheet of 3.6 MB given alone (--stylesheet FILE), which is
// read on a thread of its own once the window is on screen. Run with
// QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/dmunit.h"
#include "app/frenchinterface.h"
#include "app/mainformunit.h"
#include "app/settingsstore.h"
#include "support/guitestsupport.h"
#include "firstpaint.h"
#include "stylesheetgenerator.h"

namespace korvel {
namespace {

// Korvel's start-up in this process, as main() makes it, over the
// installation in `folder`, on `stylesheet` when one is given; says
// "painted" on stdout once the window is, then leaves without tearing
// anything down.
int RunKorvel(int argc, char** argv, const QString& folder, const QString& stylesheet) {
  QApplication app(argc, argv);
  QStandardPaths::setTestModeEnabled(true);
  QApplication::setApplicationName(QStringLiteral("Korvel"));
  QApplication::setOrganizationName(QStringLiteral("Korvel"));
  MessageRecorder messages;
  (void)InstallFrenchInterface(app);
  TDM dm(folder + QStringLiteral("/bin/"));
  RecordingLauncher launcher;
  SettingsStore registry(folder + QStringLiteral("/registry.ini"));
  TMainForm window(dm, launcher, registry);
  if (!stylesheet.isEmpty()) window.SetStartStylesheet(stylesheet);
  bench::ShowUntilPainted(window);
  std::fflush(stdout);
  std::_Exit(0);
}

struct StartUp {
  double wallMs = -1;  // from the start of the program until it says "painted"; -1 when it never does
  double cpuMs = -1;   // the processor time it had used by then
};

StartUp StartUntilPainted(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer clock;
  clock.start();
  process.start(program, arguments);
  StartUp startUp;
  QByteArray said;
  while (process.waitForReadyRead(10'000)) {
    said += process.readAll();
    if (said.contains("painted") && said.endsWith('\n')) {
      startUp.wallMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
      startUp.cpuMs = said.mid(said.indexOf("painted") + 7).trimmed().toDouble();
      break;
    }
  }
  process.waitForFinished(10'000);
  return startUp;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0.0 : values[values.size() / 2];
}

// Korvel's start-up against a bare window's, each iteration on a new
// installation; on a stylesheet of `stylesheetBytes` given alone when not 0.
void StartUpAgainstBareWindow(benchmark::State& state, std::size_t stylesheetBytes) {
  const QString here = QCoreApplication::applicationDirPath();
  const std::string css = stylesheetBytes > 0 ? bench::StylesheetGenerator().Generate(stylesheetBytes) : std::string();
  std::vector<double> bare;
  std::vector<double> korvel;
  std::vector<double> bareCpu;
  std::vector<double> korvelCpu;
  for (auto _ : state) {
    state.PauseTiming();
    // A first start each time: a new installation with its example project.
    QTemporaryDir dir;
    if (InstallKorvel(dir.path()).isEmpty()) {
      state.SkipWithError("cannot install Korvel");
      return;
    }
    QStringList arguments{QStringLiteral("--korvel"), dir.path()};
    if (!css.empty()) {
      const QString file = dir.path() + QStringLiteral("/grande-feuille.css");
      std::ofstream(file.toStdString(), std::ios::binary) << css;
      arguments << QStringLiteral("--stylesheet") << file;
    }
    state.ResumeTiming();
    const StartUp bareStart = StartUntilPainted(here + QStringLiteral("/korvel_bare_window"), {});
    const StartUp korvelStart = StartUntilPainted(QCoreApplication::applicationFilePath(), arguments);
    if (bareStart.wallMs < 0 || korvelStart.wallMs < 0) {
      state.SkipWithError("a window was never painted");
      return;
    }
    bare.push_back(bareStart.wallMs);
    korvel.push_back(korvelStart.wallMs);
    bareCpu.push_back(bareStart.cpuMs);
    korvelCpu.push_back(korvelStart.cpuMs);
    state.SetIterationTime(korvelStart.wallMs / 1e3);
  }
  const double bareMs = Median(bare);
  const double korvelMs = Median(korvel);
  state.counters["bare_ms"] = bareMs;
  state.counters["korvel_ms"] = korvelMs;
  state.counters["ratio"] = bareMs > 0 ? korvelMs / bareMs : 0.0;
  // Processor time, which other processes on the machine disturb less.
  const double bareCpuMs = Median(bareCpu);
  const double korvelCpuMs = Median(korvelCpu);
  state.counters["bare_cpu_ms"] = bareCpuMs;
  state.counters["korvel_cpu_ms"] = korvelCpuMs;
  state.counters["cpu_ratio"] = bareCpuMs > 0 ? korvelCpuMs / bareCpuMs : 0.0;
}
void BM_StartUpAgainstBareWindow(benchmark::State& state) { StartUpAgainstBareWindow(state, 0); }
BENCHMARK(BM_StartUpAgainstBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_StartUpOnA3_6MBStylesheet(benchmark::State& state) { StartUpAgainstBareWindow(state, 3'600'000); }
BENCHMARK(BM_StartUpOnA3_6MBStylesheet)
    ->Name("BM_StartUpAgainstBareWindow/3.6MB-stylesheet")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
  QString folder;
  QString stylesheet;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--korvel") == 0) folder = QString::fromLocal8Bit(argv[i + 1]);
    if (std::strcmp(argv[i], "--stylesheet") == 0) stylesheet = QString::fromLocal8Bit(argv[i + 1]);
  }
  if (!folder.isEmpty()) return korvel::RunKorvel(argc, argv, folder, stylesheet);
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
