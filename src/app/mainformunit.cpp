#include "app/mainformunit.h"

#include <QCloseEvent>
#include <QCollator>
#include <QComboBox>
#include <QFrame>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/controladapters.h"
#include "app/dmunit.h"
#include "app/imagelists.h"
#include "app/launcher.h"
#include "app/settingsstore.h"
#include "app/twindowlayout.h"
#include "core/messages.h"
#include "editors/gstringgrid.h"
#include "model/cssparser.h"
#include "model/csswriter.h"
#include "model/filebytes.h"
#include "model/ruletree.h"
#include "model/styleedit.h"

namespace korvel {

namespace {

const char* const kUnsavedQuestion = "La grille d'édition a été modifiée. \n Sauvegarder ?";
const char* const kEmptyCells = "Il y a des valeurs non renseignées dans la grille. \n Veuillez vérifier et corriger.";

enum InputRow { kRowFolder = 0, kRowPage = 1, kRowStylesheet = 2, kRowImages = 3, kRowServer = 4 };

// What a node of the rule tree stands for.
enum NodeRole { kNodeKind = Qt::UserRole };

std::string Std(const QString& path) { return path.toStdString(); }
QString FromStd(const std::string& path) { return QString::fromStdString(path); }

MessageAnswer Ask(const std::string& text, MessageButtons buttons) {
  return ShowMessage(Message{text, "", MessageKind::Question, buttons});
}

void Warn(const std::string& text) { ShowMessage(Message{text, "", MessageKind::Warning, MessageButtons::Ok}); }

void ShowError(const std::exception& error) {
  ShowMessage(Message{error.what(), std::string(kApplicationTitle), MessageKind::Error, MessageButtons::Ok});
}

bool IsCustomProperty(const QString& name) { return name.startsWith(QStringLiteral("--")); }

QToolButton* MakeButton(const QString& caption, const QPixmap& icon = {}) {
  auto* button = new QToolButton;
  button->setText(caption);
  if (!icon.isNull()) {
    button->setIcon(icon);
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
  }
  button->setAutoRaise(true);
  return button;
}

}  // namespace

TMainForm::TMainForm(TDM& dm, ProgramLauncher& launcher, SettingsStore& registry, QWidget* parent)
    : QMainWindow(parent),
      dm_(dm),
      launcher_(launcher),
      registry_(registry),
      dictionary_(KeywordDictionary::Load(Std(dm.DictionaryPath()))) {
  setWindowTitle(QStringLiteral("Korvel"));
  PgCtlMain_ = new QTabWidget(this);
  setCentralWidget(PgCtlMain_);
  BuildEntryTab();
  BuildEditTab();
  BuildImagesTab();
  layout_ = new TWindowLayout(*this, dm_,
                              TWindowLayout::Parts{SplitterTVLV_, SplitterLVSG_, SplitterEditTVSG_, InputGrid_,
                                                   PropertyGrid_});
  layout_->SetRestoring(true);  // until FormShow has restored it
  auto* save = new QShortcut(QKeySequence::Save, this);
  connect(save, &QShortcut::activated, this, [this] { SaveStylesheet(); });
  connect(PgCtlMain_, &QTabWidget::currentChanged, this, [this] {
    CommitPendingEdits();
    PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(tsImages_), false);
  });
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

void TMainForm::BuildEditTab() {
  tsEdit_ = new QWidget;
  auto* layout = new QVBoxLayout(tsEdit_);
  layout->setContentsMargins(2, 2, 2, 2);

  PgCtlCSS_ = new QTabWidget;
  PgCtlCSS_->setObjectName(QStringLiteral("PgCtlCSS"));
  TVCSS_ = new QTreeWidget;
  TVCSS_->setHeaderHidden(true);
  TVCSS_->setRootIsDecorated(true);
  TVCSS_->setMouseTracking(true);  // highlights the node under the mouse
  TVCSS_->setExpandsOnDoubleClick(false);
  TVCSS_->setIconSize(QSize(16, 16));
  // The keyboard (arrows, type-ahead) shows a rule as a click does.
  connect(TVCSS_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
    if (node && followTree_) TVCSSClick(node);
  });
  // Groups show their open picture while expanded.
  connect(TVCSS_, &QTreeWidget::itemExpanded, this,
          [](QTreeWidgetItem* item) { item->setIcon(0, TreeImageListPixmap(kTreeImageGroupOpen)); });
  connect(TVCSS_, &QTreeWidget::itemCollapsed, this,
          [](QTreeWidgetItem* item) { item->setIcon(0, TreeImageListPixmap(kTreeImageGroup)); });
  PgCtlCSS_->addTab(TVCSS_, QString());

