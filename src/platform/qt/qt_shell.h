#pragma once

#include "platform/shell.h"

namespace reelcatch {

// Opens documents and web addresses with the desktop's handlers and starts
// programs detached from this one.
class QtShell : public Shell {
 public:
  void Open(const std::string& pathOrUrl) override;
  void Launch(const std::string& program, const std::vector<std::string>& args) override;
};

}  // namespace reelcatch
