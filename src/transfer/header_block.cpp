#include "transfer/header_block.h"

#include <charconv>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/ascii.h"

namespace reelcatch {
namespace {

constexpr const char* kNotAvailable = "Not Available";

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

std::string_view Trimmed(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  while (!value.empty() && IsBlank(value.back())) value.remove_suffix(1);
  return value;
}

bool AllDigits(std::string_view value) {
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return !value.empty();
}

// The plain number the value holds; none for anything else, and for a
// number beyond 64 bits.
std::optional<std::uint64_t> PlainLength(std::string_view value) {
  value = Trimmed(value);
  if (!AllDigits(value)) return std::nullopt;
  std::uint64_t size = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), size);
  if (error != std::errc() || end != value.data() + value.size()) return std::nullopt;
  return size;
}

bool NameIs(std::string_view line, std::string_view name) {
  if (line.size() <= name.size() || line[name.size()] != ':') return false;
  return LowerAscii(line.substr(0, name.size())) == name;
}

// Calls `take` with every header line of the block; the status line never
// holds a header.
void ForEachHeader(std::string_view block, const std::function<void(std::string_view)>& take) {
  std::size_t at = block.find("\r\n");
  while (at != std::string_view::npos && at + 2 < block.size()) {
    std::size_t start = at + 2;
    at = block.find("\r\n", start);
    take(block.substr(start, at == std::string_view::npos ? at : at - start));
  }
}

}  // namespace

std::optional<std::string_view> HeaderValue(std::string_view block, std::string_view name) {
  std::optional<std::string_view> value;
  ForEachHeader(block, [&](std::string_view line) {
    if (!value && NameIs(line, name)) value = Trimmed(line.substr(name.size() + 1));
  });
  return value;
}

float ParseContentLength(std::string_view value) {
  std::optional<std::uint64_t> size = PlainLength(value);
  return size ? static_cast<float>(*size) : -1;
}

BodyFraming FramingOf(std::string_view block, long statusCode) {
  BodyFraming framing;
  if (statusCode < 200 || statusCode == 204 || statusCode == 304) {
    framing.length = 0;
    return framing;
  }
  std::optional<std::string_view> declared;
  bool chunked = false;
  ForEachHeader(block, [&](std::string_view line) {
    // Chunks delimit the body whatever length is given with them.
    if (NameIs(line, "transfer-encoding")) chunked = true;
    if (!NameIs(line, "content-length")) return;
    std::string_view value = Trimmed(line.substr(line.find(':') + 1));
    if (declared && *declared != value) framing.unusable = true;
    declared = value;
  });
  if (chunked) return {};
  if (!declared || framing.unusable) return framing;
  framing.length = PlainLength(*declared);
  framing.unusable = !framing.length && AllDigits(*declared);
  return framing;
}

HeadFacts ReadHeadFacts(std::string_view block) {
  std::string lowered = LowerAscii(block);
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

std::string MediaTypeOf(std::string_view block) {
  // The status line never holds a header.
  std::size_t at = block.find("\r\n");
  while (at != std::string_view::npos && at + 2 < block.size()) {
    std::size_t start = at + 2;
    at = block.find("\r\n", start);
    std::string_view line = block.substr(start, at == std::string_view::npos ? at : at - start);
    if (!NameIs(line, "content-type")) continue;
    std::string_view value = line.substr(line.find(':') + 1);
    return LowerAscii(Trimmed(value.substr(0, value.find(';'))));
  }
  return {};
}

HeadFacts FactsFromAnswer(std::string_view block, long statusCode) {
  // The block and its terminating NUL must fit the buffer.
  HeadFacts facts =
      block.size() + 1 > kHeaderBufferSize ? FactsWithoutBlock(statusCode) : ReadHeadFacts(block);
  facts.mediaType = MediaTypeOf(block);
  return facts;
}

}  // namespace reelcatch
