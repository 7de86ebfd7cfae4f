#include "app/controladapters.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <climits>

namespace korvel {

void WindowControl::SetBounds(int left, int top, int width, int height) {
  constexpr int kMinWidth = 200;
  constexpr int kMinHeight = 150;
  // The stored numbers come from a file anyone may edit: the centre is worked
  // out without overflow, and the window is kept within the screen it was
  // on, no larger than it; one stored on a screen that is gone comes back in
  // the middle of the main one.
  const auto centre = [](int start, int length) {
    return static_cast<int>(std::clamp<qint64>(qint64{start} + std::max(length, 0) / 2, INT_MIN, INT_MAX));
  };
  const QScreen* screen = QGuiApplication::screenAt(QPoint(centre(left, width), centre(top, height)));
  if (!screen) screen = QGuiApplication::screenAt(QPoint(left, top));
  const bool onScreen = screen != nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) {
    constexpr int kMaxSide = 8192;
    window_->setGeometry(0, 0, std::clamp(width, kMinWidth, kMaxSide), std::clamp(height, kMinHeight, kMaxSide));
    return;
  }
  const QRect area = screen->availableGeometry();
  const int w = std::clamp(width, std::min(kMinWidth, area.width()), area.width());
  const int h = std::clamp(height, std::min(kMinHeight, area.height()), area.height());
  QRect wanted(0, 0, w, h);
  if (onScreen) {
    wanted.moveTo(std::clamp(left, area.left(), area.left() + area.width() - w),
                  std::clamp(top, area.top(), area.top() + area.height() - h));
  } else {
    wanted.moveCenter(area.center());
  }
  window_->setGeometry(wanted);
}

void SplitterPaneControl::SetBounds(int, int, int width, int height) {
  SetShare(splitter_->orientation() == Qt::Horizontal ? width : height);
}

void SplitterPaneControl::SetWidth(int width) {
  if (splitter_->orientation() == Qt::Horizontal) SetShare(width);
}

void SplitterPaneControl::SetHeight(int height) {
  if (splitter_->orientation() == Qt::Vertical) SetShare(height);
}

void SplitterPaneControl::SetShare(int size) {
  QList<int> sizes = splitter_->sizes();
  if (index_ >= sizes.size() || sizes.size() < 2 || size < 0) return;
  int total = 0;
  for (int share : sizes) total += share;
  if (total <= 0) {
    sizes[index_] = size;
  } else {
    size = std::min(size, total);
    const int neighbour = index_ + 1 < sizes.size() ? index_ + 1 : index_ - 1;
    sizes[neighbour] += sizes[index_] - size;
    sizes[index_] = size;
    if (sizes[neighbour] < 0) sizes[neighbour] = 0;
  }
  splitter_->setSizes(sizes);
}

}  // namespace korvel
