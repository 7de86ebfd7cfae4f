// The watch and the preview seen through the window: from an outside write
// of the stylesheet until the window asks about it, and from a save in the
// window until a listening page has the event. Run with
// QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <thread>

#include "guibenchmain.h"
#include "app/changewatch.h"
#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/previewserver.h"
#include "app/settingsstore.h"
#include "app/tstylesheeteditor.h"
#include "support/guitestsupport.h"
#include "listeningpage.h"
#include "settings/gxmlini.h"

namespace korvel {
namespace {

using Clock = std::chrono::steady_clock;

// One window over a small project.
class WatchedWindow final {
 public:
  WatchedWindow() {
    const QString exe = InstallKorvel(dir_.path());
    const QString project = dir_.path() + QStringLiteral("/site/");
    QDir().mkpath(project + QStringLiteral("css"));
    Write(project + QStringLiteral("index.html"), "<html></html>");
    Write(Stylesheet(), "p { color: red }\n");
    GXMLIni ini;
    ini.Open((project + QStringLiteral("site.xml")).toStdString());
    ini.WriteValue(nullptr, settingkind::kHTMLFilePath, (project + QStringLiteral("index.html")).toStdString());
    ini.WriteValue(nullptr, settingkind::kCSSFilePath, Stylesheet().toStdString());
    dm_ = std::make_unique<TDM>(exe);
    registry_ = std::make_unique<SettingsStore>(dir_.path() + QStringLiteral("/registry.ini"));
    registry_->SetProjectFolderPath(project);
    window_ = std::make_unique<TMainForm>(*dm_, launcher_, *registry_);
    window_->show();
    QApplication::processEvents();
  }

  [[nodiscard]] QString Stylesheet() const { return dir_.path() + QStringLiteral("/site/css/styles.css"); }
  static void Write(const QString& path, const std::string& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }

  QTemporaryDir dir_;
  MessageRecorder messages_;
  RecordingLauncher launcher_;
  std::unique_ptr<TDM> dm_;
  std::unique_ptr<SettingsStore> registry_;
  std::unique_ptr<TMainForm> window_;
};

// From the start of an outside write until the window, made active again and
// again, asks whether to reload.
void OutsideChangeAskedByTheWindow(benchmark::State& state) {
  WatchedWindow bench;
  if (!bench.window_->Watch() || !bench.window_->Watch()->Thread().WaitUntilWatching(std::chrono::seconds(5))) {
    state.SkipWithError("no watch");
    return;
  }
  int version = 0;
  for (auto _ : state) {
    bench.messages_.shown.clear();
    bench.messages_.answers.push_back(MessageAnswer::Cancel);
    const auto start = Clock::now();
    WatchedWindow::Write(bench.Stylesheet(), "p { color: red; margin: " + std::to_string(++version) + "px }\n");
    while (bench.messages_.shown.empty() && Clock::now() - start < std::chrono::seconds(2)) {
      bench.window_->ApplicationEvents1Activate();
      if (bench.messages_.shown.empty()) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (bench.messages_.shown.empty()) state.SkipWithError("the window never asked");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(OutsideChangeAskedByTheWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

// From the save in the window (write, then the event) until a listening page
// has the event.
void SaveInTheWindowReachesPage(benchmark::State& state) {
  WatchedWindow bench;
  PreviewServer* preview = bench.window_->Preview();
  if (!preview) {
    state.SkipWithError("no preview");
    return;
  }
  bench::ListeningPage page(*preview);
  for (auto _ : state) {
    const int before = page.Saves();
    const auto start = Clock::now();
    bench.window_->Editor().SaveStylesheet();
    if (!page.WaitBeyond(before)) state.SkipWithError("the page never heard of the save");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}
BENCHMARK(SaveInTheWindowReachesPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) { return korvel::bench::RunWindowBenchmarks(argc, argv); }
