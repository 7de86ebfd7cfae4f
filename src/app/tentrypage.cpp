#include "app/tentrypage.h"

#include <QFileInfo>
#include <QFrame>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <vector>

#include "app/dmunit.h"
#include "app/imagelists.h"
#include "app/settingsstore.h"
#include "app/twindowlayout.h"
#include "app/windowhelpers.h"
#include "editors/gstringgrid.h"

namespace korvel {

namespace {

enum InputRow { kRowFolder = 0, kRowPage = 1, kRowStylesheet = 2, kRowImages = 3, kRowServer = 4 };

}  // namespace

TEntryPage::TEntryPage(TDM& dm, SettingsStore& registry, QWidget* parent)
    : QWidget(parent), dm_(dm), registry_(registry) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);

  auto* toolBar = new QToolBar(QStringLiteral("ToolBarInPanel"));
  OKIn_ = MakeButton(QStringLiteral("OK"), ImageListPixmap(kImageOk));
  OKIn_->setEnabled(false);
  OKIn_->setToolTip(QStringLiteral("Ouvrir la feuille de style du projet"));
  connect(OKIn_, &QToolButton::clicked, this, &TEntryPage::OKInClick);
  toolBar->addWidget(OKIn_);
  layout->addWidget(toolBar);

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

TEntryPage::~TEntryPage() = default;

QString TEntryPage::StylesheetCaption() const { return InputGrid_->CellText(1, kRowStylesheet); }

bool TEntryPage::RestoreLastProject(TWindowLayout& layout) {
  layout_ = &layout;
  rememberAtOpen_ = true;
  // A remembered project that cannot be opened is said once; it stays
  // remembered until the user opens another one.
  const QString remembered = registry_.ProjectFolderPath();
  bool restored = false;
  if (!remembered.isEmpty()) {
    ProjectFolderPath_ = remembered;
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

void TEntryPage::OpenRestoredProject() {
  OKIn_->setEnabled(true);
  OpenProject(rememberAtOpen_);
}

std::string TEntryPage::RestoreRememberedProject() {
  if (!QFileInfo(ProjectFolderPath_).isDir()) return "son dossier n'existe plus";
  ProjectName_ = FromStd(GFile::LastFolderName(Std(ProjectFolderPath_)));
  const QString settings = ProjectFolderPath_ + ProjectName_ + QStringLiteral(".xml");
  GXMLIni& ini = dm_.Ini();
  try {
    ini.Open(Std(settings));
    layout_->Restore();
  } catch (const std::exception& error) {
    return "son fichier de réglages « " + Std(settings) + " » ne peut pas être lu (" + error.what() + ")";
  }
  const QString page = FromStd(ini.ReadValue(settingkind::kHTMLFilePath));
  const QString stylesheet = FromStd(ini.ReadValue(settingkind::kCSSFilePath));
  if (page.isEmpty() || stylesheet.isEmpty())
    return "son fichier de réglages « " + Std(settings) + " » ne nomme pas sa page et sa feuille de style";
  std::vector<std::string> missing;
  if (!QFileInfo::exists(page)) missing.push_back("la page « " + Std(page) + " » est introuvable");
  if (!QFileInfo::exists(stylesheet))
    missing.push_back("la feuille de style « " + Std(stylesheet) + " » est introuvable");
  if (missing.size() == 2) return missing[0] + " et " + missing[1];
  if (missing.size() == 1) return missing[0];
  if (!RestoreProject()) return "ses réglages ne peuvent pas être relus";
  return {};
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
  if (HTMLFilePath_.isEmpty() || CSSFilePath_.isEmpty() || !QFileInfo::exists(HTMLFilePath_) ||
      !QFileInfo::exists(CSSFilePath_)) {
    ProjectFolderPath_.clear();
    return false;
  }
  GFile& file = dm_.File();
  InputGrid_->SetCellText(1, kRowFolder, ProjectFolderPath_);
  ImagesFolder_ = FromStd(ini.ReadValue(settingkind::kImagesFolder));
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
  dm_.WriteSetting(nullptr, kind, Std(value));
}

void TEntryPage::OKInClick() { OpenProject(true); }

void TEntryPage::OpenProject(bool remember) {
  GFile& file = dm_.File();
  file.Compare(Std(HTMLFilePath_), Std(CSSFilePath_));
  ProjectFolderPath_ = FromStd(file.CommonBase());
  if (remember) registry_.SetProjectFolderPath(ProjectFolderPath_);
  if (OpenSettings(ProjectFolderPath_)) {
    WriteSetting(settingkind::kHTMLFilePath, HTMLFilePath_);
    WriteSetting(settingkind::kCSSFilePath, CSSFilePath_);
    WriteSetting(settingkind::kImagesFolder, ImagesFolder_);
    WriteSetting(settingkind::kLocalServerProjPath, InputGrid_->CellText(1, kRowServer));
    WriteSetting(settingkind::kLocalServer,
                 InputGrid_->IsChecked(0, kRowServer) ? QStringLiteral("true") : QStringLiteral("false"));
  }
  emit ProjectOpened();
}

}  // namespace korvel
