#include "app/tentrypage.h"

#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

#include "app/dmunit.h"
#include "app/folderchooser.h"
#include "app/frenchinterface.h"
#include "icons/imagelists.h"
#include "app/launcher.h"
#include "app/settingsstore.h"
#include "app/twindowlayout.h"
#include "app/windowhelpers.h"
#include "editors/gstringgrid.h"
#include "shell/gdirtreeview.h"
#include "shell/gexplorer.h"
#include "shell/shellplaces.h"

namespace korvel {

namespace {

enum InputRow { kRowFolder = 0, kRowPage = 1, kRowStylesheet = 2, kRowImages = 3, kRowServer = 4 };

const char* const kServerDialogCaption = "Repertoire des Projets du serveur local";
// The name the settings file keeps the pane's view mode under.
const char* const kViewPanelName = "LVInPanel";

QString WithSlash(QString folder) {
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString WithoutSlash(QString folder) {
  while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
  return folder;
}

// What a dropped file may fill: the page (row 1), the stylesheet (row 2) or
// the images folder (row 3); -1 for anything else.
int RowForFile(const QString& file) {
  if (file.endsWith(QLatin1Char('/'))) return kRowImages;
  const QString suffix = QFileInfo(file).suffix().toUpper();
  if (suffix == QStringLiteral("HTM") || suffix == QStringLiteral("HTML") || suffix == QStringLiteral("PHP"))
    return kRowPage;
  if (suffix == QStringLiteral("CSS")) return kRowStylesheet;
  return -1;
}

}  // namespace

TEntryPage::TEntryPage(TDM& dm, SettingsStore& registry, QWidget* parent)
    : QWidget(parent), dm_(dm), registry_(registry) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);

  // The pane's tool bar goes beside the button OK.
  auto* topRow = new QHBoxLayout;
  topRow->setContentsMargins(0, 0, 0, 0);
  auto* toolBar = new QToolBar(QStringLiteral("OKInBar"));
  OKIn_ = MakeButton(QStringLiteral("&OK"), ImageListPixmap(kImageOk));
  OKIn_->setObjectName(QStringLiteral("OKIn"));
  OKIn_->setEnabled(false);
  OKIn_->setToolTip(QStringLiteral("Ouvrir la feuille de style du projet"));
  connect(OKIn_, &QToolButton::clicked, this, &TEntryPage::OKInClick);
  toolBar->addWidget(OKIn_);
  topRow->addWidget(toolBar);
  ToolBarInPanel_ = new QWidget;
  ToolBarInPanel_->setObjectName(QStringLiteral("ToolBarInPanel"));
  topRow->addWidget(ToolBarInPanel_, 1);
  layout->addLayout(topRow);

  // The folder tree and view of the project pane take these two panels.
  auto makePanel = [](const char* name) {
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
  };
  TVInPanel_ = makePanel("TVInPanel");
  LVInPanel_ = makePanel("LVInPanel");
  SGInPanel_ = new QWidget;
  SGInPanel_->setObjectName(QStringLiteral("SGInPanel"));

  InputGrid_ = new GStringGrid(SGInPanel_);
  ConfigureAsProjectGrid(*InputGrid_);
  InputGrid_->SetImages(MakeImageList());
  InputGrid_->SetRowCount(5);
  const char* labels[] = {"Dossier Projet", "Fichier HTML/PHP", "Fichier CSS", "Dossier Images", "Serveur local"};
  for (int row = 0; row < 5; ++row) InputGrid_->SetCellText(0, row, QString::fromUtf8(labels[row]));
  InputGrid_->SetCheckBox(0, kRowServer, false);
  auto* gridLayout = new QVBoxLayout(SGInPanel_);
  gridLayout->setContentsMargins(0, 0, 0, 0);
  gridLayout->addWidget(InputGrid_);
  connect(InputGrid_, &GStringGrid::OnMouseDown, this, &TEntryPage::SGInMouseDown);
  // Folders of the pane's tree and files from any file manager are dropped
  // on the grid.
  InputGrid_->viewport()->setAcceptDrops(true);
  InputGrid_->viewport()->installEventFilter(this);

