#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reelcatch {

// What a partial file keeps so that the rest of it can be asked for: how
// much it holds, and which file it is the start of.
struct ResumePoint {
  uint64_t offset = 0;
  // The ETag (else the Last-Modified) of the answer that began it.
  std::string validator;
  // The whole file's size, as that answer told it.
  std::optional<uint64_t> total;

  // Whether anything ties the bytes there to one file on the server.
  bool Identified() const { return !validator.empty() || total.has_value(); }
};

// A validator that may go back to the server in a header line.
bool UsableValidator(std::string_view validator);

// How the final answer to a GET begins the file.
enum class RangeVerdict {
  kWhole,         // the whole file, from its first byte: what was kept is dropped
  kRest,          // the rest after what was kept: appended
  kAlreadyWhole,  // nothing is left to send: what was kept is the whole file
  kAskAgain,      // the part offered is not the rest of what was kept: ask for the whole file
  kKeepAsIs,      // an error answer to a request for the rest: what was kept stays as it is
  kUnasked,       // a part of a file, to a request for the whole of it
  kOtherPart,     // not the part asked for, to a request for one part of a file
};
// `asked`: what the request asked the rest of, none when it asked for the whole file.
RangeVerdict JudgeAnswer(long status, std::string_view block,
                         const std::optional<ResumePoint>& asked);

// One part of a file, asked for on its own: `length` bytes from `first`.
struct ByteRange {
  uint64_t first = 0;
  uint64_t length = 0;
  bool operator==(const ByteRange&) const = default;
};
// How the final answer to a GET of a part serves it: kWhole when its body
// is exactly that part.
RangeVerdict JudgePart(long status, std::string_view block, const ByteRange& asked);

// What to keep with the file this answer begins (the offset aside): its
// validator and the whole file's size. Nothing for an answer that is not
// the file.
ResumePoint KeepFrom(long status, std::string_view block);

// How long the answer asks the client to wait before it asks again, in
// seconds; none when it does not say, or says it in a way not understood.
std::optional<long> RetryAfter(std::string_view block);

}  // namespace reelcatch
