#include "app/mainformunit.h"

#include <QCloseEvent>
#include <QStatusBar>
#include <QTabWidget>

#include "app/dmunit.h"
#include "app/launcher.h"
#include "app/settingsstore.h"
#include "app/timagestab.h"
#include "app/tentrypage.h"
#include "app/tstylesheeteditor.h"
#include "app/twindowlayout.h"
#include "app/windowhelpers.h"
#include "editors/showimageunit.h"

namespace korvel {

TMainForm::TMainForm(TDM& dm, ProgramLauncher& launcher, SettingsStore& registry, QWidget* parent)
    : QMainWindow(parent),
      dm_(dm),
      registry_(registry) {
  setWindowTitle(QStringLiteral("Korvel"));
  PgCtlMain_ = new QTabWidget(this);
  setCentralWidget(PgCtlMain_);
  entry_ = new TEntryPage(dm_, registry_);
  entry_->CreatePane(launcher);
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
  entry_->AttachLayout(*layout_);
  layout_->SetRestoring(true);  // until FormShow has restored it
  connect(PgCtlMain_, &QTabWidget::currentChanged, this, &TMainForm::PgCtlMainChange);
  resize(900, 640);
}

TMainForm::~TMainForm() = default;

void TMainForm::BuildImagesTab() {
  imagesTab_ = new TImagesTab([this] {
    return ImageProjectPaths{entry_->ProjectFolderPath(), editor_->CSSFilePath(),
                             FromStd(dm_.Ini().ReadValue(settingkind::kImagesFolder))};
  });
  editor_->AttachTwinButtons(imagesTab_->SaveButton(), imagesTab_->LiveButton());
  PgCtlMain_->addTab(imagesTab_, QStringLiteral("Images"));
  const auto tabIndex = [this] { return PgCtlMain_->indexOf(imagesTab_); };
  connect(imagesTab_, &TImagesTab::ShowRequested, this, [this, tabIndex] {
    picker_->hide();
    PgCtlMain_->setTabVisible(tabIndex(), true);
    PgCtlMain_->setCurrentWidget(imagesTab_);
  });
  connect(imagesTab_, &TImagesTab::HideRequested, this,
          [this, tabIndex] { PgCtlMain_->setTabVisible(tabIndex(), false); });
  connect(imagesTab_, &TImagesTab::ValueWritten, this,
          [this] { editor_->MarkModified(editor_->LiveMode(), true, false); });

  picker_ = new TShowImageForm(this, dm_.ScratchFolder());
  connect(picker_, &TShowImageForm::ImagesTabRequested, this,
          [this](const QString& value) { imagesTab_->ShowImagesTab(value, picker_->CurrentWriteBack()); });
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
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(imagesTab_), false);

  const bool openNow = entry_->RestoreLastProject(*layout_);
  layout_->SetRestoring(false);
  layout_->SetColumnWidths();
  if (openNow) entry_->OpenRestoredProject();
  entry_->ShowProjectFolder();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (layout_) layout_->FormResize();
}

void TMainForm::PgCtlMainChange() {
  editor_->CommitPendingEdits();
  picker_->HideWithTab();
  if (PgCtlMain_->currentWidget() != imagesTab_) PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(imagesTab_), false);
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
  // >>> The change watch: it takes the project folder (without its final
  // "/") and resumes here, before the page is opened.
  editor_->OpenPage();
}

}  // namespace korvel
