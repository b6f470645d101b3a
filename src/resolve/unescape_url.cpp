#include "resolve/unescape_url.h"

#include <algorithm>

namespace reelcatch {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte encoded at text[i] ("%XX"), or -1 when nothing is decoded there.
int EncodedByteAt(const std::string& text, size_t i) {
  if (text[i] != '%' || i + 2 >= text.size()) return -1;
  int high = HexValue(text[i + 1]);
  int low = HexValue(text[i + 2]);
  if (high < 0 || low < 0) return -1;
  int value = high * 16 + low;
  return value == 0 ? -1 : value;
}

}  // namespace

std::string UnescapeUrl(const std::string& text) {
  std::string decoded;
  decoded.reserve(std::min(text.size(), kMaxUnescapedLength + 1));
  for (size_t i = 0; i < text.size(); ++i) {
    if (decoded.size() >= kMaxUnescapedLength) return {};
    int value = EncodedByteAt(text, i);
    if (value < 0) {
      decoded.push_back(text[i]);
    } else {
      decoded.push_back(static_cast<char>(value));
      i += 2;
    }
  }
  return decoded;
}

}  // namespace reelcatch
