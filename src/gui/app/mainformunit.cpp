#include "app/mainformunit.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QDir>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <string_view>
#include <system_error>

#include "app/changewatch.h"
#include "app/dmunit.h"
#include "app/launcher.h"
#include "app/previewserver.h"
#include "app/settingsstore.h"
#include "app/tcelldispatch.h"
#include "app/timagestab.h"
#include "app/tentrypage.h"
#include "app/tstylesheeteditor.h"
#include "app/twindowlayout.h"
#include "app/windowhelpers.h"
#include "editors/fontcatalog.h"
#include "editors/fontsunit.h"
#include "editors/showimageunit.h"
#include "editors/gstringgrid.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

std::string_view View(const QByteArray& bytes) { return {bytes.constData(), static_cast<std::size_t>(bytes.size())}; }

// How long after the window is shown its hidden parts are made at the
// latest, when no paint has come.
constexpr int kStartUpFallbackMs = 1000;

// A folder without its trailing "/", as the watch and the preview take it.
std::filesystem::path WatchFolderPath(const QString& folder) { return Std(QDir::cleanPath(folder)); }

}  // namespace

TMainForm::TMainForm(TDM& dm, ProgramLauncher& launcher, SettingsStore& registry, QWidget* parent)
    : QMainWindow(parent),
      dm_(dm),
      launcher_(launcher),
      registry_(registry) {
  setWindowTitle(QStringLiteral("Korvel"));
  PgCtlMain_ = new QTabWidget(this);
  setCentralWidget(PgCtlMain_);
  entry_ = new TEntryPage(dm_, registry_);
  entry_->CreatePane(launcher);
  PgCtlMain_->addTab(entry_, QStringLiteral("E&ntrée"));
  connect(entry_, &TEntryPage::ProjectOpened, this, &TMainForm::ProjectOpened);
  editor_ = new TStyleSheetEditor(dm.DictionaryPath(), launcher);
  entry_->SetOpenQuery([this] { return editor_->SettleUnsavedEdits(); });
  PgCtlMain_->addTab(editor_, QStringLiteral("&Edition"));
  connect(editor_, &TStyleSheetEditor::StatusMessage, this,
          [this](const QString& text) { statusBar()->showMessage(text); });
  connect(editor_, &TStyleSheetEditor::StylesheetRead, this, &TMainForm::StylesheetRead);
  connect(editor_, &TStyleSheetEditor::StylesheetWritten, this, &TMainForm::StylesheetWritten);
  connect(editor_, &TStyleSheetEditor::Reading, this, &TMainForm::EditorReading);
  editor_->SetPageOpener([this] { ShowPage(); });
  editor_->SetPageAddress([this] { return BrowserAddress(); });
  StartWatch();
  // The value editors, the image picker and the "Images" tab are all hidden
  // at first: they are made once the window has painted (CompleteStartUp).
  layout_ = new TWindowLayout(*this, dm_,
                              TWindowLayout::Parts{entry_->SplitterTVLV(), entry_->SplitterLVSG(),
                                                   editor_->Splitter(), entry_->InputGrid(), editor_->PropertyGrid()});
  entry_->AttachLayout(*layout_);
  layout_->SetRestoring(true);  // until FormShow has restored it
  connect(PgCtlMain_, &QTabWidget::currentChanged, this, &TMainForm::PgCtlMainChange);
  resize(900, 640);
}

TMainForm::~TMainForm() = default;

TStyleSheetEditor& TMainForm::Editor() const {
  // What reaches the editor from outside may reach its popups.
  const_cast<TMainForm*>(this)->CompleteStartUp();
  return *editor_;
}

TImagesTab& TMainForm::ImagesTab() const {
  const_cast<TMainForm*>(this)->CompleteStartUp();
  return *imagesTab_;
}

TShowImageForm& TMainForm::ImagePicker() const {
  const_cast<TMainForm*>(this)->CompleteStartUp();
  return *picker_;
}

bool TMainForm::event(QEvent* event) {
  // The first paint is what the user waits for at start-up; what stays
  // hidden until it is needed comes after it.
  if (event->type() == QEvent::Paint && !startUpQueued_) {
    startUpQueued_ = true;
    QTimer::singleShot(0, this, &TMainForm::OpenOnScreen);
    QTimer::singleShot(0, this, &TMainForm::CompleteStartUp);
  }
  return QMainWindow::event(event);
}

