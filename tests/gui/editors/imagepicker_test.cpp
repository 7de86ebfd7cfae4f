// The image picker and the "Images" tab on a small project in a temporary
// folder: the picture a value names is shown, another is picked, copied
// where the stylesheet can reach it, and its url(...) written back.

#include <QAbstractItemView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <memory>

#include "app/dmunit.h"
#include "app/mainformunit.h"
#include "app/settingsstore.h"
#include "app/timagestab.h"
#include "app/tstylesheeteditor.h"
#include "app/windowhelpers.h"
#include "editors/showimageunit.h"
#include "support/guitestsupport.h"
#include "shell/folderview.h"

namespace korvel {

namespace {

void WritePicture(const QString& path, QColor colour, QSize size) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QVERIFY(image.save(path));
}

QStringList Selected(const TFolderView& view) {
  QStringList names;
  view.GetItemsData(names, true);
  return names;
}

}  // namespace

class ImagePickerTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  void init();
  void cleanup();

  void pickerShowsThePictureOfAUrlValue();
  void pickerShowsAPictureOfAnAlreadyShownNameFromAnotherFolder();
  void pickerSaysWhenTheSourceIsMissing_data();
  void pickerSaysWhenTheSourceIsMissing();
  void pickerHandsItsValueToTheImagesTab();
  void picturesOpenedInTheViewsGoToTheLauncher();

  void tabOpensOnThePictureOfTheValue();
  void tabFromTheSubGridOpensOnTheImagesFolder();
  void okCopiesAndWritesTheUrlFromTheStylesheetFolder_data();
  void okCopiesAndWritesTheUrlFromTheStylesheetFolder();
  void pictureInsideTheProjectIsUsedWhereItLies();
  void foreignPictureWithoutImagesFolderAsksWhere();
  void sameNameIsAskedAbout();
  void failedCopyWritesNothing();

  void windowShowsAndHidesTheTab();

 private:
  [[nodiscard]] QString Path(const QString& relative) const { return dir_->path() + u'/' + relative; }
  void MakeTab();
  void MakePicker();
  void Choose(const QString& file);

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<MessageRecorder> messages_;
  std::unique_ptr<FolderAnswers> folders_;
  RecordingLauncher launcher_;
  std::unique_ptr<TShowImageForm> picker_;
  std::unique_ptr<TImagesTab> tab_;
  ImageProjectPaths paths_;
  QStringList written_;
};

void ImagePickerTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  messages_ = std::make_unique<MessageRecorder>();
  folders_ = std::make_unique<FolderAnswers>();
  launcher_ = {};
  WritePicture(Path(QStringLiteral("site/img/logo.png")), Qt::red, {12, 8});
  WritePicture(Path(QStringLiteral("site/pics/moon.png")), Qt::blue, {6, 6});
  WritePicture(Path(QStringLiteral("photos/sun.png")), Qt::yellow, {10, 10});
  WritePicture(Path(QStringLiteral("photos/logo.png")), Qt::green, {20, 5});
  QDir().mkpath(Path(QStringLiteral("ImageTemp")));
  paths_ = {Path(QStringLiteral("site/")), Path(QStringLiteral("site/style.css")), Path(QStringLiteral("site/img"))};
  written_.clear();
}

void ImagePickerTest::cleanup() {
  tab_.reset();
  picker_.reset();
  QCOMPARE(messages_->unanswered, 0);
  QCOMPARE(folders_->unanswered, 0);
  folders_.reset();
  messages_.reset();
  dir_.reset();
}

void ImagePickerTest::MakeTab() {
  tab_ = std::make_unique<TImagesTab>(launcher_, [this] { return paths_; });
  tab_->resize(800, 500);
  tab_->show();
}

void ImagePickerTest::MakePicker() {
  picker_ = std::make_unique<TShowImageForm>(nullptr, Path(QStringLiteral("ImageTemp/")), FileOpenerOf(launcher_));
}

void ImagePickerTest::Choose(const QString& file) {
  tab_->ShowImagesTab({}, [this](const QString& url) { written_ << url; });
  tab_->View()->SetPath(QFileInfo(file).absolutePath() + u'/');
  QVERIFY(tab_->View()->SelectItem(file));
  QTRY_VERIFY(tab_->OkButton()->isEnabled());
}

