#pragma once

#include <string>
#include <string_view>

namespace reelcatch {

// Texts from servers reach the terminal: control characters and the
// backslash are written as \t, \n, \r, \\ and \xHH, so a name can neither
// drive the terminal nor break the tab-separated list.
std::string EscapeControls(std::string_view text);

}  // namespace reelcatch
