// Size texts for every float: bytes read back exactly, larger sizes within
// half a tenth of their unit and short enough for the size column, nothing
// from 2^40 bytes on.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "resolve/file_naming.h"

namespace {

using reelcatch::fuzz::Check;

bool TakeSuffix(std::string& text, const std::string& suffix) {
  if (!text.ends_with(suffix)) return false;
  text.resize(text.size() - suffix.size());
  return true;
}

// "123" or "123.4", nothing else.
bool IsOneDecimalNumber(const std::string& text) {
  size_t dot = text.find('.');
  std::string whole = text.substr(0, dot);
  if (whole.empty() || whole.find_first_not_of("0123456789") != std::string::npos) return false;
  if (dot == std::string::npos) return true;
  return text.size() == dot + 2 && text[dot + 1] >= '1' && text[dot + 1] <= '9';
}

void CheckSize(float x) {
  std::string text = reelcatch::FormatFileSize(x);
  const double kKilo = 1024;
  if (std::isnan(x) || x < kKilo) {
    Check(TakeSuffix(text, " Bytes"), "small sizes in bytes", text);
    if (std::isnan(x)) return;
    float back = std::strtof(text.c_str(), nullptr);
    Check(back == x, "bytes read back exactly", text);
    Check(text != "-0", "no negative zero");
    return;
  }
  if (x >= std::ldexp(1.0, 40)) {
    Check(text.empty(), "nothing from 2^40 bytes on", text);
    return;
  }
  Check(text.size() <= 10, "short enough for the size column", text);
  double unit = x < kKilo * kKilo           ? kKilo
                : x < kKilo * kKilo * kKilo ? kKilo * kKilo
                                            : kKilo * kKilo * kKilo;
  const char* suffix = unit == kKilo ? " KB" : unit == kKilo * kKilo ? " MB" : " GB";
  Check(TakeSuffix(text, suffix), "the unit fits the size", text);
  Check(IsOneDecimalNumber(text), "a number with one decimal at most", text);
  double shown = std::strtod(text.c_str(), nullptr);
  Check(std::fabs(shown - x / unit) <= 0.05 + 1e-9, "rounded to the nearest tenth", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Every four bytes one float, so a corpus entry can hold several sizes.
  for (size_t at = 0; at + sizeof(float) <= size; at += sizeof(float)) {
    float x;
    std::memcpy(&x, data + at, sizeof x);
    CheckSize(x);
    CheckSize(std::nearbyint(x));
  }
  return 0;
}
