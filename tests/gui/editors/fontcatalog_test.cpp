// The font catalogue: the generic family of a face from its OS/2 facts, and
// the catalogue of a fixture folder of known Debian fonts, read through a
// fontconfig configuration that lists nothing else.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

#include "editors/fontcatalog.h"
#include "support/fontfixture.h"

namespace korvel {

namespace {

using Panose = std::array<std::uint8_t, 10>;

std::optional<GenericFamily> Classify(Panose panose, std::int16_t familyClass = 0) {
  return GenericFamilyFromFacts({panose, familyClass});
}

// -1 stands for "listed nowhere".
int TabOf(const FontCatalog& catalog, const std::string& family) {
  for (GenericFamily generic : kGenericFamilies) {
    const std::vector<std::string>& names = catalog.Of(generic);
    if (std::find(names.begin(), names.end(), family) != names.end()) return static_cast<int>(generic);
  }
  return -1;
}

}  // namespace

class FontCatalogTest final : public QObject {
  Q_OBJECT

 private slots:
  void familyFromFileFacts_data() {
    QTest::addColumn<QByteArray>("panose");
    QTest::addColumn<int>("familyClass");
    QTest::addColumn<int>("generic");
    const auto row = [](const char* name, Panose panose, int familyClass, int generic) {
      QTest::newRow(name) << QByteArray(reinterpret_cast<const char*>(panose.data()), 10) << familyClass << generic;
    };
    row("latin text, cove serif", {2, 2, 6, 3, 5, 4, 5, 2, 3, 4}, 0, int(GenericFamily::Serif));
    row("latin text, sans style 11", {2, 11, 6, 4, 2, 2, 2, 2, 2, 4}, 0, int(GenericFamily::SansSerif));
    row("latin text, sans style 13", {2, 13, 5, 3, 0, 0, 0, 0, 0, 0}, 0, int(GenericFamily::SansSerif));
    row("latin text, style 14 is not sans", {2, 14, 5, 3, 0, 0, 0, 0, 0, 0}, 0, int(GenericFamily::Serif));
    row("monospaced wins over sans style", {2, 11, 6, 9, 3, 8, 4, 2, 2, 4}, 0, int(GenericFamily::Monospace));
    row("monospaced serif", {2, 7, 3, 9, 2, 2, 5, 2, 4, 4}, 0, int(GenericFamily::Monospace));
    row("hand-written", {3, 0, 5, 2, 0, 0, 0, 0, 0, 0}, 0, int(GenericFamily::Cursive));
    row("decorative", {4, 2, 5, 5, 0, 0, 0, 0, 0, 0}, 0, int(GenericFamily::Fantasy));
    row("symbol", {5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, int(GenericFamily::Fantasy));
    row("PANOSE kind wins over the class", {3, 0, 5, 2, 0, 0, 0, 0, 0, 0}, 0x0800, int(GenericFamily::Cursive));
    row("zero PANOSE, oldstyle serif class", {}, 0x0105, int(GenericFamily::Serif));
    row("zero PANOSE, freeform serif class", {}, 0x0700, int(GenericFamily::Serif));
    row("zero PANOSE, sans class", {}, 0x0801, int(GenericFamily::SansSerif));
    row("zero PANOSE, script class", {}, 0x0A05, int(GenericFamily::Cursive));
    row("zero PANOSE, ornamental class", {}, 0x0900, int(GenericFamily::Fantasy));
    row("zero PANOSE, symbolic class", {}, 0x0C00, int(GenericFamily::Fantasy));
    row("zero PANOSE, no class", {}, 0, -1);
    row("zero PANOSE, reserved class 6", {}, 0x0600, -1);
    row("PANOSE kind 'any' defers to the class", {1, 2, 0, 0, 0, 0, 0, 0, 0, 0}, 0x0800, int(GenericFamily::SansSerif));
  }
  void familyFromFileFacts() {
    QFETCH(QByteArray, panose);
    QFETCH(int, familyClass);
    QFETCH(int, generic);
    Panose bytes{};
    std::copy(panose.begin(), panose.end(), bytes.begin());
    const std::optional<GenericFamily> found = Classify(bytes, static_cast<std::int16_t>(familyClass));
    QCOMPARE(found ? static_cast<int>(*found) : -1, generic);
  }

  void keywords() {
    for (GenericFamily family : kGenericFamilies)
      QCOMPARE(GenericFamilyFromKeyword(GenericFamilyKeyword(family)), std::optional(family));
    QCOMPARE(GenericFamilyFromKeyword("Sans-Serif"), std::optional(GenericFamily::SansSerif));
    QVERIFY(!GenericFamilyFromKeyword("sans serif"));
    QVERIFY(!GenericFamilyFromKeyword(""));
  }

  void fixtureFontsSortedByGenericFamily_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("generic");
    QTest::newRow("DejaVu Sans") << "DejaVu Sans" << int(GenericFamily::SansSerif);
    QTest::newRow("DejaVu Sans Mono") << "DejaVu Sans Mono" << int(GenericFamily::Monospace);
    QTest::newRow("DejaVu Serif") << "DejaVu Serif" << int(GenericFamily::Serif);
    QTest::newRow("Liberation Sans") << "Liberation Sans" << int(GenericFamily::SansSerif);
    QTest::newRow("Liberation Serif") << "Liberation Serif" << int(GenericFamily::Serif);
    QTest::newRow("Liberation Mono") << "Liberation Mono" << int(GenericFamily::Monospace);
    QTest::newRow("Nimbus Roman, zero PANOSE, by fontconfig") << "Nimbus Roman" << int(GenericFamily::Serif);
    QTest::newRow("Nimbus Sans") << "Nimbus Sans" << int(GenericFamily::SansSerif);
    QTest::newRow("Nimbus Mono PS") << "Nimbus Mono PS" << int(GenericFamily::Monospace);
    QTest::newRow("Z003") << "Z003" << int(GenericFamily::Cursive);
    QTest::newRow("D050000L") << "D050000L" << int(GenericFamily::Fantasy);
    QTest::newRow("URW Gothic, Type 1 only, by fontconfig") << "URW Gothic" << int(GenericFamily::SansSerif);
  }
  void fixtureFontsSortedByGenericFamily() {
    QFETCH(QString, family);
    QFETCH(int, generic);
    QCOMPARE(TabOf(catalog_, family.toStdString()), generic);
  }

