// Where the data module finds Korvel's data and where it writes: a build
// tree keeps everything beside its executable; an installed copy reads
// ../share/korvel/ and writes only into the user's own folders.

#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/dmunit.h"
#include "support/guitestsupport.h"

using namespace korvel;

namespace {

// Every file under a folder, relative to it, sorted.
QStringList FilesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) files << QDir(folder).relativeFilePath(it.next());
  files.sort();
  return files;
}

}  // namespace

class DataFoldersTest final : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void dataIsFoundAndWrittenWhereItBelongs_data();
  void dataIsFoundAndWrittenWhereItBelongs();
  void theExampleCopyKeepsTheUsersEdits();

 private:
  // Puts the data (dictionary and example project) into `folder`.
  static void ShipData(const QString& folder);

  std::unique_ptr<QTemporaryDir> dir_;
  QString home_;
};

void DataFoldersTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  home_ = dir_->path() + QStringLiteral("/home/");
  // The user's folders, as the desktop names them.
  qputenv("XDG_DATA_HOME", (home_ + QStringLiteral(".local/share")).toUtf8());
  qputenv("XDG_CACHE_HOME", (home_ + QStringLiteral(".cache")).toUtf8());
}

void DataFoldersTest::ShipData(const QString& folder) {
  QVERIFY(CopyFolder(QStringLiteral(KORVEL_DATA "/exempleCSS"), folder + QStringLiteral("exempleCSS")));
  QVERIFY(QFile::copy(QStringLiteral(KORVEL_DATA "/CSSKeywords.xml"), folder + QStringLiteral("CSSKeywords.xml")));
}

void DataFoldersTest::dataIsFoundAndWrittenWhereItBelongs_data() {
  QTest::addColumn<QString>("shippedIn");  // relative to the scratch root; "" for nowhere
  QTest::addColumn<QString>("data");
  QTest::addColumn<QString>("example");
  QTest::addColumn<QString>("scratch");
  // The build tree: data, example and scratch folder beside the executable.
  QTest::newRow("build tree") << QStringLiteral("usr/bin/") << QStringLiteral("usr/bin/")
                              << QStringLiteral("usr/bin/exempleCSS/") << QStringLiteral("usr/bin/ImageTemp/");
  // Installed: read from ../share/korvel/, written in the user's folders,
  // with "Korvel" once in their paths.
  QTest::newRow("installed") << QStringLiteral("usr/share/korvel/") << QStringLiteral("usr/share/korvel/")
                             << QStringLiteral("home/.local/share/Korvel/exempleCSS/")
                             << QStringLiteral("home/.cache/Korvel/ImageTemp/");
  // No data anywhere: the dictionary is looked for beside the executable,
  // where its absence is reported.
  QTest::newRow("missing") << QString() << QStringLiteral("usr/bin/")
                           << QStringLiteral("usr/bin/exempleCSS/") << QStringLiteral("usr/bin/ImageTemp/");
}

void DataFoldersTest::dataIsFoundAndWrittenWhereItBelongs() {
  QFETCH(QString, shippedIn);
  QFETCH(QString, data);
  QFETCH(QString, example);
  QFETCH(QString, scratch);
  const QString root = dir_->path() + u'/';
  const QString exe = root + QStringLiteral("usr/bin/");
  QVERIFY(QDir().mkpath(exe));
  if (!shippedIn.isEmpty()) ShipData(root + shippedIn);
  const QStringList shipped = FilesUnder(root + QStringLiteral("usr"));

  const TDM dm(exe);
  QCOMPARE(dm.DataDir(), root + data);
  QCOMPARE(dm.DictionaryPath(), root + data + QStringLiteral("CSSKeywords.xml"));
  QCOMPARE(dm.ExampleFolder(), root + example);
  QCOMPARE(dm.ScratchFolder(), root + scratch);
  QVERIFY(QFileInfo(dm.ScratchFolder()).isDir());
  if (shippedIn.isEmpty()) return;
  QVERIFY(QFileInfo::exists(dm.ExampleFolder() + QStringLiteral("styles.css")));
  QVERIFY(QFileInfo::exists(dm.ExampleFolder() + QStringLiteral("Images/logo.png")));
  if (shippedIn.startsWith(QStringLiteral("usr/share"))) {
    // An installed copy: nothing was added under the installation.
    QCOMPARE(FilesUnder(root + QStringLiteral("usr")), shipped);
    QVERIFY(!QFileInfo::exists(exe + QStringLiteral("ImageTemp")));
  }
}

void DataFoldersTest::theExampleCopyKeepsTheUsersEdits() {
  const QString root = dir_->path() + u'/';
  ShipData(root + QStringLiteral("usr/share/korvel/"));
  QVERIFY(QDir().mkpath(root + QStringLiteral("usr/bin")));
  QString copy;
  {
    const TDM first(root + QStringLiteral("usr/bin"));
    copy = first.ExampleFolder() + QStringLiteral("styles.css");
  }
  QFile edited(copy);
  QVERIFY(edited.open(QIODevice::WriteOnly | QIODevice::Truncate));
  edited.write("body { color: red; }\n");
  edited.close();
  const TDM second(root + QStringLiteral("usr/bin"));
  QVERIFY(edited.open(QIODevice::ReadOnly));
  QCOMPARE(edited.readAll(), QByteArray("body { color: red; }\n"));
}

QTEST_MAIN(DataFoldersTest)
#include "datafolders_test.moc"
