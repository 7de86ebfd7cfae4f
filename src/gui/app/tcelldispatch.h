#pragma once

// What a click on a row of the property grid, or of the sub-grid of a
// shorthand, does: prepares the property's dictionary entry, lets the grid
// toggle the row's check box, or opens the editor that the entry's (or the
// member's) edit mode names, against the value cell. A second click on the
// row an editor is open for closes it; a click on another row moves it there
// and loads it again.
//
// It owns the value editors, created hidden with the main window and only
// hidden between uses: the length editor, the sub-grid editor, the colour
// list picker (with its mixer) and the font family picker. The editors hand
// their results back here (WriteBack), and every result reaches the grid the
// same way: a member's value goes into the sub-grid, which rebuilds the
// shorthand; the shorthand, or a whole value, goes into the property's
// value cell; then the owner's "modified" step runs (which, in live mode,
// saves at once).
//
// Each result goes to the row its editor was opened for, never to whichever
// row happens to be current when the user confirms. The sub-grid's members
// belong to the entry prepared for its own row: a click on another property
// closes it.
//
// Failures: a property the dictionary lacks shows the dictionary's message
// and opens nothing (its check box is not toggled); a mode that names no
// editor opens nothing, silently.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <string_view>

namespace korvel {

class GPopupForm;
class GStringGrid;
class KeywordDictionary;
class TColorForm;
class TFontForm;
class TFormEdit;
class TSGGridForm;
struct MemberCell;

class TCellDispatch final : public QObject {
  Q_OBJECT

 public:
  /// `markModified` is the owner's step that ends every change; it is given
  /// the length editor's session for the values that editor writes (each
  /// opening is a new one, so that its arrow steps make one change), else 0.
  /// The popups belong to the top-level window of `mainWindow`.
  TCellDispatch(KeywordDictionary& dictionary, GStringGrid& propertyGrid, QWidget* mainWindow,
                std::function<void(int session)> markModified);
  ~TCellDispatch() override;
  Q_DISABLE_COPY_MOVE(TCellDispatch)

  /// A press of the left button on the property grid's viewport.
  void PropertyGridMouseDown(QPoint position);
  /// Opens the editor of the row's value; the row's entry must have been
  /// prepared (see PrepareRow). Column −1 opens nothing.
  void OpenValueEditor(int column, int row);
  /// A choice committed in the property grid's in-place combo box.
  void PropertyGridComboChange();
  /// Prepares the dictionary entry of the row's property with its value. A
  /// custom property (--name) is prepared as every custom property is.
  /// False when the dictionary lacks it (said already).
  bool PrepareRow(int row);

  /// Opening the image picker for a value of the property grid or of the
  /// sub-grid, and the image import of the sub-grid's "url" choice (with an
  /// empty value), through the opener the window gives. The url chosen goes
  /// back to the row the picker was opened for.
  void OpenImagePicker(const QString& value, bool forSubGrid);

  /// What opens the picture picker beside a cell (or, for no value, the
  /// Images tab); the window gives it, and the chosen url comes back through
  /// `writeBack`.
  using ImageOpener = std::function<void(const QString& value, const QRect& cellInGlobal,
                                         std::function<void(const QString&)> writeBack)>;
  void SetImageOpener(ImageOpener opener) { imageOpener_ = std::move(opener); }
  /// The image picker the opener shows: hidden with the other editors, so
  /// that it never stays over a rule it does not belong to.
  void SetImagePicker(QWidget* picker) { imagePicker_ = picker; }

  /// A result of an editor, written where that editor was opened from.
  void WriteBack(const QString& result);

  /// Live mode: the colour and font pickers stay open after OK, and each
  /// step of the length editor's number boxes is written at once.
  void SetLiveMode(bool on);
  /// The grid shows an at-rule holding descriptors ("@font-face", "@page"):
  /// a name the dictionary lacks ("src", "font-display") is edited as free
  /// text in place, as a custom property is, instead of being refused.
  void SetDescriptorsAsText(bool on) { descriptorsAsText_ = on; }
  /// Hides every editor, the image picker and the property grid's in-place
  /// combo box (another tab is shown, another rule is shown).
  void HideAll();

