#include "editors/tabcaption.h"

#include <QCoreApplication>
#include <QEvent>
#include <QRect>
#include <QSize>
#include <QSizePolicy>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>

namespace korvel {

namespace {

// What the parent's layout reads of the tab widget, but for the width it
// would like: a caption changes only that.
struct LaidOutBy {
  QSize minimumHint;
  QSize minimum;
  QSize maximum;
  QSizePolicy policy;
  int height = 0;

  explicit LaidOutBy(const QWidget& widget)
      : minimumHint(widget.minimumSizeHint()),
        minimum(widget.minimumSize()),
        maximum(widget.maximumSize()),
        policy(widget.sizePolicy()),
        height(widget.sizeHint().height()) {}
  bool operator==(const LaidOutBy&) const = default;
};

// Where the tab widget shows its pages; the whole widget when it has none.
QRect PagesArea(const QTabWidget& tabs) {
  const QWidget* page = tabs.currentWidget();
  return page ? QRect(page->mapTo(&tabs, QPoint(0, 0)), page->size()) : tabs.rect();
}

}  // namespace

void SetTabCaption(QTabWidget& tabs, int index, const QString& text) {
  if (tabs.tabText(index) == text) return;
  QWidget* parent = tabs.parentWidget();
  // A layout the parent already owes is done first: only the request this
  // caption makes may be dropped below.
  if (parent) QCoreApplication::sendPostedEvents(parent, QEvent::LayoutRequest);
  const LaidOutBy before(tabs);
  const QRect pages = PagesArea(tabs);
  const QRect bar = tabs.tabBar()->geometry();
  // The tab widget places its tab bar now (and again for the bar's own
  // request), and would each time repaint all it holds. The bar repaints
  // itself where it is; around it, only the row of tabs and the frame's
  // edge below it can look different. Updates someone else turned off stay
  // off.
  const bool updatesWereOff = tabs.testAttribute(Qt::WA_UpdatesDisabled);
  tabs.setAttribute(Qt::WA_UpdatesDisabled, true);
  tabs.setTabText(index, text);
  QCoreApplication::sendPostedEvents(&tabs, QEvent::LayoutRequest);
  if (!updatesWereOff) {
    tabs.setAttribute(Qt::WA_UpdatesDisabled, false);
    if (PagesArea(tabs) != pages) {
      tabs.update();
    } else {
      // Down to the pages, which stay as they were.
      const int bottom = std::max({bar.bottom(), tabs.tabBar()->geometry().bottom(), pages.top() - 1});
      tabs.update(QRect(0, 0, tabs.width(), bottom + 1));
    }
  }
  if (parent && LaidOutBy(tabs) == before) QCoreApplication::removePostedEvents(parent, QEvent::LayoutRequest);
}

}  // namespace korvel
