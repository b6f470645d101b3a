#pragma once

#include <string>

namespace reelcatch {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Message boxes and the folder picker. A message without a title of its own
// carries the program's name.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                                    MessageIcon icon, const std::string& title) = 0;
  // A modal folder picker; empty text when nothing usable was chosen.
  virtual std::string PickFolder(const std::string& prompt) = 0;
};

inline constexpr const char* kProgramName = "Reelcatch";

}  // namespace reelcatch
