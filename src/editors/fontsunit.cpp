#include "editors/fontsunit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <utility>

#include "editors/editorbuttons.h"

namespace korvel {

namespace {

constexpr std::array<const char*, kGenericFamilies.size()> kCaptions = {"Serif", "Sans-serif", "Monospace",
                                                                        "Cursive", "Fantasy"};

}  // namespace

// Draws each family's name in the family's own face, the row as high as
// "Wg" in that face and 2 pixels more.
class TFontForm::FacePainter final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyleOptionViewItem face = option;
    initStyleOption(&face, index);
    const int text = QFontMetrics(face.font).boundingRect(QStringLiteral("Wg")).height() + 2;
    return {QStyledItemDelegate::sizeHint(face, index).width(), std::max(text, face.decorationSize.height())};
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    option->font.setFamilies({index.data(Qt::DisplayRole).toString()});
    option->fontMetrics = QFontMetrics(option->font);
  }
};

TFontForm::TFontForm(QWidget* mainWindow) : GPopupForm(mainWindow) {
  SetFormLook(QColor(kPopupSkyBlue));

  selected_ = new QLineEdit(this);
  pages_ = new QTabWidget(this);
  auto* painter = new FacePainter(this);
  for (GenericFamily family : kGenericFamilies) {
    auto* list = new QListWidget(pages_);
    list->setItemDelegate(painter);
    // Rows are measured in their own faces: only those shown need be.
    list->setLayoutMode(QListView::Batched);
    list->viewport()->installEventFilter(this);
    connect(list, &QListWidget::itemChanged, this, &TFontForm::OnItemChanged);
    lists_[static_cast<std::size_t>(family)] = list;
    pages_->addTab(list, QString::fromLatin1(kCaptions[static_cast<std::size_t>(family)]));
  }
  ShowFamily(GenericFamily::Fantasy);

  okButton_ = MakeOkButton(this);
  cancelButton_ = MakeCancelButton(this);
  QHBoxLayout* bottom = OkCancelRow(okButton_, cancelButton_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 0);
  layout->setSpacing(2);
  layout->addWidget(selected_);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);
  resize(275, 249);

  connect(okButton_, &QToolButton::clicked, this, &TFontForm::Ok);
  connect(cancelButton_, &QToolButton::clicked, this, &TFontForm::Cancel);
}

TFontForm::~TFontForm() = default;

void TFontForm::SetFontFamilies(const FontCatalog& catalog) {
  const bool wasLoading = std::exchange(loading_, true);
  for (GenericFamily family : kGenericFamilies) {
    QListWidget* list = List(family);
    list->clear();
    for (const std::string& name : catalog.Of(family)) {
      auto* item = new QListWidgetItem(QString::fromStdString(name), list);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
      // A symbol face draws its own name as symbols.
      item->setToolTip(item->text());
    }
  }
  loading_ = wasLoading;
}

void TFontForm::SetFontFamilies(std::shared_future<FontCatalog> listing) { listing_ = std::move(listing); }

void TFontForm::TakeListing() {
  if (!listing_.valid()) return;
  const std::shared_future<FontCatalog> listing = std::exchange(listing_, {});
  SetFontFamilies(listing.get());
}

void TFontForm::showEvent(QShowEvent* event) {
  TakeListing();
  GPopupForm::showEvent(event);
}

void TFontForm::LoadValue(const QString& value) {
  TakeListing();
  const bool wasLoading = std::exchange(loading_, true);
  std::optional<GenericFamily> firstFontFamily;
  bool first = true;
  for (QString item : value.split(QLatin1Char(','))) {
    // The picker writes names with blanks between single quotes; a
    // stylesheet may use either kind.
    item.remove(QLatin1Char('"'));
    item.remove(QLatin1Char('\''));
    item = item.trimmed();
    if (item.isEmpty()) continue;
    const bool isFirst = std::exchange(first, false);
    if (const std::optional<GenericFamily> generic = GenericFamilyFromKeyword(item.toStdString())) {
      ShowFamily(*generic);
      continue;
    }
    for (GenericFamily family : kGenericFamilies) {
      QListWidget* list = List(family);
      const QList<QListWidgetItem*> found = list->findItems(item, Qt::MatchFixedString);
      if (found.isEmpty()) continue;
      found.front()->setCheckState(Qt::Checked);
      list->setCurrentItem(found.front());
      if (isFirst) firstFontFamily = family;
      break;
    }
  }
  if (firstFontFamily) ShowFamily(*firstFontFamily);
  selected_->setText(value);
  loading_ = wasLoading;
}

QString TFontForm::Selected() const { return selected_->text(); }

QListWidget* TFontForm::List(GenericFamily family) const { return lists_[static_cast<std::size_t>(family)]; }

GenericFamily TFontForm::ShownFamily() const { return kGenericFamilies[static_cast<std::size_t>(pages_->currentIndex())]; }

void TFontForm::ShowFamily(GenericFamily family) { pages_->setCurrentIndex(static_cast<int>(family)); }

void TFontForm::OnOk() {
  if (liveUpdate_) {
    emit Accepted(Selected());
  } else {
    Accept(Selected());
  }
}

void TFontForm::OnItemChanged(QListWidgetItem* item) {
  if (!loading_) ComposeFrom(item->listWidget());
}

void TFontForm::ComposeFrom(QListWidget* list) {
  QStringList parts;
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    if (item->checkState() != Qt::Checked) continue;
    const QString name = item->text();
    parts << (name.contains(QLatin1Char(' ')) ? QLatin1Char('\'') + name + QLatin1Char('\'') : name);
  }
  parts << pages_->tabText(pages_->currentIndex());
  selected_->setText(parts.join(QLatin1Char(',')));
}

bool TFontForm::eventFilter(QObject* watched, QEvent* event) {
  for (QListWidget* list : lists_)
    if (watched == list->viewport()) return DragEvent(event);
  return GPopupForm::eventFilter(watched, event);
}

// A press on a list may become a drag of the whole popup: once the mouse
// has moved far enough with the button held, the popup follows it,
// translucent, until the button is released. A drag neither selects nor
// checks anything.
bool TFontForm::DragEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      pressed_ = true;
      pressAt_ = mouse->globalPosition().toPoint();
      popupAt_ = pos();
      return false;
    }
    case QEvent::MouseMove: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (!pressed_ || !mouse->buttons().testFlag(Qt::LeftButton)) return false;
      const QPoint moved = mouse->globalPosition().toPoint() - pressAt_;
      if (!dragging_ && moved.manhattanLength() < QApplication::startDragDistance()) return false;
      if (!dragging_) {
        dragging_ = true;
        setWindowOpacity(kDragOpacity);
      }
      move(popupAt_ + moved);
      return true;
    }
    case QEvent::MouseButtonRelease: {
      pressed_ = false;
      if (!dragging_) return false;
      dragging_ = false;
      setWindowOpacity(1.0);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace korvel
