#include "app/textbridge.h"

#include <QTest>

namespace korvel {

class TextBridgeTest final : public QObject {
  Q_OBJECT

 private slots:
  void detectsTheEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("ascii") << QByteArray("p { color: red }") << true;
    QTest::newRow("utf-8 accents") << QByteArray("caf\xc3\xa9 \xe2\x82\xac") << true;
    QTest::newRow("latin-1 accent") << QByteArray("caf\xe9") << false;
    QTest::newRow("cut sequence") << QByteArray("caf\xc3") << false;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false;
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
  }
  void detectsTheEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, utf8);
    QCOMPARE(DetectEncoding(bytes.toStdString()) == TextEncoding::Utf8, utf8);
  }

  void windows1252ReadsItsOwnCharacters() {
    QCOMPARE(ToQt("\x80\xe9\x9c", TextEncoding::Windows1252), QStringLiteral("€éœ"));
    QCOMPARE(FromQt(QStringLiteral("€éœ"), TextEncoding::Windows1252), std::string("\x80\xe9\x9c"));
  }

  void everyByteComesBackUnchanged() {
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    QCOMPARE(FromQt(ToQt(all, TextEncoding::Windows1252), TextEncoding::Windows1252), all);
    const std::string utf8 = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80";
    QCOMPARE(FromQt(ToQt(utf8, TextEncoding::Utf8), TextEncoding::Utf8), utf8);
  }

  void characterOutsideWindows1252BecomesACssEscape() {
    QCOMPARE(FromQt(QStringLiteral("a✓b"), TextEncoding::Windows1252), std::string("a\\2713 b"));
  }
};

}  // namespace korvel

QTEST_MAIN(korvel::TextBridgeTest)
#include "textbridge_test.moc"
