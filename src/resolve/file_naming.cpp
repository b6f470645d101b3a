#include "resolve/file_naming.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "resolve/item_texts.h"

namespace reelcatch {

namespace {

std::string PlainNumber(float x) {
  if (x == 0) x = 0;  // no "-0"
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, x);
  return std::string(buffer, result.ptr);
}

std::string BytesText(float x) { return PlainNumber(x) + " Bytes"; }

// value rounded to one decimal, halves to the even digit, written without a
// trailing zero. The quotients of a float by a power of two stay exact in
// double even when multiplied by ten, so the halfway test is exact too.
std::string OneDecimal(double value) {
  auto tenths = static_cast<std::int64_t>(std::nearbyint(value * 10));
  std::string text = std::to_string(tenths / 10);
  if (tenths % 10 != 0) text += "." + std::to_string(tenths % 10);
  return text;
}

}  // namespace

std::string FormatFileSize(float x) {
  constexpr double kKilo = 1024.0;
  constexpr double kMega = kKilo * 1024;
  constexpr double kGiga = kMega * 1024;
  constexpr double kTera = kGiga * 1024;
  if (std::isnan(x)) return BytesText(x);
  if (x < kKilo) return BytesText(x);
  if (x < kMega) return OneDecimal(x / 1024.0f) + " KB";
  if (x < kGiga) return OneDecimal(x / kMega) + " MB";
  if (x < kTera) return OneDecimal(x / kGiga) + " GB";
  return {};
}

std::string CleanFileName(const std::string& s) {
  // A zero byte would silently cut the name where the file is opened.
  constexpr std::string_view kRemoved("\\/:*?\"<>|&\0", 11);
  std::string name;
  name.reserve(s.size());
  for (char c : s) {
    if (kRemoved.find(c) == std::string_view::npos) name.push_back(c);
  }
  if (name.empty() || name == "." || name == "..") return texts::kEnterFileName;
  return name;
}

namespace {

bool InRange(unsigned char c, unsigned char low, unsigned char high) {
  return c >= low && c <= high;
}

// Bytes taken by the character starting at text[i]: a well-formed UTF-8
// sequence, or one byte for anything else.
size_t CharSize(const std::string& text, size_t i) {
  auto at = [&](size_t k) { return static_cast<unsigned char>(k < text.size() ? text[k] : 0); };
  unsigned char lead = at(i);
  unsigned char second = at(i + 1);
  auto tail = [&](size_t from, size_t count) {
    for (size_t k = from; k < from + count; ++k) {
      if (!InRange(at(k), 0x80, 0xBF)) return false;
    }
    return true;
  };
  if (lead < 0x80) return 1;
  if (InRange(lead, 0xC2, 0xDF)) return tail(i + 1, 1) ? 2 : 1;
  if (lead == 0xE0) return InRange(second, 0xA0, 0xBF) && tail(i + 2, 1) ? 3 : 1;
  if (lead == 0xED) return InRange(second, 0x80, 0x9F) && tail(i + 2, 1) ? 3 : 1;
  if (InRange(lead, 0xE1, 0xEF)) return tail(i + 1, 2) ? 3 : 1;
  if (lead == 0xF0) return InRange(second, 0x90, 0xBF) && tail(i + 2, 2) ? 4 : 1;
  if (lead == 0xF4) return InRange(second, 0x80, 0x8F) && tail(i + 2, 2) ? 4 : 1;
  if (InRange(lead, 0xF1, 0xF3)) return tail(i + 1, 3) ? 4 : 1;
  return 1;
}

// Byte offset after the first chars characters (the size when there are fewer).
size_t OffsetOfChar(const std::string& text, size_t chars) {
  size_t offset = 0;
  for (size_t n = 0; n < chars && offset < text.size(); ++n) offset += CharSize(text, offset);
  return offset;
}

}  // namespace

size_t Utf8Length(const std::string& text) {
  size_t chars = 0;
  for (size_t offset = 0; offset < text.size(); offset += CharSize(text, offset)) ++chars;
  return chars;
}

std::string Utf8Left(const std::string& text, size_t chars) {
  return text.substr(0, OffsetOfChar(text, chars));
}

std::string Utf8Right(const std::string& text, size_t chars) {
  size_t length = Utf8Length(text);
  if (chars >= length) return text;
  return text.substr(OffsetOfChar(text, length - chars));
}

std::string CutFileName(const std::string& name, size_t maxChars, size_t keepLast) {
  if (Utf8Length(name) <= maxChars) return name;
  if (keepLast > maxChars) keepLast = maxChars;
  return Utf8Left(name, maxChars - keepLast) + Utf8Right(name, keepLast);
}

namespace {

// Whole characters of text that fit into bytes.
std::string FitBytes(const std::string& text, size_t bytes) {
  size_t end = 0;
  while (end < text.size()) {
    size_t next = end + CharSize(text, end);
    if (next > bytes) break;
    end = next;
  }
  return text.substr(0, end);
}

}  // namespace

std::string NumberedFileName(const std::string& name, int n, size_t maxBytes) {
  std::string mark = " (" + std::to_string(n) + ")";
  size_t dot = name.rfind('.');
  // A leading dot starts a name, not an extension.
  std::string ext = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
  if (ext.size() + mark.size() >= maxBytes) ext.clear();
  std::string stem = name.substr(0, name.size() - ext.size());
  size_t room = maxBytes > ext.size() + mark.size() ? maxBytes - ext.size() - mark.size() : 0;
  return FitBytes(stem, room) + mark + ext;
}

}  // namespace reelcatch