void TMainForm::CompleteStartUp() {
  if (imagesTab_ != nullptr) return;
  // The value editors are popups of this window, made hidden. The font
  // picker's families are listed on a thread of their own meanwhile.
  editor_->CreatePopups(this);
  editor_->Dispatch().FontForm()->SetFontFamilies(StartListingInstalledFontFamilies());
  BuildImagesTab(launcher_);
  // Made while the stylesheet is read (after the first paint of a start with
  // a large stylesheet): it waits as the editor does.
  imagesTab_->setEnabled(!editor_->IsReading());
  // Shown only when a value asks for it.
  if (shown_) PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(imagesTab_), false);
}

void TMainForm::BuildImagesTab(ProgramLauncher& launcher) {
  imagesTab_ = new TImagesTab(launcher, [this] {
    const ProjectInfo& project = entry_->OpenedProject();
    return ImageProjectPaths{project.folder, editor_->CSSFilePath(), project.imagesFolder};
  });
  editor_->AttachTwinButtons(imagesTab_->SaveButton(), imagesTab_->LiveButton());
  PgCtlMain_->addTab(imagesTab_, QStringLiteral("&Images"));
  const auto tabIndex = [this] { return PgCtlMain_->indexOf(imagesTab_); };
  connect(imagesTab_, &TImagesTab::ShowRequested, this, [this, tabIndex] {
    picker_->hide();
    PgCtlMain_->setTabVisible(tabIndex(), true);
    PgCtlMain_->setCurrentWidget(imagesTab_);
  });
  connect(imagesTab_, &TImagesTab::HideRequested, this, [this, tabIndex] {
    if (PgCtlMain_->currentWidget() == imagesTab_) PgCtlMain_->setCurrentWidget(editor_);
    PgCtlMain_->setTabVisible(tabIndex(), false);
  });
  connect(imagesTab_, &TImagesTab::ValueWritten, this,
          [this](const QString& url) { statusBar()->showMessage(QStringLiteral("Image choisie : %1").arg(url)); });

  picker_ = new TShowImageForm(this, dm_.ScratchFolder(), FileOpenerOf(launcher));
  // A "ShowImage" cell opens the picker; the sub-grid's "url" choice, with
  // no picture yet, the Images tab.
  editor_->Dispatch().SetImagePicker(picker_);
  editor_->Dispatch().SetImageOpener(
      [this](const QString& value, const QRect& cell, std::function<void(const QString&)> writeBack) {
        if (value.trimmed().isEmpty()) {
          imagesTab_->ShowImagesTab(QString(), std::move(writeBack));
          return;
        }
        picker_->ShowValue(value, QFileInfo(editor_->CSSFilePath()).absolutePath() + QLatin1Char('/'), cell,
                           std::move(writeBack));
      });
  const QList<QToolButton*> browsers =
      editor_->AddOutsideToolButtons(*imagesTab_->BrowserButtonsSlot(), QStringLiteral("Img"));
  // Tab reads the tab: the pane's tool bar and the browser buttons beside
  // it, the folders, then the bottom row.
  QList<QWidget*> chain = imagesTab_->Pane().ToolBarControls();
  for (QToolButton* button : browsers) chain << button;
  chain << imagesTab_->Pane().FolderControls();
  chain << QList<QWidget*>{imagesTab_->OkButton(), imagesTab_->CancelButton(), imagesTab_->SaveButton(),
                           imagesTab_->LiveButton()};
  SetTabChain(chain);
  connect(picker_, &TShowImageForm::ImagesTabRequested, this,
          [this](const QString& value) { imagesTab_->ShowImagesTab(value, picker_->CurrentWriteBack()); });
}

// ---------------------------------------------------------------- start-up

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
  // Should no paint come (a window the platform never exposes), the hidden
  // parts are made all the same.
  QTimer::singleShot(kStartUpFallbackMs, this, [this] {
    OpenOnScreen();
    CompleteStartUp();
  });
}

