#include "editors/colorformunit.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "icons/imagelists.h"
#include "base/messages.h"
#include "editors/colorswatch.h"
#include "editors/colorunit.h"
#include "colors/colorutils.h"
#include "editors/editorbuttons.h"
#include "editors/gstringgrid.h"

namespace korvel {

namespace {

constexpr int kEntryRole = Qt::UserRole;
constexpr int kSwatchLeft = 5;
constexpr int kSwatchRight = 55;
constexpr int kSwatchHeight = 15;
constexpr int kTextLeft = 60;

QString NameOfEntry(const QString& entry) { return entry.section(QLatin1Char('='), 0, 0); }

// The mixer button's picture: a red, a green and a blue bar.
QIcon MixerIcon() {
  QPixmap picture(kImageSize, kImageSize);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  const std::array<QColor, 3> bars = {QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 255)};
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const int height = 8 + 4 * static_cast<int>(i);
    painter.fillRect(QRect(2 + 6 * static_cast<int>(i), kImageSize - 2 - height, 4, height), bars[i]);
  }
  return QIcon(picture);
}

}  // namespace

// Paints an entry of the list: the swatch of its value, then its name.
class TColorForm::ItemPainter final : public QStyledItemDelegate {
 public:
  explicit ItemPainter(QObject* parent) : QStyledItemDelegate(parent) {}
  int itemHeight = 18;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {option.rect.width(), itemHeight};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, palette.color(selected ? QPalette::Highlight : QPalette::Base));
    const QString name = NameOfEntry(index.data(kEntryRole).toString());
    // The swatch shows the value the table gives the name, the first entry
    // of that name answering; an entry the painter cannot read gets none.
    const QColor colour =
        SwatchColorOf(QString::fromStdString(ColorTable::Shared().ColorValueFromName(name.toStdString())));
    if (colour.isValid()) {
      const QRect swatch(QPoint(option.rect.left() + kSwatchLeft, option.rect.top() + 1),
                         QSize(kSwatchRight - kSwatchLeft, kSwatchHeight));
      painter->fillRect(swatch, colour);
    }
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect text(option.rect.left() + kTextLeft, option.rect.top(), option.rect.width() - kTextLeft,
                     option.rect.height());
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
  }
};

