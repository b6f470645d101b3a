#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace reelcatch {

// Pages larger than this are neither fetched nor read: no real page comes
// near it, and it bounds the memory and disk a hostile server can take.
inline constexpr size_t kMaxPageBytes = size_t{16} << 20;

// A video address found in a page is never longer than this; a longer one
// is no address.
inline constexpr size_t kMaxLinkBytes = size_t{8} << 10;

// Reads the whole page file, every byte one character. False when the file
// is missing, unreadable, empty or larger than kMaxPageBytes.
bool ReadPageFile(const std::string& pageFile, std::string& page);

// What every site rule shares: read the page, let build work out the address
// from it, and give empty text when the page cannot be read or build fails.
std::string RunPageRule(const std::string& pageFile,
                        const std::function<std::string(const std::string& page)>& build);

}  // namespace reelcatch