void TMainForm::FormShow() {
  layout_->SetRestoring(true);
  PgCtlMain_->setCurrentWidget(entry_);
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), false);
  if (imagesTab_ != nullptr) PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(imagesTab_), false);

  // The window's place and size are restored before it maps. A stylesheet
  // read on a thread of its own, with a progress dialog over the window, is
  // read once the window has painted (OpenOnScreen): read from here, it
  // would hold the window off the screen until the read ended.
  if (!startStylesheet_.isEmpty()) {
    layout_->SetRestoring(false);
    layout_->SetColumnWidths();
    openOnScreen_ = [this] {
      OpenStartStylesheet();
      entry_->ShowProjectFolder();
    };
    if (!editor_->ReadsOnItsOwnThread(startStylesheet_)) OpenOnScreen();
    return;
  }
  const bool openNow = entry_->RestoreLastProject(*layout_);
  layout_->SetRestoring(false);
  layout_->SetColumnWidths();
  openOnScreen_ = [this, openNow] {
    if (openNow) entry_->OpenRestoredProject();
    entry_->ShowProjectFolder();
  };
  if (!openNow || !editor_->ReadsOnItsOwnThread(entry_->CSSFilePath())) OpenOnScreen();
}

void TMainForm::OpenOnScreen() {
  if (!openOnScreen_) return;
  const std::function<void()> open = std::move(openOnScreen_);
  openOnScreen_ = nullptr;
  open();
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (layout_) layout_->FormResize();
}

void TMainForm::PgCtlMainChange() {
  editor_->CommitPendingEdits();
  if (picker_ != nullptr) picker_->HideWithTab();
  editor_->HidePopups();
  if (imagesTab_ != nullptr && PgCtlMain_->currentWidget() != imagesTab_)
    PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(imagesTab_), false);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  StopWatchAndPreview();
}

bool TMainForm::FormCloseQuery() {
  if (!editor_->QueryClose()) return false;
  layout_->RecordWindowNow();
  dm_.Ini().SetTerminating(true);
  return true;
}

void TMainForm::ProjectOpened() {
  const ProjectInfo& project = entry_->OpenedProject();
  setWindowTitle(project.folder);
  if (!editor_->OpenStylesheet(project.stylesheet, project.page, project.stylesheetCaption)) return;
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), true);
  editor_->ShowFirstRule([this] { PgCtlMain_->setCurrentWidget(editor_); });
  // The watch took up the project when its stylesheet was read.
  StartPreview();
  editor_->OpenPage();
}

// Without a page there is nothing to preview or open: that waits for the
// user's "OK" on "Entrée".
void TMainForm::OpenStartStylesheet() {
  entry_->TakeStylesheet(startStylesheet_);
  const ProjectInfo& project = entry_->OpenedProject();
  setWindowTitle(project.folder);
  if (!editor_->OpenStylesheet(project.stylesheet, QString(), project.stylesheetCaption)) return;
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(editor_), true);
  editor_->ShowFirstRule([this] { PgCtlMain_->setCurrentWidget(editor_); });
}

// ------------------------------------------------------ the change watch

void TMainForm::StartWatch() {
  watch_ = std::make_unique<ChangeWatch>();
  SayWatchProblem();
  editor_->SetSaveCheck([this] {
    if (!watch_) return TStyleSheetEditor::SaveCheck::Write;
    // The question's own box may make the application active again.
    const QScopedValueRollback<bool> busy(activating_, true);
    ChangeDecision decision;
    try {
      decision = watch_->BeforeSave(true);
    } catch (const std::exception& error) {
      ShowError(error);
      return TStyleSheetEditor::SaveCheck::Keep;
    }
    if (decision.verdict == ChangeVerdict::Nothing) return TStyleSheetEditor::SaveCheck::Write;
    switch (ShowMessage(WithHistoryLoss(decision.message))) {
      case MessageAnswer::Yes: return TStyleSheetEditor::SaveCheck::Reload;
      case MessageAnswer::No: return TStyleSheetEditor::SaveCheck::Write;
      default: return TStyleSheetEditor::SaveCheck::Keep;
    }
  });
  // Queued: a question must not open inside the platform's own handling of
  // the activation.
  connect(
      qGuiApp, &QGuiApplication::applicationStateChanged, this,
      [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive) ApplicationEvents1Activate();
      },
      Qt::QueuedConnection);
}

void TMainForm::StylesheetRead(const QByteArray& bytes) {
  if (!watch_) return;
  // A new stylesheet is given to the watch once it has been read, so that
  // one that cannot be opened leaves the watch on the one still shown (and
  // on its project, which the "Entrée" page may no longer name).
  const QString stylesheet = editor_->CSSFilePath();
  if (stylesheet != watchedStylesheet_) {
    watch_->Watch(WatchFolderPath(entry_->OpenedProject().folder), Std(stylesheet));
    watchedStylesheet_ = stylesheet;
    SayWatchProblem();
  }
  watch_->Hold(View(bytes));
}