  tsGrid_ = new QWidget;
  auto* gridLayout = new QVBoxLayout(tsGrid_);
  gridLayout->setContentsMargins(1, 3, 1, 3);
  auto* Panel6 = new QHBoxLayout;
  sbDelete_ = MakeButton(QStringLiteral("Supprimer"), ImageListPixmap(kImageDelete));
  sbDelete_->setToolTip(QStringLiteral("Supprimer la propriété sélectionnée (un second clic la rétablit)"));
  sbAdd_ = MakeButton(QStringLiteral("Ajouter"), ImageListPixmap(kImageAdd));
  sbAdd_->setToolTip(QStringLiteral("Ajouter une propriété"));
  CBAdd_ = new QComboBox;
  CBAdd_->setEditable(false);
  CBAdd_->setMinimumContentsLength(18);
  CBAdd_->setVisible(false);
  sbOK_ = MakeButton(QStringLiteral("OK"), ImageListPixmap(kImageOk));
  sbOK_->setVisible(false);
  TBBorder_ = MakeButton(QString(), ImageListPixmap(kImageBorder));
  TBBorder_->setToolTip(QStringLiteral("Entourer la règle d'une bordure pointillée"));
  Panel6->addWidget(sbDelete_);
  Panel6->addWidget(sbAdd_);
  Panel6->addWidget(CBAdd_);
  Panel6->addWidget(sbOK_);
  Panel6->addStretch(1);
  Panel6->addWidget(TBBorder_);
  gridLayout->addLayout(Panel6);

  std::vector<std::string> names = dictionary_.KeywordNames();
  QStringList items;
  for (const std::string& name : names) {
    // "--*" stands for every custom property; it is not a name to add.
    if (name.find('*') == std::string::npos) items << QString::fromStdString(name);
  }
  items.sort();
  CBAdd_->addItems(items);
  CBAdd_->setCurrentIndex(-1);
  connect(sbAdd_, &QToolButton::clicked, this, [this] {
    CBAdd_->setVisible(true);
    CBAdd_->setFocus();
    CBAdd_->showPopup();
  });
  connect(CBAdd_, &QComboBox::activated, this, [this] { sbOK_->setVisible(true); });
  connect(sbOK_, &QToolButton::clicked, this, [this] { AddProperty(CBAdd_->currentText()); });
  connect(sbDelete_, &QToolButton::clicked, this, &TMainForm::DeleteProperty);
  connect(TBBorder_, &QToolButton::clicked, this, &TMainForm::BorderClick);

  PropertyGrid_ = new GStringGrid(tsGrid_);
  ConfigureAsPropertyGrid(*PropertyGrid_);
  PropertyGrid_->SetImages(MakeImageList());
  gridLayout->addWidget(PropertyGrid_, 1);
  ruleInfo_ = new QLabel;
  ruleInfo_->setWordWrap(true);
  ruleInfo_->setVisible(false);
  gridLayout->addWidget(ruleInfo_);
  connect(PropertyGrid_, &GStringGrid::OnMouseDown, this,
          [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPoint position) {
            if (button == Qt::LeftButton) PropertyGridMouseDown(position);
          });
  connect(PropertyGrid_, &GStringGrid::OnComboChange, this, &TMainForm::PropertyGridComboChange);
  connect(PropertyGrid_, &GStringGrid::OnEditCommit, this,
          [this](int, int, const QString&, const QString&) { MarkModified(liveMode_, true, false); });

