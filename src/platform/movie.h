#pragma once

#include <string>

namespace reelcatch {

// The window's face: it draws every button and raises named commands; the
// program talks to it through "_root." variables.
class Movie {
 public:
  virtual ~Movie() = default;
  virtual void LoadMovie(int layer, const std::string& path) = 0;
  virtual void SetVariable(const std::string& name, const std::string& value) = 0;
  virtual std::string GetVariable(const std::string& name) = 0;
};

}  // namespace reelcatch
