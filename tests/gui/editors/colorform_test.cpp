// The colour list picker and the RGB mixer, each built alone: what a value
// opens as, what OK and Enter give back, Escape, custom colours
// joining the table and the list, and the mixer's sliders, texts and OK.
//
// The colour table is the process's own and only grows, so each test that
// adds a custom colour uses one no other test uses.

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include "editors/colorformunit.h"
#include "editors/colorunit.h"
#include "colors/colorutils.h"
#include "editors/gstringgrid.h"
#include "support/guitestsupport.h"

namespace korvel {

namespace {

const QStringList kKeywords = {QStringLiteral("color"), QStringLiteral("transparent"), QStringLiteral("inherit")};

std::size_t TableSize() { return ColorTable::Shared().Entries().size(); }

QString LastListName(const TColorForm& picker) {
  return picker.ColorList()->item(picker.ColorList()->count() - 1)->text();
}

void PressEnterInCombo(TColorForm& picker, const QString& text) {
  picker.Combo()->setEditText(text);
  QTest::keyClick(picker.Combo()->lineEdit(), Qt::Key_Return);
}

struct Sliders {
  int red;
  int green;
  int blue;
  friend bool operator==(const Sliders&, const Sliders&) = default;
};

Sliders SlidersOf(const TGestColorForm& mixer) {
  return {mixer.RedSlider()->value(), mixer.GreenSlider()->value(), mixer.BlueSlider()->value()};
}

void SetSliders(TGestColorForm& mixer, Sliders sliders) {
  mixer.RedSlider()->setValue(sliders.red);
  mixer.GreenSlider()->setValue(sliders.green);
  mixer.BlueSlider()->setValue(sliders.blue);
}

}  // namespace

class ColorFormTest final : public QObject {
  Q_OBJECT

 private slots:
  void listHoldsTheWholeTable() {
    TColorForm picker(nullptr);
    QCOMPARE(static_cast<std::size_t>(picker.ColorList()->count()), TableSize());
    QCOMPARE(picker.ColorList()->item(0)->text(), QStringLiteral("aliceblue"));
    QCOMPARE(picker.ColorList()->item(168)->text(), QStringLiteral("windowtext"));
  }

  void openingAValue_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<QString>("selected");  // "=" for "the selection before"
    QTest::addColumn<bool>("message");
    QTest::newRow("name") << "red" << "#FF0000" << "red" << false;
    QTest::newRow("name in capitals") << "RED" << "#FF0000" << "red" << false;
    QTest::newRow("short hex, first name of the value") << "#fff" << "#FFFFFF" << "white" << false;
    QTest::newRow("hex of two names") << "#00ffff" << "#00FFFF" << "aqua" << false;
    QTest::newRow("keyword") << "inherit" << "inherit" << "=" << false;
    QTest::newRow("transparent") << "transparent" << "transparent" << "=" << false;
    QTest::newRow("rgb with alpha") << "rgb(0 0 0 / 50%)" << "rgb(0 0 0 / 50%)" << "=" << false;
    QTest::newRow("hsl") << "hsl(120, 100%, 25%)" << "hsl(120, 100%, 25%)" << "=" << false;
    QTest::newRow("custom property") << "var(--brand)" << "var(--brand)" << "=" << false;
    QTest::newRow("currentColor") << "currentColor" << "currentColor" << "=" << false;
    QTest::newRow("hex of bad length") << "#12" << "#12" << "=" << true;
    QTest::newRow("hex with non-hex digits") << "#GGG" << "#GGG" << "=" << true;
  }
  void openingAValue() {
    QFETCH(QString, value);
    QFETCH(QString, comboText);
    QFETCH(QString, selected);
    QFETCH(bool, message);
    MessageRecorder messages;
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("navy"));
    const std::size_t before = TableSize();

    picker.LoadValue(kKeywords, value);

