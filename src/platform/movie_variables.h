#pragma once

#include <string>

#include "platform/movie.h"

namespace reelcatch {

// Sets one "_root." variable of the face. A face that fails to take it is
// not the program's concern: the failure is dropped and the caller goes on.
void SetMovieVariable(Movie& movie, const std::string& name, const std::string& value);
// Truth values travel as "1" and "0".
void SetMovieVariable(Movie& movie, const std::string& name, bool value);
// Keeps a string literal from choosing the bool overload.
void SetMovieVariable(Movie& movie, const std::string& name, const char* value);

}  // namespace reelcatch