  SplitterLVSG_ = new QSplitter(Qt::Vertical);
  SplitterLVSG_->setObjectName(QStringLiteral("SplitterLVSG"));
  SplitterLVSG_->addWidget(LVInPanel_);
  SplitterLVSG_->addWidget(SGInPanel_);
  SplitterLVSG_->setStretchFactor(0, 1);
  SplitterTVLV_ = new QSplitter(Qt::Horizontal);
  SplitterTVLV_->setObjectName(QStringLiteral("SplitterTVLV"));
  SplitterTVLV_->addWidget(TVInPanel_);
  SplitterTVLV_->addWidget(SplitterLVSG_);
  SplitterTVLV_->setStretchFactor(1, 1);
  SplitterTVLV_->setSizes({240, 660});
  SplitterLVSG_->setSizes({420, 5 * 20 + 24});
  layout->addWidget(SplitterTVLV_, 1);
}

TEntryPage::~TEntryPage() {
  // The view outlives this page's fields (it is a child widget) and reports
  // its focus leaving as it goes: nothing of it must reach the handlers now.
  if (explorer_ && explorer_->View()) explorer_->View()->disconnect(this);
}

void TEntryPage::CreatePane(ProgramLauncher& launcher, QList<ShellPlace> places) {
  explorer_ = new GExplorer(this);
  explorer_->SetPlaces(std::move(places));
  explorer_->CreateTree(TVInPanel_);
  connect(explorer_->Tree(), &GDirTreeView::MouseUp, explorer_, &GExplorer::PaneTreeMouseUp);
  explorer_->CreateView(LVInPanel_);
  explorer_->SetViewMode(vmIcons);
  TFolderView* view = explorer_->View();
  view->SetFileOpener(FileOpenerOf(launcher));
  connect(view, &TFolderView::OnPathChanged, this, &TEntryPage::LVInPathChanged);
  connect(view, &TFolderView::OnStateChanged, this, [this](TFolderView*, int code) { LVInStateChanged(code); });
  explorer_->CreateToolBar(ToolBarInPanel_);
  explorer_->PanePathChanged();
  // Tab reads the page: "OK" and the pane's tool bar, the folder tree, the
  // folder view, the project grid.
  SetTabChain(QList<QWidget*>{OKIn_} + explorer_->ToolBarControls() + explorer_->FolderControls() +
              QList<QWidget*>{InputGrid_});
}

void TEntryPage::AttachLayout(TWindowLayout& layout) {
  if (explorer_) layout.AddExplorerPane(*explorer_, kViewPanelName);
}

void TEntryPage::ShowProjectFolder() {
  if (!explorer_ || ProjectFolderPath_.isEmpty()) return;
  // The project is known: the view's entry neither clears nor refills the grid.
  showingProject_ = true;
  try {
    explorer_->View()->SetSyncTree(true);
    explorer_->View()->SetPath(ProjectFolderPath_);
  } catch (const FolderError& error) {
    ShowMessage(error.what(), MessageKind::Error);
  }
  showingProject_ = false;
  explorer_->PanePathChanged();
}

// -------------------------------------------------------- the pane's events

void TEntryPage::LVInPathChanged() {
  const QString text = explorer_->PanePathChanged();
  if (showingProject_) return;
  const QString folder = explorer_->View()->IsDesktop() ? QString() : text;
  const QString name = FromStd(GFile::LastFolderName(Std(folder)));
  const bool projectFolder =
      !name.isEmpty() && QFileInfo(folder + name + QStringLiteral(".xml")).isFile();
  // The page picked, then a sub-folder entered to pick the stylesheet: the
  // picks stay, and so does the project they make.
  if (!projectFolder && KeepsPicks(folder)) return;
  ProjectFolderPath_ = folder;
  ClearGrid();
  ProjectName_ = name;
  if (!projectFolder) return;
  // A project folder: its grid is back at once, ready for "OK".
  if (OpenSettings(ProjectFolderPath_) && RestoreProject()) OKIn_->setEnabled(true);
}

