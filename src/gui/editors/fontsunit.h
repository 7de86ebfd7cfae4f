#pragma once

// The font family picker: the popup that edits a font-family value, a
// comma-separated list of font names ending with a generic family. It lists
// the installed families in five tabs by generic family (serif, sans-serif,
// monospace, cursive, fantasy), each name drawn in its own face and with a
// check box. The check boxes show the fonts of the value being edited;
// checking a font adds it to the value, before its generic family, and
// unchecking one removes it: the rest of the value stays as written, in its
// order and with its quotes, installed on this machine or not. The families
// the value names that this machine lacks are named below the edit box. The
// user may also type into the edit box.
//
// Value in, value out: SetFontFamilies fills the tabs once (from a catalogue
// listed off the window's thread at start-up), LoadValue takes a cell's
// value, OK raises Accepted with the edit box's text.
//
// The popup has no frame: pressing on a list and dragging moves it, and it
// is translucent while it moves.
//
// Failures: fonts of a value that are not installed are named as missing
// and kept; the value goes unchanged into the edit box. No message.

#include <QPoint>
#include <QString>

#include <array>
#include <future>

#include "editors/fontcatalog.h"
#include "editors/gpopupform.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QToolButton;

namespace korvel {

/// The font family picker; one instance, created hidden by the main window.
class TFontForm final : public GPopupForm {
  Q_OBJECT

 public:
  /// Opacity while the popup is dragged: 127 of 255.
  static constexpr double kDragOpacity = 127.0 / 255.0;

  explicit TFontForm(QWidget* mainWindow);
  ~TFontForm() override;
  Q_DISABLE_COPY_MOVE(TFontForm)

  /// Fills the five lists, replacing what they held (and their checks).
  void SetFontFamilies(const FontCatalog& catalog);
  /// Fills the lists from a listing still running on another thread (see
  /// StartListingInstalledFontFamilies) when the picker is first loaded or
  /// shown, waiting for it only then.
  void SetFontFamilies(std::shared_future<FontCatalog> listing);

  /// Loads a value: each font it names (double and single quotes dropped,
  /// blanks trimmed) is checked and selected in the first list that has it,
  /// ignoring letter case, and every other font is unchecked; a generic
  /// family named shows its tab; a first item that is an installed font
  /// shows that font's tab. The value goes unchanged into the edit box.
  void LoadValue(const QString& value);

  /// The families the edited value names that no list holds, as written
  /// there without their quotes.
  [[nodiscard]] QStringList MissingFamilies() const;
  /// The line below the edit box naming them; hidden when there are none.
  [[nodiscard]] QLabel* MissingLabel() const { return missing_; }

  /// The value composed or typed, as OK writes it.
  [[nodiscard]] QString Selected() const;

  /// With live update on, OK writes and the picker stays open.
  void SetLiveUpdate(bool on) { liveUpdate_ = on; }

  /// The tab of a generic family, and the one shown.
  [[nodiscard]] QListWidget* List(GenericFamily family) const;
  [[nodiscard]] GenericFamily ShownFamily() const;
  void ShowFamily(GenericFamily family);

  [[nodiscard]] QLineEdit* SelectedEdit() const { return selected_; }
  [[nodiscard]] QTabWidget* Pages() const { return pages_; }
  [[nodiscard]] QToolButton* OkButton() const { return okButton_; }
  [[nodiscard]] QToolButton* CancelButton() const { return cancelButton_; }

 protected:
  void OnOk() override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  class FacePainter;

  /// Adds the font of a checked item to the value, or removes that of an
  /// unchecked one; a value without a generic family gets the caption of
  /// the tab shown.
  void ComposeWith(const QListWidgetItem& item);
  void OnItemChanged(QListWidgetItem* item);
  /// Checks the fonts of the edit box's value, and only those; names the
  /// missing ones.
  void FollowValue();
  void TakeListing();
  bool DragEvent(QEvent* event);

  QLineEdit* selected_ = nullptr;
  QLabel* missing_ = nullptr;
  QTabWidget* pages_ = nullptr;
  std::array<QListWidget*, kGenericFamilies.size()> lists_{};
  QToolButton* okButton_ = nullptr;
  QToolButton* cancelButton_ = nullptr;
  std::shared_future<FontCatalog> listing_;
  bool liveUpdate_ = false;
  bool loading_ = false;
  // Where a press on a list started a possible drag, in screen coordinates,
  // and where the popup stood then.
  QPoint pressAt_;
  QPoint popupAt_;
  bool pressed_ = false;
  bool dragging_ = false;
};

}  // namespace korvel
