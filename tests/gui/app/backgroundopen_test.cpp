// Opening a large stylesheet on the "Edition" page: the file is read on a
// thread of its own while the window goes on, the page disabled; the tree
// is filled once the read ends. A request made during a read wins over it;
// a read that fails, or that the user cancels, leaves the document shown as
// it was, edits and all.

#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QThread>
#include <QTreeWidget>

#include <atomic>
#include <functional>
#include <memory>

#include "app/stylesheetreader.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/editorpage.h"

namespace korvel {

namespace {

const QByteArray kFirst = ".first\n{\n color: red;\n}\n";

// `rules` rules named ".<prefix>-<n>"; 50 000 of them make about 1.5 MB.
QByteArray ManyRules(const char* prefix, int rules) {
  QByteArray css;
  for (int i = 0; i < rules; ++i)
    css += "." + QByteArray(prefix) + "-" + QByteArray::number(i) + " { margin: " + QByteArray::number(i % 7) +
           "px; }\n";
  return css;
}

}  // namespace

class BackgroundOpenTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void aLargeFileIsReadWhileTheWindowGoesOn();
  void aLaterRequestWinsOverTheReadUnderWay_data();
  void aLaterRequestWinsOverTheReadUnderWay();
  void aFailedReadKeepsTheDocumentShown_data();
  void aFailedReadKeepsTheDocumentShown();
  void aCancelledReadKeepsTheDocumentShown();
  void theProgramWaitsForAnAbandonedRead();

 private:
  [[nodiscard]] QString PathOf(const QString& name) const {
    return QFileInfo(page_->Stylesheet()).absolutePath() + QLatin1Char('/') + name;
  }
  /// Runs `during` once, from the window's events, when the next read on a
  /// thread of its own has begun (the read must last long enough).
  void DuringNextRead(std::function<void()> during);
  /// An unsaved edit of the first rule: its colour becomes blue.
  void EditFirstRule();
  /// The first stylesheet is still shown, with that edit, and the page
  /// works again.
  void FirstDocumentStays();

  std::unique_ptr<EditorPage> page_;
  TStyleSheetEditor* editor_ = nullptr;
};

void BackgroundOpenTest::init() {
  page_ = std::make_unique<EditorPage>();
  QVERIFY(page_->Open(kFirst));
  editor_ = &page_->Editor();
  QVERIFY(editor_->FindNode(QStringLiteral(".first")));
}

void BackgroundOpenTest::cleanup() {
  page_->Close();
  QCOMPARE(page_->Messages().unanswered, 0);
  page_.reset();
}

void BackgroundOpenTest::DuringNextRead(std::function<void()> during) {
  auto connection = std::make_shared<QMetaObject::Connection>();
  TStyleSheetEditor* editor = editor_;
  *connection = connect(editor, &TStyleSheetEditor::Reading, editor, [connection, editor, during](bool busy) {
    if (!busy) return;
    QObject::disconnect(*connection);
    QTimer::singleShot(0, editor, during);
  });
}

void BackgroundOpenTest::EditFirstRule() {
  const int row = page_->RowOf(QStringLiteral("color"));
  QVERIFY(row >= 0);
  page_->Grid()->SetCellText(1, row, QStringLiteral("blue"));
  editor_->MarkModified();
  QVERIFY(editor_->IsModified());
}

void BackgroundOpenTest::FirstDocumentStays() {
  QVERIFY(!editor_->IsReading());
  QVERIFY(editor_->isEnabled());
  QCOMPARE(editor_->CSSFilePath(), page_->Stylesheet());
  QVERIFY(editor_->FindNode(QStringLiteral(".first")));
  // The edit is still there, to save or undo.
  QVERIFY(editor_->IsModified());
  QCOMPARE(editor_->Document().StepCount(), std::size_t{1});
  QCOMPARE(page_->Grid()->CellText(1, page_->RowOf(QStringLiteral("color"))), QStringLiteral("blue"));
}