TColorForm::TColorForm(QWidget* mainWindow) : GPopupForm(mainWindow) {
  SetFormLook(QColor(kPopupSkyBlue));

  auto* top = new QFrame(this);
  top->setFrameStyle(QFrame::Box | QFrame::Plain);
  SetBackground(*top, Qt::white);
  combo_ = new QComboBox(top);
  combo_->setEditable(true);
  combo_->setInsertPolicy(QComboBox::NoInsert);
  mixerButton_ = FlatButton(MixerIcon(), QStringLiteral("Gestion des couleurs"), top);
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(2, 2, 2, 2);
  topLayout->addWidget(combo_, 1);
  topLayout->addWidget(mixerButton_);

  list_ = new QListWidget(this);
  list_->setUniformItemSizes(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  painter_ = new ItemPainter(list_);
  list_->setItemDelegate(painter_);
  list_->setFont(font());

  okButton_ = MakeOkButton(this);
  cancelButton_ = MakeCancelButton(this);
  QHBoxLayout* bottom = OkCancelRow(okButton_, cancelButton_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(top);
  layout->addWidget(list_, 1);
  layout->addLayout(bottom);
  resize(250, 240);

  // Enter in the combo box resolves the typed colour before confirming.
  KeepOwnKeys(combo_);
  combo_->lineEdit()->installEventFilter(this);

  connect(list_, &QListWidget::itemClicked, this, &TColorForm::OnItemClicked);
  connect(mixerButton_, &QToolButton::clicked, this, &TColorForm::OpenMixer);
  connect(okButton_, &QToolButton::clicked, this, &TColorForm::Ok);
  connect(cancelButton_, &QToolButton::clicked, this, &TColorForm::Cancel);

  ReloadList(ColorTable::Shared().Entries());
}

TColorForm::~TColorForm() = default;

void TColorForm::ShowForCell(const GStringGrid& grid, const QStringList& keywords, const QString& value) {
  hide();
  LoadValue(keywords, value);
  PlaceBeside(ValueCellInGlobal(grid, grid.CurrentRow()));
  if (width() < grid.ColumnWidth(1)) resize(grid.ColumnWidth(1), height());
  painter_->itemHeight = grid.DefaultRowHeight() - 2;
  list_->doItemsLayout();
  show();
  raise();
}

void TColorForm::LoadValue(const QStringList& keywords, const QString& value) {
  if (static_cast<std::size_t>(list_->count()) != ColorTable::Shared().Entries().size())
    ReloadList(ColorTable::Shared().Entries());
  combo_->clear();
  combo_->addItems(keywords);
  combo_->setEditText(value);
  Resolve(value);
}

QString TColorForm::Result() const {
  const QString text = combo_->currentText();
  if (text == QLatin1String("transparent")) return text;
  return QString::fromStdString(NormalizeHtmlColor(text.toStdString()));
}

void TColorForm::SetLiveUpdate(bool on) {
  liveUpdate_ = on;
  if (mixer_) mixer_->SetLiveUpdate(on);
}

void TColorForm::OpenMixer() {
  const QString text = combo_->currentText();
  if (!mixer_) {
    // The mixer belongs to the main window, as the picker does.
    mixer_ = new TGestColorForm(parentWidget() != nullptr ? parentWidget() : this);
    mixer_->SetLiveUpdate(liveUpdate_);
    connect(mixer_, &TGestColorForm::ColorChosen, this, &TColorForm::TakeMixedColor);
  }
  if (!mixer_->LoadColor(text) && text.startsWith(QLatin1Char('#'))) {
    ShowMessage(kBadColorFormatMessage);
    return;
  }
  if (!mixer_->isVisible()) PlaceMixer();
  mixer_->show();
  mixer_->raise();
}

void TColorForm::TakeMixedColor(const QString& mixed) {
  const QString html = QString::fromStdString(NormalizeHtmlColor(mixed.toStdString()));
  if (!isVisible() || html.isEmpty()) return;
  ColorTable& table = ColorTable::Shared();
  QString name = QString::fromStdString(table.ColorNameFromValue(html.toStdString()));
  if (name.isEmpty()) {
    table.AddCustomColor([this](const std::vector<std::string>& entries) { ReloadList(entries); },
                         html.toStdString(), html.toStdString());
    name = html;
  }
  SelectName(name);
  combo_->setEditText(html);
}

void TColorForm::PlaceMixer() {
  // Beside the list, on its right, or on its left when the screen ends
  // there; level with the picker's top, as far as the screen allows.
  const QRect list = geometry();
  QPoint at(list.right() + 1, list.top());
  const QScreen* screen = QGuiApplication::screenAt(list.center());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect room = screen->availableGeometry();
    const QSize size = mixer_->frameGeometry().size().expandedTo(mixer_->size());
    if (at.x() + size.width() > room.right() + 1) at.setX(list.left() - size.width());
    at.setX(std::max(std::min(at.x(), room.right() + 1 - size.width()), room.left()));
    at.setY(std::max(std::min(at.y(), room.bottom() + 1 - size.height()), room.top()));
  }
  mixer_->move(at);
}

TGestColorForm* TColorForm::Mixer() const { return mixer_; }

QString TColorForm::SelectedName() const {
  const QListWidgetItem* item = list_->currentItem();
  return item != nullptr && item->isSelected() ? NameOfEntry(item->data(kEntryRole).toString()) : QString();
}

void TColorForm::OnOk() {
  // A colour name typed in the box ("teal", "Teal") is written as its
  // colour, as Enter or a click in the list would show it.
  const QString typed = combo_->currentText().trimmed();
  if (typed != QLatin1String("transparent") && !typed.startsWith(QLatin1Char('#'))) Resolve(typed);
  const QString result = Result();
  // Nothing the picker cannot write as a colour reaches the grid: the
  // value opened stays as it was.
  if (result.isEmpty()) {
    hide();
    return;
  }
  if (liveUpdate_) {
    emit Accepted(result);
  } else {
    Accept(result);
  }
}

bool TColorForm::eventFilter(QObject* watched, QEvent* event) {
  // The combo box passes its keys to its line edit straight, past any
  // filter: they are met here on either.
  if ((watched == combo_ || watched == combo_->lineEdit()) && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      // Enter confirms what the box holds; a "#" text in a bad format has
      // been refused with a message, and the picker stays open on it.
      if (ResolveComboText() || !combo_->currentText().trimmed().startsWith(QLatin1Char('#'))) OnOk();
      return true;
    }
    if (key == Qt::Key_Escape) {
      Cancel();
      return true;
    }
  }
  return GPopupForm::eventFilter(watched, event);
}

void TColorForm::ReloadList(const std::vector<std::string>& entries) {
  list_->clear();
  for (const std::string& entry : entries) {
    const QString text = QString::fromStdString(entry);
    auto* item = new QListWidgetItem(NameOfEntry(text), list_);
    item->setData(kEntryRole, text);
  }
}

void TColorForm::SelectName(const QString& name) {
  for (int row = 0; row < list_->count(); ++row) {
    QListWidgetItem* item = list_->item(row);
    if (NameOfEntry(item->data(kEntryRole).toString()).compare(name, Qt::CaseInsensitive) == 0) {
      list_->setCurrentItem(item);
      list_->scrollToItem(item);
      return;
    }
  }
}

bool TColorForm::ResolveComboText() { return Resolve(combo_->currentText().trimmed()); }

bool TColorForm::Resolve(const QString& text) {
  std::string name;
  std::string html;
  const bool understood = ColorTable::Shared().ResolveColorText(
      [this](const std::vector<std::string>& entries) { ReloadList(entries); }, text.toStdString(), name, html);
  if (!understood) return false;
  combo_->setEditText(QString::fromStdString(html));
  SelectName(QString::fromStdString(name));
  return true;
}

void TColorForm::OnItemClicked(QListWidgetItem* item) {
  const QString name = NameOfEntry(item->data(kEntryRole).toString());
  const QString html = QString::fromStdString(ColorTable::Shared().ColorValueFromName(name.toStdString()));
  combo_->setEditText(html);
  if (mixer_ && mixer_->isVisible()) mixer_->LoadColor(html);
}

}  // namespace korvel
