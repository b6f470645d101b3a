#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace reelcatch {

// Message boxes and the folder picker, modal to the main window.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                            const std::string& title) override;
  std::string PickFolder(const std::string& prompt) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace reelcatch
