// The five facts of a HEAD answer read from any header block: values are cut
// at the line end, sizes are whole numbers, and a block too big for the
// buffer is judged by its status code alone.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "transfer/header_block.h"

namespace {

using reelcatch::fuzz::Check;

bool Same(const reelcatch::HeadFacts& a, const reelcatch::HeadFacts& b) {
  auto sameSize = a.fileSize == b.fileSize || (std::isnan(a.fileSize) && std::isnan(b.fileSize));
  return a.fileExists == b.fileExists && a.lastModified == b.lastModified && sameSize &&
         a.remoteFileName == b.remoteFileName && a.remoteFileType == b.remoteFileType;
}

// A value the block gave: part of it, and never running past a line end.
void CheckValue(std::string_view block, const std::string& value, const char* what) {
  Check(value.find("\r\n") == std::string::npos, what, value);
  Check(block.find(value) != std::string_view::npos, what, value);
}

// strtoull (strtof past 64 bits) as the judge of what a Content-Length is.
float ExpectedLength(std::string_view value) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (value.empty()) return -1;
  for (char c : value) {
    if (c < '0' || c > '9') return -1;
  }
  // Past 64 bits a length counts as not given.
  std::string digits(value);
  errno = 0;
  unsigned long long size = std::strtoull(digits.c_str(), nullptr, 10);
  return errno == ERANGE ? -1.0f : static_cast<float>(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  reelcatch::fuzz::Input input(data, size);
  long status = input.Word();
  std::string block = input.Rest();

  reelcatch::HeadFacts facts = reelcatch::ReadHeadFacts(block);
  if (facts.lastModified != "Not Available") {
    CheckValue(block, facts.lastModified, "Last-Modified value");
  }
  CheckValue(block, facts.remoteFileName, "file name value");
  CheckValue(block, facts.remoteFileType, "file type value");
  Check(
      facts.fileSize == -1 || (facts.fileSize >= 0 && facts.fileSize == std::floor(facts.fileSize)),
      "file size is -1 or a whole number");
  if (block.find("404") == std::string::npos) Check(facts.fileExists, "only a 404 is missing");

  reelcatch::HeadFacts answer = reelcatch::FactsFromAnswer(block, status);
  if (block.size() < reelcatch::kHeaderBufferSize) {
    Check(Same(answer, facts), "a block that fits is read");
  } else {
    Check(Same(answer, reelcatch::FactsWithoutBlock(status)), "a block too big is not read");
    Check(answer.fileExists == (status == 200), "a block too big is judged by its status");
  }

  // The block as one header value too: whatever the server wrote there.
  float length = reelcatch::ParseContentLength(block);
  float expected = ExpectedLength(block);
  Check(length == expected, "Content-Length read like strtoull", block);
  return 0;
}