// What the grid shows goes; the paths stay until something else is picked,
// but "OK" waits for a page and a stylesheet shown again.
void TEntryPage::ClearGrid() {
  for (int row = kRowFolder; row <= kRowImages; ++row) InputGrid_->SetCellText(1, row, QString());
  InputGrid_->SetChecked(0, kRowServer, false);
  InputGrid_->SetCellText(1, kRowServer, QString());
  OKIn_->setEnabled(false);
}

bool TEntryPage::KeepsPicks(const QString& folder) const {
  if (folder.isEmpty() || HTMLFilePath_.isEmpty() || InputGrid_->CellText(1, kRowPage).isEmpty()) return false;
  return WithSlash(folder).startsWith(WithSlash(QFileInfo(HTMLFilePath_).absolutePath()));
}

void TEntryPage::LVInStateChanged(int code) {
  Q_UNUSED(code);  // any report may follow a change of selection
  QStringList names;
  if (!explorer_->View()->GetItemsData(names, true)) return;
  const QString& path = names.first();
  const QString suffix = QFileInfo(path).suffix().toLower();
  const QString name = QFileInfo(path).fileName();
  if (!path.endsWith(QLatin1Char('/'))) {
    if (suffix == QStringLiteral("html") || suffix == QStringLiteral("php")) {
      HTMLFilePath_ = path;
      InputGrid_->SetCellText(1, kRowPage, name);
    } else if (suffix == QStringLiteral("css")) {
      CSSFilePath_ = path;
      InputGrid_->SetCellText(1, kRowStylesheet, name);
    }
  }
  // The desktop is no folder: the path box then shows its caption.
  if (!InputGrid_->CellText(1, kRowPage).isEmpty() && !InputGrid_->CellText(1, kRowStylesheet).isEmpty() &&
      !explorer_->View()->IsDesktop()) {
    // A focus change reports here again, while callers may hold the folder:
    // the same text is not assigned anew.
    const QString folder = explorer_->PathEdit()->text();
    if (folder != ProjectFolderPath_) ProjectFolderPath_ = folder;
    InputGrid_->SetCellText(1, kRowFolder, folder);
    OKIn_->setEnabled(true);
  }
  explorer_->View()->SetSyncTree(true);
}

// ------------------------------------------------------- the grid's events

bool TEntryPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched != InputGrid_->viewport()) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDragMoveEvent*>(event);
      if (SGInDragOver(drag->mimeData(), drag->source(), drag->position().toPoint()))
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      if (SGInDragDrop(drop->mimeData(), drop->source(), drop->position().toPoint())) drop->acceptProposedAction();
      else drop->ignore();
      return true;
    }
    default:
      return QWidget::eventFilter(watched, event);
  }
}

// A folder node comes from this page's tree; a drag of another pane's tree
// is no drop here.
bool TEntryPage::IsTreeDrag(const QMimeData* mime, const QObject* source) const {
  if (FolderNodeOf(mime).isEmpty()) return false;
  return source == nullptr || (explorer_ && source == explorer_->Tree());
}

bool TEntryPage::DropTarget(QPoint position, int* row) const {
  int column = 0;
  return InputGrid_->CellAt(position, &column, row) && column == 1;
}

bool TEntryPage::SGInDragOver(const QMimeData* mime, const QObject* source, QPoint position) const {
  int row = 0;
  if (mime == nullptr || !DropTarget(position, &row)) return false;
  if (!FolderNodeOf(mime).isEmpty()) return IsTreeDrag(mime, source) && row != kRowPage && row != kRowStylesheet;
  const QStringList files = LocalPathsOf(mime);
  return !files.isEmpty() && RowForFile(files.first()) == row;
}

bool TEntryPage::SGInDragDrop(const QMimeData* mime, const QObject* source, QPoint position) {
  if (!SGInDragOver(mime, source, position)) return false;
  int row = 0;
  if (!DropTarget(position, &row)) return false;
  if (!FolderNodeOf(mime).isEmpty())
    DropTreeFolder(row, FolderNodeOf(mime));
  else
    DropFile(row, LocalPathsOf(mime).first());
  return true;
}

