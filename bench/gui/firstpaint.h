#pragma once

// The end of a start-up being timed from outside: the window is shown, and
// once it is exposed and has painted, "painted" goes to stdout with the
// processor time the process has used so far, in milliseconds (every
// thread, user and system).

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <sys/resource.h>

#include <cstdio>

namespace korvel::bench {

// Sees a top-level window paint.
class PaintSeen final : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return QObject::eventFilter(watched, event);
  }
};

inline void ShowUntilPainted(QWidget& window) {
  PaintSeen seen;
  window.installEventFilter(&seen);
  window.show();
  while (!seen.painted || window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
    QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
  window.removeEventFilter(&seen);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e3 + t.tv_usec / 1e3; };
  std::printf("painted %.3f\n", ms(usage.ru_utime) + ms(usage.ru_stime));
  std::fflush(stdout);
}

}  // namespace korvel::bench
