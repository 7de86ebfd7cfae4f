#pragma once

// The "Edition" page built alone, over one stylesheet in a folder of its
// own, for the tests that need nothing else of the window: shown within the
// screen (so that the popups open where their cells are), its popups made,
// the stylesheet opened and its first rule shown.

#include <QByteArray>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"

namespace korvel {

class EditorPage final {
 public:
  /// False when the page could not be shown or the stylesheet opened.
  [[nodiscard]] bool Open(const QByteArray& css) {
    if (!dir_.isValid() || !WriteAll(Stylesheet(), css)) return false;
    editor_ = std::make_unique<TStyleSheetEditor>(QStringLiteral(KORVEL_DATA "/CSSKeywords.xml"), launcher_);
    editor_->setGeometry(20, 20, 720, 540);
    editor_->show();
    editor_->activateWindow();
    if (!QTest::qWaitForWindowActive(editor_.get())) return false;
    editor_->CreatePopups(editor_.get());
    if (!editor_->OpenStylesheet(Stylesheet(), QString(), QStringLiteral("styles.css"))) return false;
    editor_->ShowFirstRule([] {});
    return true;
  }

  /// Closes the page (the messages it said stay to be looked at).
  void Close() { editor_.reset(); }

  [[nodiscard]] QString Stylesheet() const { return dir_.path() + QStringLiteral("/styles.css"); }
  [[nodiscard]] TStyleSheetEditor& Editor() const { return *editor_; }
  [[nodiscard]] GStringGrid* Grid() const { return editor_->PropertyGrid(); }
  [[nodiscard]] const MessageRecorder& Messages() const { return messages_; }

  /// The grid's row of a property; −1 when the shown rule lacks it.
  [[nodiscard]] int RowOf(const QString& property) const {
    for (int row = 0; row < Grid()->RowCount(); ++row) {
      if (Grid()->CellText(0, row) == property) return row;
    }
    return -1;
  }
  void ClickValue(int row) const {
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, Grid()->CellRect(1, row).center());
  }

 private:
  QTemporaryDir dir_;
  MessageRecorder messages_;
  RecordingLauncher launcher_;
  std::unique_ptr<TStyleSheetEditor> editor_;  // last, so that it goes before what it uses
};

}  // namespace korvel
