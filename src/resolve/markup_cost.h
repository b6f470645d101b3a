#pragma once

#include <string_view>

namespace reelcatch {

// Whether the HTML parser can read a page in a moment. Its time grows with
// the square of the nesting depth (tens of thousands of nested elements take
// seconds, a million take hours) and its memory with the number of
// elements, and it cannot be stopped midway; a page far beyond any real one
// on either count is not parsed at all. The estimate is rough and generous:
// it counts tags in the text, not elements in the tree.
bool ParserCanRead(std::string_view page);

}  // namespace reelcatch