  PGCtlEdit_ = new QTabWidget;
  PGCtlEdit_->addTab(tsGrid_, QString());

  SplitterEditTVSG_ = new QSplitter(Qt::Horizontal);
  SplitterEditTVSG_->addWidget(PgCtlCSS_);
  SplitterEditTVSG_->addWidget(PGCtlEdit_);
  SplitterEditTVSG_->setStretchFactor(1, 1);
  SplitterEditTVSG_->setSizes({260, 600});
  layout->addWidget(SplitterEditTVSG_, 1);

  auto* Panel3 = new QHBoxLayout;
  sbSaveModifs_ = MakeButton(QStringLiteral("Sauvegarder"), ImageListPixmap(kImageSave));
  sbSaveModifs_->setEnabled(false);
  sbSaveModifs_->setToolTip(QStringLiteral("Enregistrer la feuille de style"));
  sbLed_ = MakeButton(QStringLiteral("Direct"), ImageListPixmap(kImageLive));
  sbLed_->setCheckable(true);
  sbLed_->setToolTip(QStringLiteral("Mode direct : enregistrer et rafraîchir la page après chaque changement"));
  connect(sbSaveModifs_, &QToolButton::clicked, this, [this] { SaveStylesheet(); });
  connect(sbLed_, &QToolButton::clicked, this, [this] { SetLiveMode(!liveMode_); });
  Panel3->addWidget(sbSaveModifs_);
  Panel3->addWidget(sbLed_);
  Panel3->addStretch(1);
  layout->addLayout(Panel3);

  PgCtlMain_->addTab(tsEdit_, QStringLiteral("Edition"));
}

void TMainForm::BuildImagesTab() {
  tsImages_ = new QWidget;
  auto* layout = new QVBoxLayout(tsImages_);
  layout->addStretch(1);
  auto* Panel2 = new QHBoxLayout;
  sbSaveImgModifs_ = MakeButton(QStringLiteral("Sauvegarder"), ImageListPixmap(kImageSave));
  sbSaveImgModifs_->setEnabled(false);
  sbLedImg_ = MakeButton(QStringLiteral("Direct"), ImageListPixmap(kImageLive));
  sbLedImg_->setCheckable(true);
  connect(sbSaveImgModifs_, &QToolButton::clicked, this, [this] { SaveStylesheet(); });
  connect(sbLedImg_, &QToolButton::clicked, this, [this] { SetLiveMode(!liveMode_); });
  Panel2->addWidget(sbSaveImgModifs_);
  Panel2->addWidget(sbLedImg_);
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
  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(tsEdit_), false);
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

void TMainForm::closeEvent(QCloseEvent* event) {
  CommitPendingEdits();
  if (IsModified()) {
    switch (Ask(kUnsavedQuestion, MessageButtons::YesNoCancel)) {
      case MessageAnswer::Yes:
        if (!SaveStylesheet()) {
          event->ignore();
          return;
        }
        break;
      case MessageAnswer::No: break;
      default: event->ignore(); return;
    }
  }
  layout_->RecordWindowNow();
  dm_.Ini().SetTerminating(true);
  event->accept();
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
  PgCtlCSS_->setTabText(0, InputGrid_->CellText(1, kRowStylesheet));
  RemoveStaleTemporaries(Std(QFileInfo(CSSFilePath_).absolutePath()));
  LoadStylesheet();
  if (!document_) return;  // the stylesheet could not be read: said already

  PgCtlMain_->setTabVisible(PgCtlMain_->indexOf(tsEdit_), true);
  {
    const QScopedValueRollback<bool> quiet(followTree_, false);
    PgCtlMain_->setCurrentWidget(tsEdit_);
    TVCSS_->setFocus();
  }
  // The first rule of the tree: the first top-level rule, or the first rule
  // of the first group.
  for (int i = 0; i < TVCSS_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = TVCSS_->topLevelItem(i);
    if (node->data(0, kNodeKind).toInt() == static_cast<int>(RuleTreeNode::Kind::Group)) {
      if (node->childCount() == 0) continue;
      node = node->child(0);
    } else if (node->data(0, kNodeKind).toInt() != static_cast<int>(RuleTreeNode::Kind::Rule)) {
      continue;
    }
    SelectRule(node, true);
    break;
  }
  OpenPage();
}

