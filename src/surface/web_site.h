#pragma once

namespace reelcatch {

// The program's home on the web, opened from the face's link.
inline constexpr const char* kWebSite = "https://reelcatch.app/";

}  // namespace reelcatch
