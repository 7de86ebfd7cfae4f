#include "app/tstylesheeteditor.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QStyle>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>

#include "icons/imagelists.h"
#include "app/launcher.h"
#include "app/stylesheetreader.h"
#include "app/tcelldispatch.h"
#include "app/windowhelpers.h"
#include "editors/gstringgrid.h"
#include "editors/tabcaption.h"
#include "model/cssparser.h"
#include "model/csssyntaxcheck.h"
#include "model/csswriter.h"
#include "model/filebytes.h"

namespace korvel {

namespace {

const char* const kUnsavedQuestion = "La grille d'édition a été modifiée.\nSauvegarder ?";
const char* const kEmptyCells = "Il y a des valeurs non renseignées dans la grille.\nVeuillez vérifier et corriger.";

// A node of the rule tree: what it stands for is its type, and it holds its
// rule, block or statement (none for a group).
class RuleItem final : public QTreeWidgetItem {
 public:
  RuleItem(RuleTreeNode::Kind kind, ConstXmlElement element)
      : QTreeWidgetItem(QTreeWidgetItem::UserType + static_cast<int>(kind)), element_(element) {}
  [[nodiscard]] ConstXmlElement Element() const { return element_; }

 private:
  ConstXmlElement element_;
};

RuleTreeNode::Kind KindOf(const QTreeWidgetItem* node) {
  return static_cast<RuleTreeNode::Kind>(node->type() - QTreeWidgetItem::UserType);
}

ConstXmlElement ElementOf(const QTreeWidgetItem* node) { return static_cast<const RuleItem*>(node)->Element(); }

// The first node under `parent`, top to bottom, that `match` takes.
QTreeWidgetItem* FirstNode(QTreeWidgetItem* parent, const std::function<bool(const QTreeWidgetItem*)>& match) {
  for (int i = 0; i < parent->childCount(); ++i) {
    QTreeWidgetItem* node = parent->child(i);
    if (match(node)) return node;
    if (QTreeWidgetItem* found = FirstNode(node, match)) return found;
  }
  return nullptr;
}

// Whether a rule is an at-rule holding descriptors ("@font-face", "@page"),
// whose names are not all CSS properties.
bool HoldsDescriptors(ConstXmlElement rule) { return rule && rule.GetAttr(attrs::kName).View().starts_with('@'); }

// Opens the groups, blocks and rules a node stands in, so that it shows.
void OpenAncestors(QTreeWidgetItem* node) {
  for (QTreeWidgetItem* parent = node->parent(); parent; parent = parent->parent()) parent->setExpanded(true);
}

bool IsCustomProperty(const QString& name) { return name.startsWith(QStringLiteral("--")); }

// The names of a rule and of the blocks around it, which is all its caption
// says; PlaceOf would also count the same-named siblings before each, a walk
// over the whole stylesheet for a rule near its end.
RulePlace NamesOf(ConstXmlElement element) {
  RulePlace place;
  for (; element && (IsRule(element) || IsBlock(element)); element = element.Parent())
    place.steps.push_back({std::string(element.TagOf()), std::string(element.GetAttr(attrs::kName).View())});
  std::reverse(place.steps.begin(), place.steps.end());
  return place;
}

}  // namespace

TStyleSheetEditor::TStyleSheetEditor(const QString& dictionaryPath, ProgramLauncher& launcher, QWidget* parent)
    : QWidget(parent),
      launcher_(launcher),
      tools_(launcher),
      dictionary_(KeywordDictionary::Load(Std(dictionaryPath))) {
  auto* layout = new QVBoxLayout(this);
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
  // Thousands of rules: rows of one height spare the view measuring each.
  TVCSS_->setUniformRowHeights(true);
  // Groups show their open picture while expanded.
  connect(TVCSS_, &QTreeWidget::itemExpanded, this, [](QTreeWidgetItem* item) {
    if (KindOf(item) == RuleTreeNode::Kind::Group) item->setIcon(0, TreeImageListPixmap(kTreeImageGroupOpen));
  });
  connect(TVCSS_, &QTreeWidget::itemCollapsed, this, [](QTreeWidgetItem* item) {
    if (KindOf(item) == RuleTreeNode::Kind::Group) item->setIcon(0, TreeImageListPixmap(kTreeImageGroup));
  });
  PgCtlCSS_->addTab(TVCSS_, QString());

  tsGrid_ = new QWidget;
  auto* gridLayout = new QVBoxLayout(tsGrid_);
  gridLayout->setContentsMargins(1, 3, 1, 3);
  auto* Panel6 = new QHBoxLayout;
  sbDelete_ = MakeButton(QStringLiteral("Su&pprimer"), ImageListPixmap(kImageDelete));
  sbDelete_->setObjectName(QStringLiteral("sbDelete"));
  sbDelete_->setToolTip(QStringLiteral("Supprimer la propriété sélectionnée (un second clic la rétablit)"));
  sbAdd_ = MakeButton(QStringLiteral("&Ajouter"), ImageListPixmap(kImageAdd));
  sbAdd_->setObjectName(QStringLiteral("sbAdd"));
  sbAdd_->setToolTip(QStringLiteral("Ajouter une propriété"));
  CBAdd_ = new QComboBox;
  CBAdd_->setEditable(false);
  CBAdd_->setMinimumContentsLength(18);
  CBAdd_->setVisible(false);
  sbOK_ = MakeButton(QStringLiteral("OK"), ImageListPixmap(kImageOk));
  sbOK_->setVisible(false);
  TBBorder_ = MakeButton(QString(), ImageListPixmap(kImageBorder));
  TBBorder_->setObjectName(QStringLiteral("TBBorder"));
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
  connect(sbDelete_, &QToolButton::clicked, this, &TStyleSheetEditor::DeleteProperty);
  connect(TBBorder_, &QToolButton::clicked, this, &TStyleSheetEditor::BorderClick);

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
            if (button == Qt::LeftButton) Dispatch().PropertyGridMouseDown(position);
          });
  connect(PropertyGrid_, &GStringGrid::OnComboChange, this, [this] { Dispatch().PropertyGridComboChange(); });
  connect(PropertyGrid_, &GStringGrid::OnEditCommit, this,
          [this](int, int, const QString&, const QString&) { MarkModified(); });

  PGCtlEdit_ = new QTabWidget;
  PGCtlEdit_->setObjectName(QStringLiteral("PGCtlEdit"));
  PGCtlEdit_->addTab(tsGrid_, QString());
  lbChanges_ = new QListWidget;
  lbChanges_->setObjectName(QStringLiteral("lbChanges"));
  lbChanges_->setToolTip(QStringLiteral("Les modifications depuis l'ouverture de la feuille de style, la plus récente en "
                                        "premier ; un clic montre sa règle"));
  PGCtlEdit_->addTab(lbChanges_, QStringLiteral("Modifications"));
  // Queued: showing the rule may add a step (a value being typed is
  // committed), which fills the list again; not while it handles the click.
  connect(
      lbChanges_, &QListWidget::itemClicked, this,
      [this](QListWidgetItem* item) {
        const int row = lbChanges_->row(item);
        QMetaObject::invokeMethod(this, [this, row] { ChangeListClick(row); }, Qt::QueuedConnection);
      });

  SplitterEditTVSG_ = new QSplitter(Qt::Horizontal);
  SplitterEditTVSG_->addWidget(PgCtlCSS_);
  SplitterEditTVSG_->addWidget(PGCtlEdit_);
  SplitterEditTVSG_->setStretchFactor(1, 1);
  SplitterEditTVSG_->setSizes({260, 600});
  layout->addWidget(SplitterEditTVSG_, 1);

  auto* Panel3 = new QHBoxLayout;
  sbSaveModifs_ = MakeButton(QStringLiteral("&Sauvegarder"), ImageListPixmap(kImageSave));
  sbSaveModifs_->setObjectName(QStringLiteral("sbSaveModifs"));
  sbSaveModifs_->setEnabled(false);
  sbSaveModifs_->setToolTip(QStringLiteral("Enregistrer la feuille de style"));
  sbLed_ = MakeButton(QStringLiteral("&Direct"), ImageListPixmap(kImageLive));
  sbLed_->setObjectName(QStringLiteral("sbLed"));
  sbLed_->setCheckable(true);
  sbLed_->setToolTip(QStringLiteral("Mode direct : enregistrer et rafraîchir la page après chaque changement"));
  connect(sbSaveModifs_, &QToolButton::clicked, this, [this] { SaveStylesheet(); });
  connect(sbLed_, &QToolButton::clicked, this, [this] { SetLiveMode(!liveMode_); });
  sbUndo_ = MakeButton(QStringLiteral("Annuler"), style()->standardIcon(QStyle::SP_ArrowBack).pixmap(16, 16));
  sbUndo_->setObjectName(QStringLiteral("sbUndo"));
  sbRedo_ = MakeButton(QStringLiteral("Rétablir"), style()->standardIcon(QStyle::SP_ArrowForward).pixmap(16, 16));
  sbRedo_->setObjectName(QStringLiteral("sbRedo"));
  connect(sbUndo_, &QToolButton::clicked, this, &TStyleSheetEditor::Undo);
  connect(sbRedo_, &QToolButton::clicked, this, &TStyleSheetEditor::Redo);
  Panel3->addWidget(sbSaveModifs_);
  Panel3->addWidget(sbLed_);
  Panel3->addWidget(sbUndo_);
  Panel3->addWidget(sbRedo_);
  const QList<QToolButton*> outside = AddOutsideToolButtons(*Panel3);
  Panel3->addStretch(1);
  layout->addLayout(Panel3);

  // Tab goes through the page as it reads: the rules, the grid's buttons,
  // the grid, the bottom row. The panes' tab bars are no stops.
  PgCtlCSS_->setFocusPolicy(Qt::NoFocus);
  PGCtlEdit_->setFocusPolicy(Qt::NoFocus);
  SetTabChain({TVCSS_, sbDelete_, sbAdd_, CBAdd_, sbOK_, TBBorder_, PropertyGrid_, sbSaveModifs_, sbLed_, sbUndo_, sbRedo_});
  QWidget* previous = sbRedo_;
  for (QToolButton* button : outside) {
    QWidget::setTabOrder(previous, button);
    previous = button;
  }

  auto* save = new QShortcut(QKeySequence::Save, this);
  connect(save, &QShortcut::activated, this, [this] { SaveStylesheet(); });
  // Ctrl+Y too, which users of other desktops expect for "redo".
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this), &QShortcut::activated, this,
          &TStyleSheetEditor::Undo);
  for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
    connect(new QShortcut(keys, this), &QShortcut::activated, this, &TStyleSheetEditor::Redo);

  document_.OnModifiedChanged([this](bool modified) {
    sbSaveModifs_->setEnabled(modified);
    if (sbSaveImgModifs_) sbSaveImgModifs_->setEnabled(modified);
  });
  document_.OnHistoryChanged([this] { ShowHistory(); });
  ShowHistory();

  itemMaker_ = MakeItemMaker();
  progressTimer_ = new QTimer(this);
  progressTimer_->setSingleShot(true);
  connect(progressTimer_, &QTimer::timeout, this, &TStyleSheetEditor::ShowReadProgress);
}

