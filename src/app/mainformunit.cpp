#include "app/mainformunit.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/dmunit.h"
#include "app/imagelists.h"
#include "app/launcher.h"
#include "app/settingsstore.h"
#include "app/tentrypage.h"
#include "app/tstylesheeteditor.h"
#include "app/twindowlayout.h"
#include "app/windowhelpers.h"

namespace korvel {

TMainForm::TMainForm(TDM& dm, ProgramLauncher& launcher, SettingsStore& registry, QWidget* parent)
    : QMainWindow(parent),
      dm_(dm),
      registry_(registry) {
  setWindowTitle(QStringLiteral("Korvel"));
  PgCtlMain_ = new QTabWidget(this);
  setCentralWidget(PgCtlMain_);
  entry_ = new TEntryPage(dm_, registry_);
  PgCtlMain_->addTab(entry_, QStringLiteral("Entrée"));
  connect(entry_, &TEntryPage::ProjectOpened, this, &TMainForm::ProjectOpened);
  editor_ = new TStyleSheetEditor(dm.DictionaryPath(), launcher);
  PgCtlMain_->addTab(editor_, QStringLiteral("Edition"));
  connect(editor_, &TStyleSheetEditor::StatusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  BuildImagesTab();
  layout_ = new TWindowLayout(*this, dm_,
                              TWindowLayout::Parts{entry_->SplitterTVLV(), entry_->SplitterLVSG(),
                                                   editor_->Splitter(), entry_->InputGrid(), editor_->PropertyGrid()});
  layout_->SetRestoring(true);  // until FormShow has restored it
  connect(PgCtlMain_, &QTabWidget::currentChanged, this, &TMainForm::PgCtlMainChange);
  resize(900, 640);
}

TMainForm::~TMainForm() = default;

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
  PgCtlMain_->setCurrentWidget(entry_);
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), false);
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(tsImages_), false);

  const bool openNow = entry_->RestoreLastProject(*layout_);
  layout_->SetRestoring(false);
  layout_->SetColumnWidths();
  if (openNow) entry_->OpenRestoredProject();
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

void TMainForm::ProjectOpened() {
  setWindowTitle(entry_->ProjectFolderPath());
  if (!editor_->OpenStylesheet(entry_->CSSFilePath(), entry_->HTMLFilePath(), entry_->StylesheetCaption())) return;
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), true);
  editor_->ShowFirstRule([this] { PgCtlMain_->setCurrentWidget(editor_); });
  editor_->OpenPage();
}

}  // namespace korvel
