#include "app/get/terminal_text.h"

namespace reelcatch {

namespace {

constexpr char kHex[] = "0123456789abcdef";

bool InRange(std::string_view text, std::size_t at, unsigned char low, unsigned char high) {
  if (at >= text.size()) return false;
  auto byte = static_cast<unsigned char>(text[at]);
  return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 character at text[at], 0 when the byte
// there begins none.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
  // The second byte's range rules out overlong forms, surrogates and code
  // points beyond U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead < 0xc2 || lead > 0xf4) return 0;
  if (lead == 0xe0) low = 0xa0;
  if (lead == 0xed) high = 0x9f;
  if (lead == 0xf0) low = 0x90;
  if (lead == 0xf4) high = 0x8f;
  if (!InRange(text, at + 1, low, high)) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!InRange(text, at + i, 0x80, 0xbf)) return 0;
  }
  return length;
}

void AppendHex(std::string& out, const char* prefix, unsigned char byte) {
  out += prefix;
  out += kHex[byte >> 4];
  out += kHex[byte & 0xf];
}

}  // namespace

std::string EscapeControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char c = text[i];
    auto byte = static_cast<unsigned char>(c);
    std::size_t length = Utf8Length(text, i);
    std::size_t step = length == 0 ? 1 : length;
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      AppendHex(out, "\\x", byte);
    } else if (length == 2 && byte == 0xc2 && InRange(text, i + 1, 0x80, 0x9f)) {
      // A C1 control character (U+0080-U+009F), such as CSI.
      AppendHex(out, "\\u00", static_cast<unsigned char>(text[i + 1]));
    } else if (length == 0 && byte <= 0x9f) {
      // A stray byte that an 8-bit terminal takes as a C1 control.
      AppendHex(out, "\\x", byte);
    } else {
      out.append(text.substr(i, step));
    }
    i += step;
  }
  return out;
}

}  // namespace reelcatch
