#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "resolve/site_table.h"

namespace reelcatch {

// Decides which clipboard texts the watcher passes on: a single line of a
// supported site, once per copy. A text seen again is not passed on again
// until another text came in between, since clipboard owners often announce
// the same content more than once.
class ClipboardSieve {
 public:
  static constexpr std::size_t kMaxCharacters = 2048;

  // The address to deliver, if any. Secret texts (from password managers)
  // are neither looked at nor kept, but they do count as another text.
  std::optional<std::string> Take(const std::string& text, bool secret) {
    if (secret) {
      last_.reset();
      return std::nullopt;
    }
    // Empty means no text at all (an image, or the owner went away).
    if (text.empty() || text == last_) return std::nullopt;
    last_ = text;
    std::string line = Trimmed(text);
    if (line.empty() || line.find_first_of("\r\n") != std::string::npos) return std::nullopt;
    if (Characters(line) > kMaxCharacters) return std::nullopt;
    if (GetSiteId(line) == kSiteNone) return std::nullopt;
    return line;
  }

 private:
  static std::string Trimmed(const std::string& text) {
    const char* space = " \t\r\n";
    std::size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
  }

  // UTF-8 characters: every byte but the continuation bytes.
  static std::size_t Characters(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
  }

  std::optional<std::string> last_;
};

}  // namespace reelcatch