  void genericFamilyFromFontconfigRules_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("generic");
    QTest::newRow("Nimbus Roman") << "Nimbus Roman" << int(GenericFamily::Serif);
    QTest::newRow("Z003, filed after the catch-all") << "Z003" << int(GenericFamily::Cursive);
    QTest::newRow("D050000L") << "D050000L" << int(GenericFamily::Fantasy);
    QTest::newRow("Nimbus Mono PS") << "Nimbus Mono PS" << int(GenericFamily::Monospace);
    QTest::newRow("URW Gothic, filed under the catch-all's own") << "URW Gothic" << int(GenericFamily::SansSerif);
    QTest::newRow("a name no rule knows") << "Korvel Unknown Sans" << -1;
    QTest::newRow("empty name") << "" << -1;
  }
  void genericFamilyFromFontconfigRules() {
    QFETCH(QString, family);
    QFETCH(int, generic);
    const std::optional<GenericFamily> found = ConfiguredGenericFamily(family.toStdString());
    QCOMPARE(found ? static_cast<int>(*found) : -1, generic);
  }

  void eachFamilyListedOnceAndSorted() {
    std::vector<std::string> all;
    for (GenericFamily generic : kGenericFamilies) {
      const std::vector<std::string>& names = catalog_.Of(generic);
      QVERIFY(std::is_sorted(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
      }));
      all.insert(all.end(), names.begin(), names.end());
    }
    std::sort(all.begin(), all.end());
    QVERIFY(std::adjacent_find(all.begin(), all.end()) == all.end());
    // Nimbus Roman comes as OpenType and as Type 1 and in two weights;
    // DejaVu Sans and Liberation Sans in two faces each.
    QCOMPARE(std::count(all.begin(), all.end(), "Nimbus Roman"), 1);
  }

  void listingOnAThreadGivesTheSameCatalogue() {
    const FontCatalog listed = StartListingInstalledFontFamilies().get();
    QCOMPARE(listed.families, catalog_.families);
  }

 private:
  FontCatalog catalog_ = ListInstalledFontFamilies();
};

}  // namespace korvel

int main(int argc, char** argv) {
  korvel::UseFixtureFonts();
  QCoreApplication app(argc, argv);
  korvel::FontCatalogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "fontcatalog_test.moc"
