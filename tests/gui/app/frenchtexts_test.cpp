// Every text a user can meet is French, whatever the user's locale: the
// window with its hidden tabs and popup editors, the message boxes, the
// context menu of a text field and Qt's own folder dialog the window opens.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/dmunit.h"
#include "app/folderchooser.h"
#include "app/frenchinterface.h"
#include "app/mainformunit.h"
#include "app/messagebox.h"
#include "app/settingsstore.h"
#include "app/tcelldispatch.h"
#include "app/tstylesheeteditor.h"
#include "editors/colorformunit.h"
#include "support/guitestsupport.h"

using namespace korvel;

namespace {

// Words of the English captions of Qt and of desktop programs that are no
// French words. ("Type", "Date", "Images", "Parent" and "OK" are French too.)
constexpr const char* kEnglishWords[] = {
    "add",     "all",     "alpha",   "apply",    "back",     "blue",     "cancel",  "channel", "choose",
    "close",   "color",   "colour",  "computer", "copy",     "could",    "create",  "custom",  "cut",
    "delete",  "detail",  "directory", "drive",  "edit",     "error",    "file",    "files",   "folder",
    "forward", "green",   "help",    "hidden",   "length",   "look",     "modified", "name",   "new",
    "open",    "operation", "paste", "pick",     "recent",   "red",      "redo",    "rename",  "reset",
    "run",     "save",    "screen",  "select",   "show",     "size",     "the",     "undo",    "view",
    "yes",     "no",      "not",     "with",     "width",    "height",   "value",   "unit",    "others"};

// The English words a text holds.
QStringList EnglishWordsIn(const QString& text) {
  QStringList found;
  static const QRegularExpression kNonLetters(QStringLiteral("[^\\p{L}]+"));
  for (const QString& word : text.split(kNonLetters, Qt::SkipEmptyParts))
    for (const char* english : kEnglishWords)
      if (word.compare(QLatin1String(english), Qt::CaseInsensitive) == 0) found << word;
  return found;
}

// The texts a widget shows of its own: caption, hint, button and label
// texts, placeholder, tab captions, column headers and its actions. What a
// user types or picks (file names, CSS words in lists) is not the
// interface's and is left out.
QStringList TextsOf(const QWidget& widget) {
  QStringList texts{widget.windowTitle(), widget.toolTip(), widget.statusTip(), widget.whatsThis()};
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) texts << button->text();
  if (const auto* label = qobject_cast<const QLabel*>(&widget)) texts << label->text();
  if (const auto* edit = qobject_cast<const QLineEdit*>(&widget)) texts << edit->placeholderText();
  if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) texts << combo->placeholderText();
  if (const auto* group = qobject_cast<const QGroupBox*>(&widget)) texts << group->title();
  if (const auto* tabs = qobject_cast<const QTabWidget*>(&widget))
    for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i) << tabs->tabToolTip(i);
  if (const auto* view = qobject_cast<const QAbstractItemView*>(&widget); view && view->model())
    for (int column = 0; column < view->model()->columnCount(); ++column)
      texts << view->model()->headerData(column, Qt::Horizontal).toString()
            << view->model()->headerData(column, Qt::Horizontal, Qt::ToolTipRole).toString();
  for (const QAction* action : widget.actions()) texts << action->text() << action->toolTip();
  return texts;
}

// Where English remains under `root` (itself included): one line per text,
// naming its widget.
QStringList EnglishUnder(QWidget& root) {
  QStringList english;
  QList<QWidget*> widgets = root.findChildren<QWidget*>();
  widgets.prepend(&root);
  for (const QWidget* widget : widgets) {
    for (const QString& text : TextsOf(*widget)) {
      const QStringList words = EnglishWordsIn(text);
      if (!words.isEmpty())
        english << QStringLiteral("%1 \"%2\": \"%3\"")
                       .arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName(), text);
    }
  }
  return english;
}

}  // namespace

class FrenchTextsTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void theWordListFindsEnglish();
  void theWindowItsTabsAndPopupsSpeakFrench();
  void messageBoxesSpeakFrench();
  void textFieldMenusSpeakFrench();
  void theFolderDialogSpeaksFrench();

 private:
  QTemporaryDir dir_;
};

