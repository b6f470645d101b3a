// Reading an answer's header block, and how long a transfer may wait for it.
#include <gtest/gtest.h>

#include "transfer/header_block.h"
#include "transfer/wait_limit.h"

namespace reelcatch {
namespace {

TEST(HeaderBlock, OnlyAPlainLengthDelimitsTheBody) {
  constexpr uint64_t kMax = 18446744073709551615u;
  constexpr auto kNone = std::nullopt;
  // The header lines and the status; then the body's length, whether the
  // lengths make the body unusable, and the size the facts of a HEAD tell.
  // clang-format off
  const std::tuple<std::string, long, std::optional<uint64_t>, bool, float> cases[] = {
      {"Content-Length: 5000", 200, 5000, false, 5000}, {"content-LENGTH:  7 ", 200, 7, false, 7},
      {"X-Content-Length: 5", 200, kNone, false, 5}, {"Content-Length: 1:", 200, kNone, false, -1},
      {"Content-Length: -5", 200, kNone, false, -1}, {"Content-Length: +5", 200, kNone, false, -1},
      {"Content-Length: ", 200, kNone, false, -1}, {"Content-Length: 5", 204, 0, false, 5},
      {"Content-Length: 5", 304, 0, false, 5},
      {"Content-Length: 5\r\nContent-Length: 5", 200, 5, false, 5},
      {"Content-Length: 5\r\nContent-Length: 10", 200, kNone, true, 5},
      {"Content-Length: 18446744073709551615", 200, kMax, false, static_cast<float>(kMax)},
      {"Content-Length: 18446744073709551616", 200, kNone, true, -1},
      {"Content-Length: 5\r\nTransfer-Encoding: chunked", 200, kNone, false, 5}};
  // clang-format on
  for (const auto& [headers, status, length, unusable, size] : cases) {
    std::string block = "HTTP/1.1 200 OK\r\n" + headers + "\r\n";
    BodyFraming framing = FramingOf(block, status);
    EXPECT_EQ(framing.length, length) << headers;
    EXPECT_EQ(framing.unusable, unusable) << headers;
    EXPECT_EQ(ReadHeadFacts(block).fileSize, size) << headers;
  }
}

TEST(WaitLimit, IsPassedOnlyByTooLittleForTooLong) {
  using namespace std::chrono_literals;
  constexpr WaitLimit::Kind kWhole = WaitLimit::Kind::kWhole, kSteady = WaitLimit::Kind::kSteady;
  // Each round: so much received, then so long waited; the reason the limit
  // was passed at the end ("": not passed).
  using Rounds = std::vector<std::pair<uint64_t, std::chrono::milliseconds>>;
  const std::tuple<WaitLimit::Kind, Rounds, std::string> cases[] = {
      {kWhole, {{1000, 4s}, {1000, 5s}, {1000, 999ms}, {0, 1ms}}, "Not finished within 10 s"},
      {kSteady, {{0, 6s}, {0, 4s}}, "Server sent nothing for 10 s"},
      {kSteady, {{5, 5s}, {4, 5s}}, "Server sent only 9 bytes in 10 s"},
      {kSteady, {{1, 10s}}, "Server sent only 1 byte in 10 s"},
      {kSteady, {{10, 10s}, {10, 10s}, {10, 10s}}, ""},
      {kSteady, {{1000000, 1s}, {0, 9s}, {0, 10s}}, "Server sent nothing for 10 s"}};
  for (const auto& [kind, rounds, reason] : cases) {
    WaitLimit limit(kind, 10s);
    for (auto [bytes, waited] : rounds) {
      EXPECT_FALSE(limit.Exceeded()) << "before the last round: " << reason;
      limit.Received(bytes);
      limit.Waited(waited);
    }
    EXPECT_EQ(limit.Reason(), reason);
  }
}

}  // namespace
}  // namespace reelcatch
