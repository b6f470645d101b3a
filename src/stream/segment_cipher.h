#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace reelcatch {

// The IV of a segment whose key names none: its sequence number, as 16
// big-endian bytes.
std::string SequenceIv(uint64_t sequence);

// Undoes AES-128-CBC with PKCS#7 padding; none when key or IV is not 16
// bytes, or the data does not decrypt (wrong length, bad padding).
std::optional<std::string> DecryptSegment(const std::string& data, const std::string& key,
                                          const std::string& iv);

}  // namespace reelcatch