TStyleSheetEditor::~TStyleSheetEditor() = default;

bool TStyleSheetEditor::OpenStylesheet(const QString& cssFile, const QString& htmlFile, const QString& caption) {
  // The grid's edits go into the file they were made in, before another
  // reading (of this file or another one) replaces them.
  std::optional<std::size_t> droppedFrom;
  if (!SettleUnsavedEdits(&droppedFrom)) return false;
  RemoveStaleTemporaries(Std(QFileInfo(cssFile).absolutePath()));
  switch (ReadAndShow(cssFile)) {
    case ReadOutcome::Shown: break;
    case ReadOutcome::Failed:
    case ReadOutcome::Cancelled:
      // The document shown is still the previous file's: a save goes there,
      // and the edits the user gave up for the other one are back.
      if (droppedFrom && document_.GoTo(*droppedFrom)) FillPropertyGrid();
      return false;
    case ReadOutcome::Superseded: return false;  // a later request decides what is shown
  }
  HTMLFilePath_ = htmlFile;
  PgCtlCSS_->setTabText(0, PlainCaption(caption));
  return true;
}

void TStyleSheetEditor::ShowFirstRule(const std::function<void()>& showPage) {
  {
    // Showing the page moves the focus into the tree, which makes a node
    // current: that is not the user's choice.
    const QScopedValueRollback<bool> quiet(followTree_, false);
    showPage();
    TVCSS_->setFocus();
  }
  // The first rule of the tree: the first top-level rule, or the first rule
  // of the first group; else, when every rule stands in a block, the first
  // of them.
  const auto isRule = [](const QTreeWidgetItem* node) { return KindOf(node) == RuleTreeNode::Kind::Rule; };
  QTreeWidgetItem* first = nullptr;
  for (int i = 0; i < TVCSS_->topLevelItemCount() && !first; ++i) {
    QTreeWidgetItem* node = TVCSS_->topLevelItem(i);
    if (KindOf(node) == RuleTreeNode::Kind::Group && node->childCount() > 0 && isRule(node->child(0))) {
      first = node->child(0);
    } else if (isRule(node)) {
      first = node;
    }
  }
  if (!first) first = FirstNode(TVCSS_->invisibleRootItem(), isRule);
  if (first) SelectRule(first, true);
}

