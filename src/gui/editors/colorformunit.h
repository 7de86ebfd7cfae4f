#pragma once

// The colour list picker: the popup that edits a colour value. It shows
// every entry of the colour table as a swatch and its name, and a combo box
// holding the value being edited, whose drop-down list offers the value
// keywords the dictionary gives the property. A button opens the RGB mixer
// for colours the list does not have; colours mixed or typed as "#" texts
// join the table (custom colours) and the list, which always equals it.
//
// Value in, value out: LoadValue (or ShowForCell, which also places and
// shows the popup) takes the cell's value; OK (or Enter) raises Accepted
// with the colour to write, "#RRGGBB" or "transparent"; a colour name typed
// in the combo box, in any letter case, is written as its "#RRGGBB" text. The picker never damages a
// value it cannot show (rgb(0 0 0 / 50%), hsl(...), var(--brand),
// currentColor, inherit): such a value stays in the combo box as it is, and
// OK with a text that is not a colour raises nothing, so nothing is written.
//
// Failures: a "#" text of the wrong length or with characters that are not
// hexadecimal digits, met on opening or on Enter, shows "Format de couleur
// incorrect!" and changes nothing.

#include <QPointer>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

#include "editors/gpopupform.h"

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QToolButton;

namespace korvel {

class GStringGrid;
class TGestColorForm;

/// The colour list picker; one instance, created hidden by the main window.
class TColorForm final : public GPopupForm {
  Q_OBJECT

 public:
  explicit TColorForm(QWidget* mainWindow);
  ~TColorForm() override;
  Q_DISABLE_COPY_MOVE(TColorForm)

  /// Opens the picker over the value cell (column 1) of the grid's current
  /// row: loads the keywords and the value, covers the cell with its top
  /// edge, is at least as wide as the grid's value column, and gives its
  /// list the grid's row height less 2. Calling it while the picker is open
  /// moves it to the new cell.
  void ShowForCell(const GStringGrid& grid, const QStringList& keywords, const QString& value);

  /// Loads a value: the keywords fill the combo box's drop-down list; a
  /// colour name or "#" text is shown as its "#RRGGBB" text and selected in
  /// the list (a "#" colour the table lacks is added to it first); any
  /// other value is shown as it is and the list's selection stays.
  void LoadValue(const QStringList& keywords, const QString& value);

  /// What OK writes: "transparent" when the combo box holds exactly that,
  /// the "#RRGGBB" text of a "#" colour of 3 or 6 digits, else "" (nothing).
  [[nodiscard]] QString Result() const;

  /// With live update on, OK writes and the picker (and the mixer) stay
  /// open for further changes.
  void SetLiveUpdate(bool on);

  /// Opens the RGB mixer (creating it on first use) with the combo box's
  /// colour, beside the picker's list when it was closed. A "#" text the mixer cannot read shows "Format de couleur
  /// incorrect!" and opens nothing.
  void OpenMixer();

  /// A colour mixed in the RGB mixer: while the picker is open, selects it
  /// in the list (adding it to the table and the list when it is new) and
  /// shows it in the combo box. While the picker is hidden, or for a text
  /// that is not a "#" colour, nothing changes.
  void TakeMixedColor(const QString& mixed);

  [[nodiscard]] QComboBox* Combo() const { return combo_; }
  [[nodiscard]] QListWidget* ColorList() const { return list_; }
  [[nodiscard]] QToolButton* MixerButton() const { return mixerButton_; }
  [[nodiscard]] QToolButton* OkButton() const { return okButton_; }
  [[nodiscard]] QToolButton* CancelButton() const { return cancelButton_; }
  /// The mixer, or null before its first use.
  [[nodiscard]] TGestColorForm* Mixer() const;
  /// The name of the selected list item, or "".
  [[nodiscard]] QString SelectedName() const;

 protected:
  void OnOk() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class ItemPainter;

  void PlaceMixer();
  void ReloadList(const std::vector<std::string>& entries);
  void SelectName(const QString& name);
  /// Shows the typed colour as its "#RRGGBB" text; false when the text is
  /// no colour.
  bool ResolveComboText();
  bool Resolve(const QString& text);
  void OnItemClicked(QListWidgetItem* item);

  QComboBox* combo_ = nullptr;
  QListWidget* list_ = nullptr;
  QToolButton* mixerButton_ = nullptr;
  QToolButton* okButton_ = nullptr;
  QToolButton* cancelButton_ = nullptr;
  ItemPainter* painter_ = nullptr;
  QPointer<TGestColorForm> mixer_;
  bool liveUpdate_ = false;
};

}  // namespace korvel
