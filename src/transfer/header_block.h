#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace reelcatch {

// The five facts a HEAD answer gives about an address.
struct HeadFacts {
  bool fileExists = false;
  std::string lastModified;
  float fileSize = -1;
  std::string remoteFileName;
  std::string remoteFileType;
  // The Content-Type without its parameters, in lower case ("video/mp4").
  // Read from the whole block, however long: the general page rule needs it.
  std::string mediaType;
};

// The header buffer the block must fit into, its terminating NUL included.
inline constexpr std::size_t kHeaderBufferSize = 1024;

// Reads the facts out of a raw header block (status line and header lines,
// each ended by CR LF). Markers are found anywhere in the block, first
// occurrence wins; values run to the next CR LF and keep the server's case.
HeadFacts ReadHeadFacts(std::string_view block);

// The facts when no header block can be read: only the status code is known
// (0 when nothing answered).
HeadFacts FactsWithoutBlock(long statusCode);

// The media type an answer's block names, without parameters, in lower
// case; empty when it names none.
std::string MediaTypeOf(std::string_view block);

// The facts of a final answer: read from its block when the block fits the
// header buffer, else from its status code alone.
HeadFacts FactsFromAnswer(std::string_view block, long statusCode);

// A Content-Length value as a size; -1 unless it is a plain non-negative
// number (blanks around it allowed) that fits in 64 bits.
float ParseContentLength(std::string_view value);

// How the headers of a GET's final answer delimit its body. A length that
// ParseContentLength does not take counts as not given: the body then runs
// to the end of the connection (or of its chunks).
struct BodyFraming {
  // The body's length, when the answer gives a usable one.
  std::optional<std::uint64_t> length;
  // Lengths that disagree, or a number too big to count: no body can be
  // known to have arrived whole.
  bool unusable = false;
};
BodyFraming FramingOf(std::string_view block, long statusCode);

// The value of the first header line of that name (lower case) in a block,
// blanks around it trimmed; none when no line has the name.
std::optional<std::string_view> HeaderValue(std::string_view block, std::string_view name);

}  // namespace reelcatch
