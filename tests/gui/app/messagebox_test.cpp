// The message boxes speak French: Qt's own button texts come from Qt's
// French translations, which the program installs at start.

#include <QAbstractButton>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>

#include "app/frenchinterface.h"
#include "app/messagebox.h"

namespace korvel {

class MessageBoxTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    // A missing translations package fails here rather than leaving English buttons unseen.
    QVERIFY2(InstallFrenchInterface(*QCoreApplication::instance()), "qtbase_fr introuvable");
  }
  void questionButtonsAreFrench();
  void messageShapesTheBox();
  void folderDialogsNameFoldersInFrench();
};

void MessageBoxTest::questionButtonsAreFrench() {
  const auto box = MakeMessageBox(
      Message{"La grille d'édition a été modifiée. \n Sauvegarder ?", "", MessageKind::Question,
              MessageButtons::YesNoCancel},
      nullptr);
  auto caption = [&](QMessageBox::StandardButton which) {
    QAbstractButton* button = box->button(which);
    return button ? button->text().remove(QLatin1Char('&')) : QString();
  };
  QCOMPARE(caption(QMessageBox::Yes), QStringLiteral("Oui"));
  QCOMPARE(caption(QMessageBox::No), QStringLiteral("Non"));
  QCOMPARE(caption(QMessageBox::Cancel), QStringLiteral("Annuler"));
  QCOMPARE(QLocale().language(), QLocale::French);
}

void MessageBoxTest::messageShapesTheBox() {
  const auto box = MakeMessageBox(Message{"Texte", "Korvel", MessageKind::Warning, MessageButtons::Ok}, nullptr);
  QCOMPARE(box->text(), QStringLiteral("Texte"));
  QCOMPARE(box->windowTitle(), QStringLiteral("Korvel"));
  QCOMPARE(box->icon(), QMessageBox::Warning);
  QCOMPARE(box->buttons().size(), 1);
  QVERIFY(box->button(QMessageBox::Ok));
}

// The "Type" column of the folder dialogs.
void MessageBoxTest::folderDialogsNameFoldersInFrench() {
  const QFileIconProvider icons;
  QCOMPARE(icons.type(QFileInfo(QDir::tempPath())), QStringLiteral("Dossier"));
}

}  // namespace korvel

QTEST_MAIN(korvel::MessageBoxTest)
#include "messagebox_test.moc"
