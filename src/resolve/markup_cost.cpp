#include "resolve/markup_cost.h"

#include <array>
#include <cstdint>
#include <string>

#include "platform/ascii.h"

namespace reelcatch {
namespace {

// About a second of parsing each, and a tree of some hundred megabytes at
// most; the largest real pages have a tenth of these elements.
constexpr uint64_t kMaxNestingWork = 200'000'000;
constexpr uint64_t kMaxStartTags = 200'000;

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Elements that never hold others.
bool IsVoid(const std::string& name) {
  static constexpr std::array<const char*, 14> kVoid = {"area",  "base",   "br",    "col",  "embed",
                                                        "hr",    "img",    "input", "link", "meta",
                                                        "param", "source", "track", "wbr"};
  for (const char* element : kVoid) {
    if (name == element) return true;
  }
  return false;
}

// Elements that a sibling of their own name closes, as list items are
// mostly written.
bool ClosedBySibling(const std::string& name) {
  return name == "p" || name == "li" || name == "dt" || name == "dd" || name == "option" ||
         name == "tr" || name == "td" || name == "th";
}

std::string TagName(std::string_view page, size_t at) {
  std::string name;
  while (at < page.size() && IsLetter(page[at]) && name.size() < 16) {
    char c = page[at++];
    name += LowerAscii(c);
  }
  return name;
}

// Finds the end of each tag in one pass over the page, however many tags
// lack one.
class TagEnds {
 public:
  explicit TagEnds(std::string_view page) : page_(page) {}
  bool SelfClosed(size_t tagStart) {
    if (next_ != std::string_view::npos && (next_ < tagStart || !found_)) {
      next_ = page_.find('>', tagStart);
      found_ = true;
    }
    return next_ != std::string_view::npos && page_[next_ - 1] == '/';
  }

 private:
  std::string_view page_;
  size_t next_ = 0;
  bool found_ = false;
};

}  // namespace

bool ParserCanRead(std::string_view page) {
  uint64_t depth = 0, work = 0, starts = 0;
  std::string lastOpened;
  TagEnds ends(page);
  for (size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at + 1)) {
    if (at + 2 < page.size() && page[at + 1] == '/' && IsLetter(page[at + 2])) {
      if (depth > 0) --depth;
      lastOpened.clear();
      continue;
    }
    if (at + 1 >= page.size() || !IsLetter(page[at + 1])) continue;
    if (++starts > kMaxStartTags) return false;
    std::string name = TagName(page, at + 1);
    if (IsVoid(name) || ends.SelfClosed(at)) continue;
    if (!(name == lastOpened && ClosedBySibling(name))) ++depth;
    lastOpened = name;
    work += depth;
    if (work > kMaxNestingWork) return false;
  }
  return true;
}

}  // namespace reelcatch
