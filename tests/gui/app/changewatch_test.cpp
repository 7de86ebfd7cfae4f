// The change watch over real inotify in temporary folders, and the decision
// the window takes when it becomes active again.

#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/changewatch.h"
#include "app/threadunit.h"
#include "model/filebytes.h"

Q_DECLARE_METATYPE(korvel::ChangeVerdict)

namespace korvel {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void WriteInPlace(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void WriteAndRenameOver(const fs::path& path, const std::string& bytes) {
  const fs::path fresh = path.parent_path() / (path.filename().string() + ".new~");
  WriteInPlace(fresh, bytes);
  fs::rename(fresh, path);
}

void DeleteThenCreate(const fs::path& path, const std::string& bytes) {
  fs::remove(path);
  WriteInPlace(path, bytes);
}

enum class SaveStyle { InPlace, RenameOver, DeleteThenCreate };

void Save(SaveStyle style, const fs::path& path, const std::string& bytes) {
  switch (style) {
    case SaveStyle::InPlace: return WriteInPlace(path, bytes);
    case SaveStyle::RenameOver: return WriteAndRenameOver(path, bytes);
    case SaveStyle::DeleteThenCreate: return DeleteThenCreate(path, bytes);
  }
}

// Every inotify watch this process holds, read from /proc.
int InotifyWatchesHeld() {
  int count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc/self/fdinfo")) {
    std::ifstream info(entry.path());
    for (std::string line; std::getline(info, line);)
      if (line.rfind("inotify wd:", 0) == 0) ++count;
  }
  return count;
}

}  // namespace

class ChangeWatchTest final : public QObject {
  Q_OBJECT

 private:
  fs::path project_;
  std::unique_ptr<QTemporaryDir> folder_;

  fs::path Make(const std::string& relative, const std::string& bytes = "p { color: red }\n") {
    const fs::path path = project_ / relative;
    fs::create_directories(path.parent_path());
    WriteInPlace(path, bytes);
    return path;
  }

  // A marker renamed into the project folder last comes through the same
  // queue after every earlier change: once it is recorded, the rest is too.
  std::string PutMarker() {
    static int markers = 0;
    const std::string marker = "marker-" + std::to_string(++markers);
    WriteAndRenameOver(project_ / marker, "");
    return marker;
  }

