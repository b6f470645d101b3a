#include "resolve/page_rule.h"

#include <exception>
#include <fstream>

namespace reelcatch {

bool ReadPageFile(const std::string& pageFile, std::string& page) {
  std::ifstream in(pageFile, std::ios::binary);
  if (!in) return false;
  page.clear();
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    page.append(buffer, static_cast<size_t>(in.gcount()));
    if (page.size() > kMaxPageBytes) return false;
  }
  // A read that stopped short of the end (a folder, an I/O error) is no page.
  if (!in.eof()) return false;
  return !page.empty();
}

std::string RunPageRule(const std::string& pageFile,
                        const std::function<std::string(const std::string& page)>& build) {
  try {
    std::string page;
    if (!ReadPageFile(pageFile, page)) return {};
    return build(page);
  } catch (const std::exception&) {
    // A failed text operation, or no memory for the page: nothing found.
    return {};
  }
}

}  // namespace reelcatch