// ------------------------------------------------------------------ picker

void ImagePickerTest::pickerShowsThePictureOfAUrlValue() {
  MakePicker();
  WritePicture(Path(QStringLiteral("ImageTemp/old.png")), Qt::black, {2, 2});
  QVERIFY(picker_->LoadValue(QStringLiteral("url(img/logo.png)"), Path(QStringLiteral("site/"))));
  QCOMPARE(picker_->Edit()->text(), QStringLiteral("url(img/logo.png)"));
  const QString copy = Path(QStringLiteral("ImageTemp/logo.png"));
  QCOMPARE(picker_->ShownCopy(), copy);
  QCOMPARE(ReadAll(copy), ReadAll(Path(QStringLiteral("site/img/logo.png"))));
  QVERIFY(!QFile::exists(Path(QStringLiteral("ImageTemp/old.png"))));
  QTRY_COMPARE(Selected(*picker_->View()), QStringList{copy});
  QCOMPARE(picker_->View()->ViewMode(), vmThumbnails);
  QVERIFY(picker_->Details()->text().startsWith(QStringLiteral("12 × 8 px · ")));

  // From a stylesheet in css/, the address climbs out of it.
  QVERIFY(picker_->LoadValue(QStringLiteral("url(\"../pics/moon.png\") no-repeat"), Path(QStringLiteral("site/css/"))));
  QTRY_COMPARE(Selected(*picker_->View()), QStringList{Path(QStringLiteral("ImageTemp/moon.png"))});
  QVERIFY(messages_->shown.empty());

  // An empty value changes nothing.
  QVERIFY(!picker_->LoadValue({}, Path(QStringLiteral("site/"))));
  QCOMPARE(picker_->Edit()->text(), QStringLiteral("url(\"../pics/moon.png\") no-repeat"));
  QVERIFY(messages_->shown.empty());
}

void ImagePickerTest::pickerShowsAPictureOfAnAlreadyShownNameFromAnotherFolder() {
  MakePicker();
  QVERIFY(picker_->LoadValue(QStringLiteral("url(img/logo.png)"), Path(QStringLiteral("site/"))));
  QVERIFY(picker_->LoadValue(QStringLiteral("url(logo.png)"), Path(QStringLiteral("photos/"))));
  QCOMPARE(ReadAll(Path(QStringLiteral("ImageTemp/logo.png"))), ReadAll(Path(QStringLiteral("photos/logo.png"))));
  QVERIFY(picker_->Details()->text().startsWith(QStringLiteral("20 × 5 px")));
}

void ImagePickerTest::pickerSaysWhenTheSourceIsMissing_data() {
  QTest::addColumn<QString>("value");
  QTest::addColumn<QString>("source");
  QTest::newRow("missing file") << QStringLiteral("url(img/a.png)") << QStringLiteral("site/img/a.png");
  QTest::newRow("none") << QStringLiteral("none") << QStringLiteral("site/");
  QTest::newRow("a folder") << QStringLiteral("url(img)") << QStringLiteral("site/img");
}

void ImagePickerTest::pickerSaysWhenTheSourceIsMissing() {
  QFETCH(QString, value);
  QFETCH(QString, source);
  MakePicker();
  QVERIFY(picker_->LoadValue(QStringLiteral("url(img/logo.png)"), Path(QStringLiteral("site/"))));
  QVERIFY(!picker_->LoadValue(value, Path(QStringLiteral("site/"))));
  QCOMPARE(picker_->Edit()->text(), value);
  QCOMPARE(messages_->shown.size(), std::size_t{1});
  QCOMPARE(QString::fromStdString(messages_->shown.front().text),
           QStringLiteral("Le fichier source: ") + Path(source) + QStringLiteral(" n'existe pas."));
  // The view keeps the picture shown before.
  QVERIFY(QFile::exists(Path(QStringLiteral("ImageTemp/logo.png"))));
}