    QCOMPARE(picker.Combo()->currentText(), comboText);
    QCOMPARE(picker.SelectedName(), selected == QLatin1String("=") ? QStringLiteral("navy") : selected);
    QCOMPARE(messages.Saw("Format de couleur incorrect!"), message);
    QCOMPARE(messages.shown.size(), message ? 1u : 0u);
    QCOMPARE(TableSize(), before);
  }

  void comboListHoldsTheKeywords() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    QStringList items;
    for (int i = 0; i < picker.Combo()->count(); ++i) items << picker.Combo()->itemText(i);
    QCOMPARE(items, kKeywords);
    picker.LoadValue({}, QStringLiteral("red"));
    QCOMPARE(picker.Combo()->count(), 0);
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#FF0000"));
  }

  // What OK writes for the text in the combo box: a colour the picker can
  // show, or nothing at all, so that a value it cannot show stays intact.
  void okWritesAColourOrNothing_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("typed");  // "" keeps the text the value opened with
    QTest::addColumn<QString>("written");  // "" for nothing written
    QTest::newRow("name opens as its hex") << "red" << "" << "#FF0000";
    QTest::newRow("typed short hex") << "inherit" << "#0f8" << "#00FF88";
    QTest::newRow("typed transparent") << "red" << "transparent" << "transparent";
    QTest::newRow("transparent kept") << "transparent" << "" << "transparent";
    QTest::newRow("Transparent is not the keyword") << "red" << "Transparent" << "";
    QTest::newRow("typed name") << "#000" << "blue" << "#0000FF";
    QTest::newRow("typed name in another case") << "#000" << "Teal" << "#008080";
    QTest::newRow("typed word that is no colour") << "#000" << "bleu" << "";
    QTest::newRow("keyword") << "inherit" << "" << "";
    QTest::newRow("rgb with alpha kept") << "rgb(0 0 0 / 50%)" << "" << "";
    QTest::newRow("hsl kept") << "hsl(120, 100%, 25%)" << "" << "";
    QTest::newRow("custom property kept") << "var(--brand)" << "" << "";
    QTest::newRow("currentColor kept") << "currentColor" << "" << "";
    QTest::newRow("bad hex kept") << "#12" << "" << "";
  }
  void okWritesAColourOrNothing() {
    QFETCH(QString, value);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    MessageRecorder messages;
    TColorForm picker(nullptr);
    QSignalSpy accepted(&picker, &GPopupForm::Accepted);
    picker.LoadValue(kKeywords, value);
    picker.show();
    if (!typed.isEmpty()) picker.Combo()->setEditText(typed);

    QTest::mouseClick(picker.OkButton(), Qt::LeftButton);

    QCOMPARE(accepted.size(), written.isEmpty() ? 0 : 1);
    if (!written.isEmpty()) QCOMPARE(accepted.front().front().toString(), written);
    QVERIFY(!picker.isVisible());
  }

  void liveUpdateWritesAndStaysOpen() {
    TColorForm picker(nullptr);
    picker.SetLiveUpdate(true);
    QSignalSpy accepted(&picker, &GPopupForm::Accepted);
    picker.LoadValue(kKeywords, QStringLiteral("lime"));
    picker.show();
    QTest::mouseClick(picker.OkButton(), Qt::LeftButton);
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(accepted.front().front().toString(), QStringLiteral("#00FF00"));
    QVERIFY(picker.isVisible());
  }

  void cancelWritesNothing() {
    TColorForm picker(nullptr);
    QSignalSpy accepted(&picker, &GPopupForm::Accepted);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    picker.show();
    QTest::mouseClick(picker.CancelButton(), Qt::LeftButton);
    QVERIFY(!picker.isVisible());
    QCOMPARE(accepted.size(), 0);
  }

  // Enter in the combo box shows the typed colour as its "#" text and
  // confirms it; a bad "#" text is said and the picker stays open on it.
  void enterConfirmsTheTypedColour_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");  // "" for nothing written
    QTest::addColumn<QString>("selected");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("hex") << "#ff0000" << "#FF0000" << "red" << false;
    QTest::newRow("name") << "teal" << "#008080" << "teal" << false;
    QTest::newRow("name in another case") << "Teal" << "#008080" << "teal" << false;
    QTest::newRow("transparent") << "transparent" << "transparent" << "" << false;
    QTest::newRow("bad hex: said, stays open") << "#12" << "" << "" << true;
    QTest::newRow("no colour: closes, writes nothing") << "bleu" << "" << "" << false;
  }
  void enterConfirmsTheTypedColour() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, selected);
    QFETCH(bool, staysOpen);
    MessageRecorder messages;
    TColorForm picker(nullptr);
    QSignalSpy accepted(&picker, &GPopupForm::Accepted);
    picker.LoadValue(kKeywords, QStringLiteral("inherit"));
    picker.show();

    PressEnterInCombo(picker, typed);

    QCOMPARE(accepted.size(), written.isEmpty() ? 0 : 1);
    if (!written.isEmpty()) QCOMPARE(accepted.front().front().toString(), written);
    if (!selected.isEmpty()) QCOMPARE(picker.SelectedName(), selected);
    QCOMPARE(picker.isVisible(), staysOpen);
    QCOMPARE(messages.Saw("Format de couleur incorrect!"), staysOpen);
    QCOMPARE(messages.shown.size(), staysOpen ? 1u : 0u);
  }

  void escapeCancelsAndEnterConfirmsFromEveryControl() {
    TColorForm picker(nullptr);
    QSignalSpy accepted(&picker, &GPopupForm::Accepted);
    const QList<QWidget*> controls = {picker.Combo()->lineEdit(), picker.ColorList(), picker.MixerButton(),
                                      picker.OkButton(), picker.CancelButton()};
    for (QWidget* control : controls) {
      picker.LoadValue(kKeywords, QStringLiteral("red"));
      picker.show();
      QTest::keyClick(control, Qt::Key_Escape);
      QVERIFY2(!picker.isVisible(), control->metaObject()->className());
    }
    QCOMPARE(accepted.size(), 0);
    for (QWidget* control : controls) {
      picker.LoadValue(kKeywords, QStringLiteral("red"));
      picker.show();
      QTest::keyClick(control, Qt::Key_Enter, Qt::KeypadModifier);
      QVERIFY2(!picker.isVisible(), control->metaObject()->className());
    }
    QCOMPARE(accepted.size(), controls.size());
    QCOMPARE(accepted.back().front().toString(), QStringLiteral("#FF0000"));
  }

  void customColourJoinsTableAndListOnce() {
    TColorForm picker(nullptr);
    const std::size_t before = TableSize();
    picker.LoadValue(kKeywords, QStringLiteral("#a1b2c3"));
    QCOMPARE(TableSize(), before + 1);
    QCOMPARE(ColorTable::Shared().Entries().back(), std::string("#A1B2C3=#A1B2C3"));
    QCOMPARE(static_cast<std::size_t>(picker.ColorList()->count()), TableSize());
    QCOMPARE(LastListName(picker), QStringLiteral("#A1B2C3"));
    QCOMPARE(picker.SelectedName(), QStringLiteral("#A1B2C3"));

    picker.LoadValue(kKeywords, QStringLiteral("#A1B2C3"));
    QCOMPARE(TableSize(), before + 1);

    // A second picker built before the colour was added catches up when
    // it opens: its list always equals the table.
    TColorForm other(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("#a1b2c4"));
    other.LoadValue(kKeywords, QStringLiteral("red"));
    QCOMPARE(static_cast<std::size_t>(other.ColorList()->count()), TableSize());
  }

  void clickingAnItemTakesItsValue() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("inherit"));
    picker.show();
    QListWidget* list = picker.ColorList();
    QListWidgetItem* item = list->findItems(QStringLiteral("gold"), Qt::MatchExactly).front();
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#FFD700"));
    QCOMPARE(picker.SelectedName(), QStringLiteral("gold"));
  }

  void opensOverTheValueCell() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* grid = new GStringGrid(&window);
    layout->addWidget(grid);
    for (int row = 0; row < 4; ++row) grid->SetCellText(0, row, QStringLiteral("color"));
    grid->SetColumnWidth(0, 100);
    grid->SetColumnWidth(1, 320);
    window.setGeometry(50, 50, 500, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    grid->SetCurrentRow(2);

    TColorForm picker(&window);
    picker.ShowForCell(*grid, kKeywords, QStringLiteral("red"));

    const QRect cell = ValueCellInGlobal(*grid, 2);
    QVERIFY(picker.isVisible());
    QCOMPARE(picker.geometry().topLeft(), QPoint(cell.left() - 1, cell.top()));
    QCOMPARE(picker.width(), 320);
    QListWidget* list = picker.ColorList();
    QCOMPARE(list->visualItemRect(list->item(0)).height(), grid->DefaultRowHeight() - 2);
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#FF0000"));
  }

  void itemsShowTheirSwatch() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("aliceblue"));
    picker.show();
    QListWidget* list = picker.ColorList();
    QListWidgetItem* item = list->findItems(QStringLiteral("red"), Qt::MatchExactly).front();
    list->scrollToItem(item);
    const QRect rect = list->visualItemRect(item);
    const QImage image = list->viewport()->grab().toImage();
    QCOMPARE(image.pixelColor(rect.left() + 30, rect.top() + 8), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(rect.left() + 2, rect.top() + 8), list->palette().color(QPalette::Base));
  }

  // The mixer.

  void mixerLoadsAColour_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::newRow("name") << "red" << true << 255 << 0 << 0;
    QTest::newRow("name in capitals") << "Navy" << true << 0 << 0 << 128;
    QTest::newRow("short hex") << "#0f8" << true << 0 << 255 << 136;
    QTest::newRow("long hex") << "#12aB56" << true << 0x12 << 0xAB << 0x56;
    QTest::newRow("keyword leaves the sliders") << "inherit" << false << 1 << 2 << 3;
    QTest::newRow("bad hex leaves the sliders") << "#1g2" << false << 1 << 2 << 3;
    QTest::newRow("bad length leaves the sliders") << "#1234" << false << 1 << 2 << 3;
  }
  void mixerLoadsAColour() {
    QFETCH(QString, text);
    QFETCH(bool, loaded);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    TGestColorForm mixer;
    SetSliders(mixer, {1, 2, 3});
    QCOMPARE(mixer.LoadColor(text), loaded);
    QCOMPARE(SlidersOf(mixer), (Sliders{red, green, blue}));
    QCOMPARE(mixer.RgbStatus(), QStringLiteral("RGB : %1,%2,%3").arg(red).arg(green).arg(blue));
    QCOMPARE(mixer.HtmlStatus(), QStringLiteral("HTML : ") + HtmlColorText(red, green, blue));
    QCOMPARE(mixer.PreviewColor(), QColor(red, green, blue));
  }

  void mixerFollowsItsSliders() {
    TGestColorForm mixer;
    QCOMPARE(mixer.windowTitle(), QStringLiteral("Gestion des couleurs"));
    SetSliders(mixer, {255, 128, 0});
    QCOMPARE(mixer.RgbStatus(), QStringLiteral("RGB : 255,128,0"));
    QCOMPARE(mixer.HtmlStatus(), QStringLiteral("HTML : #FF8000"));
    QCOMPARE(mixer.PreviewColor(), QColor(255, 128, 0));
  }

  void mixerChannelsHaveTheirColours() {
    TGestColorForm mixer;
    mixer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mixer));
    for (ChannelSlider* slider : {mixer.RedSlider(), mixer.GreenSlider(), mixer.BlueSlider()}) {
      slider->setValue(255);  // the handle at the right end, away from the left of the channel
      const QImage image = slider->grab().toImage();
      const QRect channel = slider->ChannelRect();
      QVERIFY(!channel.isEmpty());
      QCOMPARE(image.pixelColor(channel.left() + 3, channel.center().y()), slider->ChannelColor());
    }
    QCOMPARE(mixer.GreenSlider()->ChannelColor(), QColor(0, 128, 0));
  }

  void mixerOkWithAColourOfTheTable() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("inherit"));
    picker.show();
    picker.OpenMixer();
    TGestColorForm* mixer = picker.Mixer();
    QVERIFY(mixer != nullptr && mixer->isVisible());
    const std::size_t before = TableSize();

    SetSliders(*mixer, {255, 0, 0});
    QTest::mouseClick(mixer->OkButton(), Qt::LeftButton);

    QCOMPARE(picker.SelectedName(), QStringLiteral("red"));
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#FF0000"));
    QCOMPARE(TableSize(), before);
    QVERIFY(!mixer->isVisible());
    QVERIFY(picker.isVisible());

    // Only "#" colours come in from a mixer.
    picker.TakeMixedColor(QStringLiteral("var(--brand)"));
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#FF0000"));
    QCOMPARE(TableSize(), before);
  }

  void mixerOkWithANewColour() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    picker.show();
    picker.OpenMixer();
    QCOMPARE(SlidersOf(*picker.Mixer()), (Sliders{255, 0, 0}));
    const std::size_t before = TableSize();

    SetSliders(*picker.Mixer(), {18, 52, 86});
    QTest::mouseClick(picker.Mixer()->OkButton(), Qt::LeftButton);

    QCOMPARE(TableSize(), before + 1);
    QCOMPARE(ColorTable::Shared().Entries().back(), std::string("#123456=#123456"));
    QCOMPARE(LastListName(picker), QStringLiteral("#123456"));
    QCOMPARE(picker.SelectedName(), QStringLiteral("#123456"));
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#123456"));
  }

  void mixerOkWhilePickerClosedChangesNothing() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    picker.show();
    picker.OpenMixer();
    picker.hide();
    const std::size_t before = TableSize();
    SetSliders(*picker.Mixer(), {1, 2, 250});
    QTest::mouseClick(picker.Mixer()->OkButton(), Qt::LeftButton);
    QCOMPARE(TableSize(), before);
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#FF0000"));
    QCOMPARE(picker.SelectedName(), QStringLiteral("red"));
  }

  void mixerFollowsListClicksAndStaysOpenInLiveMode() {
    TColorForm picker(nullptr);
    picker.SetLiveUpdate(true);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    picker.show();
    picker.OpenMixer();
    QListWidget* list = picker.ColorList();
    QListWidgetItem* item = list->findItems(QStringLiteral("teal"), Qt::MatchExactly).front();
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QCOMPARE(SlidersOf(*picker.Mixer()), (Sliders{0, 128, 128}));

    QTest::mouseClick(picker.Mixer()->OkButton(), Qt::LeftButton);
    QVERIFY(picker.Mixer()->isVisible());
    QTest::mouseClick(picker.Mixer()->CancelButton(), Qt::LeftButton);
    QVERIFY(!picker.Mixer()->isVisible());
  }

  // The mixer opens on the right of the list, or on its left where the
  // screen ends, level with it.
  void mixerOpensBesideTheList() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    picker.move(screen.left() + 40, screen.top() + 30);
    picker.show();
    picker.OpenMixer();
    TGestColorForm* mixer = picker.Mixer();
    QCOMPARE(mixer->frameGeometry().topLeft(), QPoint(picker.geometry().right() + 1, picker.geometry().top()));

    mixer->hide();
    picker.move(screen.right() + 1 - picker.width() - 10, screen.top() + 30);
    picker.OpenMixer();
    QCOMPARE(mixer->frameGeometry().right(), picker.geometry().left() - 1);
    QCOMPARE(mixer->frameGeometry().top(), picker.geometry().top());
  }

  void mixerClosesOnEscapeAndConfirmsOnEnter() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("inherit"));
    picker.show();
    picker.OpenMixer();
    TGestColorForm* mixer = picker.Mixer();
    SetSliders(*mixer, {0, 0, 255});
    QTest::keyClick(mixer->RedSlider(), Qt::Key_Escape);
    QVERIFY(!mixer->isVisible());
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("inherit"));
    picker.OpenMixer();
    SetSliders(*mixer, {0, 0, 255});
    QTest::keyClick(mixer->BlueSlider(), Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(!mixer->isVisible());
    QCOMPARE(picker.Combo()->currentText(), QStringLiteral("#0000FF"));
  }

  void textsAreFrench() {
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("red"));
    picker.OpenMixer();
    QCOMPARE(picker.CancelButton()->toolTip(), QStringLiteral("Annuler"));
    QCOMPARE(picker.Mixer()->CancelButton()->toolTip(), QStringLiteral("Annuler"));
    QCOMPARE(picker.Mixer()->RedSlider()->toolTip(), QStringLiteral("Rouge"));
    QCOMPARE(picker.Mixer()->GreenSlider()->toolTip(), QStringLiteral("Vert"));
    QCOMPARE(picker.Mixer()->BlueSlider()->toolTip(), QStringLiteral("Bleu"));
  }

  void mixerRefusesABadHexText() {
    MessageRecorder messages;
    TColorForm picker(nullptr);
    picker.LoadValue(kKeywords, QStringLiteral("#12"));
    QCOMPARE(messages.shown.size(), 1u);
    picker.show();
    picker.OpenMixer();
    QCOMPARE(messages.shown.size(), 2u);
    QVERIFY(!picker.Mixer()->isVisible());
    // A keyword opens the mixer where its sliders stood.
    picker.Combo()->setEditText(QStringLiteral("inherit"));
    picker.OpenMixer();
    QVERIFY(picker.Mixer()->isVisible());
    QCOMPARE(messages.shown.size(), 2u);
  }
};

}  // namespace korvel

QTEST_MAIN(korvel::ColorFormTest)
#include "colorform_test.moc"
