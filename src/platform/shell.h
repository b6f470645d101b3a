#pragma once

#include <string>
#include <vector>

namespace reelcatch {

// The desktop shell: opening documents and web addresses, launching programs.
// Fire and forget: nothing is reported back.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void Open(const std::string& pathOrUrl) = 0;
  virtual void Launch(const std::string& program, const std::vector<std::string>& args) = 0;
};

}  // namespace reelcatch
