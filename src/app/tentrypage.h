#pragma once

// The page "Entrée" of the main window: the project grid (folder, page,
// stylesheet, images folder, local server) and the "OK" that opens the
// project. It restores the remembered project when the window is shown —
// or, when that project cannot be opened, says so once and takes the
// example project for this run, leaving the remembered one as it is — and
// stores the project (the remembered folder and the project's settings)
// when it is opened.

#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

class QSplitter;
class QToolButton;

namespace korvel {

class GStringGrid;
class SettingsStore;
class TDM;
class TWindowLayout;

class TEntryPage final : public QWidget {
  Q_OBJECT

 public:
  TEntryPage(TDM& dm, SettingsStore& registry, QWidget* parent = nullptr);
  Q_DISABLE_COPY_MOVE(TEntryPage)
  ~TEntryPage() override;

  /// Restores the remembered project, its layout through `layout` (the
  /// example project when there is none or it cannot be opened). Whether
  /// page and stylesheet are known, so that the project can be opened at
  /// once (OpenRestoredProject).
  bool RestoreLastProject(TWindowLayout& layout);
  /// Opens what RestoreLastProject restored, as "OK" does; a broken
  /// remembered project stays the remembered one.
  void OpenRestoredProject();
  /// Stores the project (remembered folder, settings) and raises
  /// ProjectOpened.
  void OKInClick();

  [[nodiscard]] GStringGrid* InputGrid() const { return InputGrid_; }
  [[nodiscard]] QSplitter* SplitterTVLV() const { return SplitterTVLV_; }
  [[nodiscard]] QSplitter* SplitterLVSG() const { return SplitterLVSG_; }
  [[nodiscard]] const QString& ProjectFolderPath() const { return ProjectFolderPath_; }
  [[nodiscard]] const QString& HTMLFilePath() const { return HTMLFilePath_; }
  [[nodiscard]] const QString& CSSFilePath() const { return CSSFilePath_; }
  /// The stylesheet as the grid shows it, relative to the project.
  [[nodiscard]] QString StylesheetCaption() const;

 signals:
  /// The project was stored: its stylesheet is to be opened.
  void ProjectOpened();

 private:
  bool RestoreProject();
  /// Opens the remembered project's settings and restores layout and paths;
  /// returns what keeps it from opening (French, for the user), or "".
  std::string RestoreRememberedProject();
  /// What "OK" does; `remember` false keeps the remembered project as it is.
  void OpenProject(bool remember);
  void UseExampleProject();
  bool OpenSettings(const QString& folder);
  void WriteSetting(std::string_view kind, const QString& value);

  TDM& dm_;
  SettingsStore& registry_;
  TWindowLayout* layout_ = nullptr;

  QString ProjectFolderPath_;
  QString HTMLFilePath_;
  QString CSSFilePath_;
  QString ImagesFolder_;
  QString ProjectName_;
  bool rememberAtOpen_ = true;

  QToolButton* OKIn_ = nullptr;
  QSplitter* SplitterTVLV_ = nullptr;
  QSplitter* SplitterLVSG_ = nullptr;
  QWidget* TVInPanel_ = nullptr;
  QWidget* LVInPanel_ = nullptr;
  QWidget* SGInPanel_ = nullptr;
  GStringGrid* InputGrid_ = nullptr;
};

}  // namespace korvel
