#pragma once

// The "Images" tab: an explorer pane in thumbnail mode where the user picks
// a picture for a url(...) value. It opens on the picture the value names
// (read relative to the stylesheet's folder), or on the project's images
// folder, or on the stylesheet's folder. OK imports the picture chosen:
// copied into the images folder (or used where it lies inside the project),
// its url(...) written relative to the stylesheet's folder through the
// write-back the opener gave, and the rule marked modified by the window.
//
// Nothing is written when the import cannot end well: a picture outside the
// project with no images folder set asks for a folder (or offers the
// stylesheet's); another picture of the same name at the target is replaced
// only when the user says so; a failed copy is said in a message.

#include <QString>
#include <QWidget>
#include <functional>

class QHBoxLayout;
class QPushButton;
class QToolButton;

namespace korvel {

class GExplorer;
class ProgramLauncher;
class TFolderView;

/// Where the project's files are; asked each time the tab opens or imports.
struct ImageProjectPaths {
  /// The project folder.
  QString projectFolder;
  /// The stylesheet, whose folder the url(...) addresses are relative to.
  QString stylesheetFile;
  /// The project's images folder; empty when none is set.
  QString imagesFolder;
};

class TImagesTab final : public QWidget {
  Q_OBJECT

 public:
  /// Where the url(...) value chosen is to be written.
  using WriteBack = std::function<void(const QString& url)>;

  /// Pictures opened in the view go to the launcher.
  TImagesTab(ProgramLauncher& launcher, std::function<ImageProjectPaths()> paths, QWidget* parent = nullptr);
  Q_DISABLE_COPY_MOVE(TImagesTab)
  ~TImagesTab() override;

  /// Opens the tab on the picture the value names (the value may be empty),
  /// and remembers where OK writes. Asks the window to show the tab.
  void ShowImagesTab(const QString& value, WriteBack writeBack);

  /// The view got or lost the focus, or its selection changed: OK follows
  /// whether a picture is selected.
  void LVImgStateChanged(int code);
  /// Imports the first picture selected and writes its url(...).
  void BitBtn_OKClick();
  void BitBtn_CancelClick();

  [[nodiscard]] GExplorer& Pane() const { return *pane_; }
  [[nodiscard]] TFolderView* View() const;
  [[nodiscard]] QPushButton* OkButton() const { return BitBtn_OK_; }
  [[nodiscard]] QPushButton* CancelButton() const { return BitBtn_Cancel_; }
  /// The tab's own "Sauvegarder" and live-mode buttons.
  [[nodiscard]] QToolButton* SaveButton() const { return sbSaveImgModifs_; }
  [[nodiscard]] QToolButton* LiveButton() const { return sbLedImg_; }
  /// The place in the tool bar for the tab's browser buttons.
  [[nodiscard]] QHBoxLayout* BrowserButtonsSlot() const { return browserButtons_; }

 signals:
  /// The tab is to be shown and made the active page.
  void ShowRequested();
  /// The tab is to be hidden.
  void HideRequested();
  /// A value was written through the write-back: the rule is modified.
  void ValueWritten(const QString& url);

 private:
  /// The target of the picture chosen, once every question is answered;
  /// empty when the import stops.
  [[nodiscard]] QString ImportTarget(const QString& source, const ImageProjectPaths& paths) const;

  std::function<ImageProjectPaths()> paths_;
  WriteBack writeBack_;
  GExplorer* pane_ = nullptr;
  QPushButton* BitBtn_OK_ = nullptr;
  QPushButton* BitBtn_Cancel_ = nullptr;
  QToolButton* sbSaveImgModifs_ = nullptr;
  QToolButton* sbLedImg_ = nullptr;
  QHBoxLayout* browserButtons_ = nullptr;
};

/// The folder of the stylesheet, ending with "/"; the project folder when
/// no stylesheet is known.
[[nodiscard]] QString StylesheetFolder(const ImageProjectPaths& paths);

}  // namespace korvel
