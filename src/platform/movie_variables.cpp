#include "platform/movie_variables.h"

#include <exception>

namespace reelcatch {

void SetMovieVariable(Movie& movie, const std::string& name, const std::string& value) {
  try {
    movie.SetVariable(name, value);
  } catch (const std::exception&) {
    // The face keeps its old value; nothing else depends on it.
  }
}

void SetMovieVariable(Movie& movie, const std::string& name, bool value) {
  SetMovieVariable(movie, name, std::string(value ? "1" : "0"));
}

void SetMovieVariable(Movie& movie, const std::string& name, const char* value) {
  SetMovieVariable(movie, name, std::string(value ? value : ""));
}

}  // namespace reelcatch