void ImagePickerTest::pickerHandsItsValueToTheImagesTab() {
  MakePicker();
  MakeTab();
  connect(picker_.get(), &TShowImageForm::ImagesTabRequested, tab_.get(),
          [this](const QString& value) { tab_->ShowImagesTab(value, picker_->CurrentWriteBack()); });
  QSignalSpy shown(tab_.get(), &TImagesTab::ShowRequested);
  picker_->ShowValue(QStringLiteral("url(img/logo.png)"), paths_.projectFolder, QRect(100, 100, 80, 18),
                     [this](const QString& url) { written_ << url; });
  QVERIFY(picker_->isVisible());
  picker_->GestImageButton()->click();
  QCOMPARE(shown.size(), 1);
  QCOMPARE(tab_->View()->Path(), Path(QStringLiteral("site/img/")));
  QCOMPARE(Selected(*tab_->View()), QStringList{Path(QStringLiteral("site/img/logo.png"))});

  // The write-back given with the value is the one OK uses.
  Choose(Path(QStringLiteral("photos/sun.png")));
  tab_->OkButton()->click();
  QCOMPARE(written_, QStringList{QStringLiteral("url(img/sun.png)")});

  // A second click on the same cell hides the picker.
  picker_->ShowValue(QStringLiteral("url(img/logo.png)"), paths_.projectFolder, QRect(100, 100, 80, 18));
  QVERIFY(!picker_->isVisible());
}

// ------------------------------------------------------------- Images tab

void ImagePickerTest::tabOpensOnThePictureOfTheValue() {
  paths_.stylesheetFile = Path(QStringLiteral("site/css/style.css"));
  MakeTab();
  tab_->ShowImagesTab(QStringLiteral("url(../img/logo.png)"), {});
  QCOMPARE(tab_->View()->Path(), Path(QStringLiteral("site/img/")));
  QCOMPARE(Selected(*tab_->View()), QStringList{Path(QStringLiteral("site/img/logo.png"))});
  QCOMPARE(tab_->View()->ViewMode(), vmThumbnails);
  // The preselected picture is taken by OK without another click.
  QVERIFY(tab_->OkButton()->isEnabled());
}

void ImagePickerTest::tabFromTheSubGridOpensOnTheImagesFolder() {
  MakeTab();
  tab_->ShowImagesTab({}, {});
  QCOMPARE(tab_->View()->Path(), Path(QStringLiteral("site/img/")));
  QVERIFY(Selected(*tab_->View()).isEmpty());
  tab_->LVImgStateChanged(vsSetFocus);
  QVERIFY(!tab_->OkButton()->isEnabled());

  // Without an images folder it opens on the stylesheet's folder.
  paths_.imagesFolder.clear();
  tab_->ShowImagesTab(QStringLiteral("none"), {});
  QCOMPARE(tab_->View()->Path(), Path(QStringLiteral("site/")));
}

void ImagePickerTest::okCopiesAndWritesTheUrlFromTheStylesheetFolder_data() {
  QTest::addColumn<QString>("stylesheet");
  QTest::addColumn<QString>("url");
  QTest::newRow("stylesheet in the project folder")
      << QStringLiteral("site/style.css") << QStringLiteral("url(img/sun.png)");
  QTest::newRow("stylesheet in css/") << QStringLiteral("site/css/style.css") << QStringLiteral("url(../img/sun.png)");
}

void ImagePickerTest::okCopiesAndWritesTheUrlFromTheStylesheetFolder() {
  QFETCH(QString, stylesheet);
  QFETCH(QString, url);
  paths_.stylesheetFile = Path(stylesheet);
  MakeTab();
  QSignalSpy modified(tab_.get(), &TImagesTab::ValueWritten);
  Choose(Path(QStringLiteral("photos/sun.png")));
  tab_->OkButton()->click();
  QCOMPARE(ReadAll(Path(QStringLiteral("site/img/sun.png"))), ReadAll(Path(QStringLiteral("photos/sun.png"))));
  QCOMPARE(written_, QStringList{url});
  QCOMPARE(modified.size(), 1);
  QVERIFY(messages_->shown.empty());

  // The copy chosen again is no copy at all.
  Choose(Path(QStringLiteral("site/img/sun.png")));
  tab_->OkButton()->click();
  QCOMPARE(written_, (QStringList{url, url}));
  QVERIFY(messages_->shown.empty());
}

