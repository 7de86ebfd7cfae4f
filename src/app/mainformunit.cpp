#include "app/mainformunit.h"

#include <QCloseEvent>
#include <QFrame>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/dmunit.h"
#include "app/imagelists.h"
#include "app/launcher.h"
#include "app/settingsstore.h"
#include "app/tstylesheeteditor.h"
#include "app/twindowlayout.h"
#include "app/windowhelpers.h"
#include "editors/gstringgrid.h"

namespace korvel {

namespace {

enum InputRow { kRowFolder = 0, kRowPage = 1, kRowStylesheet = 2, kRowImages = 3, kRowServer = 4 };

}  // namespace

TMainForm::TMainForm(TDM& dm, ProgramLauncher& launcher, SettingsStore& registry, QWidget* parent)
    : QMainWindow(parent),
      dm_(dm),
      launcher_(launcher),
      registry_(registry) {
  setWindowTitle(QStringLiteral("Korvel"));
  PgCtlMain_ = new QTabWidget(this);
  setCentralWidget(PgCtlMain_);
  BuildEntryTab();
  editor_ = new TStyleSheetEditor(dm.DictionaryPath(), launcher);
  PgCtlMain_->addTab(editor_, QStringLiteral("Edition"));
  connect(editor_, &TStyleSheetEditor::StatusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  BuildImagesTab();
  layout_ = new TWindowLayout(*this, dm_,
                              TWindowLayout::Parts{SplitterTVLV_, SplitterLVSG_, editor_->Splitter(), InputGrid_,
                                                   editor_->PropertyGrid()});
  layout_->SetRestoring(true);  // until FormShow has restored it
  connect(PgCtlMain_, &QTabWidget::currentChanged, this, &TMainForm::PgCtlMainChange);
  resize(900, 640);
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildEntryTab() {
  tsIn_ = new QWidget;
  auto* layout = new QVBoxLayout(tsIn_);
  layout->setContentsMargins(2, 2, 2, 2);

  auto* toolBar = new QToolBar(QStringLiteral("ToolBarInPanel"));
  OKIn_ = MakeButton(QStringLiteral("OK"), ImageListPixmap(kImageOk));
  OKIn_->setEnabled(false);
  OKIn_->setToolTip(QStringLiteral("Ouvrir la feuille de style du projet"));
  connect(OKIn_, &QToolButton::clicked, this, &TMainForm::OKInClick);
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

  PgCtlMain_->addTab(tsIn_, QStringLiteral("Entrée"));
}

void TMainForm::BuildImagesTab() {
  tsImages_ = new QWidget;
  auto* layout = new QVBoxLayout(tsImages_);
  layout->addStretch(1);
  auto* Panel2 = new QHBoxLayout;
  auto* sbSaveImgModifs = MakeButton(QStringLiteral("Sauvegarder"), ImageListPixmap(kImageSave));
  auto* sbLedImg = MakeButton(QStringLiteral("Direct"), ImageListPixmap(kImageLive));
  editor_->AttachTwinButtons(sbSaveImgModifs, sbLedImg);
  Panel2->addWidget(sbSaveImgModifs);
  Panel2->addWidget(sbLedImg);
  Panel2->addStretch(1);
  layout->addLayout(Panel2);
  PgCtlMain_->addTab(tsImages_, QStringLiteral("Images"));
}

// ---------------------------------------------------------------- start-up

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TMainForm::FormShow() {
  layout_->SetRestoring(true);
  PgCtlMain_->setCurrentWidget(tsIn_);
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), false);
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(tsImages_), false);

  // A remembered project that cannot be opened is said once; it stays
  // remembered until the user opens another one.
  const QString remembered = registry_.ProjectFolderPath();
  std::string problem;
  bool restored = false;
  if (!remembered.isEmpty()) {
    ProjectFolderPath_ = remembered;
    problem = RestoreRememberedProject();
    restored = problem.empty();
    if (!restored) {
      Warn("Le projet « " + Std(remembered) + " » ne peut pas être ouvert : " + problem +
           ".\nKorvel ouvre le projet d'exemple ; le projet reste mémorisé jusqu'à ce que vous en ouvriez un autre.");
    }
  }
  if (!restored) {
    UseExampleProject();
    restored = RestoreProject();
  }
  layout_->SetRestoring(false);
  layout_->SetColumnWidths();
  if (restored && !InputGrid_->CellText(1, kRowPage).isEmpty() &&
      !InputGrid_->CellText(1, kRowStylesheet).isEmpty()) {
    OKIn_->setEnabled(true);
    OpenProject(/*remember=*/problem.empty());
  }
}

std::string TMainForm::RestoreRememberedProject() {
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
  if (!QFileInfo::exists(stylesheet)) missing.push_back("la feuille de style « " + Std(stylesheet) + " » est introuvable");
  if (missing.size() == 2) return missing[0] + " et " + missing[1];
  if (missing.size() == 1) return missing[0];
  if (!RestoreProject()) return "ses réglages ne peuvent pas être relus";
  return {};
}

bool TMainForm::OpenSettings(const QString& folder) {
  ProjectName_ = FromStd(GFile::LastFolderName(Std(folder)));
  try {
    dm_.Ini().Open(Std(folder + ProjectName_ + QStringLiteral(".xml")));
    return true;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
}

bool TMainForm::RestoreProject() {
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

void TMainForm::UseExampleProject() {
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

void TMainForm::WriteSetting(std::string_view kind, const QString& value) {
  dm_.WriteSetting(nullptr, kind, Std(value));
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (layout_) layout_->FormResize();
}

void TMainForm::PgCtlMainChange() {
  editor_->CommitPendingEdits();
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(tsImages_), false);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
}

bool TMainForm::FormCloseQuery() {
  if (!editor_->QueryClose()) return false;
  layout_->RecordWindowNow();
  dm_.Ini().SetTerminating(true);
  return true;
}

// ---------------------------------------------------------------- "OK"

void TMainForm::OKInClick() { OpenProject(true); }

void TMainForm::OpenProject(bool remember) {
  GFile& file = dm_.File();
  file.Compare(Std(HTMLFilePath_), Std(CSSFilePath_));
  ProjectFolderPath_ = FromStd(file.CommonBase());
  setWindowTitle(ProjectFolderPath_);
  if (remember) registry_.SetProjectFolderPath(ProjectFolderPath_);
  if (OpenSettings(ProjectFolderPath_)) {
    WriteSetting(settingkind::kHTMLFilePath, HTMLFilePath_);
    WriteSetting(settingkind::kCSSFilePath, CSSFilePath_);
    WriteSetting(settingkind::kImagesFolder, ImagesFolder_);
    WriteSetting(settingkind::kLocalServerProjPath, InputGrid_->CellText(1, kRowServer));
    WriteSetting(settingkind::kLocalServer,
                 InputGrid_->IsChecked(0, kRowServer) ? QStringLiteral("true") : QStringLiteral("false"));
  }
  if (!editor_->OpenStylesheet(CSSFilePath_, HTMLFilePath_, InputGrid_->CellText(1, kRowStylesheet))) return;

  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), true);
  editor_->ShowFirstRule([this] { PgCtlMain_->setCurrentWidget(editor_); });
  editor_->OpenPage();
}

}  // namespace korvel
