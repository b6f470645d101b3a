#pragma once

#include <string>
#include <vector>

namespace reelcatch {

// The contentUrl of every VideoObject a JSON-LD script describes, in the
// order written: the script's object itself, the objects of a list, the
// members of an @graph, and the objects these hold. Nothing when the text
// is no JSON, or over a megabyte of it.
std::vector<std::string> VideoObjectUrls(const std::string& script);

}  // namespace reelcatch
