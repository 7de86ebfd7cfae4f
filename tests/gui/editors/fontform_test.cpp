// The font family picker built alone over a catalogue of known names:
// loading values, composing them from check boxes, OK and Cancel, and
// dragging the frameless popup.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "editors/fontsunit.h"
#include "support/fontfixture.h"

namespace korvel {

namespace {

QStringList Names(std::initializer_list<const char*> names) {
  QStringList list;
  for (const char* name : names) list << QString::fromUtf8(name);
  return list;
}

FontCatalog SampleCatalog() {
  FontCatalog catalog;
  catalog.Of(GenericFamily::Serif) = {"DejaVu Serif", "Georgia", "Times New Roman"};
  catalog.Of(GenericFamily::SansSerif) = {"Arial", "DejaVu Sans", "Liberation Sans", "Trebuchet MS"};
  catalog.Of(GenericFamily::Monospace) = {"Courier New", "DejaVu Sans Mono"};
  catalog.Of(GenericFamily::Cursive) = {"Z003"};
  catalog.Of(GenericFamily::Fantasy) = {"D050000L"};
  return catalog;
}

QStringList Checked(const TFontForm& picker, GenericFamily family) {
  QStringList names;
  const QListWidget* list = picker.List(family);
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->checkState() == Qt::Checked) names << list->item(row)->text();
  return names;
}

int CheckedEverywhere(const TFontForm& picker) {
  int count = 0;
  for (GenericFamily family : kGenericFamilies) count += static_cast<int>(Checked(picker, family).size());
  return count;
}

// Checks or unchecks a font as a click on its check box does.
void Toggle(TFontForm& picker, GenericFamily family, const QString& name) {
  QListWidgetItem* item = picker.List(family)->findItems(name, Qt::MatchExactly).front();
  item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

// A mouse event at a point of the screen, delivered to the widget.
void SendMouse(QWidget* target, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(target->mapFromGlobal(global)), QPointF(global), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

}  // namespace

class FontFormTest final : public QObject {
  Q_OBJECT

 private slots:
  void startsOnTheFantasyTabWithFiveTabs() {
    TFontForm picker(nullptr);
    QStringList captions;
    for (int i = 0; i < picker.Pages()->count(); ++i) captions << picker.Pages()->tabText(i);
    QCOMPARE(captions, (Names({"Serif", "Sans-serif", "Monospace", "Cursive", "Fantasy"})));
    QCOMPARE(picker.ShownFamily(), GenericFamily::Fantasy);
  }

  void loadingAValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QStringList>("serif");
    QTest::addColumn<QStringList>("sansSerif");
    QTest::newRow("fonts then generic, double quotes")
        << "Georgia, \"Times New Roman\", serif" << int(GenericFamily::Serif)
        << Names({"Georgia", "Times New Roman"}) << QStringList{};
    QTest::newRow("the picker's own output, single quotes")
        << "Arial,'Trebuchet MS',Sans-serif" << int(GenericFamily::SansSerif) << QStringList{}
        << Names({"Arial", "Trebuchet MS"});
    QTest::newRow("generic alone") << "monospace" << int(GenericFamily::Monospace) << QStringList{}
                                   << QStringList{};
    QTest::newRow("first font's tab wins over a later generic")
        << "arial, serif" << int(GenericFamily::SansSerif) << QStringList{} << Names({"Arial"});
    QTest::newRow("first item not installed: last generic named")
        << "Helvetica, Georgia, cursive" << int(GenericFamily::Cursive) << Names({"Georgia"})
        << QStringList{};
    QTest::newRow("nothing installed, empty items") << ",Helvetica,, Verdana ," << int(GenericFamily::Fantasy)
                                                    << QStringList{} << QStringList{};
    QTest::newRow("empty value") << "" << int(GenericFamily::Fantasy) << QStringList{} << QStringList{};
  }
  void loadingAValue() {
    QFETCH(QString, value);
    QFETCH(int, shown);
    QFETCH(QStringList, serif);
    QFETCH(QStringList, sansSerif);
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());

    picker.LoadValue(value);

    QCOMPARE(int(picker.ShownFamily()), shown);
    QCOMPARE(Checked(picker, GenericFamily::Serif), serif);
    QCOMPARE(Checked(picker, GenericFamily::SansSerif), sansSerif);
    QCOMPARE(CheckedEverywhere(picker), serif.size() + sansSerif.size());
    QCOMPARE(picker.Selected(), value);
  }