void TMainForm::OpenPage() {
  // Said in the status bar: a machine without a browser must not stop the
  // user at every save in live mode.
  if (!HTMLFilePath_.isEmpty() && !launcher_.OpenWithDefault(HTMLFilePath_))
    statusBar()->showMessage(QStringLiteral("Impossible d'ouvrir la page « %1 » dans le navigateur.").arg(HTMLFilePath_));
}

// ---------------------------------------------------------------- the rule tree

void TMainForm::LoadStylesheet() {
  try {
    const std::string css = ReadFileBytes(Std(CSSFilePath_));
    auto document = std::make_unique<StyleDocument>(ReadStylesheet(css));
    encoding_ = DetectEncoding(css);
    document_ = std::move(document);
  } catch (const std::exception& error) {
    ShowError(error);  // the previous document and tree stay
    return;
  }
  FillRuleTree();
}

void TMainForm::FillRuleTree() {
  const QScopedValueRollback<bool> quiet(followTree_, false);
  TVCSS_->clear();
  shownRule_.clear();
  std::vector<RuleTreeNode> nodes = BuildRuleTree(*document_);

  // Sorting compares precomputed collation keys: locale-aware, and case
  // counts, as users of the platform expect of a sorted list.
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseSensitive);
  collator.setNumericMode(false);
  std::unordered_map<std::string, QCollatorSortKey> keys;
  std::function<void(const std::vector<RuleTreeNode>&)> makeKeys = [&](const std::vector<RuleTreeNode>& level) {
    for (const RuleTreeNode& node : level) {
      if (!keys.contains(node.text)) keys.emplace(node.text, collator.sortKey(Text(node.text)));
      makeKeys(node.children);
    }
  };
  makeKeys(nodes);
  SortRuleTree(nodes, [&](const RuleTreeNode& a, const RuleTreeNode& b) {
    return keys.at(a.text).compare(keys.at(b.text)) < 0;
  });

  const QList<QPixmap> images = MakeTreeImageList();
  auto makeItem = [&](const RuleTreeNode& node) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, Text(node.text));
    item->setData(0, kNodeKind, static_cast<int>(node.kind));
    switch (node.kind) {
      case RuleTreeNode::Kind::Group: item->setIcon(0, images.value(kTreeImageGroup)); break;
      case RuleTreeNode::Kind::Rule: item->setIcon(0, images.value(kTreeImageRule)); break;
      case RuleTreeNode::Kind::Verbatim:
        item->setIcon(0, images.value(kTreeImageVerbatim));
        item->setForeground(0, TVCSS_->palette().color(QPalette::Disabled, QPalette::Text));
        item->setToolTip(0, Text(node.element.TextOf()));
        break;
    }
    return item;
  };
  QList<QTreeWidgetItem*> top;
  for (const RuleTreeNode& node : nodes) {
    QTreeWidgetItem* item = makeItem(node);
    for (const RuleTreeNode& child : node.children) item->addChild(makeItem(child));
    top.append(item);
  }
  TVCSS_->addTopLevelItems(top);
}

QTreeWidgetItem* TMainForm::FindNode(const QString& text) const {
  for (int i = 0; i < TVCSS_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = TVCSS_->topLevelItem(i);
    const bool isGroup = node->data(0, kNodeKind).toInt() == static_cast<int>(RuleTreeNode::Kind::Group);
    if (!isGroup && node->text(0) == text) return node;
    for (int k = 0; k < node->childCount(); ++k) {
      if (node->child(k)->text(0) == text) return node->child(k);
    }
  }
  return nullptr;
}

void TMainForm::TVCSSClick(QTreeWidgetItem* node) { SelectRule(node, false); }

