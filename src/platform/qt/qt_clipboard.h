#pragma once

#include "platform/window.h"

namespace reelcatch {

// The system clipboard's text.
class QtClipboard : public Clipboard {
 public:
  std::string Text() override;
};

}  // namespace reelcatch
