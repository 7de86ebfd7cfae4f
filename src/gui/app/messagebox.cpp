#include "app/messagebox.h"

#include <QMessageBox>

namespace korvel {

std::unique_ptr<QMessageBox> MakeMessageBox(const Message& message, QWidget* parent) {
  auto made = std::make_unique<QMessageBox>(parent);
  QMessageBox& box = *made;
  box.setWindowTitle(QString::fromStdString(message.caption));
  box.setText(QString::fromStdString(message.text));
  switch (message.kind) {
    case MessageKind::Plain: box.setIcon(QMessageBox::NoIcon); break;
    case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
    case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageKind::Question: box.setIcon(QMessageBox::Question); break;
  }
  switch (message.buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MessageButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
  }
  return made;
}

MessageAnswer MessageBoxSink::Show(const Message& message) {
  switch (MakeMessageBox(message, parent_)->exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Ok: return MessageAnswer::Ok;
    default: return MessageAnswer::Cancel;
  }
}

}  // namespace korvel
