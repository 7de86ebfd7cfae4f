// What the user waits for in the window: opening a 3 MB stylesheet (read,
// parse, fill the rule tree) and a click on a rule of 50 properties, until
// the grid has painted it. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPaintEvent>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <map>
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
    // The "Edition" page in front: its grid is what a click paints.
    window_->Pages()->setCurrentWidget(&window_->Editor());
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

// Sees the widgets paint: one of them, and any at all.
class PaintWatch final : public QObject {
 public:
  explicit PaintWatch(QWidget* widget) : widget_(widget) { QApplication::instance()->installEventFilter(this); }
  ~PaintWatch() override { QApplication::instance()->removeEventFilter(this); }
  Q_DISABLE_COPY_MOVE(PaintWatch)
  bool widgetPainted = false;
  bool anyPainted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      anyPainted = true;
      if (watched == widget_) widgetPainted = true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget* widget_;
};

// Every paint event of the application's widgets, by widget: the area it
// was asked to paint, in pixels.
class PaintCensus final : public QObject {
 public:
  PaintCensus() { QApplication::instance()->installEventFilter(this); }
  ~PaintCensus() override { QApplication::instance()->removeEventFilter(this); }
  Q_DISABLE_COPY_MOVE(PaintCensus)
  /// Paint events and pixels, by widget.
  std::map<QString, std::pair<int, qint64>> painted;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
      qint64 pixels = 0;
      for (const QRect& rect : static_cast<QPaintEvent*>(event)->region()) pixels += qint64{rect.width()} * rect.height();
      auto& [events, total] = painted[NameOf(watched)];
      ++events;
      total += pixels;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  // A viewport is named after its view.
  static QString NameOf(const QObject* widget) {
    const QObject* named = widget->objectName() == QStringLiteral("qt_scrollarea_viewport") ? widget->parent() : widget;
    QString name = QString::fromLatin1(named->metaObject()->className());
    if (!named->objectName().isEmpty()) name += QLatin1Char('#') + named->objectName();
    if (named != widget) name += QStringLiteral("/viewport");
    return name;
  }
};

// Makes the rule the tree's current node, as a click does, then runs the
// events that leaves until the grid has painted and two rounds of events
// paint nothing more (a layout left for later repaints again); false when
// the grid never paints. Not inlined, so that a profiler can count within
// it alone.
[[gnu::noinline]] bool ClickUntilPainted(QTreeWidget& tree, QTreeWidgetItem* rule, GStringGrid& grid) {
  PaintWatch watch(grid.viewport());
  tree.setCurrentItem(rule);
  for (int round = 0, quiet = 0; round < 100 && quiet < 2; ++round) {
    watch.anyPainted = false;
    QApplication::processEvents();
    quiet = watch.widgetPainted && !watch.anyPainted ? quiet + 1 : 0;
  }
  return watch.widgetPainted;
}

// A click on a rule of the tree, as the user waits for it: from the tree's
// current node changing (what a click or an arrow key does) until the
// property grid has painted the rule's 50 rows and the window is still. The label lists the widgets
// that painted after one such click, with their paint events and the pixels
// they were asked to paint.
void BM_ShowRuleOf50Properties(benchmark::State& state) {
  Bench& bench = Shared();
  QTreeWidget* tree = bench.Window().RuleTree();
  GStringGrid* grid = bench.Window().PropertyGrid();
  QTreeWidgetItem* node = bench.Window().FindNode(QStringLiteral(".fifty"));
  // The rule clicked in between stands just above, so that neither click
  // scrolls the tree.
  QTreeWidgetItem* other = node ? tree->itemAbove(node) : nullptr;
  if (!node || !other) {
    state.SkipWithError("rules missing");
    return;
  }
  // The rule in sight, as when the user clicks it.
  tree->scrollToItem(node);
  const auto click = [&](QTreeWidgetItem* rule) { return ClickUntilPainted(*tree, rule, *grid); };
  if (!click(node)) {
    state.SkipWithError("the grid never painted");
    return;
  }
  click(other);
  for (auto _ : state) {
    if (!click(node)) {
      state.SkipWithError("the grid never painted");
      return;
    }
    state.PauseTiming();
    click(other);
    state.ResumeTiming();
  }

  PaintCensus census;
  click(node);
  state.counters["rows"] = grid->RowCount();
  QString label;
  qint64 pixels = 0;
  for (const auto& [widget, paints] : census.painted) {
    label += QStringLiteral("%1 %2x %3px; ").arg(widget).arg(paints.first).arg(paints.second);
    pixels += paints.second;
  }
  state.counters["pixels_painted"] = static_cast<double>(pixels);
  state.counters["widgets_painted"] = static_cast<double>(census.painted.size());
  state.SetLabel(label.toStdString());
  click(other);
}
BENCHMARK(BM_ShowRuleOf50Properties)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) {
  return korvel::bench::RunWindowBenchmarks(argc, argv, [] { korvel::SharedSlot().reset(); });
}
