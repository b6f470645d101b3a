#pragma once

#include <string>

namespace reelcatch {

// Longest decoded address UnescapeUrl hands back; anything longer is empty text.
inline constexpr size_t kMaxUnescapedLength = 1023;

// Decodes every "%" followed by two hexadecimal digits into that byte and keeps
// everything else ("+" included). "%00" stays as written: a zero byte would
// cut the address short wherever it is used as a C string. A decoded text
// longer than kMaxUnescapedLength gives empty text.
std::string UnescapeUrl(const std::string& text);

}  // namespace reelcatch