bool TMainForm::SelectRule(QTreeWidgetItem* node, bool select) {
  if (!node) return false;
  // What this does to the tree's current node is not a choice of the user.
  const QScopedValueRollback<bool> quiet(followTree_, false);
  // The node may be gone once a save has reloaded the tree: keep what names it.
  const QString text = node->text(0);
  const auto kind = static_cast<RuleTreeNode::Kind>(node->data(0, kNodeKind).toInt());
  if (select) TVCSS_->setCurrentItem(node);
  CommitPendingEdits();

  if (IsModified()) {
    if (Ask(kUnsavedQuestion, MessageButtons::YesNo) == MessageAnswer::Yes) {
      if (!SaveStylesheet()) {
        // The edits stay in the grid, and so does the rule they belong to.
        if (QTreeWidgetItem* shown = FindNode(shownRule_)) TVCSS_->setCurrentItem(shown);
        return false;
      }
      node = kind == RuleTreeNode::Kind::Group ? nullptr : FindNode(text);
      if (node) TVCSS_->setCurrentItem(node);
    } else {
      SetModified(false);
      reloadAfterSave_ = false;
      if (kind == RuleTreeNode::Kind::Group) return true;
      FillPropertyGrid(shownRule_);  // the dropped edits leave the grid too
    }
  }
  if (kind == RuleTreeNode::Kind::Group) {
    if (QTreeWidgetItem* group = TVCSS_->currentItem()) group->setExpanded(true);
    return true;
  }
  ruleInfo_->setVisible(kind == RuleTreeNode::Kind::Verbatim);
  if (kind == RuleTreeNode::Kind::Verbatim) {
    shownRule_.clear();
    PGCtlEdit_->setTabText(0, text);
    ruleInfo_->setText(QStringLiteral("« %1 » est conservé tel quel à l'enregistrement ; il ne se modifie pas ici.")
                           .arg(text));
    PropertyGrid_->SetRowCount(0);
    return true;
  }
  shownRule_ = text;
  PGCtlEdit_->setTabText(0, text);
  FillPropertyGrid(text);
  return true;
}

// ---------------------------------------------------------------- the grid

void TMainForm::FillPropertyGrid(const QString& ruleName) {
  PropertyGrid_->CancelEdit();
  PropertyGrid_->SetComboVisible(false);
  int row = 0;
  const XmlElement rule = (document_ && !ruleName.isEmpty()) ? document_->FindRule(Bytes(ruleName)) : XmlElement();
  std::vector<XmlElement> props;
  if (rule) {
    for (XmlElement child : rule.Elements()) {
      // A deleted property is no longer in the file; it must not come back.
      if (IsProp(child) && !child.GetAttr(attrs::kDeleted).IsTrue()) props.push_back(child);
    }
  }
  // One repaint for the whole rule, not one per cell.
  PropertyGrid_->setUpdatesEnabled(false);
  PropertyGrid_->SetRowCount(static_cast<int>(props.size()));
  for (XmlElement prop : props) {
    PropertyGrid_->SetCheckBox(0, row, prop.GetAttr(attrs::kChecked).IsTrue());
    PropertyGrid_->SetDeleted(0, row, false);
    PropertyGrid_->SetCellText(0, row, Text(prop.GetAttr(attrs::kName).View()));
    PropertyGrid_->SetCellText(1, row, Text(prop.GetAttr(attrs::kValue).View()));
    ++row;
  }
  if (row > 0) PropertyGrid_->SetCurrentRow(0);
  PropertyGrid_->setUpdatesEnabled(true);
}

void TMainForm::WriteGridToDocument() {
  if (!document_ || shownRule_.isEmpty()) return;
  PropertyGrid_->CommitEdit();
  StyleEdit edit(*document_);
  const std::string rule = Bytes(shownRule_);
  for (int row = 0; row < PropertyGrid_->RowCount(); ++row) {
    const XmlElement prop = edit.AddProp(rule, Bytes(PropertyGrid_->CellText(0, row)));
    if (!prop) return;  // the rule is gone
    StyleEdit::SetChecked(prop, PropertyGrid_->IsChecked(0, row));
    if (PropertyGrid_->IsDeleted(0, row)) {
      StyleEdit::MarkDeleted(prop);
      PropertyGrid_->SetDeleted(0, row, false);
    }
    StyleEdit::SetValue(prop, Bytes(PropertyGrid_->CellText(1, row)));
  }
}