// Rows 0 and 4 are the base of every comparison and of the preview address:
// they take the folder's full path.
void TEntryPage::DropTreeFolder(int row, const QString& folder) {
  const QString path = WithSlash(folder);
  switch (row) {
    case kRowFolder:
      ProjectFolderPath_ = path;
      InputGrid_->SetCellText(1, kRowFolder, path);
      break;
    case kRowServer:
      InputGrid_->SetChecked(0, kRowServer, true);
      InputGrid_->SetCellText(1, kRowServer, path);
      break;
    case kRowImages: {
      GFile& file = dm_.File();
      file.Compare(Std(InputGrid_->CellText(1, kRowFolder)), Std(path));
      ImagesFolder_ = path;
      InputGrid_->SetCellText(1, kRowImages, WithSlash(FromStd(file.RemainderOf(1))));
      break;
    }
    default:
      break;
  }
}

void TEntryPage::DropFile(int row, const QString& dropped) {
  // A folder is compared without its final "/", as the tree's own drop
  // would show it below the project folder.
  const QString path = row == kRowImages ? WithoutSlash(dropped) : dropped;
  GFile& file = dm_.File();
  file.Compare(Std(InputGrid_->CellText(1, kRowFolder)), Std(path));
  const QString shown = FromStd(file.RemainderOf(1));
  if (row == kRowPage) HTMLFilePath_ = path;
  else if (row == kRowStylesheet) CSSFilePath_ = path;
  else ImagesFolder_ = path;
  InputGrid_->SetCellText(1, row, shown);
  EnableOKWhenPageAndStylesheet();
}

// Page and stylesheet dropped from a file manager open the project as those
// picked in the view do.
void TEntryPage::EnableOKWhenPageAndStylesheet() {
  if (!HTMLFilePath_.isEmpty() && !CSSFilePath_.isEmpty() && !InputGrid_->CellText(1, kRowPage).isEmpty() &&
      !InputGrid_->CellText(1, kRowStylesheet).isEmpty())
    OKIn_->setEnabled(true);
}

void TEntryPage::SGInMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint position) {
  Q_UNUSED(button);
  Q_UNUSED(modifiers);
  const int result = InputGrid_->ClickCheckBox(position.x(), position.y());
  int column = 0;
  int row = 0;
  if (!InputGrid_->CellAt(position, &column, &row) || row != kRowServer) return;
  if (result == 1) {
    const QString folder =
        ChooseFolder(QString::fromUtf8(kServerDialogCaption), InputGrid_->CellText(1, kRowServer));
    if (folder.isEmpty()) {
      InputGrid_->SetChecked(0, kRowServer, false);
    } else {
      InputGrid_->SetCellText(1, kRowServer, WithSlash(folder));
    }
  } else if (result == 2) {
    InputGrid_->SetCellText(1, kRowServer, QString());
  }
}

QString TEntryPage::StylesheetCaption() const { return InputGrid_->CellText(1, kRowStylesheet); }

ProjectInfo TEntryPage::ShownProject() const {
  return ProjectInfo{ProjectFolderPath_,
                     HTMLFilePath_,
                     CSSFilePath_,
                     StylesheetCaption(),
                     ImagesFolder_,
                     InputGrid_->IsChecked(0, kRowServer),
                     InputGrid_->CellText(1, kRowServer)};
}

