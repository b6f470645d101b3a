// UnescapeUrl against a plain decoder: same text whenever it fits, and never
// longer than the limit or than its input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "resolve/unescape_url.h"

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes every %XX except %00, with no length limit.
std::string PlainDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
      int value = Hex(text[i + 1]) * 16 + Hex(text[i + 2]);
      if (value != 0) {
        out.push_back(static_cast<char>(value));
        i += 2;
        continue;
      }
    }
    out.push_back(text[i]);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using reelcatch::fuzz::Check;
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string decoded = reelcatch::UnescapeUrl(text);
  std::string expected = PlainDecode(text);

  Check(decoded.size() <= reelcatch::kMaxUnescapedLength, "decoded text within the limit");
  Check(decoded.size() <= text.size(), "decoding never lengthens");
  if (expected.size() <= reelcatch::kMaxUnescapedLength) {
    Check(decoded == expected, "decoded like the plain decoder", text);
  } else {
    Check(decoded.empty(), "too long decodes to empty text", text);
  }
  // A zero byte only comes through when the input had one as it is.
  if (text.find('\0') == std::string::npos) {
    Check(decoded.find('\0') == std::string::npos, "no zero byte decoded", text);
  }
  return 0;
}
