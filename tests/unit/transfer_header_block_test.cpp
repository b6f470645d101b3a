#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "transfer/header_block.h"
#include "transfer/progress_value.h"
#include "transfer/response_headers.h"

namespace reelcatch {
namespace {

TEST(ParseContentLengthTest, OnlyPlainNonNegativeNumbersCount) {
  struct Case {
    const char* value;
    float size;
  } cases[] = {
      {"5000", 5000},
      {" 77\t", 77},
      {"0", 0},
      {"", -1},
      {"12abc", -1},
      {"-5", -1},
      {"+5", -1},
      {"1e3", -1},
      {"5,000", -1},
      {"18446744073709551615", 18446744073709551615.0f},
      {"18446744073709551616", -1},
      {"1000000000000000000000000000000000000000", -1},
      {"18446744073709551616x", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseContentLength(c.value), c.size) << c.value;
}

TEST(FramingOfTest, OnlyAPlainLengthDelimitsTheBody) {
  constexpr auto kNone = std::nullopt;
  struct Case {
    const char* name;
    const char* block;
    long status;
    std::optional<uint64_t> length;
    bool unusable;
  } cases[] = {
      {"Plain", "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n", 200, 5000, false},
      {"NameInAnyCase", "HTTP/1.1 200 OK\r\ncontent-LENGTH:  7 \r\n", 200, 7, false},
      {"None", "HTTP/1.1 200 OK\r\nX-Content-Length: 5\r\n", 200, kNone, false},
      {"Letters", "HTTP/1.1 200 OK\r\nContent-Length: abc\r\n", 200, kNone, false},
      {"Empty", "HTTP/1.1 200 OK\r\nContent-Length: \r\n", 200, kNone, false},
      {"Negative", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n", 200, kNone, false},
      {"LettersAfter", "HTTP/1.1 200 OK\r\nContent-Length: 12abc\r\n", 200, kNone, false},
      {"PlusSign", "HTTP/1.1 200 OK\r\nContent-Length: +12\r\n", 200, kNone, false},
      {"SameTwice", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 5\r\n", 200, 5, false},
      {"TwoDifferent", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 10\r\n", 200, kNone,
       true},
      {"Beyond64Bits", "HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551616\r\n", 200, kNone,
       true},
      {"Largest", "HTTP/1.1 200 OK\r\nContent-Length: 18446744073709551615\r\n", 200,
       18446744073709551615u, false},
      {"Chunked", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nTransfer-Encoding: chunked\r\n", 200,
       kNone, false},
      {"NoContent", "HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n", 204, 0, false},
      {"NotModified", "HTTP/1.1 304 Not Modified\r\nContent-Length: 5\r\n", 304, 0, false},
  };
  for (const Case& c : cases) {
    BodyFraming framing = FramingOf(c.block, c.status);
    EXPECT_EQ(framing.length, c.length) << c.name;
    EXPECT_EQ(framing.unusable, c.unusable) << c.name;
  }
}

TEST(ReadHeadFactsTest, FirstMarkerAnywhereWinsAndValueIsNotTrimmed) {
  HeadFacts facts = ReadHeadFacts(
      "HTTP/1.1 200 OK\r\nX-Content-Type: a/first\r\nContent-Type: b/second\r\n"
      "Content-Length: 10\r\nContent-Disposition: inline; FILENAME=x.flv ; y=1\r\n");
  EXPECT_EQ(facts.remoteFileType, "first");
  EXPECT_EQ(facts.fileSize, 10);
  EXPECT_EQ(facts.remoteFileName, "x.flv ; y=1");
}

TEST(ReadHeadFactsTest, NotFoundTextAnywhereInTheBlockCounts) {
  EXPECT_FALSE(ReadHeadFacts("HTTP/1.1 200 OK\r\nX-Note: http/1.1 404 not found\r\n").fileExists);
}

std::string Feed(ResponseHeaders& headers, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) headers.AddLine(line);
  return headers.Block();
}

TEST(ResponseHeadersTest, KeepsOnlyTheFinalAnswer) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::string block;
    long status;
    bool final;
    std::string redirectTo = "";
  } cases[] = {
      {"Plain",
       {"HTTP/1.1 200 OK\r\n", "A: 1\r\n", "\r\n"},
       "HTTP/1.1 200 OK\r\nA: 1\r\n",
       200,
       true},
      {"BareLineFeeds",
       {"HTTP/1.0 404 Not Found\n", "A: 1\n", "\n"},
       "HTTP/1.0 404 Not Found\r\nA: 1\r\n",
       404,
       true},
      {"InterimAnswerSkipped",
       {"HTTP/1.1 100 Continue\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "\r\n"},
       "HTTP/1.1 200 OK\r\n",
       200,
       true},
      {"FollowedRedirectSkipped",
       {"HTTP/1.1 302 Found\r\n", "location: /b\r\n", "\r\n", "HTTP/1.1 200 OK\r\n", "B: 2\r\n",
        "\r\n"},
       "HTTP/1.1 200 OK\r\nB: 2\r\n",
       200,
       true},
      {"RedirectStillWaiting",
       {"HTTP/1.1 302 Found\r\n", "Location:  ftp://x/ \r\n", "\r\n"},
       "HTTP/1.1 302 Found\r\nLocation:  ftp://x/ \r\n",
       302,
       false,
       "ftp://x/"},
      {"RedirectWithoutLocationIsFinal",
       {"HTTP/1.1 302 Found\r\n", "\r\n"},
       "HTTP/1.1 302 Found\r\n",
       302,
       true},
      {"RedirectToNowhereIsFinal",
       {"HTTP/1.1 302 Found\r\n", "Location: \r\n", "\r\n"},
       "HTTP/1.1 302 Found\r\nLocation: \r\n",
       302,
       true},
      {"RedirectNotYetComplete",
       {"HTTP/1.1 301 Moved\r\n", "Location: /b\r\n"},
       "HTTP/1.1 301 Moved\r\nLocation: /b\r\n",
       301,
       false},
      {"HeadersNotYetComplete",
       {"HTTP/1.1 200 OK\r\n", "A: 1\r\n"},
       "HTTP/1.1 200 OK\r\nA: 1\r\n",
       200,
       false},
      {"TrailersIgnored",
       {"HTTP/1.1 200 OK\r\n", "\r\n", "X-Trailer: 1\r\n", "\r\n"},
       "HTTP/1.1 200 OK\r\n",
       200,
       true},
  };
  for (const Case& c : cases) {
    ResponseHeaders headers;
    EXPECT_EQ(Feed(headers, c.lines), c.block) << c.name;
    EXPECT_EQ(headers.Status(), c.status) << c.name;
    EXPECT_EQ(headers.FinalAnswerBegan(), c.final) << c.name;
    EXPECT_EQ(headers.RedirectTo(), c.redirectTo) << c.name;
  }
}

TEST(ProgressValueTest, PercentRoundsHalfToEvenElseBytes) {
  struct Case {
    int64_t total;
    float fileSize;
    int64_t progress;
  } cases[] = {
      {1, 8, 12},  // 12.5
      {3, 8, 38},  // 37.5
      {2048, 5000, 41},
      {int64_t{3} << 32, -1, int64_t{3} << 32},
      {7, 0, 7},
      {7, std::numeric_limits<float>::quiet_NaN(), 7},
      {int64_t{1} << 40, 1e-30f, 9000000000000000000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProgressValue(c.total, c.fileSize), c.progress) << c.total << " of " << c.fileSize;
  }
}

}  // namespace
}  // namespace reelcatch
