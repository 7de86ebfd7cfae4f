#pragma once

// Reading a stylesheet for the window, on the GUI thread or on a thread of
// its own: the file's bytes, its rules (StyleSheetDocument::Read) and, when
// asked, what its syntax check found. Nothing here touches a widget or the
// document shown; the window adopts what was read on the GUI thread.

#include <QPointer>
#include <QTreeWidgetItem>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/ruletree.h"
#include "model/stylesheetdocument.h"

class QEventLoop;


namespace korvel {

/// The rule tree of `document` in the order the window shows it: the top
/// level and the rules of its groups sorted by name, as SortRuleTree orders
/// them, with the platform's locale-aware, case-sensitive collation; the
/// names are read in `encoding`.
std::vector<RuleTreeNode> ShownRuleTree(const StyleDocument& document, TextEncoding encoding);

/// The tree's top-level items, each holding its own children; they belong
/// to no view yet.
using RuleTreeItems = std::vector<std::unique_ptr<QTreeWidgetItem>>;
/// Makes the items of a rule tree (names read in the encoding given). It
/// runs on the reading thread: it touches no widget, and what it shares
/// with the GUI thread (icons, brushes) it only copies.
using RuleTreeItemMaker = std::function<RuleTreeItems(const std::vector<RuleTreeNode>&, TextEncoding)>;

/// What reading a stylesheet brought back.
struct StylesheetReading {
  LoadedStylesheet loaded;
  /// The items of its rule tree, in the order of ShownRuleTree.
  RuleTreeItems items;
  /// The syntax problems found, described; empty when there were none or
  /// the check was not asked for.
  std::string problems;
  /// Why the file could not be read (a FileError); none when it was.
  std::exception_ptr error;
};

/// Reads `path` on the calling thread; failures are kept in the result.
StylesheetReading ReadStylesheetFile(const std::string& path, bool checkSyntax, const RuleTreeItemMaker& makeItems);

/// A read on a thread of its own. The GUI thread waits for it in Wait,
/// which goes on processing the window's events; Abandon ends the wait
/// early (a later request, the user's cancel), and what the thread reads
/// then goes nowhere. The tree's items are made on the thread too, so that
/// they take the memory the parse gave back there. The thread owns its result until Take: this object
/// may go before the thread ends.
class BackgroundRead final {
 public:
  BackgroundRead(std::string path, bool checkSyntax, RuleTreeItemMaker makeItems);
  ~BackgroundRead();
  BackgroundRead(const BackgroundRead&) = delete;
  BackgroundRead& operator=(const BackgroundRead&) = delete;

  /// Processes events until the read ends (true) or the wait is abandoned
  /// or the application quits (false).
  bool Wait();
  /// Ends Wait early; may be called from inside it (an event it handles).
  void Abandon();
  /// What was read, once Wait returned true.
  [[nodiscard]] StylesheetReading Take();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  QPointer<QEventLoop> loop_;
  bool abandoned_ = false;
};

/// Waits until every read started on a thread of its own has ended, those
/// abandoned included: the program calls it before its application object
/// goes, which the items those threads make still use.
void WaitForBackgroundReads();

}  // namespace korvel
