// The length editor driven as the user drives it: loaded from a value, its
// choices clicked, numbers typed and stepped, confirmed or cancelled, and the
// value it gives read back.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "dictionary/keyworddictionary.h"
#include "editors/formeditunit.h"
#include "support/guitestsupport.h"
#include "model/xmldocument.h"

using korvel::TFormEdit;

namespace {

constexpr const char* kDictionary = R"(<KeyWords>
  <KeyWord Name="width" EditMode="FormEdit">
    <Prop Name="width" DefaultValue="auto">
      <Item Name="length"/><Item Name="percentage"/><Item Name="auto"/><Item Name="inherit"/>
    </Prop>
  </KeyWord>
  <KeyWord Name="font" EditMode="expand" Special="True">
    <Prop Name="font-weight" DefaultValue="normal"><Item Name="normal"/><Item Name="bold"/></Prop>
    <Prop Name="font-size" DefaultValue="medium"><Item Name="length"/><Item Name="medium"/></Prop>
    <Prop Name="line-height"><Item Name="length"/><Item Name="percentage"/></Prop>
  </KeyWord>
</KeyWords>)";

// A length editor over the "width" entry, shown, with spies on its signals.
struct Editor {
  explicit Editor(const char* property = "width", const char* value = "")
      : dictionary(korvel::ParseXmlText(kDictionary), "test.xml"), form(dictionary.Active(), nullptr) {
    dictionary.PrepareKeyword(property, value);
  }
  void Load(const QString& member, const QString& value) {
    form.LoadValue(member, value);
    form.show();
  }
  QString CheckedChoice() const {
    if (form.LengthBox()->isChecked()) return QStringLiteral("length");
    if (form.PercentBox()->isChecked()) return QStringLiteral("percent");
    if (form.OthersBox()->isChecked()) return QStringLiteral("others");
    return QStringLiteral("none");
  }
  korvel::KeywordDictionary dictionary;
  TFormEdit form;
  QSignalSpy accepted{&form, &korvel::GPopupForm::Accepted};
  QSignalSpy cancelled{&form, &korvel::GPopupForm::Cancelled};
  QSignalSpy stepped{&form, &TFormEdit::Stepped};
};

// A click on the box itself, not on the blank beside its caption.
void ClickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

QString LastOf(const QSignalSpy& spy) { return spy.isEmpty() ? QStringLiteral("<none>") : spy.last().at(0).toString(); }

}  // namespace

class FormEditTest final : public QObject {
  Q_OBJECT

