#pragma once

// The image picker: the popup that shows the picture a url(...) value names,
// beside its cell. The picture is copied into the scratch folder and shown
// there as a thumbnail, selected, with its pixel size and file size below;
// a button hands the value to the Images tab, where another picture can be
// chosen. The picker itself writes nothing back: it keeps the write-back its
// caller gave and passes it on with the value.
//
// The address of the value is read relative to the stylesheet's folder. A
// value naming no existing file says "Le fichier source: … n'existe pas."
// and leaves the view as it was. A picture of the same name shown before
// from another folder is copied again, so the picture shown is always the
// one the value names.

#include <QString>
#include <functional>

#include "editors/gpopupform.h"

class QLabel;
class QLineEdit;
class QToolButton;
class QWidget;

namespace korvel {

class GExplorer;
class TFolderView;

class TShowImageForm final : public GPopupForm {
  Q_OBJECT

 public:
  /// Where the url(...) value chosen on the Images tab is to be written.
  using WriteBack = std::function<void(const QString& url)>;

  /// `scratchFolder` is the folder the pictures are copied into; it exists.
  /// A picture opened in the view goes to `openFile` (the launcher's).
  TShowImageForm(QWidget* mainWindow, QString scratchFolder, std::function<bool(const QString& file)> openFile);
  Q_DISABLE_COPY_MOVE(TShowImageForm)
  ~TShowImageForm() override;

  /// What a click on a "ShowImage" cell does: a second click on the same
  /// cell hides the picker; otherwise it is placed beside the cell, loaded
  /// with the value and shown, whatever LoadValue says, with the focus.
  /// Escape and Enter close it (it has nothing to write).
  void ShowValue(const QString& value, const QString& stylesheetFolder, const QRect& cellInGlobal,
                 WriteBack writeBack = {});

  /// Prepares the picker for a value; false when the value is empty (nothing
  /// changes) or names no existing file (said in a message).
  bool LoadValue(const QString& value, const QString& stylesheetFolder);

  /// The write-back given with the value shown.
  [[nodiscard]] const WriteBack& CurrentWriteBack() const { return writeBack_; }
  [[nodiscard]] QLineEdit* Edit() const { return Edit_; }
  [[nodiscard]] QToolButton* GestImageButton() const { return sbGestImage_; }
  [[nodiscard]] TFolderView* View() const;
  /// The pixel and file sizes of the picture shown.
  [[nodiscard]] QLabel* Details() const { return details_; }
  /// The copy of the picture shown, in the scratch folder; empty before one.
  [[nodiscard]] const QString& ShownCopy() const { return shownCopy_; }

 signals:
  /// The button to the Images tab, with the value in the edit box.
  void ImagesTabRequested(const QString& value);

 private:
  void sbGestImageClick();
  void SelectPending();

  QString scratchFolder_;
  WriteBack writeBack_;
  QLineEdit* Edit_ = nullptr;
  QToolButton* sbGestImage_ = nullptr;
  QLabel* details_ = nullptr;
  GExplorer* pane_ = nullptr;
  QString shownCopy_;
  /// The copy to select once the view lists it (the folder is read again a
  /// moment after it changes).
  QString pendingSelection_;
};

/// "120 × 80 px · 4,2 Ko": what the picker says of a picture; the file size
/// alone when the picture cannot be read.
[[nodiscard]] QString PictureDetails(const QString& path);

}  // namespace korvel
