#include "editors/gpopupform.h"

#include <QApplication>
#include <QFont>
#include <QScreen>
#include <QPalette>
#include <QKeyEvent>
#include <QWindowStateChangeEvent>

#include <algorithm>

#include "editors/gstringgrid.h"

namespace korvel {

QRect ValueCellInGlobal(const GStringGrid& grid, int row) {
  const QRect cell = grid.CellRect(1, row);
  if (cell.isEmpty()) return {};
  return {grid.viewport()->mapToGlobal(cell.topLeft()), cell.size()};
}

GPopupForm::GPopupForm(QWidget* mainWindow)
    : QWidget(mainWindow != nullptr ? mainWindow->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint) {
  WatchMainWindow(mainWindow != nullptr ? mainWindow->window() : nullptr);
  hide();
}

GPopupForm::~GPopupForm() {
  if (filteringKeys_) qApp->removeEventFilter(this);
}

void GPopupForm::WatchMainWindow(QWidget* mainWindow) {
  mainWindow_ = mainWindow;
  if (mainWindow == nullptr) return;
  mainWindowPosition_ = mainWindow->pos();
  mainWindow->installEventFilter(this);
}

void GPopupForm::PlaceBeside(const QRect& cellInGlobal) {
  cell_ = cellInGlobal;
  FitBesideCell();
}

void GPopupForm::FitBesideCell() {
  QPoint at(cell_.left() - 1, cell_.top());
  const QScreen* screen = QGuiApplication::screenAt(cell_.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect room = screen->availableGeometry();
    if (at.y() + height() > room.bottom() + 1) at.setY(cell_.top() - height());
    at.setY(std::max(std::min(at.y(), room.bottom() + 1 - height()), room.top()));
    at.setX(std::max(std::min(at.x(), room.right() + 1 - width()), room.left()));
  }
  move(at);
}

void GPopupForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A popup sized after it was placed (to its rows, to the value column)
  // must still fit on the screen.
  if (!cell_.isNull()) FitBesideCell();
}

bool GPopupForm::IsOpenAt(int cellTop) const { return isVisible() && !cell_.isNull() && cell_.top() == cellTop; }

void GPopupForm::Cancel() {
  hide();
  emit Cancelled();
}

void GPopupForm::HideWithTab() { hide(); }

void GPopupForm::OnOk() { Accept(QString()); }

void GPopupForm::Accept(const QString& value) {
  emit Accepted(value);
  hide();
}

void GPopupForm::SetFormLook(const QColor& background) {
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, background);
  setPalette(colours);
  QFont small(QStringLiteral("Tahoma"));
  small.setPointSize(8);
  setFont(small);
}

void GPopupForm::KeepOwnKeys(QWidget* control) {
  if (control != nullptr) ownKeyControls_.append(control);
}

void GPopupForm::showEvent(QShowEvent* event) {
  // Escape and Enter must reach the popup from whichever control has the
  // focus, including those that would swallow Enter themselves (an editable
  // combo box); an application filter sees the key before any of them.
  if (!filteringKeys_) {
    qApp->installEventFilter(this);
    filteringKeys_ = true;
  }
  QWidget::showEvent(event);
}

void GPopupForm::setVisible(bool visible) {
  const bool hadKeyboard = !visible && isVisible() && isActiveWindow();
  QWidget::setVisible(visible);
  // The keyboard goes back to the main window (to the grid the popup was
  // opened from), so that the next row can be edited without the mouse.
  if (hadKeyboard && mainWindow_ != nullptr && mainWindow_->isVisible()) mainWindow_->activateWindow();
}

void GPopupForm::hideEvent(QHideEvent* event) {
  if (filteringKeys_) {
    qApp->removeEventFilter(this);
    filteringKeys_ = false;
  }

  QWidget::hideEvent(event);
}

bool GPopupForm::IsOwnKey(QObject* receiver, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Escape && key != Qt::Key_Return && key != Qt::Key_Enter) return false;
  auto* widget = qobject_cast<QWidget*>(receiver);
  // isAncestorOf stops at window boundaries, so the drop-down list of a
  // combo box (a window of its own) keeps its keys.
  if (widget == nullptr || !isAncestorOf(widget)) return false;
  // A key that an in-place editor leaves unused travels on to its parents;
  // it is still that editor's key, not the popup's.
  // (Events are compared by address, so a later event at the same address
  // counts as kept only on its way up from the editor.)
  if (event == keptEvent_ && keptBy_ != nullptr && widget->isAncestorOf(keptBy_)) return false;
  keptEvent_ = nullptr;
  for (const QPointer<QWidget>& control : ownKeyControls_) {
    if (control != nullptr && control->isVisible() && (control == widget || control->isAncestorOf(widget))) {
      keptEvent_ = event;
      keptBy_ = control;
      return false;
    }
  }
  return true;
}

bool GPopupForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mainWindow_ && mainWindow_ != nullptr) {
    switch (event->type()) {
      case QEvent::Move: {
        const QPoint now = mainWindow_->pos();
        if (isVisible()) move(pos() + (now - mainWindowPosition_));
        cell_.translate(now - mainWindowPosition_);
        mainWindowPosition_ = now;
        break;
      }
      case QEvent::WindowStateChange:
        if (mainWindow_->isMinimized()) hide();
        break;
      case QEvent::Hide:
        hide();
        break;
      default:
        break;
    }
    return false;
  }
  if (IsOwnKey(watched, event)) {
    if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      Cancel();
    } else {
      OnOk();
    }
    return true;
  }
  return false;
}

}  // namespace korvel