bool TStyleSheetEditor::QueryClose() { return SettleUnsavedEdits(); }

bool TStyleSheetEditor::SettleUnsavedEdits(std::optional<std::size_t>* droppedFrom) {
  CommitPendingEdits();
  if (!IsModified()) return true;
  switch (Ask(kUnsavedQuestion, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes: return SaveStylesheet();
    case MessageAnswer::No:
      if (droppedFrom) *droppedFrom = document_.Index();
      DropUnsavedEdits();
      return true;
    default: return false;
  }
}

void TStyleSheetEditor::DropUnsavedEdits() {
  if (document_.RevertToSaved()) {
    FillPropertyGrid();
    return;
  }
  // Undone past the save and changed since: the file holds what was saved.
  ReloadKeepingTree();
}

void TStyleSheetEditor::AttachTwinButtons(QToolButton* save, QToolButton* live) {
  sbSaveImgModifs_ = save;
  sbLedImg_ = live;
  sbSaveImgModifs_->setEnabled(IsModified());
  sbLedImg_->setCheckable(true);
  sbLedImg_->setChecked(liveMode_);
  connect(sbSaveImgModifs_, &QToolButton::clicked, this, [this] { SaveStylesheet(); });
  connect(sbLedImg_, &QToolButton::clicked, this, [this] { SetLiveMode(!liveMode_); });
}

QList<QToolButton*> TStyleSheetEditor::AddOutsideToolButtons(QBoxLayout& panel, const QString& suffix) {
  QList<QToolButton*> buttons;
  auto add = [&](const OutsideTool& tool, int image, const char* name, void (TStyleSheetEditor::*click)()) {
    auto* button = MakeButton(PlainCaption(tool.caption), ImageListPixmap(image));
    button->setObjectName(QLatin1String(name) + suffix);
    button->setToolTip(tool.hint);
    // A browser that is not installed starts nothing; the editor falls back
    // on the desktop's application for stylesheets when it has one.
    button->setEnabled(&tool == &tools_.Editor() ? tools_.CanEdit() : tool.Installed());
    connect(button, &QToolButton::clicked, this, click);
    panel.addWidget(button);
    buttons << button;
  };
  add(tools_.Firefox(), kImageBrowser, "sbFirefox", &TStyleSheetEditor::sbFirefoxClick);
  add(tools_.Chromium(), kImageBrowser, "sbChromium", &TStyleSheetEditor::sbChromiumClick);
  add(tools_.Editor(), kImageEditor, "sbEditor", &TStyleSheetEditor::sbEditorClick);
  return buttons;
}

void TStyleSheetEditor::sbFirefoxClick() { tools_.RunFirefox(pageAddress_ ? pageAddress_() : HTMLFilePath_); }

void TStyleSheetEditor::sbChromiumClick() { tools_.RunChromium(pageAddress_ ? pageAddress_() : HTMLFilePath_); }

void TStyleSheetEditor::sbEditorClick() { tools_.RunEditor(HTMLFilePath_, CSSFilePath()); }

void TStyleSheetEditor::OpenPage() {
  if (pageOpener_) {
    pageOpener_();
    return;
  }
  // Said in the status bar: a machine without a browser must not stop the
  // user at every save in live mode.
  if (!HTMLFilePath_.isEmpty() && !launcher_.OpenWithDefault(HTMLFilePath_))
    emit StatusMessage(QStringLiteral("Impossible d'ouvrir la page « %1 » dans le navigateur.").arg(HTMLFilePath_));
}

bool TStyleSheetEditor::ReadsOnItsOwnThread(const QString& path) const {
  return QFileInfo(path).size() >= backgroundReadFrom_;
}

bool TStyleSheetEditor::LoadStylesheet(const QString& path) { return ReadAndShow(path) == ReadOutcome::Shown; }

TStyleSheetEditor::ReadOutcome TStyleSheetEditor::ReadAndShow(const QString& path) {
  // The latest request wins: a read still waited for is given up.
  const int request = ++readRequest_;
  if (pendingRead_ != nullptr) pendingRead_->Abandon();
  const std::string file = Std(path);
  const bool checkSyntax = FromStd(file) != syntaxWarnedFor_;
  StylesheetReading reading;
  if (!ReadsOnItsOwnThread(path)) {
    EndReading();
    reading = ReadStylesheetFile(file, checkSyntax, itemMaker_);
  } else {
    BeginReading(path);
    // A request made by what hears that the read begins wins at once.
    if (request != readRequest_) return ReadOutcome::Superseded;
    const QPointer<TStyleSheetEditor> alive(this);
    BackgroundRead read(file, checkSyntax, itemMaker_);
    pendingRead_ = &read;
    const bool done = read.Wait();
    if (!alive) return ReadOutcome::Superseded;
    if (pendingRead_ == &read) pendingRead_ = nullptr;
    // A later request took over: it ends the wait in its own time.
    if (request != readRequest_) return ReadOutcome::Superseded;
    EndReading();
    if (!done) return ReadOutcome::Cancelled;  // by the user, or the application is quitting
    reading = read.Take();
  }
  try {
    if (reading.error) std::rethrow_exception(reading.error);
    const std::shared_ptr<const std::string> css = document_.Adopt(std::move(reading.loaded));
    shownRuleElement_ = {};
    // A large file is not copied once more; the document holds its bytes.
    emit StylesheetRead(QByteArray::fromRawData(css->data(), static_cast<qsizetype>(css->size())));
    if (checkSyntax) WarnOfSyntaxProblems(reading.problems);
  } catch (const std::exception& error) {
    ShowError(error);  // the previous document and tree stay
    return ReadOutcome::Failed;
  }
  ShowRuleTree(std::move(reading.items));
  return ReadOutcome::Shown;
}

void TStyleSheetEditor::BeginReading(const QString& path) {
  if (!reading_) {
    reading_ = true;
    // The document shown is replaced once the read ends: nothing may change
    // it meanwhile. A value being typed belongs to it and goes with it.
    PropertyGrid_->CancelEdit();
    PropertyGrid_->SetComboVisible(false);
    HidePopups();
    setEnabled(false);
    emit Reading(true);
  }
  readingName_ = QFileInfo(path).fileName();
  if (progress_) progress_->setLabelText(QStringLiteral("Lecture de « %1 »…").arg(readingName_));
  progressTimer_->start(readProgressDelayMs_);
}

void TStyleSheetEditor::ShowReadProgress() {
  if (!reading_) return;
  if (!progress_) {
    // A busy indicator: the reader cannot tell how far it is. Modal to the
    // window, which still paints and moves meanwhile.
    progress_ = new QProgressDialog(QString(), QStringLiteral("Annuler"), 0, 0, this);
    progress_->setObjectName(QStringLiteral("readProgress"));
    progress_->setWindowTitle(QStringLiteral("Korvel"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(0);
    connect(progress_, &QProgressDialog::canceled, this, [this] {
      if (pendingRead_ == nullptr) return;
      pendingRead_->Abandon();
      emit StatusMessage(QStringLiteral("Lecture de « %1 » abandonnée.").arg(readingName_));
    });
  }
  progress_->setLabelText(QStringLiteral("Lecture de « %1 »…").arg(readingName_));
  progress_->show();
}

void TStyleSheetEditor::EndReading() {
  if (!reading_) return;
  reading_ = false;
  progressTimer_->stop();
  if (progress_) {
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
  }
  setEnabled(true);
  emit Reading(false);
}

// Said once per file opened, not again each time it is read again: the
// faulty text is kept as written, so it is still there.
void TStyleSheetEditor::WarnOfSyntaxProblems(const std::string& problems) {
  syntaxWarnedFor_ = CSSFilePath();
  if (!problems.empty()) ShowMessage("« " + document_.Path() + " »\n\n" + problems, MessageKind::Warning);
}

void TStyleSheetEditor::FillRuleTree() {
  ShowRuleTree(itemMaker_(ShownRuleTree(document_.Styles(), document_.Encoding()), document_.Encoding()));
}

RuleTreeItemMaker TStyleSheetEditor::MakeItemMaker() const {
  // One icon of each kind, shared by every node: an icon made per node
  // from a picture would cost an allocation each.
  const QList<QPixmap> images = MakeTreeImageList();
  const QIcon groupIcon(images.value(kTreeImageGroup));
  const QIcon ruleIcon(images.value(kTreeImageRule));
  const QIcon atRuleIcon(images.value(kTreeImageVerbatim));
  const QBrush greyed = TVCSS_->palette().brush(QPalette::Disabled, QPalette::Text);
  return [=](const std::vector<RuleTreeNode>& nodes, TextEncoding encoding) {
    std::function<QTreeWidgetItem*(const RuleTreeNode&)> makeItem = [&](const RuleTreeNode& node) {
      auto* item = new RuleItem(node.kind, node.element);
      item->setText(0, ToQt(node.text, encoding));
      switch (node.kind) {
        case RuleTreeNode::Kind::Group: item->setIcon(0, groupIcon); break;
        case RuleTreeNode::Kind::Rule: item->setIcon(0, ruleIcon); break;
        case RuleTreeNode::Kind::Container: item->setIcon(0, atRuleIcon); break;
        case RuleTreeNode::Kind::Verbatim:
          item->setIcon(0, atRuleIcon);
          item->setForeground(0, greyed);
          item->setToolTip(0, ToQt(node.element.TextOf(), encoding));
          break;
      }
      if (!node.children.empty()) {
        QList<QTreeWidgetItem*> children;
        children.reserve(static_cast<qsizetype>(node.children.size()));
        for (const RuleTreeNode& child : node.children) children.append(makeItem(child));
        item->addChildren(children);
      }
      return item;
    };
    RuleTreeItems items;
    items.reserve(nodes.size());
    for (const RuleTreeNode& node : nodes) items.emplace_back(makeItem(node));
    return items;
  };
}

void TStyleSheetEditor::ShowRuleTree(RuleTreeItems items) {
  const QScopedValueRollback<bool> quiet(followTree_, false);
  // The tree paints once, whole.
  TVCSS_->setUpdatesEnabled(false);
  TVCSS_->clear();
  shownRuleElement_ = {};
  QList<QTreeWidgetItem*> top;
  top.reserve(static_cast<qsizetype>(items.size()));
  for (std::unique_ptr<QTreeWidgetItem>& item : items) top.append(item.release());
  TVCSS_->addTopLevelItems(top);
  TVCSS_->setUpdatesEnabled(true);
}

QTreeWidgetItem* TStyleSheetEditor::FindNode(const QString& text) const {
  const auto named = [&](const QTreeWidgetItem* node) {
    return KindOf(node) != RuleTreeNode::Kind::Group && node->text(0) == text;
  };
  // The top level and its groups first.
  for (int i = 0; i < TVCSS_->topLevelItemCount(); ++i) {
    QTreeWidgetItem* node = TVCSS_->topLevelItem(i);
    if (named(node)) return node;
    if (KindOf(node) != RuleTreeNode::Kind::Group) continue;
    for (int k = 0; k < node->childCount(); ++k) {
      if (named(node->child(k))) return node->child(k);
    }
  }
  return FirstNode(TVCSS_->invisibleRootItem(), named);
}

QTreeWidgetItem* TStyleSheetEditor::FindNode(ConstXmlElement element) const {
  if (!element) return nullptr;
  return FirstNode(TVCSS_->invisibleRootItem(),
                   [&](const QTreeWidgetItem* node) { return ElementOf(node) == element; });
}

QTreeWidgetItem* TStyleSheetEditor::FindNode(const RulePlace& place) const {
  return FindNode(FindPlace(document_.Styles(), place));
}

TStyleSheetEditor::TreeSpot TStyleSheetEditor::SpotOf(const QTreeWidgetItem* node) const {
  const RuleTreeNode::Kind kind = KindOf(node);
  switch (kind) {
    case RuleTreeNode::Kind::Rule:
    case RuleTreeNode::Kind::Container: return {kind, PlaceOf(ElementOf(node)), node->text(0)};
    case RuleTreeNode::Kind::Group:
      // A group stands at the top level or directly in a block.
      return {kind, node->parent() ? PlaceOf(ElementOf(node->parent())) : RulePlace(), node->text(0)};
    case RuleTreeNode::Kind::Verbatim: break;
  }
  return {kind, {}, node->text(0)};
}

QTreeWidgetItem* TStyleSheetEditor::FindSpot(const TreeSpot& spot) const {
  const auto sameKindAndText = [&](const QTreeWidgetItem* node) {
    return KindOf(node) == spot.kind && node->text(0) == spot.text;
  };
  switch (spot.kind) {
    case RuleTreeNode::Kind::Rule:
    case RuleTreeNode::Kind::Container: return FindNode(spot.place);
    case RuleTreeNode::Kind::Group: {
      QTreeWidgetItem* parent = spot.place.IsEmpty() ? TVCSS_->invisibleRootItem() : FindNode(spot.place);
      for (int i = 0; parent && i < parent->childCount(); ++i) {
        if (sameKindAndText(parent->child(i))) return parent->child(i);
      }
      return nullptr;
    }
    case RuleTreeNode::Kind::Verbatim: break;
  }
  return FirstNode(TVCSS_->invisibleRootItem(), sameKindAndText);
}

QString TStyleSheetEditor::ShownRule() const {
  return shownRuleElement_ ? Text(shownRuleElement_.GetAttr(attrs::kName).View()) : QString();
}

void TStyleSheetEditor::TVCSSClick(QTreeWidgetItem* node) { SelectRule(node, false); }

bool TStyleSheetEditor::SelectRule(QTreeWidgetItem* node, bool select) {
  if (!node) return false;
  // What this does to the tree's current node is not a choice of the user.
  const QScopedValueRollback<bool> quiet(followTree_, false);
  // The node may be gone once the file was read again: keep what finds it.
  // Only a value being typed or unsaved edits lead to a save or a reading;
  // the spot costs a walk over the stylesheet, not paid on a plain click.
  std::optional<TreeSpot> spot;
  if (IsModified() || PropertyGrid_->IsEditVisible() || PropertyGrid_->IsComboVisible()) spot = SpotOf(node);
  if (select) {
    OpenAncestors(node);
    TVCSS_->setCurrentItem(node);
  }
  CommitPendingEdits();

  if (IsModified()) {
    if (!spot) spot = SpotOf(node);
    const MessageAnswer answer = Ask(kUnsavedQuestion, MessageButtons::YesNoCancel);
    if (answer == MessageAnswer::Yes ? !SaveStylesheet() : answer != MessageAnswer::No) {
      // Cancelled, or the save failed: the edits stay, and so does the rule
      // they belong to.
      if (QTreeWidgetItem* shown = FindNode(shownRuleElement_)) TVCSS_->setCurrentItem(shown);
      return false;
    }
    if (answer == MessageAnswer::No) DropUnsavedEdits();
    node = FindSpot(*spot);
    if (!node) {
      // Read again, the file no longer has it.
      shownRuleElement_ = {};
      PropertyGrid_->SetRowCount(0);
      return true;
    }
    TVCSS_->setCurrentItem(node);
  }
  ShowNode(node);
  return true;
}

void TStyleSheetEditor::ShowNode(QTreeWidgetItem* node) {
  switch (KindOf(node)) {
    case RuleTreeNode::Kind::Group:
    case RuleTreeNode::Kind::Container: node->setExpanded(true); return;
    case RuleTreeNode::Kind::Rule: ShowRule(ElementOf(node)); return;
    case RuleTreeNode::Kind::Verbatim: break;
  }
  const QString text = node->text(0);
  shownRuleElement_ = {};
  ruleInfo_->setVisible(true);
  SetTabCaption(*PGCtlEdit_, 0, PlainCaption(text));
  ruleInfo_->setText(QStringLiteral("« %1 » est conservé tel quel à l'enregistrement ; il ne se modifie pas ici.")
                         .arg(text));
  PropertyGrid_->SetRowCount(0);
}

void TStyleSheetEditor::ShowRule(ConstXmlElement rule) {
  ruleInfo_->setVisible(false);
  shownRuleElement_ = rule;
  if (dispatch_ != nullptr) dispatch_->SetDescriptorsAsText(HoldsDescriptors(rule));
  SetTabCaption(*PGCtlEdit_, 0, PlainCaption(Text(PlaceLabel(NamesOf(rule)))));
  FillPropertyGrid();
}

void TStyleSheetEditor::ShowRuleOf(ConstXmlElement rule) {
  if (!rule) return;
  const QScopedValueRollback<bool> quiet(followTree_, false);
  if (QTreeWidgetItem* node = FindNode(rule)) {
    OpenAncestors(node);
    TVCSS_->setCurrentItem(node);
    TVCSS_->scrollToItem(node);
  }
  PGCtlEdit_->setCurrentWidget(tsGrid_);
  ShowRule(rule);
}

void TStyleSheetEditor::FillPropertyGrid() {
  PropertyGrid_->CancelEdit();
  PropertyGrid_->SetComboVisible(false);
  // An editor left open would write into the rule shown next.
  HidePopups();
  int row = 0;
  const ConstXmlElement rule = shownRuleElement_;
  std::vector<ConstXmlElement> props;
  if (rule) {
    for (ConstXmlElement child : rule.Elements()) {
      // A deleted property is no longer in the file; it must not come back.
      if (IsProp(child) && !child.GetAttr(attrs::kDeleted).IsTrue()) props.push_back(child);
    }
  }
  // One repaint for the whole rule, not one per cell.
  PropertyGrid_->setUpdatesEnabled(false);
  PropertyGrid_->SetRowCount(static_cast<int>(props.size()));
  for (ConstXmlElement prop : props) {
    PropertyGrid_->SetCheckBox(0, row, prop.GetAttr(attrs::kChecked).IsTrue());
    PropertyGrid_->SetDeleted(0, row, false);
    PropertyGrid_->SetCellText(0, row, Text(prop.GetAttr(attrs::kName).View()));
    PropertyGrid_->SetCellText(1, row, Text(prop.GetAttr(attrs::kValue).View()));
    ShowSwatchOf(row);
    ++row;
  }
  if (row > 0) PropertyGrid_->SetCurrentRow(0);
  // Its scroll bar settled before the name column is fitted to what is left.
  PropertyGrid_->LayOutNow();
  PropertyGrid_->FitNameColumn();
  PropertyGrid_->setUpdatesEnabled(true);
}

void TStyleSheetEditor::CommitGrid(int session) {
  if (!shownRuleElement_) return;
  std::vector<PropEdit> edits;
  QString label;
  const QString on = QStringLiteral(" sur ") + Text(PlaceLabel(PlaceOf(shownRuleElement_)));
  for (int row = 0; row < PropertyGrid_->RowCount(); ++row) {
    const QString name = PropertyGrid_->CellText(0, row);
    if (name.isEmpty()) continue;
    PropEdit edit{Bytes(name), Bytes(PropertyGrid_->CellText(1, row)), PropertyGrid_->IsChecked(0, row),
                  PropertyGrid_->IsDeleted(0, row)};
    // The step is named after the first change it holds.
    const ConstXmlElement prop = FindProp(shownRuleElement_, edit.name);
    QString change;
    if (!prop || prop.GetAttr(attrs::kDeleted).IsTrue()) {
      if (*edit.deleted) continue;  // added and deleted again before it was confirmed
      change = QStringLiteral("ajout de %1").arg(name);
    } else if (*edit.deleted) {
      change = QStringLiteral("suppression de %1").arg(name);
    } else if (prop.GetAttr(attrs::kChecked).IsTrue() != *edit.checked) {
      change = (*edit.checked ? QStringLiteral("%1 activée") : QStringLiteral("%1 désactivée")).arg(name);
    } else if (!(prop.GetAttr(attrs::kValue) == *edit.value)) {
      change = QStringLiteral("%1 → %2").arg(name, PropertyGrid_->CellText(1, row));
    } else {
      continue;
    }
    if (label.isEmpty()) label = change + on;
    edits.push_back(std::move(edit));
  }
  if (!edits.empty()) document_.Apply(shownRuleElement_, edits, label.toStdString(), session);
}

bool TStyleSheetEditor::ValidateGrid() {
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


void TStyleSheetEditor::MarkModified(int session) {
  CommitGrid(session);
  if (liveMode_ && IsModified() && SaveStylesheet()) OpenPage();
}

void TStyleSheetEditor::Undo() { StepHistory(false); }

void TStyleSheetEditor::Redo() { StepHistory(true); }

void TStyleSheetEditor::StepHistory(bool redo) {
  // A value being typed is not a step yet: it goes with the undo.
  PropertyGrid_->CancelEdit();
  PropertyGrid_->SetComboVisible(false);
  HidePopups();
  if (redo ? !document_.CanRedo() : !document_.CanUndo()) return;
  ShowRuleOf(redo ? document_.Redo() : document_.Undo());
  if (liveMode_ && SaveStylesheet()) OpenPage();
}

void TStyleSheetEditor::ShowHistory() {
  const QString undo = QString::fromStdString(document_.UndoLabel());
  const QString redo = QString::fromStdString(document_.RedoLabel());
  sbUndo_->setEnabled(document_.CanUndo());
  sbUndo_->setToolTip(document_.CanUndo() ? QStringLiteral("Annuler : ") + undo : QStringLiteral("Annuler"));
  sbRedo_->setEnabled(document_.CanRedo());
  sbRedo_->setToolTip(document_.CanRedo() ? QStringLiteral("Rétablir : ") + redo : QStringLiteral("Rétablir"));
  // Newest first (the row of step i is count - 1 - i); the steps undone,
  // which can be made again, greyed. The history changes only at its end,
  // so the rows of the older steps that still read the same are kept and
  // only the newer ones are made again: a change costs what it changed,
  // not the length of the history.
  const std::size_t steps = document_.StepCount();
  const auto rowOf = [this](std::size_t step) { return lbChanges_->count() - 1 - static_cast<int>(step); };
  std::size_t kept = std::min(steps, static_cast<std::size_t>(lbChanges_->count()));
  while (kept > 0 && lbChanges_->item(rowOf(kept - 1))->text() != QString::fromStdString(document_.StepLabel(kept - 1)))
    --kept;
  while (static_cast<std::size_t>(lbChanges_->count()) > kept) delete lbChanges_->takeItem(0);
  for (std::size_t step = kept; step < steps; ++step)
    lbChanges_->insertItem(0, QString::fromStdString(document_.StepLabel(step)));
  const QColor undone = lbChanges_->palette().color(QPalette::Disabled, QPalette::Text);
  for (std::size_t step = std::min({listedIndex_, document_.Index(), kept}); step < steps; ++step) {
    QListWidgetItem* item = lbChanges_->item(rowOf(step));
    if (step >= document_.Index()) item->setForeground(undone);
    else item->setData(Qt::ForegroundRole, QVariant());
  }
  listedIndex_ = document_.Index();
}

void TStyleSheetEditor::ChangeListClick(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= document_.StepCount()) return;
  const std::size_t step = document_.StepCount() - 1 - static_cast<std::size_t>(row);
  CommitPendingEdits();
  ShowRuleOf(document_.StepRule(step));
}

void TStyleSheetEditor::CommitPendingEdits() {
  PropertyGrid_->CommitCombo();
  PropertyGrid_->CommitEdit();
}

bool TStyleSheetEditor::SaveStylesheet() {
  if (!document_.IsOpen()) return false;
  {
    // A value still being typed is part of what is saved; committing it
    // must not save on its own in live mode.
    const QScopedValueRollback<bool> notLive(liveMode_, false);
    CommitPendingEdits();
    CommitGrid(0);
  }
  if (!ValidateGrid()) return false;
  switch (saveCheck_ ? saveCheck_() : SaveCheck::Write) {
    case SaveCheck::Write: break;
    case SaveCheck::Keep: return false;
    case SaveCheck::Reload: ReloadStylesheet(); return false;
  }
  if (!WriteStylesheetFile()) return false;  // the file on disk is as it was; the edits stay to save again
  // The rows of deleted properties leave the grid.
  for (int row = 0; row < PropertyGrid_->RowCount(); ++row) {
    if (PropertyGrid_->IsDeleted(0, row)) {
      FillPropertyGrid();
      break;
    }
  }
  return true;
}

void TStyleSheetEditor::ReloadStylesheet() {
  // A value being typed belongs to the version dropped: committing it would
  // save it, in live mode, over the file just changed.
  PropertyGrid_->CancelEdit();
  PropertyGrid_->SetComboVisible(false);
  ReloadKeepingTree();
}

void TStyleSheetEditor::ReloadKeepingTree() {
  // The tree comes back as the user left it: the same groups, blocks and
  // rules open, the shown rule selected and in view; each found again by
  // its place, since the same names may stand in several blocks.
  std::optional<TreeSpot> shown;
  if (shownRuleElement_) shown = TreeSpot{RuleTreeNode::Kind::Rule, PlaceOf(shownRuleElement_), ShownRule()};
  std::vector<TreeSpot> open;
  std::function<void(const QTreeWidgetItem*)> collect = [&](const QTreeWidgetItem* parent) {
    for (int i = 0; i < parent->childCount(); ++i) {
      const QTreeWidgetItem* node = parent->child(i);
      if (node->childCount() == 0) continue;
      if (node->isExpanded()) open.push_back(SpotOf(node));
      collect(node);
    }
  };
  collect(TVCSS_->invisibleRootItem());
  if (!LoadStylesheet(CSSFilePath())) return;
  for (const TreeSpot& spot : open) {
    if (QTreeWidgetItem* node = FindSpot(spot)) node->setExpanded(true);
  }
  if (QTreeWidgetItem* node = shown ? FindSpot(*shown) : nullptr) {
    SelectRule(node, true);
    TVCSS_->scrollToItem(node);
  } else {
    PropertyGrid_->SetRowCount(0);
  }
}

bool TStyleSheetEditor::WriteStylesheetFile() {
  try {
    emit StylesheetWritten(QByteArray::fromStdString(document_.Save()));
    return true;
  } catch (const ReadOnlyFileError&) {
    const std::string question = "Le fichier « " + document_.Path() +
                                 " » est en lecture seule.\nLe remplacer quand même par la feuille modifiée ?";
    if (Ask(question, MessageButtons::YesNo) != MessageAnswer::Yes) return false;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
  // Asked once for this file: live mode must not ask at every change.
  document_.AgreeToReplaceReadOnly();
  try {
    emit StylesheetWritten(QByteArray::fromStdString(document_.Save()));
    return true;
  } catch (const std::exception& error) {
    ShowError(error);
    return false;
  }
}

void TStyleSheetEditor::CreatePopups(QWidget* mainWindow) {
  if (dispatch_ != nullptr) return;
  dispatch_ = new TCellDispatch(dictionary_, *PropertyGrid_, mainWindow, [this](int session) { MarkModified(session); });
  dispatch_->SetLiveMode(liveMode_);
  dispatch_->SetDescriptorsAsText(HoldsDescriptors(shownRuleElement_));
}

TCellDispatch& TStyleSheetEditor::Dispatch() {
  if (dispatch_ == nullptr) CreatePopups(window());
  return *dispatch_;
}

void TStyleSheetEditor::HidePopups() {
  if (dispatch_ != nullptr) dispatch_->HideAll();
}

void TStyleSheetEditor::ShowSwatchOf(int row) {
  PropertyGrid_->SetColorSwatch(1, row, dictionary_.IsColorProperty(Bytes(PropertyGrid_->CellText(0, row))));
}

void TStyleSheetEditor::AddProperty(const QString& name) {
  if (name.isEmpty() || !shownRuleElement_) return;
  const int row = PropertyGrid_->RowCount();
  PropertyGrid_->SetRowCount(row + 1);
  PropertyGrid_->SetCurrentRow(row);
  PropertyGrid_->SetCheckBox(0, row, true);
  PropertyGrid_->SetCellText(0, row, name);
  PropertyGrid_->SetCellText(1, row, QString());
  ShowSwatchOf(row);
  PropertyGrid_->FitNameColumn();
  // Not saved in live mode: a property without a value cannot be written.
  CommitGrid(0);
  if (Dispatch().PrepareRow(row)) Dispatch().OpenValueEditor(1, row);
  CBAdd_->setVisible(false);
  sbOK_->setVisible(false);
}

void TStyleSheetEditor::DeleteProperty() {
  const int row = PropertyGrid_->CurrentRow();
  if (row < 0 || row >= PropertyGrid_->RowCount()) return;
  PropertyGrid_->SetDeleted(0, row, !PropertyGrid_->IsDeleted(0, row));
  MarkModified();
}

void TStyleSheetEditor::BorderClick() {
  if (!shownRuleElement_) return;
  // Through the grid, so that no row holding an older border overwrites it.
  int row = 0;
  while (row < PropertyGrid_->RowCount() && PropertyGrid_->CellText(0, row) != QStringLiteral("border")) ++row;
  if (row == PropertyGrid_->RowCount()) {
    PropertyGrid_->SetRowCount(row + 1);
    PropertyGrid_->SetCellText(0, row, QStringLiteral("border"));
  }
  PropertyGrid_->SetCheckBox(0, row, true);
  PropertyGrid_->SetDeleted(0, row, false);
  PropertyGrid_->SetCellText(1, row, QStringLiteral("1px dotted black"));
  MarkModified();
  if (IsModified()) SaveStylesheet();
}

void TStyleSheetEditor::SetLiveMode(bool on) {
  liveMode_ = on;
  if (dispatch_ != nullptr) dispatch_->SetLiveMode(on);
  sbLed_->setChecked(on);
  if (sbLedImg_) sbLedImg_->setChecked(on);
}

}  // namespace korvel
