// The general rule's reading of a page: the first line of the input is the
// page's address, the rest the page. Whatever the page, it gives an http or
// https address of bounded length or none, and a title on one line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "resolve/page_rule.h"
#include "resolve/page_video.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using reelcatch::fuzz::Check;
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t end = input.find('\n');
  std::string address = end == std::string::npos ? input : input.substr(0, end);
  std::string page = end == std::string::npos ? "" : input.substr(end + 1);

  reelcatch::PageVideo found = reelcatch::FindPageVideo(page, address);
  const std::string& link = found.link;
  Check(link.empty() || link.starts_with("http://") || link.starts_with("https://"),
        "only web addresses", link);
  Check(link.size() <= reelcatch::kMaxLinkBytes, "address within the limit");
  Check(link.find_first_of(std::string("\r\n\0", 3)) == std::string::npos, "an address on one line",
        link);
  Check(found.title.find_first_of("\r\n") == std::string::npos, "a title on one line", found.title);
  return 0;
}
