#pragma once

// The base of the value editors that drop down beside a value cell of the
// property grid or the sub-grid (the length editor, the sub-grid editor, the
// colour and font pickers, the image picker).
//
// A popup is a frameless tool window owned by the main window: it stays above
// that window only, never above other programs. It moves with the main
// window, hides when the main window is minimised or hidden, and its owner
// hides it when another tab is shown (HideWithTab). Escape cancels it; Enter
// confirms it, whichever of its controls has the focus (an open drop-down
// list of a combo box takes its own Escape and Enter first); closing it
// gives the keyboard back to the main window. The popup is hidden between
// uses, never destroyed.
//
// Value in, value out: a derived editor loads a value, the user works on it,
// and Accepted carries the result to whoever opened the popup, which writes
// it. The popup itself writes nothing anywhere.

#include <QColor>
#include <QList>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

namespace korvel {

class GStringGrid;

/// The rectangle of the value cell (column 1) of the row, in screen
/// coordinates; empty for a row outside the grid.
[[nodiscard]] QRect ValueCellInGlobal(const GStringGrid& grid, int row);

/// A frameless popup editor owned by the main window.
class GPopupForm : public QWidget {
  Q_OBJECT

 public:
  /// `mainWindow` may be null (an editor built alone in a test); otherwise
  /// the popup belongs to its top-level window and follows it.
  explicit GPopupForm(QWidget* mainWindow);
  ~GPopupForm() override;
  Q_DISABLE_COPY_MOVE(GPopupForm)

  /// Moves the popup so that its left edge is 1 pixel left of the cell and
  /// its top edge level with the cell. `cellInGlobal` is in screen
  /// coordinates (see ValueCellInGlobal). Does not show it. The popup stays
  /// on the screen that holds the cell, whatever its size now or later:
  /// with no room below, it goes above the cell; with no room on the right,
  /// it moves left.
  void PlaceBeside(const QRect& cellInGlobal);

  /// Whether the popup is visible and was placed beside a cell whose top
  /// edge is `cellTop` (screen coordinates): open for the row whose value
  /// cell starts there. A second click on that row hides the popup instead
  /// of reopening it.
  [[nodiscard]] bool IsOpenAt(int cellTop) const;

  /// Confirms the popup as its OK button does (Enter).
  void Ok() { OnOk(); }
  /// Cancels the popup as its cancel button does (Escape): hides it and
  /// raises Cancelled; nothing is written.
  void Cancel();

  void setVisible(bool visible) override;

 public slots:
  /// Hides the popup because the page it belongs to is no longer shown.
  void HideWithTab();

 signals:
  /// The user confirmed the popup; `value` is the edited value. Raised
  /// before the popup hides (when it does), so the receiver may still ask
  /// it where it stood.
  void Accepted(const QString& value);
  /// The popup was closed with Escape or its cancel button.
  void Cancelled();

 protected:
  /// What OK (and Enter) does; the derived editor works out its result and
  /// calls Accept, or refuses it. The default accepts an empty text.
  virtual void OnOk();
  /// Raises Accepted with the value and hides the popup.
  void Accept(const QString& value);
  /// The look the editors share: a plain background of that colour and a
  /// small font (Tahoma 8 pt, or the nearest the system has).
  void SetFormLook(const QColor& background);
  /// Leaves Escape and Enter to `control` and its children while they have
  /// the focus: an in-place editor that commits or cancels itself with them.
  void KeepOwnKeys(QWidget* control);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void WatchMainWindow(QWidget* mainWindow);
  /// Places the popup beside cell_, within the screen that holds it.
  void FitBesideCell();
  [[nodiscard]] bool IsOwnKey(QObject* receiver, QEvent* event);

  QList<QPointer<QWidget>> ownKeyControls_;
  QPointer<QWidget> mainWindow_;
  QPoint mainWindowPosition_;
  // The cell the popup was placed beside, in screen coordinates.
  QRect cell_;
  bool filteringKeys_ = false;
  // The last key event an in-place editor kept (compared, never read).
  const QEvent* keptEvent_ = nullptr;
  QPointer<QWidget> keptBy_;
};

}  // namespace korvel
