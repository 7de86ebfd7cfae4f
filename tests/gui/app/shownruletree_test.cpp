// The order in which the "Edition" page's tree shows the rules: the top
// level and the rules of its groups sorted with the locale's collation (here
// French), what blocks and rules hold in the file's order.

#include <QLocale>
#include <QTest>

#include <functional>
#include <string>

#include "app/stylesheetreader.h"
#include "model/cssparser.h"

namespace korvel {

class ShownRuleTreeTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); }
  void order_data();
  void order();
};

void ShownRuleTreeTest::order_data() {
  QTest::addColumn<QByteArray>("css");
  QTest::addColumn<QString>("shown");  // depth first, two spaces a level, "|" between nodes

  QTest::newRow("top level") << QByteArray("Gamma { color: red }\nbeta { color: red }\nalpha { color: red }\n")
                             << QStringLiteral("alpha|beta|Gamma");
  QTest::newRow("a group's rules sorted, a block's kept")
      << QByteArray("@media print { zeta { color: red } eta { color: red } }\n"
                    "/* <Groupe> */\nzeta { color: red }\neta { color: red }\n/* </Groupe> */\n"
                    "alpha { color: red }\n")
      << QStringLiteral("@media print|  zeta|  eta|alpha|Groupe|  eta|  zeta");
  QTest::newRow("nested rules kept") << QByteArray(".carte { color: red; .zeta { color: red } .eta { color: red } }\n")
                                     << QStringLiteral(".carte|  .zeta|  .eta");
}

void ShownRuleTreeTest::order() {
  QFETCH(QByteArray, css);
  QFETCH(QString, shown);
  const StyleDocument document = ReadStylesheet(std::string(css.constData(), static_cast<std::size_t>(css.size())));
  QStringList lines;
  std::function<void(const std::vector<RuleTreeNode>&, int)> list = [&](const std::vector<RuleTreeNode>& level,
                                                                        int depth) {
    for (const RuleTreeNode& node : level) {
      lines << QString(depth * 2, QLatin1Char(' ')) + QString::fromStdString(node.text);
      list(node.children, depth + 1);
    }
  };
  list(ShownRuleTree(document, TextEncoding::Utf8), 0);
  QCOMPARE(lines.join(QLatin1Char('|')), shown);
}

}  // namespace korvel

QTEST_GUILESS_MAIN(korvel::ShownRuleTreeTest)
#include "shownruletree_test.moc"
