#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/event_loop.h"

namespace reelcatch {

// An event loop that counts its turns and can run a test's action in them,
// the way a user's click arrives in the middle of a long operation.
class CountingEventLoop : public EventLoop {
 public:
  void DoEvents() override {
    ++count_;
    if (action_) action_();
  }
  int Count() const { return count_; }
  // Runs on every turn until replaced; an empty function runs nothing.
  void OnEvents(std::function<void()> action) { action_ = std::move(action); }

 private:
  int count_ = 0;
  std::function<void()> action_;
};

struct ShownMessage {
  std::string text;
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
  std::string title;
};

// Records every message and answers with what the test chose.
class RecordingDialogs : public Dialogs {
 public:
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons, MessageIcon icon,
                            const std::string& title) override;
  std::string PickFolder(const std::string& prompt) override;

  void SetAnswer(MessageAnswer answer) { answer_ = answer; }
  void SetPickedFolder(std::string folder) { folder_ = std::move(folder); }
  const std::vector<ShownMessage>& Messages() const { return messages_; }
  const std::vector<std::string>& FolderPrompts() const { return prompts_; }

 private:
  MessageAnswer answer_ = MessageAnswer::Ok;
  std::string folder_;
  std::vector<ShownMessage> messages_;
  std::vector<std::string> prompts_;
};

}  // namespace reelcatch
