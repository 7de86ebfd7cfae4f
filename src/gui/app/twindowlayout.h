#pragma once

// The layout of the main window: where the window stands and how its panes
// are shared, restored from the project's settings file and recorded into
// it when the user changes them, and the widths of the two grids' columns.
//
// Recording waits until a change has settled: a drag of the window's edge or
// of a splitter moves through many sizes, and every record rewrites the
// settings file. Failures to record are said once (TDM::WriteSetting).

#include <QObject>
#include <QPointer>

#include <string>
#include <string_view>
#include <vector>

class QSplitter;
class QTimer;
class QWidget;

namespace korvel {

class GExplorer;
class GStringGrid;
class TDM;

class TWindowLayout final : public QObject {
  Q_OBJECT

 public:
  /// How long a size must stay unchanged before it is recorded.
  static constexpr int kSettleMilliseconds = 400;

  /// The splitters whose first or second pane the settings file records, and
  /// the grids whose first column is laid out here.
  struct Parts {
    QSplitter* SplitterTVLV;      // "Panel" of TVInPanel, its first pane
    QSplitter* SplitterLVSG;      // "Panel" of SGInPanel, its second pane
    QSplitter* SplitterEditTVSG;  // "PageControl" of PgCtlCSS, its first pane
    GStringGrid* InputGrid;
    GStringGrid* PropertyGrid;
  };

  TWindowLayout(QWidget& window, TDM& dm, const Parts& parts);
  Q_DISABLE_COPY_MOVE(TWindowLayout)
  ~TWindowLayout() override;

  /// Keeps the view mode of an explorer pane in the settings file under
  /// the name of its view's panel ("LVInPanel"): restored with the panes,
  /// recorded when the user picks a mode from the pane's menu.
  void AddExplorerPane(GExplorer& pane, std::string viewPanelName);

  /// Restores the window and the panes (sizes, view modes) from the open
  /// settings file. Raises what reading the file raises (a malformed number).
  void Restore();
  /// Restores the window only.
  void RestoreWindow();
  /// While restoring, changes of size are not recorded.
  void SetRestoring(bool restoring) { restoring_ = restoring; }

  /// The window's size changed (from its resize event).
  void FormResize();
  void SplitterTVLVMoved();
  void SplitterLVSGMoved();
  void SplitterEditTVSGMoved();
  /// Records the window now, dropping what waits to settle (closing).
  void RecordWindowNow();
  /// Name columns 150 pixels (unless the user has set one), value columns
  /// the rest.
  void SetColumnWidths();

 private:
  QTimer* MakeSettleTimer(void (TWindowLayout::*record)());
  void RecordWindow();
  void RecordTreePane();
  void RecordGridPane();
  void RecordRulesPane();
  void RecordViewMode(const GExplorer& pane, const std::string& name);

  struct ExplorerPane {
    QPointer<GExplorer> pane;
    std::string name;
  };

  QPointer<QWidget> window_;
  TDM& dm_;
  Parts parts_;
  bool restoring_ = false;
  QTimer* windowTimer_ = nullptr;
  QTimer* treeTimer_ = nullptr;
  QTimer* gridTimer_ = nullptr;
  QTimer* rulesTimer_ = nullptr;
  std::vector<ExplorerPane> explorers_;
};

}  // namespace korvel