  void loadingSelectsTheFontFound() {
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());
    picker.LoadValue(QStringLiteral("Georgia"));
    QCOMPARE(picker.List(GenericFamily::Serif)->currentItem()->text(), QStringLiteral("Georgia"));
  }

  void checksShowTheValueLoaded() {
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());
    picker.LoadValue(QStringLiteral("Georgia,serif"));
    picker.LoadValue(QStringLiteral("Arial,sans-serif"));
    QCOMPARE(Checked(picker, GenericFamily::Serif), QStringList{});
    QCOMPARE(Checked(picker, GenericFamily::SansSerif), Names({"Arial"}));
    // Typing in the box moves the checks with it.
    picker.SelectedEdit()->clear();
    QTest::keyClicks(picker.SelectedEdit(), QStringLiteral("georgia, serif"));
    QCOMPARE(Checked(picker, GenericFamily::Serif), Names({"Georgia"}));
    QCOMPARE(Checked(picker, GenericFamily::SansSerif), QStringList{});
  }

  // A check adds its font before the generic family, an uncheck removes it;
  // the rest of the value stays as written, installed here or not.
  void checkingChangesOnlyThatFont_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("family");
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("composed");
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("a font added to a list of absent fonts")
        << "\"Source Sans\", Verdana, Arial, sans-serif" << int(GenericFamily::SansSerif) << "Liberation Sans"
        << "\"Source Sans\", Verdana, Arial, 'Liberation Sans', sans-serif" << Names({"Source Sans", "Verdana"});
    QTest::newRow("a font removed, the others kept in their order")
        << "\"Source Sans\", Verdana, Arial, sans-serif" << int(GenericFamily::SansSerif) << "Arial"
        << "\"Source Sans\", Verdana, sans-serif" << Names({"Source Sans", "Verdana"});
    QTest::newRow("a font of another tab joins the list")
        << "Georgia,serif" << int(GenericFamily::SansSerif) << "Trebuchet MS" << "Georgia,'Trebuchet MS',serif"
        << QStringList{};
    QTest::newRow("the last font removed leaves the generic family")
        << "Georgia,serif" << int(GenericFamily::Serif) << "Georgia" << "serif" << QStringList{};
    QTest::newRow("a value without generic family gets the tab's")
        << "Helvetica" << int(GenericFamily::SansSerif) << "Arial" << "Helvetica,Arial,Sans-serif"
        << Names({"Helvetica"});
    QTest::newRow("an empty value") << "" << int(GenericFamily::SansSerif) << "Trebuchet MS"
                                    << "'Trebuchet MS',Sans-serif" << QStringList{};
  }
  void checkingChangesOnlyThatFont() {
    QFETCH(QString, value);
    QFETCH(int, family);
    QFETCH(QString, font);
    QFETCH(QString, composed);
    QFETCH(QStringList, missing);
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());
    picker.LoadValue(value);
    picker.ShowFamily(static_cast<GenericFamily>(family));
    Toggle(picker, static_cast<GenericFamily>(family), font);
    QCOMPARE(picker.Selected(), composed);
    QCOMPARE(picker.MissingFamilies(), missing);
    QCOMPARE(picker.MissingLabel()->isVisibleTo(&picker), !missing.isEmpty());
    for (const QString& name : missing) QVERIFY(picker.MissingLabel()->text().contains(name));
  }

  void composedValueLoadsBackTheSameFonts() {
    TFontForm composer(nullptr);
    composer.SetFontFamilies(SampleCatalog());
    composer.ShowFamily(GenericFamily::Monospace);
    Toggle(composer, GenericFamily::Monospace, QStringLiteral("Courier New"));
    Toggle(composer, GenericFamily::Monospace, QStringLiteral("DejaVu Sans Mono"));
    const QString value = composer.Selected();
    QCOMPARE(value, QStringLiteral("'Courier New','DejaVu Sans Mono',Monospace"));

    TFontForm loader(nullptr);
    loader.SetFontFamilies(SampleCatalog());
    loader.LoadValue(value);
    QCOMPARE(Checked(loader, GenericFamily::Monospace), Checked(composer, GenericFamily::Monospace));
    QCOMPARE(loader.ShownFamily(), GenericFamily::Monospace);
  }

  void okGivesTheValueAndCancelNothing() {
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());
    QSignalSpy accepted(&picker, &GPopupForm::Accepted);

    picker.LoadValue(QStringLiteral("Georgia,serif"));
    picker.show();
    picker.SelectedEdit()->setText(QStringLiteral("Georgia,'My Font',serif"));
    QTest::mouseClick(picker.OkButton(), Qt::LeftButton);
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(accepted.front().front().toString(), QStringLiteral("Georgia,'My Font',serif"));
    QVERIFY(!picker.isVisible());

    picker.show();
    QTest::mouseClick(picker.CancelButton(), Qt::LeftButton);
    QVERIFY(!picker.isVisible());
    QCOMPARE(accepted.size(), 1);

    picker.SetLiveUpdate(true);
    picker.show();
    QTest::keyClick(picker.SelectedEdit(), Qt::Key_Return);
    QCOMPARE(accepted.size(), 2);
    QVERIFY(picker.isVisible());
  }

  void draggingMovesThePopupTranslucently() {
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());
    picker.move(100, 100);
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    picker.ShowFamily(GenericFamily::Serif);
    QListWidget* list = picker.List(GenericFamily::Serif);
    QWidget* viewport = list->viewport();
    const QPoint start = viewport->mapToGlobal(list->visualItemRect(list->item(0)).center());
    const QPoint before = picker.pos();

    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(30, 20), Qt::LeftButton);
    QCOMPARE(picker.windowOpacity(), TFontForm::kDragOpacity);
    QCOMPARE(picker.pos(), before + QPoint(30, 20));
    // The popup has moved under the mouse; it keeps following the screen
    // position, not the position in the list.
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(40, 40), Qt::LeftButton);
    QCOMPARE(picker.pos(), before + QPoint(40, 40));
    SendMouse(viewport, QEvent::MouseButtonRelease, start + QPoint(40, 40), Qt::NoButton);
    QCOMPARE(picker.windowOpacity(), 1.0);
    QCOMPARE(CheckedEverywhere(picker), 0);
  }

  void aClickWithoutMovingIsNoDrag() {
    TFontForm picker(nullptr);
    picker.SetFontFamilies(SampleCatalog());
    picker.show();
    picker.ShowFamily(GenericFamily::Serif);
    const QPoint before = picker.pos();
    QListWidget* list = picker.List(GenericFamily::Serif);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(picker.pos(), before);
    QCOMPARE(picker.windowOpacity(), 1.0);
    QCOMPARE(list->currentItem()->text(), QStringLiteral("Georgia"));
  }

  void fillingFromTheInstalledFontsListedOnAThread() {
    TFontForm picker(nullptr);
    picker.SetFontFamilies(StartListingInstalledFontFamilies());
    picker.show();
    QVERIFY(!picker.List(GenericFamily::Serif)->findItems(QStringLiteral("DejaVu Serif"), Qt::MatchExactly).isEmpty());
    QVERIFY(!picker.List(GenericFamily::Cursive)->findItems(QStringLiteral("Z003"), Qt::MatchExactly).isEmpty());

    TFontForm loaded(nullptr);
    loaded.SetFontFamilies(StartListingInstalledFontFamilies());
    loaded.LoadValue(QStringLiteral("'Liberation Mono', monospace"));
    QCOMPARE(Checked(loaded, GenericFamily::Monospace), Names({"Liberation Mono"}));
  }
};

}  // namespace korvel

int main(int argc, char** argv) {
  korvel::UseFixtureFonts();
  QApplication app(argc, argv);
  korvel::FontFormTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "fontform_test.moc"
