#include "platform/qt/qt_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/qt/qt_text.h"

namespace reelcatch {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
  return buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
}

MessageAnswer ToAnswer(int button) {
  if (button == QMessageBox::Yes) return MessageAnswer::Yes;
  if (button == QMessageBox::No) return MessageAnswer::No;
  return MessageAnswer::Ok;
}

}  // namespace

MessageAnswer QtDialogs::ShowMessage(const std::string& text, MessageButtons buttons,
                                     MessageIcon icon, const std::string& title) {
  QMessageBox box(ToQtIcon(icon), ToQString(title.empty() ? kProgramName : title), ToQString(text),
                  ToQtButtons(buttons), owner_);
  // Closing the box with Escape or its frame answers No to a question.
  box.setEscapeButton(buttons == MessageButtons::YesNo ? QMessageBox::No : QMessageBox::Ok);
  return ToAnswer(box.exec());
}

std::string QtDialogs::PickFolder(const std::string& prompt) {
  QString folder = QFileDialog::getExistingDirectory(owner_, ToQString(prompt), QDir::homePath(),
                                                     QFileDialog::ShowDirsOnly);
  return ToStdString(folder);
}

}  // namespace reelcatch
