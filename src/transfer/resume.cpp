#include "transfer/resume.h"

#include <curl/curl.h>

#include <algorithm>
#include <charconv>
#include <ctime>

#include "transfer/header_block.h"

namespace reelcatch {
namespace {

constexpr std::size_t kMaxValidator = 512;

std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// "bytes FIRST-LAST/TOTAL", the total possibly "*".
struct ContentRange {
  uint64_t first = 0;
  uint64_t last = 0;
  std::optional<uint64_t> total;
};

std::optional<ContentRange> ContentRangeOf(std::string_view block) {
  std::optional<std::string_view> value = HeaderValue(block, "content-range");
  if (!value || !value->starts_with("bytes ")) return std::nullopt;
  std::string_view range = value->substr(6);
  std::size_t dash = range.find('-');
  std::size_t slash = range.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || dash > slash) {
    return std::nullopt;
  }
  std::optional<uint64_t> first = Number(range.substr(0, dash));
  std::optional<uint64_t> last = Number(range.substr(dash + 1, slash - dash - 1));
  std::string_view total = range.substr(slash + 1);
  if (!first || !last || *last < *first) return std::nullopt;
  ContentRange parsed{*first, *last, std::nullopt};
  if (total != "*") {
    parsed.total = Number(total);
    if (!parsed.total || *parsed.total <= *last) return std::nullopt;
  }
  return parsed;
}

// The total a 416 names: "bytes */TOTAL".
std::optional<uint64_t> UnsatisfiedTotal(std::string_view block) {
  std::optional<std::string_view> value = HeaderValue(block, "content-range");
  if (!value || !value->starts_with("bytes */")) return std::nullopt;
  return Number(value->substr(8));
}

// A weak ETag cannot ask for a part: the bytes behind it may differ.
std::string ValidatorOf(std::string_view block) {
  std::optional<std::string_view> tag = HeaderValue(block, "etag");
  if (tag && !tag->starts_with("W/") && UsableValidator(*tag)) return std::string(*tag);
  std::optional<std::string_view> date = HeaderValue(block, "last-modified");
  if (date && UsableValidator(*date)) return std::string(*date);
  return {};
}

}  // namespace

bool UsableValidator(std::string_view validator) {
  if (validator.empty() || validator.size() > kMaxValidator) return false;
  for (char c : validator) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return false;
  }
  return true;
}

RangeVerdict JudgeAnswer(long status, std::string_view block,
                         const std::optional<ResumePoint>& asked) {
  if (!asked) return status == 206 ? RangeVerdict::kUnasked : RangeVerdict::kWhole;
  if (status == 416) {
    // The total the answer names, if any, must be the one kept.
    std::optional<uint64_t> named = UnsatisfiedTotal(block);
    bool whole = asked->total == asked->offset && (!named || named == asked->total);
    return whole ? RangeVerdict::kAlreadyWhole : RangeVerdict::kAskAgain;
  }
  if (status == 206) {
    std::optional<ContentRange> range = ContentRangeOf(block);
    if (!range || range->first != asked->offset) return RangeVerdict::kAskAgain;
    if (asked->total && range->total != asked->total) return RangeVerdict::kAskAgain;
    return RangeVerdict::kRest;
  }
  return status >= 400 ? RangeVerdict::kKeepAsIs : RangeVerdict::kWhole;
}

RangeVerdict JudgePart(long status, std::string_view block, const ByteRange& asked) {
  if (status >= 400) return RangeVerdict::kKeepAsIs;
  std::optional<ContentRange> range = ContentRangeOf(block);
  bool exact = status == 206 && range && range->first == asked.first &&
               range->last - range->first + 1 == asked.length;
  return exact ? RangeVerdict::kWhole : RangeVerdict::kOtherPart;
}

ResumePoint KeepFrom(long status, std::string_view block) {
  ResumePoint keep;
  if (status == 206) {
    std::optional<ContentRange> range = ContentRangeOf(block);
    if (range) keep.total = range->total;
  } else if (status == 200) {
    keep.total = FramingOf(block, status).length;
  } else {
    return keep;
  }
  keep.validator = ValidatorOf(block);
  return keep;
}

std::optional<long> RetryAfter(std::string_view block) {
  std::optional<std::string_view> value = HeaderValue(block, "retry-after");
  if (!value) return std::nullopt;
  if (std::optional<uint64_t> seconds = Number(*value)) {
    return static_cast<long>(std::min<uint64_t>(*seconds, 86400));
  }
  // An HTTP date: the wait is what is left until then.
  std::time_t when = curl_getdate(std::string(*value).c_str(), nullptr);
  if (when < 0) return std::nullopt;
  std::time_t now = std::time(nullptr);
  return when > now ? static_cast<long>(std::min<std::time_t>(when - now, 86400)) : 0L;
}

}  // namespace reelcatch
