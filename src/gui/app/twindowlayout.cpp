#include "app/twindowlayout.h"

#include <QHeaderView>
#include <QAction>
#include <QMenu>
#include <QSplitter>
#include <QTimer>

#include "app/controladapters.h"
#include "app/dmunit.h"
#include "app/windowhelpers.h"
#include "editors/gstringgrid.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

constexpr int kLabelWidth = 150;

// The names the settings file knows the window and its panes by.
const char* const kWindowName = "MainForm";
const char* const kTreePaneName = "TVInPanel";
const char* const kGridPaneName = "SGInPanel";
const char* const kRulesPaneName = "PgCtlCSS";

}  // namespace

TWindowLayout::TWindowLayout(QWidget& window, TDM& dm, const Parts& parts)
    : QObject(&window), window_(&window), dm_(dm), parts_(parts) {
  windowTimer_ = MakeSettleTimer(&TWindowLayout::RecordWindow);
  treeTimer_ = MakeSettleTimer(&TWindowLayout::RecordTreePane);
  gridTimer_ = MakeSettleTimer(&TWindowLayout::RecordGridPane);
  rulesTimer_ = MakeSettleTimer(&TWindowLayout::RecordRulesPane);
  connect(parts_.SplitterTVLV, &QSplitter::splitterMoved, this, &TWindowLayout::SplitterTVLVMoved);
  connect(parts_.SplitterLVSG, &QSplitter::splitterMoved, this, &TWindowLayout::SplitterLVSGMoved);
  connect(parts_.SplitterEditTVSG, &QSplitter::splitterMoved, this, &TWindowLayout::SplitterEditTVSGMoved);
}

TWindowLayout::~TWindowLayout() = default;

QTimer* TWindowLayout::MakeSettleTimer(void (TWindowLayout::*record)()) {
  auto* timer = new QTimer(this);
  timer->setSingleShot(true);
  timer->setInterval(kSettleMilliseconds);
  connect(timer, &QTimer::timeout, this, record);
  return timer;
}

void TWindowLayout::AddExplorerPane(GExplorer& pane, std::string viewPanelName) {
  explorers_.push_back({&pane, viewPanelName});
  // Heard after the pane's own handler of the item, which sets the mode.
  for (QAction* item : pane.ViewModeMenu()->actions())
    connect(item, &QAction::triggered, this, [this, explorer = &pane, name = viewPanelName] {
      RecordViewMode(*explorer, name);
    });
}

void TWindowLayout::Restore() {
  RestoreWindow();
  for (const ExplorerPane& explorer : explorers_) {
    if (!explorer.pane) continue;
    WindowControl view(*explorer.pane->View(), explorer.name);
    bool isNumber = false;
    const int number = FromStd(dm_.Ini().ReadValue(settingkind::kViewMode, &view)).trimmed().toInt(&isNumber);
    // A missing or unknown mode leaves the pane's own.
    if (isNumber) explorer.pane->SetViewMode(GExplorer::ViewModeFromNumber(number, explorer.pane->ViewMode()));
  }
  SplitterPaneControl tree(*parts_.SplitterTVLV, 0, kTreePaneName);
  SplitterPaneControl grid(*parts_.SplitterLVSG, 1, kGridPaneName);
  SplitterPaneControl rules(*parts_.SplitterEditTVSG, 0, kRulesPaneName);
  dm_.Ini().ReadValue(settingkind::kPanel, &tree);
  dm_.Ini().ReadValue(settingkind::kPanel, &grid);
  dm_.Ini().ReadValue(settingkind::kPageControl, &rules);
}

void TWindowLayout::RestoreWindow() {
  WindowControl window(*window_, kWindowName);
  dm_.Ini().ReadValue(settingkind::kForm, &window);
}

void TWindowLayout::FormResize() {
  if (!restoring_) windowTimer_->start();
  SetColumnWidths();
}

void TWindowLayout::SplitterTVLVMoved() {
  if (!restoring_) treeTimer_->start();
}

void TWindowLayout::SplitterLVSGMoved() {
  if (!restoring_) gridTimer_->start();
}

void TWindowLayout::SplitterEditTVSGMoved() {
  if (!restoring_) rulesTimer_->start();
  SetColumnWidths();
}

void TWindowLayout::RecordWindowNow() {
  windowTimer_->stop();
  RecordWindow();
}

void TWindowLayout::RecordWindow() {
  WindowControl window(*window_, kWindowName);
  dm_.WriteSetting(&window, settingkind::kForm);
}

void TWindowLayout::RecordTreePane() {
  SplitterPaneControl control(*parts_.SplitterTVLV, 0, kTreePaneName);
  dm_.WriteSetting(&control, settingkind::kPanel);
}

void TWindowLayout::RecordGridPane() {
  SplitterPaneControl control(*parts_.SplitterLVSG, 1, kGridPaneName);
  dm_.WriteSetting(&control, settingkind::kPanel);
}

void TWindowLayout::RecordRulesPane() {
  SplitterPaneControl control(*parts_.SplitterEditTVSG, 0, kRulesPaneName);
  dm_.WriteSetting(&control, settingkind::kPageControl);
}

void TWindowLayout::RecordViewMode(const GExplorer& pane, const std::string& name) {
  if (restoring_) return;
  WindowControl view(*pane.View(), name);
  dm_.WriteSetting(&view, settingkind::kViewMode, std::to_string(static_cast<int>(pane.ViewMode())));
}

// The name column fits its longest name, from kLabelWidth up to half the
// grid; the value column takes the rest of the grid's width, also while a
// tab is hidden and whenever the grid is resized.
void TWindowLayout::SetColumnWidths() {
  for (GStringGrid* grid : {parts_.InputGrid, parts_.PropertyGrid}) {
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->SetNameColumnFitted(kLabelWidth);
  }
}

}  // namespace korvel
