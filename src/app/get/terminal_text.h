#pragma once

#include <string>
#include <string_view>

namespace reelcatch {

// Texts from servers reach the terminal: control characters and the
// backslash are written as \t, \n, \r, \\ and \xHH, the C1 control
// characters (U+0080-U+009F in UTF-8) as \u00HH, and a byte 0x80-0x9F that is
// no part of a UTF-8 character as \xHH, so a name can neither drive the
// terminal nor break the tab-separated list.
std::string EscapeControls(std::string_view text);

}  // namespace reelcatch