void ImagePickerTest::pictureInsideTheProjectIsUsedWhereItLies() {
  paths_.imagesFolder.clear();
  paths_.stylesheetFile = Path(QStringLiteral("site/css/style.css"));
  MakeTab();
  Choose(Path(QStringLiteral("site/pics/moon.png")));
  tab_->OkButton()->click();
  QCOMPARE(written_, QStringList{QStringLiteral("url(../pics/moon.png)")});
  QVERIFY(!QFile::exists(Path(QStringLiteral("site/css/moon.png"))));
}

void ImagePickerTest::foreignPictureWithoutImagesFolderAsksWhere() {
  paths_.imagesFolder.clear();
  paths_.stylesheetFile = Path(QStringLiteral("site/css/style.css"));
  MakeTab();
  folders_->answers = {Path(QStringLiteral("site/media"))};

  messages_->answers = {MessageAnswer::Cancel, MessageAnswer::No, MessageAnswer::Yes};
  Choose(Path(QStringLiteral("photos/sun.png")));
  tab_->OkButton()->click();
  QVERIFY(written_.isEmpty());
  QVERIFY(messages_->Saw("hors du projet"));

  tab_->OkButton()->click();
  QCOMPARE(written_, QStringList{QStringLiteral("url(sun.png)")});
  QVERIFY(QFile::exists(Path(QStringLiteral("site/css/sun.png"))));

  tab_->OkButton()->click();
  QCOMPARE(folders_->captions, QStringList{QStringLiteral("Dossier des images")});
  QCOMPARE(folders_->starts, QStringList{paths_.projectFolder});
  QCOMPARE(written_.last(), QStringLiteral("url(../media/sun.png)"));
  QVERIFY(QFile::exists(Path(QStringLiteral("site/media/sun.png"))));
}

void ImagePickerTest::sameNameIsAskedAbout() {
  MakeTab();
  const QByteArray before = ReadAll(Path(QStringLiteral("site/img/logo.png")));
  messages_->answers = {MessageAnswer::No, MessageAnswer::Yes};
  Choose(Path(QStringLiteral("photos/logo.png")));
  tab_->OkButton()->click();
  QVERIFY(messages_->Saw("Une autre image nommée « logo.png »"));
  QVERIFY(written_.isEmpty());
  QCOMPARE(ReadAll(Path(QStringLiteral("site/img/logo.png"))), before);

  tab_->OkButton()->click();
  QCOMPARE(written_, QStringList{QStringLiteral("url(img/logo.png)")});
  QCOMPARE(ReadAll(Path(QStringLiteral("site/img/logo.png"))), ReadAll(Path(QStringLiteral("photos/logo.png"))));

  // The same picture under that name is not asked about again.
  const std::size_t asked = messages_->shown.size();
  tab_->OkButton()->click();
  QCOMPARE(messages_->shown.size(), asked);
  QCOMPARE(written_.size(), 2);
}

