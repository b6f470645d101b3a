#pragma once

#include <string>

namespace reelcatch {

// An address found in a page, made absolute against the address it is
// relative to, as a browser makes it. Empty unless the result is an http or
// https address.
std::string ResolveWebAddress(const std::string& base, const std::string& reference);

// The path of an absolute address, as written (still escaped), without its
// query and fragment; empty when it is no address.
std::string WebAddressPath(const std::string& address);

// Whether text is an http or https address as a user would type it.
bool IsWebAddress(const std::string& text);

}  // namespace reelcatch