 private slots:
  void LoadValueReadsTheChoice_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("percent");
    QTest::addColumn<QString>("keyword");
    QTest::newRow("pixels") << "12px" << "length" << "12" << "px" << "" << "";
    QTest::newRow("capital unit") << "1.5EM" << "length" << "1.5" << "em" << "" << "";
    QTest::newRow("percentage") << "50%" << "percent" << "" << "" << "50" << "";
    QTest::newRow("zero") << "0" << "length" << "0" << "" << "" << "";
    QTest::newRow("keyword") << "auto" << "others" << "0" << "" << "" << "auto";
    QTest::newRow("keyword in capitals") << "INHERIT" << "others" << "0" << "" << "" << "inherit";
    QTest::newRow("number without unit") << "12" << "others" << "0" << "" << "" << "";
    QTest::newRow("unit without number") << "px" << "others" << "0" << "" << "" << "";
    QTest::newRow("root em") << "2rem" << "length" << "2" << "rem" << "" << "";
    QTest::newRow("four-letter unit") << "10vmin" << "length" << "10" << "vmin" << "" << "";
    QTest::newRow("dynamic viewport") << "100dvh" << "length" << "100" << "dvh" << "" << "";
    QTest::newRow("quarter millimetres") << "3Q" << "length" << "3" << "q" << "" << "";
  }
  void LoadValueReadsTheChoice() {
    QFETCH(QString, value);
    QFETCH(QString, choice);
    QFETCH(QString, length);
    QFETCH(QString, unit);
    QFETCH(QString, percent);
    QFETCH(QString, keyword);
    Editor editor;
    editor.Load(QString(), value);
    QCOMPARE(editor.form.Edit()->text(), value);
    QCOMPARE(editor.CheckedChoice(), choice);
    QCOMPARE(editor.form.EditLength()->text(), length);
    QCOMPARE(editor.form.ComboUnit()->currentText(), unit);
    QCOMPARE(editor.form.EditPercent()->text(), percent);
    if (choice == QLatin1String("others")) QCOMPARE(editor.form.ComboOthers()->currentText(), keyword);
    // Only the inputs of the choice take input.
    QCOMPARE(editor.form.EditLength()->isEnabled(), choice == QLatin1String("length"));
    QCOMPARE(editor.form.EditPercent()->isEnabled(), choice == QLatin1String("percent"));
    QCOMPARE(editor.form.ComboOthers()->isEnabled(), choice == QLatin1String("others"));
  }

  void OffersTheUnitsOfCurrentCssAfterTheFirstEight() {
    Editor editor;
    QStringList units;
    for (int i = 0; i < editor.form.ComboUnit()->count(); ++i) units << editor.form.ComboUnit()->itemText(i);
    QCOMPARE(units.mid(0, 8).join(QLatin1Char(' ')), QStringLiteral("em ex px in cm mm pt pc"));
    for (const char* unit : {"rem", "ch", "lh", "vw", "vh", "vmin", "vmax", "svh", "lvh", "dvh", "cqw", "cqh", "q"})
      QVERIFY2(units.contains(QLatin1String(unit)), unit);
  }

  void OtherValuesAreTheMembersKeywords() {
    Editor editor("font", "bold");
    editor.Load(QStringLiteral("font-weight"), QStringLiteral("bold"));
    QCOMPARE(editor.form.ComboOthers()->count(), 2);
    QCOMPARE(editor.form.ComboOthers()->currentText(), QStringLiteral("bold"));
    // Every member's words, "length" and "percentage" left out.
    editor.Load(QString(), QStringLiteral("bold"));
    QCOMPARE(editor.form.ComboOthers()->count(), 3);
    QCOMPARE(editor.form.ComboOthers()->itemText(2), QStringLiteral("medium"));
    // A member with no words but lengths: the choice cannot be made.
    editor.Load(QStringLiteral("line-height"), QStringLiteral("1.2em"));
    QCOMPARE(editor.form.ComboOthers()->count(), 0);
    QVERIFY(!editor.form.OthersBox()->isEnabled());
  }

  void OkGivesTheValueOfTheChoice() {
    Editor editor;
    // Zero without a unit stays 0.
    editor.Load(QString(), QStringLiteral("0"));
    QTest::mouseClick(editor.form.OkButton(), Qt::LeftButton);
    QCOMPARE(LastOf(editor.accepted), QStringLiteral("0"));
    QVERIFY(editor.form.isHidden());

    // A decimal comma is written with a point.
    editor.Load(QString(), QStringLiteral("12px"));
    editor.form.EditLength()->clear();
    QTest::keyClicks(editor.form.EditLength(), QStringLiteral("1,5"));
    editor.form.ComboUnit()->setCurrentText(QStringLiteral("em"));
    QTest::keyClick(editor.form.EditLength(), Qt::Key_Return);
    QCOMPARE(LastOf(editor.accepted), QStringLiteral("1.5em"));

    // The percentage choice, clicked.
    editor.Load(QString(), QStringLiteral("12px"));
    ClickBox(editor.form.PercentBox());
    QVERIFY(editor.form.PercentBox()->isChecked());
    QVERIFY(!editor.form.LengthBox()->isChecked());
    QVERIFY(!editor.form.EditLength()->isEnabled());
    QVERIFY(editor.form.EditPercent()->isEnabled());
    QTest::keyClicks(editor.form.EditPercent(), QStringLiteral("25"));
    QTest::keyClick(editor.form.EditPercent(), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(LastOf(editor.accepted), QStringLiteral("25%"));

    // A keyword chosen after the length.
    editor.Load(QString(), QStringLiteral("12px"));
    ClickBox(editor.form.OthersBox());
    QVERIFY(editor.form.ComboOthers()->isEnabled());
    editor.form.ComboOthers()->setCurrentText(QStringLiteral("inherit"));
    QTest::keyClick(editor.form.ComboOthers(), Qt::Key_Return);
    QCOMPARE(LastOf(editor.accepted), QStringLiteral("inherit"));

    // The free text wins over the boxes, and is not checked.
    editor.Load(QString(), QStringLiteral("12px"));
    editor.form.Edit()->selectAll();
    QTest::keyClicks(editor.form.Edit(), QStringLiteral("calc(1em + 2px)"));
    QTest::keyClick(editor.form.Edit(), Qt::Key_Return);
    QCOMPARE(LastOf(editor.accepted), QStringLiteral("calc(1em + 2px)"));
    QCOMPARE(editor.accepted.count(), 5);
  }

  void OkWithNothingChosenWritesNothing() {
    Editor editor;
    editor.Load(QString(), QStringLiteral("12px"));
    editor.form.LengthBox()->setChecked(false);
    QTest::mouseClick(editor.form.OkButton(), Qt::LeftButton);
    QVERIFY(editor.form.isHidden());
    QCOMPARE(editor.accepted.count(), 0);
  }

  void ANumberBoxWithoutANumberIsRefused_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("letters") << "abc" << "« abc » n'est pas un nombre";
    QTest::newRow("two separators") << "1,5,2" << "« 1,5,2 » n'est pas un nombre";
    QTest::newRow("a unit typed in") << "12px" << "« 12px » n'est pas un nombre";
    QTest::newRow("empty") << "" << "La case de la longueur est vide";
  }
  void ANumberBoxWithoutANumberIsRefused() {
    QFETCH(QString, typed);
    QFETCH(QString, message);
    korvel::MessageRecorder recorder;
    Editor editor;
    editor.Load(QString(), QStringLiteral("12px"));
    editor.form.EditLength()->clear();
    QTest::keyClicks(editor.form.EditLength(), typed);
    QTest::keyClick(editor.form.EditLength(), Qt::Key_Return);
    QCOMPARE(editor.accepted.count(), 0);
    QVERIFY(editor.form.isVisible());
    QCOMPARE(recorder.shown.size(), std::size_t{1});
    QVERIFY2(recorder.Saw(message.toStdString()), recorder.shown.front().text.c_str());
    QCOMPARE(recorder.shown.front().kind, korvel::MessageKind::Warning);

    // The percentage box the same.
    editor.Load(QString(), QStringLiteral("50%"));
    editor.form.EditPercent()->setText(QStringLiteral("moitié"));
    QTest::mouseClick(editor.form.OkButton(), Qt::LeftButton);
    QCOMPARE(editor.accepted.count(), 0);
    QVERIFY(recorder.Saw("« moitié » n'est pas un nombre : tapez dans la case du pourcentage"));
  }

  void ArrowKeysStepTheNumberAndReportEachStep() {
    Editor editor;
    editor.Load(QString(), QStringLiteral("12px"));
    QLineEdit* length = editor.form.EditLength();
    QTest::keyClick(length, Qt::Key_Up);
    QCOMPARE(length->text(), QStringLiteral("13"));
    QCOMPARE(LastOf(editor.stepped), QStringLiteral("13px"));
    QTest::keyClick(length, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(LastOf(editor.stepped), QStringLiteral("23px"));
    QTest::keyClick(length, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(LastOf(editor.stepped), QStringLiteral("22.9px"));
    QTest::keyClick(length, Qt::Key_Down);
    QCOMPARE(LastOf(editor.stepped), QStringLiteral("21.9px"));
    QCOMPARE(editor.stepped.count(), 4);
    QCOMPARE(editor.form.Edit()->text(), QStringLiteral("21.9px"));
    QTest::keyClick(length, Qt::Key_Return);
    QCOMPARE(LastOf(editor.accepted), QStringLiteral("21.9px"));

    editor.Load(QString(), QStringLiteral("1,5%"));
    QTest::keyClick(editor.form.EditPercent(), Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(LastOf(editor.stepped), QStringLiteral("-8.5%"));

    // A box without a number does not step.
    editor.Load(QString(), QStringLiteral("12px"));
    length->setText(QStringLiteral("abc"));
    QTest::keyClick(length, Qt::Key_Up);
    QCOMPARE(length->text(), QStringLiteral("abc"));
    QCOMPARE(editor.stepped.count(), 5);
  }

  void EscapeAndCancelWriteNothing() {
    Editor editor;
    editor.Load(QString(), QStringLiteral("12px"));
    QTest::keyClicks(editor.form.EditLength(), QStringLiteral("5"));
    QTest::keyClick(editor.form.EditLength(), Qt::Key_Escape);
    QVERIFY(editor.form.isHidden());
    editor.Load(QString(), QStringLiteral("12px"));
    QTest::mouseClick(editor.form.CancelButton(), Qt::LeftButton);
    QVERIFY(editor.form.isHidden());
    QCOMPARE(editor.cancelled.count(), 2);
    QCOMPARE(editor.accepted.count(), 0);
    QCOMPARE(editor.stepped.count(), 0);
  }

  // Steps already reported (and written in live mode) are undone by Escape
  // or Cancel: the value loaded is reported once more, even an empty one.
  void EscapeAfterStepsReportsTheValueLoaded_data() {
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Escape") << "12px" << true;
    QTest::newRow("Cancel") << "12px" << false;
    QTest::newRow("a new, empty value") << "" << true;
  }
  void EscapeAfterStepsReportsTheValueLoaded() {
    QFETCH(QString, loaded);
    QFETCH(bool, byEscape);
    Editor editor;
    editor.Load(QString(), loaded);
    if (loaded.isEmpty()) {
      editor.form.LengthBox()->setChecked(true);
      editor.form.EditLength()->setEnabled(true);
      editor.form.EditLength()->setText(QStringLiteral("0"));
    }
    QTest::keyClick(editor.form.EditLength(), Qt::Key_Up);
    QTest::keyClick(editor.form.EditLength(), Qt::Key_Up);
    QCOMPARE(editor.stepped.count(), 2);
    if (byEscape) {
      QTest::keyClick(editor.form.EditLength(), Qt::Key_Escape);
    } else {
      QTest::mouseClick(editor.form.CancelButton(), Qt::LeftButton);
    }
    QVERIFY(editor.form.isHidden());
    QCOMPARE(editor.stepped.count(), 3);
    QCOMPARE(LastOf(editor.stepped), loaded);
    QCOMPARE(editor.accepted.count(), 0);
    // Loaded again, the editor has nothing to undo.
    editor.Load(QString(), QStringLiteral("3em"));
    QTest::keyClick(editor.form.EditLength(), Qt::Key_Escape);
    QCOMPARE(editor.stepped.count(), 3);
  }

  void TextsAreFrench() {
    Editor editor;
    QCOMPARE(editor.form.LengthBox()->text(), QStringLiteral("Longueur"));
    QCOMPARE(editor.form.CancelButton()->toolTip(), QStringLiteral("Annuler"));
  }

  void TabReachesEveryControl() {
    Editor editor;
    editor.Load(QString(), QStringLiteral("12px"));
    editor.form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor.form));
    editor.form.Edit()->setFocus();
    // Every control becomes enabled by a choice; choose each in turn.
    editor.form.EditPercent()->setEnabled(true);
    editor.form.ComboOthers()->setEnabled(true);
    QSet<QWidget*> reached;
    for (int step = 0; step < 12; ++step) {
      reached.insert(QApplication::focusWidget());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const QList<QWidget*> controls = {editor.form.Edit(),       editor.form.LengthBox(),   editor.form.EditLength(),
                                      editor.form.PercentBox(),  editor.form.EditPercent(), editor.form.OthersBox(),
                                      editor.form.ComboOthers(), editor.form.OkButton(),    editor.form.CancelButton()};
    for (QWidget* control : controls) QVERIFY2(reached.contains(control), control->metaObject()->className());
    QVERIFY(reached.contains(editor.form.ComboUnit()) || reached.contains(editor.form.ComboUnit()->lineEdit()));
  }
};

QTEST_MAIN(FormEditTest)
#include "formedit_test.moc"