void ImagePickerTest::failedCopyWritesNothing() {
  // A file stands where the images folder should be.
  QFile blocker(Path(QStringLiteral("site/blocked")));
  QVERIFY(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  paths_.imagesFolder = Path(QStringLiteral("site/blocked/img"));
  MakeTab();
  QSignalSpy modified(tab_.get(), &TImagesTab::ValueWritten);
  Choose(Path(QStringLiteral("photos/sun.png")));
  QVERIFY(messages_->Saw(Std(paths_.imagesFolder)));  // the tab could not open on it
  messages_->shown.clear();
  tab_->OkButton()->click();
  QVERIFY(written_.isEmpty());
  QCOMPARE(modified.size(), 0);
  QCOMPARE(messages_->shown.size(), std::size_t{1});
  QCOMPARE(messages_->shown.front().kind, MessageKind::Error);
  QVERIFY(messages_->Saw("n'a pas pu être copiée"));
}

// A picture opened (double-click, Enter) in the picker's view or in the
// tab's is handed to the launcher, which tests replace: neither view starts
// a program of its own.
void ImagePickerTest::picturesOpenedInTheViewsGoToTheLauncher() {
  MakePicker();
  QVERIFY(picker_->LoadValue(QStringLiteral("url(img/logo.png)"), Path(QStringLiteral("site/"))));
  picker_->View()->OpenItem(picker_->ShownCopy());
  QCOMPARE(launcher_.opened, QStringList{picker_->ShownCopy()});

  MakeTab();
  const QString moon = Path(QStringLiteral("site/pics/moon.png"));
  tab_->View()->SetPath(Path(QStringLiteral("site/pics/")));
  QVERIFY(tab_->View()->SelectItem(moon));
  QTest::keyClick(tab_->View()->ItemView(), Qt::Key_Return);
  QCOMPARE(launcher_.opened, (QStringList{picker_->ShownCopy(), moon}));
  QVERIFY(messages_->shown.empty());
}

// ------------------------------------------------------------------ window

void ImagePickerTest::windowShowsAndHidesTheTab() {
  const QString exe = InstallKorvel(dir_->path());
  QVERIFY(!exe.isEmpty());
  TDM dm(exe);
  QCOMPARE(dm.ScratchFolder(), exe + QStringLiteral("ImageTemp/"));
  QVERIFY(QFileInfo(dm.ScratchFolder()).isDir());
  SettingsStore registry(Path(QStringLiteral("registry.ini")));
  RecordingLauncher launcher;
  TMainForm window(dm, launcher, registry);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTabWidget* pages = window.Pages();
  const int images = pages->indexOf(&window.ImagesTab());
  QVERIFY(!pages->isTabVisible(images));

  // The picker's button opens the tab on the picture, in the example
  // project's images folder.
  const QString example = dm.ExampleFolder();
  window.ImagePicker().ShowValue(QStringLiteral("url(Images/logo.png)"), example, QRect(10, 10, 50, 16),
                                 [this](const QString& url) { written_ << url; });
  window.ImagePicker().GestImageButton()->click();
  QVERIFY(pages->isTabVisible(images));
  QCOMPARE(pages->currentIndex(), images);
  QVERIFY(!window.ImagePicker().isVisible());
  QCOMPARE(Selected(*window.ImagesTab().View()), QStringList{example + QStringLiteral("Images/logo.png")});
  // The preselected picture can be taken as it is.
  QVERIFY(window.ImagesTab().OkButton()->isEnabled());

  // OK copies into the images folder and writes back. The write-back here
  // is the test's own, which changes no grid: nothing is marked modified.
  QVERIFY(!window.Editor().IsModified());
  window.ImagesTab().View()->SetPath(Path(QStringLiteral("photos/")));
  QVERIFY(window.ImagesTab().View()->SelectItem(Path(QStringLiteral("photos/sun.png"))));
  QTRY_VERIFY(window.ImagesTab().OkButton()->isEnabled());
  window.ImagesTab().OkButton()->click();
  QCOMPARE(written_, QStringList{QStringLiteral("url(Images/sun.png)")});
  QVERIFY(QFile::exists(example + QStringLiteral("Images/sun.png")));
  QVERIFY(!window.Editor().IsModified());
  // OK goes back to the grid and says what it wrote.
  QVERIFY(!pages->isTabVisible(images));
  QCOMPARE(pages->currentWidget(), &window.Editor());
  QCOMPARE(window.statusBar()->currentMessage(), QStringLiteral("Image choisie : url(Images/sun.png)"));

  window.ImagesTab().ShowImagesTab({}, {});
  QCOMPARE(pages->currentIndex(), images);
  window.ImagesTab().CancelButton()->click();
  QVERIFY(!pages->isTabVisible(images));

  // Another tab chosen hides it too.
  window.ImagesTab().ShowImagesTab({}, {});
  QVERIFY(pages->isTabVisible(images));
  pages->setCurrentIndex(0);
  QVERIFY(!pages->isTabVisible(images));
  QVERIFY(messages_->shown.empty());
}

}  // namespace korvel

QTEST_MAIN(korvel::ImagePickerTest)
#include "imagepicker_test.moc"
