#include "transfer/header_block.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

namespace reelcatch {
namespace {

constexpr const char* kNotAvailable = "Not Available";

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

// The value after the first occurrence of `marker` (lower case) in the
// lowered block, taken from the block itself up to the next CR LF.
std::optional<std::string> ValueAfter(std::string_view block, std::string_view lowered,
                                      std::string_view marker) {
  std::size_t at = lowered.find(marker);
  if (at == std::string_view::npos) return std::nullopt;
  std::size_t start = at + marker.size();
  std::size_t end = block.find("\r\n", start);
  if (end == std::string_view::npos) end = block.size();
  return std::string(block.substr(start, end - start));
}

std::string MediaSubtype(const std::string& contentType) {
  std::size_t slash = contentType.find('/');
  return slash == std::string::npos ? contentType : contentType.substr(slash + 1);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

float ParseContentLength(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  if (value.empty() || value.front() < '0' || value.front() > '9') return -1;
  const char* last = value.data() + value.size();
  std::uint64_t size = 0;
  auto [end, error] = std::from_chars(value.data(), last, size);
  if (error != std::errc() || end != last) return -1;
  return static_cast<float>(size);
}

bool DeclaresUncountableLength(std::string_view block) {
  std::string lowered = Lowered(block);
  auto length = ValueAfter(block, lowered, "content-length: ");
  if (!length) return false;
  std::string_view value = *length;
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  if (value.empty()) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  std::uint64_t size = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), size);
  return error == std::errc::result_out_of_range;
}

HeadFacts ReadHeadFacts(std::string_view block) {
  std::string lowered = Lowered(block);
  HeadFacts facts;
  facts.lastModified = ValueAfter(block, lowered, "last-modified: ").value_or(kNotAvailable);
  auto length = ValueAfter(block, lowered, "content-length: ");
  facts.fileSize = length ? ParseContentLength(*length) : -1;
  facts.remoteFileName = ValueAfter(block, lowered, "filename=").value_or("");
  auto type = ValueAfter(block, lowered, "content-type: ");
  facts.remoteFileType = type ? MediaSubtype(*type) : "";
  facts.fileExists = lowered.find("http/1.1 404 not found") == std::string::npos &&
                     lowered.find("http/1.1 404 file not found") == std::string::npos;
  return facts;
}

HeadFacts FactsWithoutBlock(long statusCode) {
  HeadFacts facts;
  facts.fileExists = statusCode == 200;
  facts.lastModified = kNotAvailable;
  return facts;
}

HeadFacts FactsFromAnswer(std::string_view block, long statusCode) {
  // The block and its terminating NUL must fit the buffer.
  if (block.size() + 1 > kHeaderBufferSize) return FactsWithoutBlock(statusCode);
  return ReadHeadFacts(block);
}

}  // namespace reelcatch
