#include "app/timagestab.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/folderchooser.h"
#include "app/frenchinterface.h"
#include "app/launcher.h"
#include "icons/imagelists.h"
#include "app/windowhelpers.h"
#include "dictionary/valueclassification.h"
#include "model/filebytes.h"
#include "model/imageimport.h"
#include "shell/folderview.h"
#include "shell/gdirtreeview.h"
#include "shell/gexplorer.h"
#include "shell/thumbnailprovider.h"

namespace korvel {

namespace {

QString WithSlash(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith(u'/')) folder += u'/';
  return folder;
}

// The picture the view has selected first; empty when the selection holds
// no picture (nothing, or a folder).
QString SelectedPicture(const TFolderView& view) {
  QStringList names;
  if (!view.GetItemsData(names, true)) return {};
  const QString& first = names.first();
  if (first.endsWith(u'/') || !QFileInfo(first).isFile()) return {};
  return first;
}

}  // namespace

QString StylesheetFolder(const ImageProjectPaths& paths) {
  if (paths.stylesheetFile.isEmpty()) return WithSlash(paths.projectFolder);
  return WithSlash(QFileInfo(paths.stylesheetFile).absolutePath());
}

TImagesTab::TImagesTab(ProgramLauncher& launcher, std::function<ImageProjectPaths()> paths, QWidget* parent)
    : QWidget(parent), paths_(std::move(paths)) {
  setObjectName(QStringLiteral("tsImages"));
  pane_ = new GExplorer(this);

  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* ToolbarImgPanel = new QWidget(this);
  pane_->CreateToolBar(ToolbarImgPanel);
  top->addWidget(ToolbarImgPanel, 1);
  // The browser buttons of the tab go here.
  browserButtons_ = new QHBoxLayout;
  browserButtons_->setObjectName(QStringLiteral("BrowserButtonsImg"));
  top->addLayout(browserButtons_);
  layout->addLayout(top);

  auto* splitter = new QSplitter(Qt::Horizontal, this);
  auto* TVImgPanel = new QWidget(splitter);
  auto* LVImgPanel = new QWidget(splitter);
  pane_->CreateTree(TVImgPanel);
  pane_->CreateView(LVImgPanel);
  pane_->SetViewMode(vmThumbnails);
  View()->SetFileOpener(FileOpenerOf(launcher));
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 3);
  layout->addWidget(splitter, 1);

  auto* Panel2 = new QHBoxLayout;
  BitBtn_OK_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("&OK"), this);
  BitBtn_OK_->setEnabled(false);
  BitBtn_Cancel_ =
      new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("&Annuler"), this);
  sbSaveImgModifs_ = MakeButton(QStringLiteral("&Sauvegarder"), ImageListPixmap(kImageSave));
  sbLedImg_ = MakeButton(QStringLiteral("&Direct"), ImageListPixmap(kImageLive));
  Panel2->addWidget(BitBtn_OK_);
  Panel2->addWidget(BitBtn_Cancel_);
  Panel2->addStretch(1);
  Panel2->addWidget(sbSaveImgModifs_);
  Panel2->addWidget(sbLedImg_);
  layout->addLayout(Panel2);

  connect(pane_->Tree(), &GDirTreeView::MouseUp, pane_, [this] { pane_->PaneTreeMouseUp(); });
  connect(View(), &TFolderView::OnPathChanged, pane_, [this] { pane_->PanePathChanged(); });
  connect(View(), &TFolderView::OnStateChanged, this, [this](TFolderView*, int code) { LVImgStateChanged(code); });
  connect(BitBtn_OK_, &QPushButton::clicked, this, &TImagesTab::BitBtn_OKClick);
  connect(BitBtn_Cancel_, &QPushButton::clicked, this, &TImagesTab::BitBtn_CancelClick);
}

TImagesTab::~TImagesTab() = default;

TFolderView* TImagesTab::View() const { return pane_->View(); }

void TImagesTab::ShowImagesTab(const QString& value, WriteBack writeBack) {
  writeBack_ = std::move(writeBack);
  const ImageProjectPaths paths = paths_();
  const std::string address = UrlArgument(value.toStdString());
  QString path;
  if (!address.empty()) {
    path = FromStd(ResolveImageAddress(address, Std(StylesheetFolder(paths))));
  } else if (!paths.imagesFolder.isEmpty()) {
    path = WithSlash(paths.imagesFolder);
  } else {
    path = StylesheetFolder(paths);
  }
  const QString folder = path.left(path.lastIndexOf(u'/') + 1);
  try {
    View()->SetSyncTree(true);
    View()->SetPath(folder);
  } catch (const FolderError& error) {
    ShowError(error);
  }
  emit ShowRequested();
  // The current picture is preselected: OK takes it as it is.
  View()->SelectItem(path);
  BitBtn_OK_->setEnabled(!SelectedPicture(*View()).isEmpty());
}

void TImagesTab::LVImgStateChanged(int /*code*/) {
  const bool picture = !SelectedPicture(*View()).isEmpty();
  BitBtn_OK_->setEnabled(picture);
  if (picture) View()->SetSyncTree(true);
}

QString TImagesTab::ImportTarget(const QString& source, const ImageProjectPaths& paths) const {
  ImportPlan plan = PlanImport(Std(source), Std(paths.imagesFolder), Std(paths.projectFolder));
  if (plan.step == ImportStep::AskFolder) {
    const QString stylesheetFolder = StylesheetFolder(paths);
    const std::string text = "L'image « " + Std(source) +
                             " » est hors du projet et aucun dossier d'images n'est choisi : "
                             "la feuille de style ne pourrait pas l'atteindre.\n\n"
                             "Oui : choisir le dossier où la copier.\n"
                             "Non : la copier dans le dossier de la feuille de style « " +
                             Std(stylesheetFolder) + " ».\nAnnuler : ne rien faire.";
    const MessageAnswer answer = Ask(text, MessageButtons::YesNoCancel);
    QString folder;
    if (answer == MessageAnswer::Yes) folder = ChooseFolder(QStringLiteral("Dossier des images"), paths.projectFolder);
    if (answer == MessageAnswer::No) folder = stylesheetFolder;
    if (folder.isEmpty()) return {};
    plan = PlanImport(Std(source), Std(folder), Std(paths.projectFolder));
  }
  if (plan.step == ImportStep::AskSameName) {
    const QFileInfo target(FromStd(plan.target));
    const MessageAnswer answer =
        Ask("Une autre image nommée « " + Std(target.fileName()) + " » se trouve déjà dans « " +
                Std(target.absolutePath()) + " ».\nLa remplacer par « " + Std(source) + " » ?",
            MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return {};
  }
  if (plan.step == ImportStep::Copy || plan.step == ImportStep::AskSameName) {
    try {
      CopyImage(Std(source), plan.target);
    } catch (const FileError& error) {
      ShowError(error);
      return {};
    }
  }
  return FromStd(plan.target);
}

void TImagesTab::BitBtn_OKClick() {
  const QString source = SelectedPicture(*View());
  if (source.isEmpty()) return;
  const ImageProjectPaths paths = paths_();
  const QString target = ImportTarget(source, paths);
  if (target.isEmpty()) return;
  const QString url = FromStd(StylesheetUrl(Std(StylesheetFolder(paths)), Std(target)));
  if (!writeBack_) return;
  writeBack_(url);
  emit ValueWritten(url);
  // Back to the grid, which shows the value written.
  emit HideRequested();
}

void TImagesTab::BitBtn_CancelClick() { emit HideRequested(); }

}  // namespace korvel