bool TMainForm::ValidateGrid() {
  PropertyGrid_->CommitEdit();
  for (int row = 0; row < PropertyGrid_->RowCount(); ++row) {
    const QString name = PropertyGrid_->CellText(0, row);
    // A custom property may hold an empty value ("--x: ;"); no other may.
    const bool valueMissing = PropertyGrid_->CellText(1, row).trimmed().isEmpty() && !IsCustomProperty(name);
    if (name.isEmpty() || valueMissing) {
      if (PropertyGrid_->IsDeleted(0, row)) continue;  // it will not be written
      Warn(kEmptyCells);
      return false;
    }
  }
  for (int row = 0; row < PropertyGrid_->RowCount(); ++row) {
    if (PropertyGrid_->IsDeleted(0, row)) continue;
    const std::string problem =
        DeclarationProblem(Bytes(PropertyGrid_->CellText(0, row)), Bytes(PropertyGrid_->CellText(1, row)));
    if (!problem.empty()) {
      PropertyGrid_->SetCurrentRow(row);
      Warn(problem);
      return false;
    }
  }
  return true;
}

void TMainForm::SetModified(bool modified) {
  modified_ = modified;
  sbSaveModifs_->setEnabled(modified);
  sbSaveImgModifs_->setEnabled(modified);
}

void TMainForm::MarkModified(bool live, bool enable, bool reload) {
  SetModified(false);
  // A reload asked for by an earlier change still has to happen at the save.
  reloadAfterSave_ = reloadAfterSave_ || reload;
  if (live) {
    if (SaveStylesheet()) OpenPage();
  } else if (enable) {
    SetModified(true);
  }
}

void TMainForm::CommitPendingEdits() {
  PropertyGrid_->CommitCombo();
  PropertyGrid_->CommitEdit();
}

bool TMainForm::SaveStylesheet() {
  if (!document_) return false;
  {
    // A value still being typed is part of what is saved; committing it
    // must not save on its own in live mode.
    const bool live = liveMode_;
    liveMode_ = false;
    CommitPendingEdits();
    liveMode_ = live;
  }
  if (!ValidateGrid()) {
    SetModified(true);
    return false;
  }
  WriteGridToDocument();
  if (!WriteStylesheetFile()) {
    SetModified(true);  // the file on disk is as it was; the edits stay to save again
    return false;
  }
  ownSavePending_ = true;
  SetModified(false);
  if (reloadAfterSave_) {
    reloadAfterSave_ = false;
    const QString shown = shownRule_;
    // The tree comes back as the user left it: the same groups open, the
    // shown rule selected and in view.
    QStringList openGroups;
    for (int i = 0; i < TVCSS_->topLevelItemCount(); ++i) {
      if (TVCSS_->topLevelItem(i)->isExpanded()) openGroups << TVCSS_->topLevelItem(i)->text(0);
    }
    LoadStylesheet();
    for (int i = 0; i < TVCSS_->topLevelItemCount(); ++i) {
      QTreeWidgetItem* group = TVCSS_->topLevelItem(i);
      if (openGroups.contains(group->text(0))) group->setExpanded(true);
    }
    if (QTreeWidgetItem* node = FindNode(shown)) {
      SelectRule(node, true);
      TVCSS_->scrollToItem(node);
    } else {
      PropertyGrid_->SetRowCount(0);
    }
  }
  return true;
}

