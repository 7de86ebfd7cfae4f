#include "editors/showimageunit.h"

#include <QAbstractItemModel>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/messages.h"
#include "dictionary/valueclassification.h"
#include "model/filebytes.h"
#include "model/imageimport.h"
#include "shell/folderview.h"
#include "shell/gexplorer.h"

namespace korvel {

namespace {

constexpr int kWidth = 250;
constexpr int kHeight = 195;

}  // namespace

QString PictureDetails(const QString& path) {
  const QLocale french(QLocale::French);
  const qint64 bytes = QFileInfo(path).size();
  const QString size = bytes < 1024 ? QStringLiteral("%1 o").arg(bytes)
                                    : QStringLiteral("%1 Ko").arg(french.toString(bytes / 1024.0, 'f', 1));
  const QSize pixels = QImageReader(path).size();
  if (!pixels.isValid()) return size;
  return QStringLiteral("%1 × %2 px · %3").arg(pixels.width()).arg(pixels.height()).arg(size);
}

TShowImageForm::TShowImageForm(QWidget* mainWindow, QString scratchFolder,
                               std::function<bool(const QString& file)> openFile)
    : GPopupForm(mainWindow), scratchFolder_(std::move(scratchFolder)) {
  setObjectName(QStringLiteral("ShowImageForm"));
  setFixedSize(kWidth, kHeight);
  SetFormLook(palette().color(QPalette::Window));

  auto* LVPanel = new QWidget(this);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(LVPanel);
  auto* column = new QVBoxLayout(LVPanel);
  column->setContentsMargins(1, 1, 1, 1);
  column->setSpacing(1);

  auto* Panel1 = new QFrame(LVPanel);
  Panel1->setFrameShape(QFrame::Box);
  Panel1->setAutoFillBackground(true);
  QPalette white = Panel1->palette();
  white.setColor(QPalette::Window, Qt::white);
  Panel1->setPalette(white);
  auto* row = new QHBoxLayout(Panel1);
  row->setContentsMargins(2, 2, 2, 2);
  Edit_ = new QLineEdit(Panel1);
  Edit_->setReadOnly(true);
  sbGestImage_ = new QToolButton(Panel1);
  sbGestImage_->setAutoRaise(true);
  sbGestImage_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  sbGestImage_->setToolTip(QStringLiteral("Choisir une autre image dans l'onglet Images"));
  row->addWidget(Edit_, 1);
  row->addWidget(sbGestImage_);
  column->addWidget(Panel1);

  auto* viewPanel = new QWidget(LVPanel);
  column->addWidget(viewPanel, 1);
  pane_ = new GExplorer(this);
  pane_->CreateView(viewPanel);
  View()->SetViewMode(vmThumbnails);
  View()->SetFileOpener(std::move(openFile));
  try {
    View()->SetPath(scratchFolder_);
  } catch (const FolderError&) {
    // A scratch folder that went away: the next picture shown recreates it.
  }

  details_ = new QLabel(LVPanel);
  details_->setAlignment(Qt::AlignCenter);
  column->addWidget(details_);

  // The folder is read again a moment after a copy lands in it.
  QAbstractItemModel* items = View()->Items();
  connect(items, &QAbstractItemModel::modelReset, this, &TShowImageForm::SelectPending);
  connect(items, &QAbstractItemModel::rowsInserted, this, &TShowImageForm::SelectPending);
  connect(items, &QAbstractItemModel::layoutChanged, this, &TShowImageForm::SelectPending);
  connect(sbGestImage_, &QToolButton::clicked, this, &TShowImageForm::sbGestImageClick);
}

TShowImageForm::~TShowImageForm() = default;

TFolderView* TShowImageForm::View() const { return pane_->View(); }

void TShowImageForm::ShowValue(const QString& value, const QString& stylesheetFolder, const QRect& cellInGlobal,
                               WriteBack writeBack) {
  if (IsOpenAt(cellInGlobal.top())) {
    hide();
    return;
  }
  hide();
  PlaceBeside(cellInGlobal);
  writeBack_ = std::move(writeBack);
  LoadValue(value, stylesheetFolder);
  show();
  raise();
  // Escape and Enter close the picker from its own controls: one of them
  // takes the focus.
  activateWindow();
  Edit_->setFocus(Qt::PopupFocusReason);
}

bool TShowImageForm::LoadValue(const QString& value, const QString& stylesheetFolder) {
  if (value.isEmpty()) return false;
  Edit_->setText(value);
  const std::string address = UrlArgument(value.toStdString());
  const std::string source = ResolveImageAddress(address, stylesheetFolder.toStdString());
  if (address.empty() || !QFileInfo(QString::fromStdString(source)).isFile()) {
    ShowMessage("Le fichier source: " + source + " n'existe pas.", MessageKind::Warning);
    return false;
  }
  try {
    shownCopy_ = QString::fromStdString(CopyToScratch(source, scratchFolder_.toStdString()));
  } catch (const FileError& error) {
    ShowMessage(error.what(), MessageKind::Error);
    return false;
  }
  details_->setText(PictureDetails(shownCopy_));
  try {
    View()->SetPath(scratchFolder_);
  } catch (const FolderError& error) {
    ShowMessage(error.what(), MessageKind::Error);
    return false;
  }
  pendingSelection_ = shownCopy_;
  SelectPending();
  return true;
}

void TShowImageForm::SelectPending() {
  if (pendingSelection_.isEmpty()) return;
  if (View()->SelectItem(pendingSelection_)) pendingSelection_.clear();
}

void TShowImageForm::sbGestImageClick() { emit ImagesTabRequested(Edit_->text()); }

}  // namespace korvel
