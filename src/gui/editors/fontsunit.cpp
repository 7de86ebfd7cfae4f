#include "editors/fontsunit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
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

// A font-family value as its items stand, each as written (quotes kept),
// and the separator it uses, so that a change keeps the rest of the text.
struct FamilyItems {
  QStringList items;
  QString separator;
};

FamilyItems SplitFamilies(const QString& value) {
  FamilyItems split;
  split.separator = value.contains(QStringLiteral(", ")) ? QStringLiteral(", ") : QStringLiteral(",");
  for (const QString& item : value.split(QLatin1Char(','))) {
    const QString written = item.trimmed();
    if (!written.isEmpty()) split.items << written;
  }
  return split;
}

// The family an item names. The picker writes names with blanks between
// single quotes; a stylesheet may use either kind.
QString FamilyName(QString item) {
  item.remove(QLatin1Char('"'));
  item.remove(QLatin1Char('\''));
  return item.trimmed();
}

std::optional<GenericFamily> GenericOf(const QString& item) {
  return GenericFamilyFromKeyword(FamilyName(item).toStdString());
}

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
  missing_ = new QLabel(this);
  missing_->setWordWrap(true);
  missing_->hide();
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
  layout->addWidget(missing_);
  layout->addWidget(pages_, 1);
  layout->addLayout(bottom);
  resize(275, 249);

  connect(selected_, &QLineEdit::textEdited, this, &TFontForm::FollowValue);
  connect(selected_, &QLineEdit::textChanged, this, [this] {
    const QStringList missing = MissingFamilies();
    missing_->setText(missing.size() == 1 ? QStringLiteral("Police absente de cette machine : ") + missing.front()
                                          : QStringLiteral("Polices absentes de cette machine : ") +
                                                missing.join(QStringLiteral(", ")));
    missing_->setVisible(!missing.isEmpty());
  });
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
  selected_->setText(value);
  FollowValue();
  std::optional<GenericFamily> firstFontFamily;
  bool first = true;
  for (const QString& item : SplitFamilies(value).items) {
    const bool isFirst = std::exchange(first, false);
    if (const std::optional<GenericFamily> generic = GenericOf(item)) {
      ShowFamily(*generic);
      continue;
    }
    for (GenericFamily family : kGenericFamilies) {
      QListWidget* list = List(family);
      const QList<QListWidgetItem*> found = list->findItems(FamilyName(item), Qt::MatchFixedString);
      if (found.isEmpty()) continue;
      list->setCurrentItem(found.front());
      if (isFirst) firstFontFamily = family;
      break;
    }
  }
  if (firstFontFamily) ShowFamily(*firstFontFamily);
}

void TFontForm::FollowValue() {
  QStringList names;
  for (const QString& item : SplitFamilies(selected_->text()).items) names << FamilyName(item);
  const bool wasLoading = std::exchange(loading_, true);
  for (QListWidget* list : lists_) {
    for (int row = 0; row < list->count(); ++row) {
      QListWidgetItem* item = list->item(row);
      const Qt::CheckState state =
          names.contains(item->text(), Qt::CaseInsensitive) ? Qt::Checked : Qt::Unchecked;
      if (item->checkState() != state) item->setCheckState(state);
    }
  }
  loading_ = wasLoading;
}

QStringList TFontForm::MissingFamilies() const {
  QStringList missing;
  for (const QString& item : SplitFamilies(selected_->text()).items) {
    if (GenericOf(item)) continue;
    const QString name = FamilyName(item);
    const bool installed = std::any_of(lists_.begin(), lists_.end(), [&name](const QListWidget* list) {
      return !list->findItems(name, Qt::MatchFixedString).isEmpty();
    });
    if (!installed && !name.isEmpty()) missing << name;
  }
  return missing;
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
  if (!loading_) ComposeWith(*item);
}

void TFontForm::ComposeWith(const QListWidgetItem& item) {
  const QString name = item.text();
  FamilyItems value = SplitFamilies(selected_->text());
  const auto named = [&name](const QString& written) {
    return FamilyName(written).compare(name, Qt::CaseInsensitive) == 0;
  };
  if (item.checkState() == Qt::Checked) {
    if (std::none_of(value.items.begin(), value.items.end(), named)) {
      const bool endsWithGeneric = !value.items.isEmpty() && GenericOf(value.items.back());
      const QString written = name.contains(QLatin1Char(' ')) ? QLatin1Char('\'') + name + QLatin1Char('\'') : name;
      value.items.insert(endsWithGeneric ? value.items.size() - 1 : value.items.size(), written);
    }
  } else {
    value.items.removeIf(named);
  }
  if (std::none_of(value.items.begin(), value.items.end(), [](const QString& written) { return GenericOf(written).has_value(); }))
    value.items << pages_->tabText(pages_->currentIndex());
  selected_->setText(value.items.join(value.separator));
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