  // Everything the watch records up to now.
  ChangeLists Settle(ThreadSurveillance& watch) {
    const std::string marker = PutMarker();
    if (!watch.WaitForName(marker, 5s)) qWarning("the watch never saw the marker");
    return watch.TakeChanges();
  }

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    project_ = fs::path(folder_->path().toStdString()) / "projet";
    fs::create_directories(project_);
  }

  void everySaveStyleIsAModification_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("stylesheet");
    for (const char* where : {"styles.css", "css/styles.css", "assets/css/styles.css"}) {
      const QString at = QString::fromLatin1(where);
      QTest::addRow("in place, %s", where) << int(SaveStyle::InPlace) << at;
      QTest::addRow("rename over, %s", where) << int(SaveStyle::RenameOver) << at;
      QTest::addRow("delete then create, %s", where) << int(SaveStyle::DeleteThenCreate) << at;
    }
  }
  void everySaveStyleIsAModification() {
    QFETCH(int, style);
    QFETCH(QString, stylesheet);
    const std::string name = stylesheet.toStdString();
    const fs::path css = Make(name);
    const FileStamp held = FileStamp::OfBytes("p { color: red }\n");

    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    Save(static_cast<SaveStyle>(style), css, "p { color: blue }\n");

    const ChangeLists seen = Settle(watch);
    QVERIFY(ConcernsStylesheet(seen, name));
    const ChangeDecision decision = DecideOnActivation(seen, name, FileStamp::OfFile(css.string()), held, false);
    QCOMPARE(decision.verdict, ChangeVerdict::AskModified);
    QCOMPARE(decision.message.text, "Le fichier CSS courant a été modifié : " + name + "\nRecharger ?");
  }

  // The file is stamped as it is read, in pieces; the version held, from
  // its bytes in memory. The two must agree whatever the size, and a single
  // byte changed anywhere must tell the versions apart.
  void aFileReadInPiecesIsStampedAsItsBytes_data() {
    QTest::addColumn<int>("size");
    for (const int size : {0, 1, 7, 8, 9, 65535, 65536, 65537, 200003}) QTest::addRow("%d bytes", size) << size;
  }
  void aFileReadInPiecesIsStampedAsItsBytes() {
    QFETCH(int, size);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
    const fs::path css = Make("css/styles.css", bytes);
    QVERIFY(FileStamp::OfFile(css.string()) == FileStamp::OfBytes(bytes));
    for (const std::size_t at : {std::size_t{0}, bytes.size() / 2, bytes.size() - 1}) {
      if (bytes.empty()) break;
      std::string changed = bytes;
      changed[at] = static_cast<char>(changed[at] ^ 0x80);
      QVERIFY(!(FileStamp::OfBytes(changed) == FileStamp::OfBytes(bytes)));
      WriteInPlace(css, changed);
      QVERIFY(FileStamp::OfFile(css.string()) == FileStamp::OfBytes(changed));
    }
  }

  void ownSaveAsksNothingButAnOutsideEditRightAfterIsAsked() {
    const fs::path css = Make("css/styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));

    const std::string mine = "p { color: green }\n";
    WriteFileAtomically(css.string(), mine);
    const FileStamp held = FileStamp::OfBytes(mine);
    ChangeLists seen = Settle(watch);
    QVERIFY(ConcernsStylesheet(seen, "css/styles.css"));
    QCOMPARE(DecideOnActivation(seen, "css/styles.css", FileStamp::OfFile(css.string()), held, false).verdict,
             ChangeVerdict::Nothing);

    // Same size, same second: only the bytes tell them apart.
    WriteFileAtomically(css.string(), mine);
    WriteInPlace(css, "p { color: olive }\n");
    seen = Settle(watch);
    QCOMPARE(DecideOnActivation(seen, "css/styles.css", FileStamp::OfFile(css.string()), held, false).verdict,
             ChangeVerdict::AskModified);
  }

  void aStylesheetReallyGoneIsReportedDeleted_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("deleted") << QStringLiteral("delete");
    QTest::newRow("renamed away") << QStringLiteral("rename");
    QTest::newRow("its folder deleted") << QStringLiteral("folder");
  }
  void aStylesheetReallyGoneIsReportedDeleted() {
    QFETCH(QString, how);
    const fs::path css = Make("css/styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    if (how == QLatin1String("delete")) fs::remove(css);
    if (how == QLatin1String("rename")) fs::rename(css, project_ / "css" / "styles.bak");
    if (how == QLatin1String("folder")) fs::remove_all(project_ / "css");

    const ChangeLists seen = Settle(watch);
    const ChangeDecision decision = DecideOnActivation(seen, "css/styles.css", FileStamp::OfFile(css.string()),
                                                       FileStamp::OfBytes("p { color: red }\n"), true);
    QCOMPARE(decision.verdict, ChangeVerdict::AskDeleted);
    QCOMPARE(decision.message.text, std::string("Le fichier CSS courant a été supprimé! : css/styles.css"));
  }

  void aReplacedStylesheetFolderIsWatchedAgain() {
    const fs::path css = Make("css/styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    fs::rename(project_ / "css", project_ / "css-old");
    Make("css/styles.css", "p { color: teal }\n");
    Settle(watch);

    WriteInPlace(css, "p { color: navy }\n");
    const ChangeLists seen = Settle(watch);
    QVERIFY(std::find(seen.modified.begin(), seen.modified.end(), "css/styles.css") != seen.modified.end());
  }

  void aBigProjectCostsOnlyTheFoldersOnTheWayToTheStylesheet() {
    for (int i = 0; i < 300; ++i) fs::create_directories(project_ / "node_modules" / ("paquet" + std::to_string(i)) / "lib");
    const fs::path css = Make("assets/css/styles.css");
    const int before = InotifyWatchesHeld();
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    QCOMPARE(InotifyWatchesHeld() - before, 3);  // projet, assets, assets/css

    // Changes deep in node_modules are not the stylesheet's business.
    WriteInPlace(project_ / "node_modules" / "paquet7" / "lib" / "index.js", "x");
    const ChangeLists seen = Settle(watch);
    QVERIFY(!ConcernsStylesheet(seen, "assets/css/styles.css"));
  }

  void aNewFolderDropsWhatWasRecordedForTheOldOne() {
    const fs::path css = Make("styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    WriteInPlace(css, "a {}\n");
    QVERIFY(watch.WaitForChanges(5s));

    const fs::path other = fs::path(folder_->path().toStdString()) / "autre";
    fs::create_directories(other);
    watch.SetWatchedFolder(other, other / "styles.css");
    QVERIFY(watch.WaitUntilWatching(5s));
    QCOMPARE(watch.WatchedFolder(), other);
    QCOMPARE(watch.ChangeCount(), 0);
    WriteInPlace(css, "b {}\n");  // the old project, no longer watched
    WriteInPlace(other / "styles.css", "c {}\n");
    QVERIFY(watch.WaitForChanges(5s));
    const ChangeLists seen = watch.TakeChanges();
    QVERIFY(ConcernsStylesheet(seen, "styles.css"));
    QCOMPARE(seen.added, std::vector<std::string>{"styles.css"});
  }

  void stopsAndJoinsWhileWaiting() {
    const fs::path css = Make("styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    watch.Stop();
    watch.Stop();
    WriteInPlace(css, "a {}\n");
    QVERIFY(!watch.WaitForChanges(100ms));
  }

  void aFullListSaysTheStylesheetMayHaveChanged() {
    const fs::path css = Make("styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    for (std::size_t i = 0; i <= ThreadSurveillance::kListCapacity; ++i)
      WriteInPlace(project_ / ("page" + std::to_string(i) + ".html"), "x");
    const ChangeLists seen = Settle(watch);
    QCOMPARE(seen.added.size(), ThreadSurveillance::kListCapacity);
    QVERIFY(seen.stylesheetMayHaveChanged);
  }

  void cancelKeepsTheHeldVersionAndOnlyANewChangeAsksAgain() {
    const fs::path css = Make("css/styles.css");
    ChangeWatch changes;
    changes.Watch(project_, css);
    QVERIFY(changes.Thread().WaitUntilWatching(5s));
    changes.Hold("p { color: red }\n");

    const std::string mine = "p { color: lime }\n";
    WriteFileAtomically(css.string(), mine);
    changes.Hold(mine);
    QVERIFY(changes.Thread().WaitForName(PutMarker(), 5s));
    QCOMPARE(changes.OnActivation(false).verdict, ChangeVerdict::Nothing);

    WriteAndRenameOver(css, "p { color: plum }\n");
    QVERIFY(changes.Thread().WaitForName(PutMarker(), 5s));
    QCOMPARE(changes.OnActivation(true).verdict, ChangeVerdict::AskModified);
    // Cancel: the window keeps its version and Hold is not called. The
    // editor touching the file it wrote asks nothing more.
    fs::last_write_time(css, fs::file_time_type::clock::now());
    QVERIFY(changes.Thread().WaitForName(PutMarker(), 5s));
    QCOMPARE(changes.OnActivation(true).verdict, ChangeVerdict::Nothing);

    WriteInPlace(css, "p { color: pink }\n");
    QVERIFY(changes.Thread().WaitForName(PutMarker(), 5s));
    QCOMPARE(changes.OnActivation(true).verdict, ChangeVerdict::AskModified);
  }

  void aProjectFolderDeletedAndBroughtBackIsWatchedAgain() {
    const fs::path css = Make("css/styles.css");
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));
    fs::remove_all(project_);
    QVERIFY(watch.WaitForChanges(5s));
    (void)watch.TakeChanges();
    fs::create_directories(project_);
    Make("css/styles.css", "p { color: teal }\n");
    QVERIFY(watch.WaitForChanges(5s));
    Settle(watch);

    WriteInPlace(css, "p { color: navy }\n");
    QVERIFY(watch.WaitForName("css/styles.css", 5s));
  }

  void aLinkedStylesheetIsWatchedWhereItsFileLies() {
    const fs::path elsewhere = fs::path(folder_->path().toStdString()) / "partage";
    fs::create_directories(elsewhere);
    WriteInPlace(elsewhere / "commun.css", "p { color: red }\n");
    fs::create_directories(project_ / "css");
    const fs::path css = project_ / "css" / "styles.css";
    fs::create_symlink(elsewhere / "commun.css", css);
    ThreadSurveillance watch;
    watch.SetWatchedFolder(project_, css);
    QVERIFY(watch.WaitUntilWatching(5s));

    WriteAndRenameOver(elsewhere / "commun.css", "p { color: blue }\n");
    QVERIFY(watch.WaitForName("css/styles.css", 5s));
    // Another file of that folder is not the stylesheet's business.
    (void)watch.TakeChanges();
    WriteInPlace(elsewhere / "autre.css", "x");
    QVERIFY(!ConcernsStylesheet(Settle(watch), "css/styles.css"));
  }

  void whenInotifyCannotWatchItIsSaidOnceAndTheFileIsStillCompared_data() {
    QTest::addColumn<bool>("noInotify");
    QTest::addColumn<QString>("said");
    QTest::newRow("watches used up") << false << QStringLiteral("fs.inotify.max_user_watches");
    QTest::newRow("no inotify at all") << true << QStringLiteral("le système n'offre pas inotify");
  }
  void whenInotifyCannotWatchItIsSaidOnceAndTheFileIsStillCompared() {
    QFETCH(bool, noInotify);
    QFETCH(QString, said);
    struct Failing {
      static int Init(int) {
        errno = ENOSYS;
        return -1;
      }
      static int AddWatch(int, const char*, std::uint32_t) {
        errno = ENOSPC;
        return -1;
      }
    };
    InotifyCalls calls = ThreadSurveillance::SystemInotifyCalls();
    if (noInotify)
      calls.init = &Failing::Init;
    else
      calls.addWatch = &Failing::AddWatch;
    ThreadSurveillance::SetInotifyCalls(calls);
    const fs::path css = Make("styles.css");
    {
      ChangeWatch changes;
      changes.Watch(project_, css);
      changes.Hold("p { color: red }\n");
      const std::optional<std::string> problem = changes.TakeProblem();
      ThreadSurveillance::SetInotifyCalls(ThreadSurveillance::SystemInotifyCalls());
      QVERIFY(problem);
      QVERIFY2(QString::fromStdString(*problem).contains(said), problem->c_str());
      QVERIFY(!changes.TakeProblem());

      WriteInPlace(css, "p { color: plum }\n");
      QCOMPARE(changes.OnActivation(false).verdict, ChangeVerdict::AskModified);
      QCOMPARE(changes.BeforeSave(true).verdict, ChangeVerdict::AskBeforeSave);
    }
  }

  // ---------------------------------------------------------------- the decision alone

  void decides_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("recordedName");
    QTest::addColumn<bool>("mayHaveChanged");
    QTest::addColumn<QString>("disk");  // "" when the file is gone
    QTest::addColumn<ChangeVerdict>("verdict");
    const QString held = QStringLiteral("held");
    const QString other = QStringLiteral("other");
    const QString css = QStringLiteral("css/styles.css");
    QTest::newRow("nothing recorded") << QString() << QString() << false << other << ChangeVerdict::Nothing;
    QTest::newRow("another file changed") << "modified" << "index.html" << false << other << ChangeVerdict::Nothing;
    QTest::newRow("same name in another folder") << "modified" << "styles.css" << false << other << ChangeVerdict::Nothing;
    QTest::newRow("a folder that only starts alike") << "removed" << "cs" << false << QString() << ChangeVerdict::Nothing;
    QTest::newRow("own save") << "renamedNew" << css << false << held << ChangeVerdict::Nothing;
    QTest::newRow("modified outside") << "modified" << css << false << other << ChangeVerdict::AskModified;
    QTest::newRow("removed then created") << "removed" << css << false << other << ChangeVerdict::AskModified;
    QTest::newRow("renamed over") << "renamedNew" << css << false << other << ChangeVerdict::AskModified;
    QTest::newRow("removed and gone") << "removed" << css << false << QString() << ChangeVerdict::AskDeleted;
    QTest::newRow("its folder renamed away") << "renamedOld" << "css" << false << QString() << ChangeVerdict::AskDeleted;
    QTest::newRow("queue overflow, content differs") << QString() << QString() << true << other << ChangeVerdict::AskModified;
    QTest::newRow("queue overflow, content same") << QString() << QString() << true << held << ChangeVerdict::Nothing;
  }
  void decides() {
    QFETCH(QString, list);
    QFETCH(QString, recordedName);
    QFETCH(bool, mayHaveChanged);
    QFETCH(QString, disk);
    QFETCH(ChangeVerdict, verdict);
    ChangeLists recorded;
    recorded.stylesheetMayHaveChanged = mayHaveChanged;
    const std::string name = recordedName.toStdString();
    if (list == QLatin1String("modified")) recorded.modified.push_back(name);
    if (list == QLatin1String("removed")) recorded.removed.push_back(name);
    if (list == QLatin1String("renamedOld")) recorded.renamedOld.push_back(name);
    if (list == QLatin1String("renamedNew")) recorded.renamedNew.push_back(name);
    std::optional<FileStamp> onDisk;
    if (!disk.isEmpty()) onDisk = FileStamp::OfBytes(disk.toStdString());
    QCOMPARE(DecideOnActivation(recorded, "css/styles.css", onDisk, FileStamp::OfBytes("held"), false).verdict, verdict);
  }

  void unsavedEditsAreNamedInTheQuestionAndNothingIsAskedWithoutAStylesheet() {
    ChangeLists recorded;
    recorded.modified.push_back("styles.css");
    const ChangeDecision decision =
        DecideOnActivation(recorded, "styles.css", FileStamp::OfBytes("b"), FileStamp::OfBytes("a"), true);
    QCOMPARE(decision.message.text, std::string("Le fichier CSS courant a été modifié : styles.css\nRecharger ?\n"
                                                "Vos modifications non sauvegardées seront perdues."));
    QCOMPARE(decision.message.buttons, MessageButtons::OkCancel);
    QCOMPARE(decision.message.caption, std::string("Korvel"));
    QCOMPARE(DecideOnActivation(recorded, "styles.css", FileStamp::OfBytes("b"), std::nullopt, true).verdict,
             ChangeVerdict::Nothing);
  }

  void stampsTellVersionsApart() {
    QVERIFY(FileStamp::OfBytes("p { color: red }") != FileStamp::OfBytes("p { color: ref }"));
    QVERIFY(FileStamp::OfBytes("ab") != FileStamp::OfBytes("ba"));
    const fs::path css = Make("styles.css", "abc");
    QCOMPARE(FileStamp::OfFile(css.string()), std::optional(FileStamp::OfBytes("abc")));
    QCOMPARE(FileStamp::OfFile((project_ / "absent.css").string()), std::optional<FileStamp>());
  }
};

}  // namespace korvel

QTEST_GUILESS_MAIN(korvel::ChangeWatchTest)
#include "changewatch_test.moc"
