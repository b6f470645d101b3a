#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace reelcatch {

// Pages larger than this are not read; no real page comes near it, and it
// keeps every position inside the 32-bit range the rules are written for.
inline constexpr size_t kMaxPageBytes = size_t{1} << 30;

// Reads the whole page file, every byte one character. False when the file
// is missing, unreadable, empty or larger than kMaxPageBytes.
bool ReadPageFile(const std::string& pageFile, std::string& page);

// What every site rule shares: read the page, let build work out the address
// from it, and give empty text when the page cannot be read or build fails.
std::string RunPageRule(const std::string& pageFile,
                        const std::function<std::string(const std::string& page)>& build);

}  // namespace reelcatch
