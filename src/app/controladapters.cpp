#include "app/controladapters.h"

#include <QGuiApplication>
#include <QScreen>

namespace korvel {

void WindowControl::SetBounds(int left, int top, int width, int height) {
  // A window stored on a screen that is gone comes back where it can be seen.
  QRect wanted(left, top, std::max(width, 200), std::max(height, 150));
  const QScreen* screen = QGuiApplication::screenAt(wanted.center());
  if (!screen) {
    screen = QGuiApplication::primaryScreen();
    if (screen) wanted.moveCenter(screen->availableGeometry().center());
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