void BackgroundOpenTest::aLargeFileIsReadWhileTheWindowGoesOn() {
  const QString large = PathOf(QStringLiteral("large.css"));
  const QByteArray css = ManyRules("large", 50'000);
  QVERIFY(css.size() >= editor_->BackgroundReadFrom());
  QVERIFY(WriteAll(large, css));
  QSignalSpy reading(editor_, &TStyleSheetEditor::Reading);

  // A small file is read at once, as it always was.
  QVERIFY(editor_->LoadStylesheet(page_->Stylesheet()));
  QCOMPARE(reading.count(), 0);

  bool pageEnabled = true;
  bool eventsRan = false;
  DuringNextRead([&] {
    eventsRan = true;
    pageEnabled = editor_->isEnabled();
    QVERIFY(editor_->IsReading());
  });
  QVERIFY(editor_->LoadStylesheet(large));
  QVERIFY(eventsRan);
  QVERIFY(!pageEnabled);
  QCOMPARE(reading.count(), 2);
  QCOMPARE(reading.at(0).at(0).toBool(), true);
  QCOMPARE(reading.at(1).at(0).toBool(), false);

  QVERIFY(!editor_->IsReading());
  QVERIFY(editor_->isEnabled());
  QCOMPARE(editor_->CSSFilePath(), large);
  QCOMPARE(editor_->RuleTree()->topLevelItemCount(), 50'000);
  // Sorted by name, as the tree always is: "-10" before "-2".
  QCOMPARE(editor_->RuleTree()->topLevelItem(0)->text(0), QStringLiteral(".large-0"));
  QCOMPARE(editor_->RuleTree()->topLevelItem(2)->text(0), QStringLiteral(".large-10"));
  QVERIFY(editor_->FindNode(QStringLiteral(".large-49999")));
  QVERIFY(!editor_->FindNode(QStringLiteral(".first")));
  QVERIFY(page_->Messages().shown.empty());
}

void BackgroundOpenTest::aLaterRequestWinsOverTheReadUnderWay_data() {
  QTest::addColumn<QByteArray>("second");
  QTest::addColumn<QString>("rule");
  QTest::newRow("a small file, read at once") << QByteArray(".second { color: blue; }\n") << QStringLiteral(".second");
  QTest::newRow("another large file") << ManyRules("second", 40'000) << QStringLiteral(".second-0");
}

void BackgroundOpenTest::aLaterRequestWinsOverTheReadUnderWay() {
  QFETCH(QByteArray, second);
  QFETCH(QString, rule);
  const QString large = PathOf(QStringLiteral("large.css"));
  const QString other = PathOf(QStringLiteral("second.css"));
  QVERIFY(WriteAll(large, ManyRules("large", 50'000)));
  QVERIFY(WriteAll(other, second));
  // Only the large files are read on a thread of their own.
  editor_->SetBackgroundReadFrom(1000);

  bool secondShown = false;
  DuringNextRead([&] { secondShown = editor_->LoadStylesheet(other); });
  QVERIFY(!editor_->LoadStylesheet(large));
  QVERIFY(secondShown);

  QVERIFY(!editor_->IsReading());
  QVERIFY(editor_->isEnabled());
  QCOMPARE(editor_->CSSFilePath(), other);
  QVERIFY(editor_->FindNode(rule));
  QVERIFY(!editor_->FindNode(QStringLiteral(".large-0")));
  QVERIFY(!editor_->FindNode(QStringLiteral(".first")));
  QVERIFY(page_->Messages().shown.empty());
}

void BackgroundOpenTest::aFailedReadKeepsTheDocumentShown_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("said");
  QTest::newRow("missing") << QStringLiteral("missing.css") << QByteArray() << QStringLiteral("missing.css");
  // UTF-16 text, which the stylesheet reader refuses.
  QTest::newRow("wide text") << QStringLiteral("wide.css") << QByteArray("\xFF\xFE.\0w\0{\0}\0", 10)
                             << QStringLiteral("wide.css");
}

void BackgroundOpenTest::aFailedReadKeepsTheDocumentShown() {
  QFETCH(QString, name);
  QFETCH(QByteArray, bytes);
  QFETCH(QString, said);
  const QString path = PathOf(name);
  if (!bytes.isEmpty()) QVERIFY(WriteAll(path, bytes));
  EditFirstRule();
  editor_->SetBackgroundReadFrom(0);

  QSignalSpy reading(editor_, &TStyleSheetEditor::Reading);
  QVERIFY(!editor_->LoadStylesheet(path));
  QCOMPARE(reading.count(), 2);  // read on a thread of its own

  QCOMPARE(page_->Messages().shown.size(), std::size_t{1});
  QVERIFY(QString::fromStdString(page_->Messages().shown.front().text).contains(said));
  FirstDocumentStays();
}

void BackgroundOpenTest::aCancelledReadKeepsTheDocumentShown() {
  const QString large = PathOf(QStringLiteral("large.css"));
  QVERIFY(WriteAll(large, ManyRules("large", 100'000)));
  EditFirstRule();
  editor_->SetReadProgressDelay(0);
  QSignalSpy status(editor_, &TStyleSheetEditor::StatusMessage);

  // The busy indicator comes at once here; the user cancels it.
  QString label;
  QTimer poll;
  connect(&poll, &QTimer::timeout, this, [&] {
    auto* progress = editor_->findChild<QProgressDialog*>(QStringLiteral("readProgress"));
    if (!progress || !progress->isVisible()) return;
    poll.stop();
    label = progress->labelText();
    auto* cancel = progress->findChild<QPushButton*>();
    QVERIFY(cancel);
    QCOMPARE(cancel->text(), QStringLiteral("Annuler"));
    cancel->click();
  });
  DuringNextRead([&] { poll.start(1); });
  QVERIFY(!editor_->LoadStylesheet(large));

  QCOMPARE(label, QStringLiteral("Lecture de « large.css »…"));
  QCOMPARE(status.count(), 1);
  QCOMPARE(status.at(0).at(0).toString(), QStringLiteral("Lecture de « large.css » abandonnée."));
  FirstDocumentStays();
  QVERIFY(page_->Messages().shown.empty());
}

// A read the window gave up on goes on in its thread; the program, before it
// ends, waits until that thread has let go of all it made.
void BackgroundOpenTest::theProgramWaitsForAnAbandonedRead() {
  const QString large = PathOf(QStringLiteral("abandoned.css"));
  QFile file(large);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(ManyRules("abandoned", 2000));
  file.close();
  std::atomic<bool> itemsMade = false;
  {
    BackgroundRead read(large.toStdString(), true, [&](const std::vector<RuleTreeNode>&, TextEncoding) {
      QThread::msleep(300);
      itemsMade = true;
      return RuleTreeItems();
    });
    read.Abandon();
  }
  WaitForBackgroundReads();
  QVERIFY(itemsMade);
}

}  // namespace korvel

QTEST_MAIN(korvel::BackgroundOpenTest)
#include "backgroundopen_test.moc"