bool TEntryPage::RestoreLastProject(TWindowLayout& layout) {
  layout_ = &layout;
  rememberAtOpen_ = true;
  // A remembered project that cannot be opened is said once; it stays
  // remembered until the user opens another one.
  const QString remembered = registry_.ProjectFolderPath();
  bool restored = false;
  if (!remembered.isEmpty()) {
    // Remembered by hand or by an older Korvel, it may lack its final "/".
    ProjectFolderPath_ = FolderPath(remembered);
    const std::string problem = RestoreRememberedProject();
    restored = problem.empty();
    rememberAtOpen_ = restored;
    if (!restored) {
      Warn("Le projet « " + Std(remembered) + " » ne peut pas être ouvert : " + problem +
           ".\nKorvel ouvre le projet d'exemple ; le projet reste mémorisé jusqu'à ce que vous en ouvriez un autre.");
    }
  }
  if (!restored) {
    UseExampleProject();
    restored = RestoreProject();
  }
  return restored && !InputGrid_->CellText(1, kRowPage).isEmpty() &&
         !InputGrid_->CellText(1, kRowStylesheet).isEmpty();
}

void TEntryPage::TakeStylesheet(const QString& cssFile) {
  const QFileInfo stylesheet(cssFile);
  ProjectFolderPath_ = WithSlash(stylesheet.absolutePath());
  CSSFilePath_ = stylesheet.absoluteFilePath();
  HTMLFilePath_.clear();
  ImagesFolder_.clear();
  InputGrid_->SetCellText(1, kRowFolder, ProjectFolderPath_);
  InputGrid_->SetCellText(1, kRowStylesheet, stylesheet.fileName());
  opened_ = ShownProject();
}

void TEntryPage::OpenRestoredProject() {
  OKIn_->setEnabled(true);
  OpenProject(rememberAtOpen_, true);
}

std::string TEntryPage::RestoreRememberedProject() {
  if (ProjectFolderPath_ == QStringLiteral("/")) return "la racine « / » ne peut pas être le dossier d'un projet";
  if (!QFileInfo(ProjectFolderPath_).isDir()) return "son dossier n'existe plus";
  ProjectName_ = FromStd(GFile::LastFolderName(Std(ProjectFolderPath_)));
  const QString settings = ProjectFolderPath_ + ProjectName_ + QStringLiteral(".xml");
  // Opening would make an empty one, and the project's paths would be lost
  // for good.
  if (!QFileInfo::exists(settings)) return "son fichier de réglages « " + Std(settings) + " » n'existe pas";
  GXMLIni& ini = dm_.Ini();
  try {
    ini.Open(Std(settings));
    layout_->Restore();
  } catch (const std::exception& error) {
    return "son fichier de réglages « " + Std(settings) + " » ne peut pas être lu (" + error.what() + ")";
  }
  if (ini.ReadValue(settingkind::kHTMLFilePath).empty() || ini.ReadValue(settingkind::kCSSFilePath).empty())
    return "son fichier de réglages « " + Std(settings) + " » ne nomme pas sa page et sa feuille de style";
  if (RestoreProject()) return {};
  // The paths as the restore left them: those of a copied project's own
  // files when it has them.
  std::vector<std::string> missing;
  if (!QFileInfo::exists(HTMLFilePath_)) missing.push_back("la page « " + Std(HTMLFilePath_) + " » est introuvable");
  if (!QFileInfo::exists(CSSFilePath_))
    missing.push_back("la feuille de style « " + Std(CSSFilePath_) + " » est introuvable");
  if (missing.size() == 2) return missing[0] + " et " + missing[1];
  if (missing.size() == 1) return missing[0];
  return "ses réglages désignent les fichiers d'un autre dossier, que vous n'avez pas voulu ouvrir";
}