bool TMainForm::WriteStylesheetFile() {
  const std::string bytes = Write(*document_);
  WriteOptions options;
  options.replaceReadOnly = replaceReadOnlyAgreed_ == CSSFilePath_;
  try {
    WriteFileAtomically(Std(CSSFilePath_), bytes, options);
    return true;
  } catch (const ReadOnlyFileError&) {
    const std::string question = "Le fichier « " + Std(CSSFilePath_) +
                                 " » est en lecture seule.\nLe remplacer quand même par la feuille modifiée ?";
    if (Ask(question, MessageButtons::YesNo) != MessageAnswer::Yes) return false;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
  // Asked once for this file: live mode must not ask at every change.
  replaceReadOnlyAgreed_ = CSSFilePath_;
  options.replaceReadOnly = true;
  try {
    WriteFileAtomically(Std(CSSFilePath_), bytes, options);
    return true;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
}

void TMainForm::PropertyGridMouseDown(QPoint position) {
  int column = -1;
  int row = -1;
  if (!PropertyGrid_->CellAt(position, &column, &row)) return;
  const int hit = PropertyGrid_->ClickCheckBox(position.x(), position.y());
  if (hit == 1 || hit == 2) {
    MarkModified(liveMode_, true, false);
  } else if (column == 1) {
    OpenValueEditor(column, row);
  }
}

void TMainForm::OpenValueEditor(int column, int row) {
  if (column != 1 || row < 0) return;
  const std::string name = Bytes(PropertyGrid_->CellText(0, row));
  const QString value = PropertyGrid_->CellText(1, row);
  // A property the dictionary offers words for gets the list; any other
  // value is edited in place.
  const XmlElement entry = dictionary_.FindKeyword(name);
  if (entry && entry.GetAttr("EditMode") == "combo" && dictionary_.PrepareKeyword(name, Bytes(value))) {
    try {
      PropertyGrid_->FillComboFromNode(dictionary_.Active().FindMember(name));
    } catch (const std::exception& error) {
      ShowError(error);
    }
    PropertyGrid_->ShowComboAt(1, row);
    PropertyGrid_->SetComboText(value);
    return;
  }
  PropertyGrid_->SetComboVisible(false);
  PropertyGrid_->ShowEditAt(1, row);
  PropertyGrid_->SetEditText(value);
}

void TMainForm::PropertyGridComboChange() {
  const int row = PropertyGrid_->ComboRow();
  if (row < 0 || row >= PropertyGrid_->RowCount()) return;
  PropertyGrid_->SetCellText(1, row, PropertyGrid_->ComboText());
  MarkModified(liveMode_, true, false);
}

void TMainForm::AddProperty(const QString& name) {
  if (name.isEmpty() || shownRule_.isEmpty()) return;
  const int row = PropertyGrid_->RowCount();
  PropertyGrid_->SetRowCount(row + 1);
  PropertyGrid_->SetCurrentRow(row);
  PropertyGrid_->SetCheckBox(0, row, true);
  PropertyGrid_->SetCellText(0, row, name);
  PropertyGrid_->SetCellText(1, row, QString());
  MarkModified(false, true, false);
  OpenValueEditor(1, row);
  CBAdd_->setVisible(false);
  sbOK_->setVisible(false);
}

void TMainForm::DeleteProperty() {
  const int row = PropertyGrid_->CurrentRow();
  if (row < 0 || row >= PropertyGrid_->RowCount()) return;
  PropertyGrid_->SetDeleted(0, row, !PropertyGrid_->IsDeleted(0, row));
  MarkModified(liveMode_, true, true);
}

void TMainForm::BorderClick() {
  if (shownRule_.isEmpty() || !document_ || !document_->FindRule(Bytes(shownRule_))) return;
  // Through the grid, so that the save that follows writes it and no row
  // holding an older border overwrites it.
  int row = 0;
  while (row < PropertyGrid_->RowCount() && PropertyGrid_->CellText(0, row) != QStringLiteral("border")) ++row;
  if (row == PropertyGrid_->RowCount()) {
    PropertyGrid_->SetRowCount(row + 1);
    PropertyGrid_->SetCellText(0, row, QStringLiteral("border"));
  }
  PropertyGrid_->SetCheckBox(0, row, true);
  PropertyGrid_->SetDeleted(0, row, false);
  PropertyGrid_->SetCellText(1, row, QStringLiteral("1px dotted black"));
  MarkModified(liveMode_, true, true);
  if (IsModified()) SaveStylesheet();
}

void TMainForm::SetLiveMode(bool on) {
  liveMode_ = on;
  sbLed_->setChecked(on);
  sbLedImg_->setChecked(on);
}

}  // namespace korvel
