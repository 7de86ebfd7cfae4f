// The Images tab opened from the sub-grid: the "url" choice of a shorthand's
// picture member leads to the Images tab, and the picture chosen there goes
// into the shorthand, the grid and the file.

#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <memory>

#include "app/tcelldispatch.h"
#include "app/timagestab.h"
#include "app/tstylesheeteditor.h"
#include "editors/gstringgrid.h"
#include "editors/sggridunit.h"
#include "support/examplewindow.h"
#include "shell/folderview.h"

namespace korvel {

class SubGridImageTest final : public QObject {
  Q_OBJECT

 private slots:
  void urlChoiceWritesThePictureIntoTheShorthand();
};

void SubGridImageTest::urlChoiceWritesThePictureIntoTheShorthand() {
  RecordingLauncher launcher;
  ExampleWindow example(launcher);
  QVERIFY(example.Show());
  TMainForm& window = example.Window();
  // The example project's ".encadre" starts with
  // "background: #FFFFE0 url(Images/fond.png) repeat-x".
  TStyleSheetEditor& editor = window.Editor();
  QVERIFY(editor.SelectRule(editor.FindNode(QStringLiteral(".encadre")), true));
  GStringGrid* grid = editor.PropertyGrid();
  QCOMPARE(grid->CellText(0, 0), QStringLiteral("background"));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 0).center());
  TSGGridForm* subGrid = editor.Dispatch().SubGridForm();
  QVERIFY(subGrid->isVisible());
  GStringGrid* members = subGrid->SubGrid();
  int image = -1;
  for (int row = 0; row < members->RowCount(); ++row)
    if (members->CellText(0, row) == QLatin1String("background-image")) image = row;
  QVERIFY(image >= 0);

  // "url" picked in the member's list, as a click on it does.
  members->SetCurrentRow(image);
  members->ShowComboAt(1, image);
  QComboBox* combo = members->ComboBox();
  combo->clear();
  combo->addItems({QStringLiteral("url"), QStringLiteral("none")});
  combo->setCurrentIndex(0);
  emit combo->textActivated(QStringLiteral("url"));
  TImagesTab& images = window.ImagesTab();
  QTRY_COMPARE(window.Pages()->currentWidget(), &images);

  const QString logo = example.Dm().ExampleFolder() + QStringLiteral("Images/logo.png");
  QVERIFY(images.View()->SelectItem(logo));
  QTRY_VERIFY(images.OkButton()->isEnabled());
  images.OkButton()->click();
  QTRY_COMPARE(window.Pages()->currentWidget(), &editor);
  // Rebuilt from the members in their order, as every member's change is.
  QCOMPARE(grid->CellText(1, 0), QStringLiteral("url(Images/logo.png) repeat-x #FFFFE0"));
  QVERIFY(editor.IsModified());
}

}  // namespace korvel

QTEST_MAIN(korvel::SubGridImageTest)
#include "subgridimage_test.moc"
