// What the user waits for in an explorer pane: entering a folder of 5,000
// files until its list is painted, and a folder of large photos in the
// thumbnail mode, where the window must keep answering while the
// thumbnails are made. Run with QT_QPA_PLATFORM=offscreen.

#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>

#include "guibenchmain.h"
#include "shell/folderview.h"
#include "shell/thumbnailprovider.h"

namespace korvel {
namespace {

constexpr int kFiles = 5000;
constexpr int kPhotos = 150;

// The folders, made once for all the benchmarks.
class Folders final {
 public:
  Folders() {
    QDir().mkpath(Files());
    for (int i = 0; i < kFiles; ++i) {
      QFile file(Files() + QStringLiteral("page-%1.html").arg(i, 4, 10, QLatin1Char('0')));
      if (file.open(QIODevice::WriteOnly)) file.write(QByteArray(100 + i % 900, 'x'));
    }
    for (int i = 0; i < 20; ++i) QDir().mkpath(Files() + QStringLiteral("folder-%1").arg(i));
    QDir().mkpath(Photos());
    QImage photo(2400, 1800, QImage::Format_RGB32);
    for (int i = 0; i < kPhotos; ++i) {
      photo.fill(QColor::fromHsv(i * 7 % 360, 160, 200));
      QPainter painter(&photo);
      painter.drawEllipse(QRect(100 + i, 100, 1600, 1200));
      painter.end();
      photo.save(Photos() + QStringLiteral("photo-%1.jpg").arg(i, 3, 10, QLatin1Char('0')), "JPG", 90);
    }
  }
  [[nodiscard]] QString Files() const { return dir_.path() + QStringLiteral("/files/"); }
  [[nodiscard]] QString Photos() const { return dir_.path() + QStringLiteral("/photos/"); }

 private:
  QTemporaryDir dir_;
};

Folders& Shared() {
  static Folders folders;
  return folders;
}

int ShownRows(const TFolderView& view) { return view.Items()->rowCount(view.ItemView()->rootIndex()); }

// A fresh view each time (its own folder model, its own thumbnail cache),
// so that every entry is a first one.
std::unique_ptr<TFolderView> NewView(TViewMode mode, QSize size) {
  auto view = std::make_unique<TFolderView>();
  view->SetViewMode(mode);
  view->resize(size);
  view->show();
  QApplication::processEvents();
  return view;
}

void BM_EnterFolderOf5000Files(benchmark::State& state) {
  const QString folder = Shared().Files();
  const auto mode = static_cast<TViewMode>(state.range(0));
  for (auto _ : state) {
    std::unique_ptr<TFolderView> view = NewView(mode, {1000, 700});
    QElapsedTimer clock;
    clock.start();
    view->SetPath(folder);
    while (ShownRows(*view) < kFiles + 20) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      if (clock.elapsed() > 10'000) {
        state.SkipWithError("the list never came");
        return;
      }
    }
    view->ItemView()->viewport()->repaint();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    view.reset();
    QApplication::processEvents();
  }
  state.counters["items"] = kFiles + 20;
}
BENCHMARK(BM_EnterFolderOf5000Files)
    ->ArgName("mode")
    ->Arg(vmIcons)
    ->Arg(vmList)
    ->Arg(vmDetails)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// The time until every thumbnail on screen is made; the counter
// longest_stall_ms is the longest the window went without handling events
// meanwhile.
void BM_ThumbnailsOfLargePhotos(benchmark::State& state) {
  const QString folder = Shared().Photos();
  qint64 longestStall = 0;
  int made = 0;
  for (auto _ : state) {
    std::unique_ptr<TFolderView> view = NewView(vmThumbnails, {1200, 900});
    int ready = 0;
    QObject::connect(&view->Thumbnails(), &ThumbnailProvider::ThumbnailReady, view.get(), [&ready] { ++ready; });
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      longestStall = std::max(longestStall, sinceTick.elapsed());
      sinceTick.restart();
    });
    tick.start();
    view->SetPath(folder);
    // Done when the photos are listed, painted, and nothing is left to make.
    while (ShownRows(*view) < kPhotos || ready == 0 || view->Thumbnails().PendingCount() > 0) {
      QApplication::processEvents(QEventLoop::AllEvents, 5);
      if (clock.elapsed() > 60'000) {
        state.SkipWithError("the thumbnails never came");
        return;
      }
    }
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    made = ready;
    tick.stop();
    view.reset();
    QApplication::processEvents();
  }
  state.counters["thumbnails"] = made;
  state.counters["longest_stall_ms"] = static_cast<double>(longestStall);
}
BENCHMARK(BM_ThumbnailsOfLargePhotos)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace korvel

int main(int argc, char** argv) { return korvel::bench::RunWindowBenchmarks(argc, argv); }
