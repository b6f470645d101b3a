// File names from any bytes: cleaning leaves a usable name, the UTF-8
// counts and cuts agree with a character split made here, so a cut never
// lands inside a well-formed character, and numbered names keep to their
// bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "resolve/file_naming.h"

namespace {

using reelcatch::fuzz::Check;
using reelcatch::fuzz::IsValidUtf8;

// Byte offsets where characters start, plus the end: a well-formed sequence
// is one character, any other byte one character of its own.
std::vector<size_t> CharacterBounds(const std::string& text) {
  std::vector<size_t> bounds{0};
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    size_t size = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (size > 1 && !IsValidUtf8(std::string_view(text).substr(i, size))) size = 1;
    i += size;
    bounds.push_back(i);
  }
  return bounds;
}

void CheckClean(const std::string& name) {
  static constexpr std::string_view kRemoved("\\/:*?\"<>|&\0", 11);
  std::string clean = reelcatch::CleanFileName(name);
  Check(!clean.empty() && clean != "." && clean != "..", "a usable name", clean);
  Check(clean.find_first_of(kRemoved) == std::string::npos, "no removed character", clean);
  if (name.find_first_of(kRemoved) == std::string::npos && !name.empty() && name != "." &&
      name != "..") {
    Check(clean == name, "a clean name is kept", name);
  }
  if (IsValidUtf8(name)) Check(IsValidUtf8(clean), "cleaning keeps UTF-8 whole", clean);
}

void CheckCounts(const std::string& text, size_t n) {
  std::vector<size_t> bounds = CharacterBounds(text);
  size_t length = bounds.size() - 1;
  Check(reelcatch::Utf8Length(text) == length, "character count", text);

  size_t leftChars = n < length ? n : length;
  std::string left = reelcatch::Utf8Left(text, n);
  std::string right = reelcatch::Utf8Right(text, n);
  Check(left.size() == bounds[leftChars], "left cut on a character start", text);
  Check(right.size() == text.size() - bounds[length - leftChars], "right cut on a character start",
        text);
  Check(text.starts_with(left) && text.ends_with(right), "cuts are the text's ends", text);
  Check(reelcatch::Utf8Left(text, n) + reelcatch::Utf8Right(text, length - leftChars) == text,
        "the two cuts make the whole", text);
}

void CheckCut(const std::string& name, size_t maxChars, size_t keepLast) {
  std::string cut = reelcatch::CutFileName(name, maxChars, keepLast);
  size_t length = reelcatch::Utf8Length(name);
  if (length <= maxChars) {
    Check(cut == name, "a short name is kept", name);
    return;
  }
  Check(reelcatch::Utf8Length(cut) <= maxChars, "cut within the limit", cut);
  Check(cut.size() < name.size(), "a cut shortens", cut);
  if (!IsValidUtf8(name)) return;
  Check(IsValidUtf8(cut), "a cut keeps UTF-8 whole", cut);
  Check(reelcatch::Utf8Length(cut) == maxChars, "cut to the limit exactly", cut);
  size_t kept = keepLast < maxChars ? keepLast : maxChars;
  std::vector<size_t> bounds = CharacterBounds(name);
  Check(cut.ends_with(std::string_view(name).substr(bounds[length - kept])), "the end is kept",
        cut);
}

// A numbered name stays within its bytes, whole characters only, with its
// number in it.
void CheckNumbered(const std::string& name, int n, size_t maxBytes) {
  std::string numbered = reelcatch::NumberedFileName(name, n, maxBytes);
  std::string mark = " (" + std::to_string(n) + ")";
  Check(numbered.size() <= maxBytes || maxBytes < mark.size(), "within its bytes", numbered);
  Check(numbered.find(mark) != std::string::npos, "the number is there", numbered);
  if (IsValidUtf8(name)) Check(IsValidUtf8(numbered), "numbering keeps UTF-8 whole", numbered);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reelcatch::fuzz::Input input(data, size);
  size_t maxChars = input.Byte();
  size_t keepLast = input.Byte() % 16;
  std::string name = input.Rest();

  CheckClean(name);
  CheckCounts(name, maxChars);
  CheckCut(name, maxChars, keepLast);
  CheckNumbered(name, 2 + static_cast<int>(keepLast), maxChars);
  return 0;
}
