// Reading an answer's header block, and how long a transfer may wait for it.
#include <gtest/gtest.h>

#include "transfer/header_block.h"
#include "transfer/resume.h"
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

TEST(Resume, TheKeptBytesGoOnOnlyWithTheirOwnRest) {
  using V = RangeVerdict;
  const std::optional<ResumePoint> kNone, kept = ResumePoint{1200, "\"v1\"", 3000},
                                          untotalled = ResumePoint{1200, "\"v1\"", std::nullopt},
                                          whole = ResumePoint{3000, "", 3000};
  // The status, the answer's header lines and what was asked the rest of; the verdict.
  const std::tuple<long, std::string, std::optional<ResumePoint>, V> cases[] = {
      {206, "Content-Range: bytes 1200-2999/3000", kept, V::kRest},
      {206, "Content-Range: bytes 1200-2999/*", untotalled, V::kRest},
      {206, "Content-Range: bytes 1200-2999/4000", kept, V::kAskAgain},
      {206, "Content-Range: bytes 1201-2999/3000", kept, V::kAskAgain},
      {206, "Content-Range: bytes 1200-2999/2999", untotalled, V::kAskAgain},
      {206, "Content-Range: 1200-2999/3000", kept, V::kAskAgain},
      {206, "", kept, V::kAskAgain},
      {200, "Content-Range: bytes 1200-2999/3000", kept, V::kWhole},
      {416, "Content-Range: bytes */3000", whole, V::kAlreadyWhole},
      {416, "", whole, V::kAlreadyWhole},
      {416, "Content-Range: bytes */5000", whole, V::kAskAgain},
      {416, "", kept, V::kAskAgain},
      {416, "Content-Range: bytes */1200", untotalled, V::kAskAgain},
      {503, "", kept, V::kKeepAsIs},
      {206, "Content-Range: bytes 0-9/10", kNone, V::kUnasked},
      {404, "", kNone, V::kWhole}};
  for (const auto& [status, headers, asked, verdict] : cases) {
    EXPECT_EQ(JudgeAnswer(status, "HTTP/1.1 x\r\n" + headers + "\r\n", asked), verdict)
        << status << " " << headers;
  }
}

TEST(Resume, AFileIsKnownByItsStrongTagOrDateAndItsWholeSize) {
  const std::string date = "Mon, 01 Jan 2024 00:00:00 GMT";
  // The status and header lines; the validator and whole size kept, and the wait asked for.
  const std::tuple<long, std::string, std::string, std::optional<uint64_t>, std::optional<long>>
      cases[] = {
          {200, "ETag: \"v1\"\r\nContent-Length: 3000\r\nRetry-After: 7", "\"v1\"", 3000, 7},
          {200, "ETag: W/\"v1\"\r\nLast-Modified: " + date, date, std::nullopt, std::nullopt},
          {206, "Content-Range: bytes 5-9/10\r\nETag: \"x\"", "\"x\"", 10, std::nullopt},
          {200, "ETag: \"a\x01\"\r\nRetry-After: soon", "", std::nullopt, std::nullopt},
          {503, "ETag: \"v1\"\r\nRetry-After: " + date, "", std::nullopt, 0}};
  for (const auto& [status, headers, validator, total, wait] : cases) {
    const std::string block = "HTTP/1.1 x\r\n" + headers + "\r\n";
    ResumePoint keep = KeepFrom(status, block);
    EXPECT_EQ(keep.validator, validator) << headers;
    EXPECT_EQ(keep.total, total) << headers;
    EXPECT_EQ(RetryAfter(block), wait) << headers;
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
