#include "shell/gexplorer.h"

#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QStringListModel>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

#include "base/messages.h"
#include "shell/gdirtreeview.h"

namespace korvel {

namespace {

struct ModeItem {
  const char* caption;
  TViewMode mode;
};

// The menu's items; the small-icons mode has none.
constexpr std::array<ModeItem, 5> kModeItems{{{"Icônes", vmIcons},
                                              {"Liste", vmList},
                                              {"Détails", vmDetails},
                                              {"Miniatures", vmThumbnails},
                                              {"Mosaïques", vmTiles}}};

// A panel takes one control, filling it.
void Fill(QWidget* panel, QWidget* control) {
  auto* layout = panel->layout();
  if (!layout) {
    layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
  }
  layout->addWidget(control);
}

}  // namespace

GExplorer::GExplorer(QObject* parent) : QObject(parent) {}

GExplorer::~GExplorer() = default;

void GExplorer::SetPlaces(QList<ShellPlace> places) {
  places_ = std::move(places);
  placesGiven_ = true;
}

void GExplorer::CreateTree(QWidget* panel) {
  Tree_ = new GDirTreeView(panel);
  if (placesGiven_) Tree_->SetPlaces(places_);
  Fill(panel, Tree_);
  Tree_->OpenPath({});
}

void GExplorer::CreateView(QWidget* panel, ThumbnailProvider* thumbnails) {
  View_ = new TFolderView(panel, thumbnails);
  if (placesGiven_) View_->SetPlaces(places_);
  View_->setBackgroundRole(QPalette::Base);
  Fill(panel, View_);
  View_->SetPath({});
}

void GExplorer::CreateToolBar(QWidget* panel) {
  ToolBar_ = new QToolBar(panel);
  ToolBar_->setContentsMargins(0, 1, 0, 0);
  ToolBar_->setMovable(false);

  tbPopup_ = new QMenu(ToolBar_);
  for (const ModeItem& item : kModeItems) {
    QAction* action = tbPopup_->addAction(QString::fromUtf8(item.caption));
    action->setCheckable(true);
    connect(action, &QAction::triggered, this, [this, mode = item.mode] { SetViewMode(mode); });
    modeItems_ << action;
  }
  connect(tbPopup_, &QMenu::aboutToShow, this, &GExplorer::ShowModeChecks);

  ViewModeButton_ = new QToolButton(ToolBar_);
  ViewModeButton_->setIcon(ToolBar_->style()->standardIcon(QStyle::SP_FileDialogDetailedView));
  ViewModeButton_->setToolTip(QStringLiteral("Affichage"));
  ViewModeButton_->setMenu(tbPopup_);
  ViewModeButton_->setPopupMode(QToolButton::InstantPopup);
  ToolBar_->addWidget(ViewModeButton_);

  auto* separator = new QWidget(ToolBar_);
  separator->setFixedWidth(50);
  ToolBar_->addWidget(separator);

  UpButton_ = new QToolButton(ToolBar_);
  UpButton_->setIcon(ToolBar_->style()->standardIcon(QStyle::SP_FileDialogToParent));
  UpButton_->setToolTip(QStringLiteral("Dossier parent"));
  connect(UpButton_, &QToolButton::clicked, this, &GExplorer::UpClick);
  ToolBar_->addWidget(UpButton_);

  PathEdit_ = new QLineEdit(ToolBar_);
  PathEdit_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  folderNames_ = new QStringListModel(PathEdit_);
  completer_ = new QCompleter(folderNames_, PathEdit_);
  completer_->setCaseSensitivity(Qt::CaseSensitive);
  PathEdit_->setCompleter(completer_);
  connect(PathEdit_, &QLineEdit::textEdited, this, &GExplorer::ListFoldersToComplete);
  connect(PathEdit_, &QLineEdit::returnPressed, this, &GExplorer::PathEditReturn);
  ToolBar_->addWidget(PathEdit_);

  Fill(panel, ToolBar_);
}

QList<QWidget*> GExplorer::ToolBarControls() const { return {ViewModeButton_, UpButton_, PathEdit_}; }

QList<QWidget*> GExplorer::FolderControls() const {
  QList<QWidget*> controls{Tree_};
  for (QAbstractItemView* view : View_->ItemViews()) controls << view;
  return controls;
}

void GExplorer::ListFoldersToComplete(const QString& text) {
  // Only the folder being typed into is read, once while its name stays.
  const QString base = text.left(text.lastIndexOf(QLatin1Char('/')) + 1);
  if (base == completedFolder_) return;
  completedFolder_ = base;
  // "~/…" is read in the home folder and offered as typed.
  QString folder = base;
  if (folder.startsWith(QStringLiteral("~/"))) folder.replace(0, 1, QDir::homePath());
  QStringList folders;
  if (!base.isEmpty()) {
    for (const QString& name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
      folders << base + name + QLatin1Char('/');
  }
  folderNames_->setStringList(folders);
}

void GExplorer::ShowModeChecks() {
  const TViewMode mode = ViewMode();
  for (std::size_t i = 0; i < kModeItems.size(); ++i) modeItems_[static_cast<int>(i)]->setChecked(kModeItems[i].mode == mode);
}

TViewMode GExplorer::ViewMode() const { return View_ ? View_->ViewMode() : vmIcons; }

void GExplorer::SetViewMode(TViewMode mode) {
  if (View_) View_->SetViewMode(mode);
}

TViewMode GExplorer::ViewModeFromNumber(int number, TViewMode fallback) {
  return number >= vmIcons && number <= vmTiles ? static_cast<TViewMode>(number) : fallback;
}

void GExplorer::Navigate(const QString& path, bool syncTree) {
  try {
    View_->SetSyncTree(syncTree);
    View_->SetPath(path);
  } catch (const FolderError& error) {
    ShowMessage(error.what(), MessageKind::Error);
  }
  // The box shows the folder shown, also after a refusal or a path typed
  // without its final "/".
  if (PathEdit_) PathEdit_->setText(View_->IsDesktop() ? View_->GetCurrentName() + QLatin1Char('/') : View_->Path());
}

void GExplorer::PaneTreeMouseUp() {
  QTreeWidgetItem* node = Tree_->currentItem();
  if (!node || !View_) return;
  if (node == Tree_->RootNode()) {
    Navigate({}, false);
    node->setExpanded(true);
    return;
  }
  const QString path = Tree_->GetSelectedPath();
  // A press still held is the start of a drag, not a choice of folder.
  if (Tree_->IsDriveReady(path) && !(QApplication::mouseButtons() & Qt::LeftButton)) Navigate(path, false);
}

QString GExplorer::PanePathChanged() {
  QString text;
  if (View_->IsDesktop()) {
    if (Tree_ && Tree_->RootNode()) {
      Tree_->setCurrentItem(Tree_->RootNode());
      Tree_->RootNode()->setExpanded(true);
    }
    text = View_->GetCurrentName();
  } else {
    if (Tree_ && View_->SyncTree()) Tree_->GoToPath(View_->Path());
    // The folder the view shows, even where the tree could not follow (a
    // hidden folder is not in the tree).
    text = View_->Path();
  }
  if (!text.isEmpty() && !text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
  if (PathEdit_) PathEdit_->setText(text);
  return text;
}

void GExplorer::UpClick() {
  if (!View_ || View_->IsDesktop()) return;
  Navigate(ParentFolder(View_->Path()), true);
}

void GExplorer::PathEditReturn() {
  if (!View_ || !PathEdit_) return;
  QString typed = PathEdit_->text().trimmed();
  if (typed == DesktopCaption() + QLatin1Char('/') || typed == DesktopCaption()) typed.clear();
  if (typed == QStringLiteral("~") || typed.startsWith(QStringLiteral("~/"))) typed.replace(0, 1, QDir::homePath());
  // A name without its full path is taken inside the folder shown.
  if (!typed.isEmpty() && !typed.startsWith(QLatin1Char('/'))) {
    if (View_->IsDesktop()) typed.prepend(QDir::homePath() + QLatin1Char('/'));
    else typed.prepend(View_->Path());
  }
  Navigate(typed, true);
}

}  // namespace korvel