Message TMainForm::WithHistoryLoss(Message question) const {
  // A reload starts the history anew.
  if (editor_->Document().StepCount() > 0)
    question.text += "\n\nLes modifications ne pourront plus être annulées.";
  return question;
}

void TMainForm::SayWatchProblem() {
  if (const std::optional<std::string> problem = watch_->TakeProblem()) statusBar()->showMessage(FromStd(*problem));
}

void TMainForm::StylesheetWritten(const QByteArray& bytes) {
  if (watch_) watch_->Hold(View(bytes));
  // Pages that listen swap their stylesheets in place.
  if (preview_) preview_->NotifySaved();
}

void TMainForm::EditorReading(bool busy) {
  // The "Images" tab writes values into the rule shown, whose document is
  // about to be replaced.
  if (imagesTab_ != nullptr) imagesTab_->setEnabled(!busy);
  if (!busy && activationPending_) {
    activationPending_ = false;
    QTimer::singleShot(0, this, &TMainForm::ApplicationEvents1Activate);
  }
}

void TMainForm::ApplicationEvents1Activate() {
  // The question's own box may make the application active again.
  if (!watch_ || activating_) return;
  // While a stylesheet is read, the watch still holds the one shown: what it
  // would ask about may be replaced in a moment. It asks once the read ends.
  if (editor_->IsReading()) {
    activationPending_ = true;
    return;
  }
  const QScopedValueRollback<bool> busy(activating_, true);
  SayWatchProblem();
  ChangeDecision decision;
  try {
    decision = watch_->OnActivation(editor_->IsModified());
  } catch (const std::exception& error) {
    ShowError(error);
    return;
  }
  if (decision.verdict == ChangeVerdict::Nothing) return;
  const MessageAnswer answer = ShowMessage(
      decision.verdict == ChangeVerdict::AskModified ? WithHistoryLoss(decision.message) : decision.message);
  if (decision.verdict == ChangeVerdict::AskModified && answer == MessageAnswer::Ok) editor_->ReloadStylesheet();
}

// ------------------------------------------------------------ the preview

void TMainForm::StartPreview() {
  const ProjectInfo& opened = entry_->OpenedProject();
  const QString& project = opened.folder;
  if (!preview_ || previewedProject_ != project) {
    preview_.reset();
    previewedProject_.clear();
    try {
      preview_ = std::make_unique<PreviewServer>(WatchFolderPath(project));
    } catch (const std::exception& error) {
      statusBar()->showMessage(QStringLiteral("Aperçu indisponible : %1").arg(QString::fromUtf8(error.what())));
      return;
    }
    previewedProject_ = project;
  }
  // Under a local server the pages come from it, so that PHP runs; the
  // preview adds its script to them.
  if (!opened.useLocalServer) {
    preview_->ForwardTo({}, {});
    return;
  }
  const QString base = QLatin1String(kLocalServerBase);
  const QString projectAddress = PageAddress(opened.localServerFolder, true, project + QStringLiteral("index.html"));
  preview_->ForwardTo(Std(base.chopped(1)), Std(projectAddress.mid(base.size() - 1)));
}

void TMainForm::ShowPage() {
  if (preview_) {
    // While a page listens, the save has refreshed it; while a browser
    // starts, a second tab would be one too many.
    if (preview_->ClaimPageOpening()) OpenInBrowser(BrowserAddress());
    return;
  }
  OpenInBrowser(BrowserAddress());
}

// Said in the status bar, not in a box: the page opens on its own when the
// window is being shown (a box would come before the window) and at every
// save in live mode.
void TMainForm::OpenInBrowser(const QString& address) {
  if (!launcher_.OpenWithDefault(address))
    statusBar()->showMessage(QStringLiteral("Impossible d'ouvrir l'adresse « %1 » dans le navigateur.").arg(address));
}

QString TMainForm::BrowserAddress() const {
  const QString page = editor_->HTMLFilePath();
  if (preview_) {
    const std::string address = preview_->AddressOf(Std(page));
    if (!address.empty()) return FromStd(address);
  }
  const ProjectInfo& project = entry_->OpenedProject();
  return PageAddress(project.localServerFolder, project.useLocalServer, page);
}

void TMainForm::StopWatchAndPreview() {
  preview_.reset();
  previewedProject_.clear();
  watch_.reset();
  watchedStylesheet_.clear();
}

}  // namespace korvel