  [[nodiscard]] TFormEdit* FormEdit() const;
  [[nodiscard]] TSGGridForm* SubGridForm() const;
  [[nodiscard]] TColorForm* ColorForm() const;
  [[nodiscard]] TFontForm* FontForm() const;
  /// The property grid's row the sub-grid shows, or −1.
  [[nodiscard]] int SubGridRow() const { return subGridRow_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Origin { None, PropertyGrid, SubGrid };

  /// Where an editor opens: a value cell of the property grid, or a
  /// member's cell of the sub-grid.
  struct EditorTarget {
    Origin origin;
    GStringGrid& grid;
    int row;
    /// The property's name, or the member's.
    QString name;
    QString value;
    /// The value cell in screen coordinates.
    QRect cell;
  };
  /// The editors, as the popups an opening editor hides.
  enum Popup : unsigned { kLength = 1, kShorthand = 2, kColour = 4, kFont = 8, kPicture = 16, kList = 32 };
  /// What an edit mode opens: the popups it replaces, hidden first, and the
  /// step that opens its editor.
  struct EditorKind {
    std::string_view mode;
    unsigned replaces;
    void (TCellDispatch::*open)(const EditorTarget&);
  };
  /// One entry for each edit mode, the same for a row and for a member.
  static const EditorKind kEditors[];

  /// Writes a value where the editor shown last was opened from.
  void WriteTo(const QString& value);
  /// F2 or Enter on a row: what a press on its value does.
  void PropertyGridEditRequest(int row);
  void OpenSubGrid(const QString& name, const QString& value);
  void HideImagePicker();
  /// Whether the sub-grid, shown or hidden, still holds the members of the
  /// property it was opened on.
  [[nodiscard]] bool SubGridStillShowsItsProperty() const;
  void OpenMemberEditor(const MemberCell& cell);
  /// Opens the editor the mode names (none for a mode that names none).
  void OpenEditor(std::string_view mode, const EditorTarget& target);
  /// Hides the popups named; the sub-grid a member belongs to stays.
  void Hide(unsigned popups, const EditorTarget& target);
  /// A second press on the cell the popup is open at closes it: true then.
  [[nodiscard]] static bool ClosedAgain(GPopupForm& popup, const EditorTarget& target);
  void OpenInPlaceEdit(const EditorTarget& target);
  void OpenLengthEditor(const EditorTarget& target);
  void OpenShorthandEditor(const EditorTarget& target);
  void OpenList(const EditorTarget& target);
  void OpenColourPicker(const EditorTarget& target);
  void OpenPicture(const EditorTarget& target);
  void OpenFontPicker(const EditorTarget& target);
  void SubGridIconChoice(const QString& icon, const MemberCell& cell, const QString& choice);
  /// The shorthand rebuilt by the sub-grid goes into its property's row.
  void SubGridValueChanged(const QString& value);
  /// Writes the value into the property row, unless it no longer holds the
  /// property it held, and marks the rule modified.
  void WritePropertyValue(int row, const QString& name, const QString& value);
  void OpenFor(Origin origin, int row);
  void Present(GPopupForm& popup, QWidget& focus);
  /// The item names of a member of the prepared entry.
  [[nodiscard]] QStringList ItemsOf(const QString& member) const;

  KeywordDictionary& dictionary_;
  GStringGrid& grid_;
  std::function<void(int session)> markModified_;
  // The length editor's current session, and the session of the value being
  // written (0: not the length editor's).
  int formEditSession_ = 0;
  int writeSession_ = 0;
  bool liveMode_ = false;
  bool descriptorsAsText_ = false;

  // Owned by the main window; deleted here first, as they read the
  // dictionary's prepared entry.
  QPointer<TFormEdit> formEdit_;
  QPointer<TSGGridForm> subGrid_;
  QPointer<TColorForm> colorForm_;
  QPointer<TFontForm> fontForm_;

  // Where the editor shown last was opened from, and for which property.
  Origin origin_ = Origin::None;
  int originRow_ = -1;
  QString originName_;
  // The property whose members the sub-grid shows.
  int subGridRow_ = -1;
  QString subGridName_;
  ImageOpener imageOpener_;
  QPointer<QWidget> imagePicker_;
};

}  // namespace korvel
