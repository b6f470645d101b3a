// Shared by the fuzz targets: property checks that stop the run, and a reader
// that takes small numbers off the front of the fuzzer's bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace reelcatch::fuzz {

// A broken property is a crash to libFuzzer, which keeps the input.
[[noreturn]] inline void Fail(const char* what, std::string_view detail = {}) {
  std::fprintf(stderr, "property broken: %s\n", what);
  if (!detail.empty()) {
    std::fprintf(stderr, "  detail (%zu bytes): %.*s\n", detail.size(),
                 static_cast<int>(detail.size() > 300 ? 300 : detail.size()), detail.data());
  }
  std::abort();
}

inline void Check(bool holds, const char* what, std::string_view detail = {}) {
  if (!holds) Fail(what, detail);
}

class Input {
 public:
  Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  // Zero once the bytes run out, so every input means something.
  uint8_t Byte() {
    if (rest_.empty()) return 0;
    auto byte = static_cast<uint8_t>(rest_.front());
    rest_.remove_prefix(1);
    return byte;
  }

  uint16_t Word() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }

  // Up to the first separator (dropped); everything when there is none.
  std::string Until(char separator) {
    size_t at = rest_.find(separator);
    std::string part(rest_.substr(0, at));
    rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
    return part;
  }

  std::string Rest() {
    std::string all(rest_);
    rest_ = {};
    return all;
  }

 private:
  std::string_view rest_;
};

// Strict UTF-8 (no overlongs, surrogates or code points past U+10FFFF).
inline bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    size_t size = lead < 0x80           ? 1
                  : (lead >> 5) == 0x6  ? 2
                  : (lead >> 4) == 0xE  ? 3
                  : (lead >> 3) == 0x1E ? 4
                                        : 0;
    if (size == 0 || i + size > text.size()) return false;
    uint32_t code = size == 1 ? lead : lead & (0x7F >> size);
    for (size_t k = 1; k < size; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[size] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += size;
  }
  return true;
}

}  // namespace reelcatch::fuzz
