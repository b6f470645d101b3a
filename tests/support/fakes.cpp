#include "support/fakes.h"

namespace reelcatch {

MessageAnswer RecordingDialogs::ShowMessage(const std::string& text, MessageButtons buttons,
                                            MessageIcon icon, const std::string& title) {
  messages_.push_back({text, buttons, icon, title});
  return answer_;
}

std::string RecordingDialogs::PickFolder(const std::string& prompt) {
  prompts_.push_back(prompt);
  return folder_;
}

}  // namespace reelcatch