bool TEntryPage::OpenSettings(const QString& folder) {
  ProjectName_ = FromStd(GFile::LastFolderName(Std(folder)));
  try {
    dm_.Ini().Open(Std(folder + ProjectName_ + QStringLiteral(".xml")));
    return true;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
}

bool TEntryPage::RestoreProject() {
  GXMLIni& ini = dm_.Ini();
  HTMLFilePath_ = FromStd(ini.ReadValue(settingkind::kHTMLFilePath));
  CSSFilePath_ = FromStd(ini.ReadValue(settingkind::kCSSFilePath));
  ImagesFolder_ = FromStd(ini.ReadValue(settingkind::kImagesFolder));
  if (HTMLFilePath_.isEmpty() || CSSFilePath_.isEmpty() || !FollowCopiedProject() ||
      !QFileInfo::exists(HTMLFilePath_) || !QFileInfo::exists(CSSFilePath_)) {
    ProjectFolderPath_.clear();
    return false;
  }
  GFile& file = dm_.File();
  InputGrid_->SetCellText(1, kRowFolder, ProjectFolderPath_);
  file.Compare(Std(ProjectFolderPath_), Std(ImagesFolder_));
  InputGrid_->SetCellText(1, kRowImages, FromStd(file.RemainderOf(1)));
  if (ini.ReadValue(settingkind::kLocalServer) == "true") {
    InputGrid_->SetChecked(0, kRowServer, true);
    InputGrid_->SetCellText(1, kRowServer, FromStd(ini.ReadValue(settingkind::kLocalServerProjPath)));
  }
  file.Compare(Std(HTMLFilePath_), Std(CSSFilePath_));
  InputGrid_->SetCellText(1, kRowPage, FromStd(file.RemainderOf(0)));
  InputGrid_->SetCellText(1, kRowStylesheet, FromStd(file.RemainderOf(1)));
  return true;
}

bool TEntryPage::FollowCopiedProject() {
  if (ProjectFolderPath_.isEmpty()) return true;
  // "OK" keeps a project's settings in the folder its page and stylesheet
  // share; settings read from another folder came with a copy of the
  // project, and still name the original's files.
  GFile& file = dm_.File();
  file.Compare(Std(HTMLFilePath_), Std(CSSFilePath_));
  const QString original = FromStd(file.CommonBase());
  const QString here = FolderPath(ProjectFolderPath_);
  if (original.isEmpty() || original == QStringLiteral("/") || original == here) return true;
  if (HTMLFilePath_.startsWith(here) && CSSFilePath_.startsWith(here)) return true;
  const auto moved = [&](const QString& path) {
    return path.startsWith(original) ? here + path.mid(original.size()) : path;
  };
  const QString page = moved(HTMLFilePath_);
  const QString stylesheet = moved(CSSFilePath_);
  if (QFileInfo(page).isFile() && QFileInfo(stylesheet).isFile()) {
    ShowMessage(Message{"Les réglages de « " + Std(here) + " » désignent les fichiers de « " + Std(original) +
                            " » : Korvel ouvre ceux du même nom dans « " + Std(here) + " ».",
                        std::string(kApplicationTitle), MessageKind::Information, MessageButtons::Ok});
    HTMLFilePath_ = page;
    CSSFilePath_ = stylesheet;
    ImagesFolder_ = moved(ImagesFolder_);
    return true;
  }
  // Nothing to choose between: the missing files are said by the caller.
  if (!QFileInfo::exists(HTMLFilePath_) || !QFileInfo::exists(CSSFilePath_)) return true;
  return Ask("Les réglages de « " + Std(here) + " » désignent les fichiers d'un autre dossier, « " + Std(original) +
                 " », et ce dossier-ci ne les contient pas.\nOuvrir et modifier les fichiers de « " + Std(original) +
                 " » ?",
             MessageButtons::OkCancel) == MessageAnswer::Ok;
}

void TEntryPage::UseExampleProject() {
  ProjectFolderPath_ = dm_.ExampleFolder();
  if (!OpenSettings(ProjectFolderPath_)) return;
  try {
    layout_->RestoreWindow();
  } catch (const std::exception& error) {
    ShowError(error);
  }
  HTMLFilePath_ = ProjectFolderPath_ + QStringLiteral("index.html");
  CSSFilePath_ = ProjectFolderPath_ + QStringLiteral("styles.css");
  ImagesFolder_ = ProjectFolderPath_ + QStringLiteral("Images");
  WriteSetting(settingkind::kHTMLFilePath, HTMLFilePath_);
  WriteSetting(settingkind::kCSSFilePath, CSSFilePath_);
  WriteSetting(settingkind::kImagesFolder, ImagesFolder_);
  WriteSetting(settingkind::kLocalServerProjPath, QString());
  WriteSetting(settingkind::kLocalServer, QStringLiteral("false"));
}

void TEntryPage::WriteSetting(std::string_view kind, const QString& value) {
  // Each write saves the whole file (and waits for the disk): a value the
  // file already gives back is not written again, as when a project is
  // opened as it was stored.
  const std::string text = Std(value);
  GXMLIni& ini = dm_.Ini();
  if (ini.IsOpen() && ini.ReadValue(kind) == text) return;
  dm_.WriteSetting(nullptr, kind, text);
}

void TEntryPage::OKInClick() { OpenProject(true, false); }

QString TEntryPage::ImagesFolderAtOpen() const {
  // Another project's folder must not follow the new one: only the folder
  // the grid names counts.
  if (!InputGrid_->CellText(1, kRowImages).isEmpty()) return ImagesFolder_;
  const QDir project(ProjectFolderPath_);
  for (const QString& name : {QStringLiteral("Images"), QStringLiteral("images")}) {
    if (project.exists(name) && QFileInfo(project.filePath(name)).isDir()) return project.filePath(name);
  }
  return {};
}

QString TEntryPage::AskProjectFolder(const QString& common) {
  const std::string shared = common == QStringLiteral("/")
                                 ? " » n'ont aucun dossier en commun hormis la racine « / ».\n"
                                 : " » n'ont en commun que votre dossier personnel « " + Std(common) + " ».\n";
  const MessageAnswer answer =
      Ask("La page « " + Std(HTMLFilePath_) + " » et la feuille de style « " + Std(CSSFilePath_) + shared +
              "Choisissez le dossier qui contient le projet : ses réglages y seront enregistrés.",
          MessageButtons::OkCancel);
  if (answer != MessageAnswer::Ok) return {};
  const QString chosen = ChooseFolder(QStringLiteral("Dossier du projet"), QFileInfo(CSSFilePath_).absolutePath());
  if (chosen.isEmpty()) return {};
  const QString folder = FolderPath(chosen);
  if (folder == QStringLiteral("/")) {
    Warn("La racine « / » ne peut pas être le dossier d'un projet : le projet n'est pas ouvert.");
    return {};
  }
  return folder;
}

void TEntryPage::OpenProject(bool remember, bool restored) {
  if (HTMLFilePath_.isEmpty() || CSSFilePath_.isEmpty()) return;
  if (mayOpen_ && !mayOpen_()) return;
  GFile& file = dm_.File();
  file.Compare(Std(HTMLFilePath_), Std(CSSFilePath_));
  const QString common = FromStd(file.CommonBase());
  // Never "/" itself (its settings file would have no name), nor the whole
  // home folder without asking: the preview serves the project's folder.
  if (common == QStringLiteral("/") || common == WithSlash(QDir::homePath())) {
    const QString folder = restored && !ProjectFolderPath_.isEmpty() ? ProjectFolderPath_ : AskProjectFolder(common);
    if (folder.isEmpty()) return;
    ProjectFolderPath_ = folder;
  } else {
    ProjectFolderPath_ = common;
  }
  ImagesFolder_ = ImagesFolderAtOpen();
  if (!ImagesFolder_.isEmpty() && InputGrid_->CellText(1, kRowImages).isEmpty())
    InputGrid_->SetCellText(1, kRowImages, QFileInfo(ImagesFolder_).fileName());
  if (remember) registry_.SetProjectFolderPath(ProjectFolderPath_);
  if (OpenSettings(ProjectFolderPath_)) {
    WriteSetting(settingkind::kHTMLFilePath, HTMLFilePath_);
    WriteSetting(settingkind::kCSSFilePath, CSSFilePath_);
    WriteSetting(settingkind::kImagesFolder, ImagesFolder_);
    WriteSetting(settingkind::kLocalServerProjPath, InputGrid_->CellText(1, kRowServer));
    WriteSetting(settingkind::kLocalServer,
                 InputGrid_->IsChecked(0, kRowServer) ? QStringLiteral("true") : QStringLiteral("false"));
  }
  opened_ = ShownProject();
  emit ProjectOpened();
}

}  // namespace korvel
