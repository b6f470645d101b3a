#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "transfer/wait_limit.h"

namespace reelcatch {
namespace {

using namespace std::chrono_literals;

// One round of a request: so long waited, then so many bytes received.
struct Round {
  std::chrono::milliseconds waited;
  uint64_t bytes;
};

struct LimitCase {
  const char* name;
  WaitLimit::Kind kind;
  std::vector<Round> rounds;
  std::string reason;  // empty: the limit still holds after the last round
  size_t exceededAt;   // the round after which it was passed (when it was)

  friend std::ostream& operator<<(std::ostream& out, const LimitCase& c) { return out << c.name; }
};

class WaitLimitTest : public testing::TestWithParam<LimitCase> {};

TEST_P(WaitLimitTest, IsPassedOnlyByTooLittleForTooLong) {
  const LimitCase& c = GetParam();
  WaitLimit limit(c.kind, 10s);
  for (size_t i = 0; i < c.rounds.size(); ++i) {
    limit.Received(c.rounds[i].bytes);
    limit.Waited(c.rounds[i].waited);
    if (limit.Exceeded()) {
      EXPECT_EQ(i, c.exceededAt);
      break;
    }
  }
  EXPECT_EQ(limit.Reason(), c.reason);
}

using Kind = WaitLimit::Kind;

INSTANTIATE_TEST_SUITE_P(
    Limits, WaitLimitTest,
    testing::Values(
        LimitCase{"WholeEndsAtTheWindowWhateverArrives",
                  Kind::kWhole,
                  {{4s, 1000}, {5s, 1000}, {999ms, 1000}, {1ms, 1000}},
                  "Not finished within 10 s",
                  3},
        LimitCase{"WholeHoldsJustShortOfIt", Kind::kWhole, {{9s, 0}, {999ms, 0}}, "", 0},
        LimitCase{"SteadyWithNothing",
                  Kind::kSteady,
                  {{6s, 0}, {4s, 0}},
                  "Server sent nothing for 10 s",
                  1},
        LimitCase{"SteadyUnderOneBytePerSecond",
                  Kind::kSteady,
                  {{5s, 5}, {5s, 4}},
                  "Server sent only 9 bytes in 10 s",
                  1},
        LimitCase{
            "SteadyWithOneByte", Kind::kSteady, {{10s, 1}}, "Server sent only 1 byte in 10 s", 0},
        // Ten bytes in each window of ten seconds is enough, for ever.
        LimitCase{"SteadyAtOneBytePerSecondGoesOn",
                  Kind::kSteady,
                  {{10s, 10}, {10s, 10}, {10s, 10}, {10s, 10}},
                  "",
                  0},
        // A fast start does not pay for a later silence.
        LimitCase{"SteadyJudgesEachWindowAlone",
                  Kind::kSteady,
                  {{1s, 1000000}, {9s, 0}, {10s, 0}},
                  "Server sent nothing for 10 s",
                  2}),
    [](const testing::TestParamInfo<LimitCase>& info) { return info.param.name; });

}  // namespace
}  // namespace reelcatch
