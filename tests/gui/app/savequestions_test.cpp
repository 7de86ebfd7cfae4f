// The questions asked around a save, word for word: the stylesheet changed
// outside (on returning to the window and before a save) and the grid's
// unsaved edits. No line of them starts or ends with a stray blank.

#include <QTemporaryDir>
#include <QTest>

#include <string>

#include "app/changewatch.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"

namespace korvel {

class SaveQuestionsTest final : public QObject {
  Q_OBJECT

 private slots:
  void outsideEditQuestionsAreWordForWord_data();
  void outsideEditQuestionsAreWordForWord();
  void unsavedGridQuestionIsWordForWord();
};

void SaveQuestionsTest::outsideEditQuestionsAreWordForWord_data() {
  QTest::addColumn<bool>("beforeSave");
  QTest::addColumn<bool>("unsavedEdits");
  QTest::addColumn<QString>("text");
  QTest::newRow("back in the window") << false << false
                                      << QStringLiteral("Le fichier CSS courant a été modifié : css/styles.css\n"
                                                        "Recharger ?");
  QTest::newRow("back in the window, unsaved edits")
      << false << true
      << QStringLiteral("Le fichier CSS courant a été modifié : css/styles.css\n"
                        "Recharger ?\n"
                        "Vos modifications non sauvegardées seront perdues.");
  QTest::newRow("before a save") << true << false
                                 << QStringLiteral("Le fichier CSS courant a été modifié hors de Korvel : css/styles.css\n"
                                                   "Recharger ?\n"
                                                   "\n"
                                                   "Oui : recharger le fichier.\n"
                                                   "Non : le remplacer par la feuille de Korvel (la version modifiée "
                                                   "sera perdue).\n"
                                                   "Annuler : ne rien enregistrer.");
  QTest::newRow("before a save, unsaved edits")
      << true << true
      << QStringLiteral("Le fichier CSS courant a été modifié hors de Korvel : css/styles.css\n"
                        "Recharger ?\n"
                        "\n"
                        "Oui : recharger le fichier (vos modifications non sauvegardées seront perdues).\n"
                        "Non : le remplacer par la feuille de Korvel (la version modifiée sera perdue).\n"
                        "Annuler : ne rien enregistrer.");
}

void SaveQuestionsTest::outsideEditQuestionsAreWordForWord() {
  QFETCH(bool, beforeSave);
  QFETCH(bool, unsavedEdits);
  QFETCH(QString, text);
  const std::string name = "css/styles.css";
  const std::optional<FileStamp> onDisk = FileStamp::OfBytes("outside");
  const std::optional<FileStamp> held = FileStamp::OfBytes("held");
  ChangeLists recorded;
  recorded.modified.push_back(name);
  const ChangeDecision decision = beforeSave ? DecideBeforeSave(name, onDisk, held, unsavedEdits)
                                             : DecideOnActivation(recorded, name, onDisk, held, unsavedEdits);
  QCOMPARE(QString::fromStdString(decision.message.text), text);
}

void SaveQuestionsTest::unsavedGridQuestionIsWordForWord() {
  QTemporaryDir dir;
  const QString stylesheet = dir.path() + QStringLiteral("/styles.css");
  QVERIFY(WriteAll(stylesheet, "p { color: red }\n"));
  MessageRecorder messages;
  RecordingLauncher launcher;
  TStyleSheetEditor editor(QStringLiteral(KORVEL_DATA "/CSSKeywords.xml"), launcher);
  editor.show();
  QVERIFY(QTest::qWaitForWindowExposed(&editor));
  QVERIFY(editor.OpenStylesheet(stylesheet, QString(), QStringLiteral("styles.css")));
  editor.ShowFirstRule([] {});
  GStringGrid* grid = editor.PropertyGrid();
  QCOMPARE(grid->RowCount(), 1);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CheckBoxRect(0, 0).center());
  QVERIFY(editor.IsModified());

  messages.answers.push_back(MessageAnswer::Cancel);
  QVERIFY(!editor.QueryClose());
  QCOMPARE(messages.shown.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(messages.shown.front().text),
           QStringLiteral("La grille d'édition a été modifiée.\nSauvegarder ?"));
}

}  // namespace korvel

QTEST_MAIN(korvel::SaveQuestionsTest)
#include "savequestions_test.moc"
