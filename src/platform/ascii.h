#pragma once

#include <string>
#include <string_view>

namespace reelcatch {

// Case folding of the protocol texts (header names, schemes, media types,
// extensions): A-Z only, never by the user's locale, which may fold other
// letters too (a Turkish dotted I).
inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = LowerAscii(c);
  return lowered;
}

// Whether text begins with prefix (given in lower case), in any case.
inline bool StartsWithNoCase(std::string_view text, std::string_view lowerPrefix) {
  return text.size() >= lowerPrefix.size() &&
         LowerAscii(text.substr(0, lowerPrefix.size())) == lowerPrefix;
}

}  // namespace reelcatch