void FrenchTextsTest::initTestCase() {
  QStandardPaths::setTestModeEnabled(true);
  // The user's language is English: the interface must not follow it.
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QVERIFY(InstallFrenchInterface(*qApp));
  QVERIFY(dir_.isValid());
}

// The check itself must see English where it is.
void FrenchTextsTest::theWordListFindsEnglish() {
  QCOMPARE(EnglishWordsIn(QStringLiteral("Could not run program 'firefox'")),
           (QStringList{QStringLiteral("Could"), QStringLiteral("not"), QStringLiteral("run")}));
  QCOMPARE(EnglishWordsIn(QStringLiteral("Red")), QStringList{QStringLiteral("Red")});
  QVERIFY(EnglishWordsIn(QStringLiteral("Dossier Projet, Fichier HTML/PHP, Type, Date, OK, Images")).isEmpty());
  QLabel label(QStringLiteral("Cancel"));
  QCOMPARE(EnglishUnder(label).size(), 1);
}

void FrenchTextsTest::theWindowItsTabsAndPopupsSpeakFrench() {
  TestInstallation install;
  QVERIFY(install.Ready());
  TMainForm window(install.Dm(), install.launcher, install.Registry());
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  // The example project is open: the "Edition" tab shows a rule. The
  // hidden tab "Images" and the hidden popup editors are the window's
  // children and are walked too.
  QVERIFY(window.Pages()->isTabVisible(1));
  // The RGB mixer is made when first opened, from the colour list.
  TColorForm* colors = window.Editor().Dispatch().ColorForm();
  colors->MixerButton()->click();
  QVERIFY(colors->Mixer());
  const QStringList english = EnglishUnder(window);
  QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
  for (QWidget* topLevel : QApplication::topLevelWidgets()) {
    if (topLevel == &window) continue;
    const QStringList other = EnglishUnder(*topLevel);
    QVERIFY2(other.isEmpty(), qPrintable(other.join(u'\n')));
  }
}

void FrenchTextsTest::messageBoxesSpeakFrench() {
  for (const MessageButtons buttons : {MessageButtons::Ok, MessageButtons::OkCancel, MessageButtons::YesNo,
                                       MessageButtons::YesNoCancel}) {
    const auto box = MakeMessageBox(Message{"Texte", "Korvel", MessageKind::Question, buttons}, nullptr);
    box->show();
    const QStringList english = EnglishUnder(*box);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
    QVERIFY(!box->buttons().isEmpty());
  }
}

void FrenchTextsTest::textFieldMenusSpeakFrench() {
  QLineEdit edit(QStringLiteral("texte"));
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QVERIFY(!menu->actions().isEmpty());
  const QStringList english = EnglishUnder(*menu);
  QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
}

// The folder dialogs of "Entrée" and "Images" are Qt's own, so that they
// speak French whatever the desktop's language.
void FrenchTextsTest::theFolderDialogSpeaksFrench() {
  QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("monsite")));
  QStringList english;
  bool seen = false;
  QTimer::singleShot(0, this, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    seen = true;
    english = EnglishUnder(*dialog);
    // The type column of the folders listed is the dialog's text too.
    auto* model = dialog->findChild<QFileSystemModel*>();
    const QModelIndex folder = model ? model->index(dir_.path()) : QModelIndex();
    if (model && QTest::qWaitFor([&] { return model->rowCount(folder) > 0; }, 5000)) {
      for (int row = 0; row < model->rowCount(folder); ++row) {
        const QString type = model->index(row, 2, folder).data().toString();
        if (!EnglishWordsIn(type).isEmpty()) english << QStringLiteral("type column: \"%1\"").arg(type);
      }
    } else {
      english << QStringLiteral("no folder listed");
    }
    dialog->reject();
  });
  FolderDialogChooser().ChooseFolder(QStringLiteral("Dossier du projet"), dir_.path());
  QVERIFY(seen);
  QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
}

QTEST_MAIN(FrenchTextsTest)
#include "frenchtexts_test.moc"
