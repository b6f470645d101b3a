#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>

#include "resolve/text_ops.h"

namespace reelcatch::textops {
namespace {

// One operation with its result as text; nullopt means the rule must fail.
struct OpCase {
  const char* name;
  std::function<std::string()> op;
  std::optional<std::string> expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const OpCase& c, std::ostream* os) { *os << c.name; }

std::function<std::string()> FindOp(std::string text, std::string marker, TextPos from) {
  return [=] { return std::to_string(Find(text, marker, from)); };
}

std::function<std::string()> FindLastOp(std::string text, std::string marker, TextPos limit) {
  return [=] { return std::to_string(FindLast(text, marker, limit)); };
}

const std::nullopt_t kFails = std::nullopt;

class TextOpTest : public testing::TestWithParam<OpCase> {};

TEST_P(TextOpTest, GivesTheResultOrFails) {
  const OpCase& c = GetParam();
  if (c.expected) {
    EXPECT_EQ(c.op(), *c.expected);
  } else {
    EXPECT_THROW(c.op(), RuleFailure);
  }
}

const OpCase kCases[] = {
    {"FindIgnoresCase", FindOp("xxABCabc", "abc", 1), "3"},
    {"FindFromAMatchFindsIt", FindOp("abcabc", "abc", 4), "4"},
    {"FindPastAMatchFindsTheNext", FindOp("abcabc", "abc", 2), "4"},
    {"FindNothing", FindOp("abc", "x", 1), "0"},
    {"FindFromTheLastCharacter", FindOp("abc", "c", 3), "3"},
    {"FindFromBeyondTheEnd", FindOp("abc", "c", 4), "0"},
    {"FindInEmptyText", FindOp("", "a", 1), "0"},
    {"FindFromZeroFails", FindOp("abc", "a", 0), kFails},
    {"FindFromNegativeFails", FindOp("abc", "a", -5), kFails},
    {"FindLastWholeText", FindLastOp("a_b_c", "_", -1), "4"},
    {"FindLastIgnoresCase", FindLastOp("HTTPxhttpx", "Http", -1), "6"},
    {"FindLastMustLieWhollyWithinLimit", FindLastOp("ab_http_http", "http", 11), "4"},
    {"FindLastEndingAtLimit", FindLastOp("ab_http_http", "http", 12), "9"},
    {"FindLastLimitBeyondTheEnd", FindLastOp("abab", "ab", 100), "3"},
    {"FindLastNothing", FindLastOp("abc", "x", -1), "0"},
    {"FindLastLimitZeroFails", FindLastOp("abc", "a", 0), kFails},
    {"FindLastLimitBelowMinusOneFails", FindLastOp("abc", "a", -2), kFails},
    {"CutToTheEnd", [] { return Cut("abcdef", 3); }, "cdef"},
    {"CutPastTheEnd", [] { return Cut("abc", 4); }, ""},
    {"CutFromZeroFails", [] { return Cut("abc", 0); }, kFails},
    {"CutWithLength", [] { return Cut("abcdef", 2, 3); }, "bcd"},
    {"CutLengthBeyondTheEnd", [] { return Cut("abcdef", 5, 10); }, "ef"},
    {"CutZeroLength", [] { return Cut("abcdef", 2, 0); }, ""},
    {"CutNegativeLengthFails", [] { return Cut("abcdef", 2, -1); }, kFails},
    {"CutWithLengthFromZeroFails", [] { return Cut("abcdef", 0, 2); }, kFails},
    {"CutWithLengthPastTheEnd", [] { return Cut("abc", 9, 2); }, ""},
    {"Left", [] { return Left("abcdef", 2); }, "ab"},
    {"LeftWholeText", [] { return Left("abc", 7); }, "abc"},
    {"LeftNegativeFails", [] { return Left("abc", -1); }, kFails},
    {"Right", [] { return Right("abcdef", 2); }, "ef"},
    {"RightWholeText", [] { return Right("abc", 7); }, "abc"},
    {"RightNegativeFails", [] { return Right("abc", -1); }, kFails},
    {"ReplaceIgnoresCase", [] { return ReplaceAll("a Watch?v b watch?V", "watch?v", "W"); },
     "a W b W"},
    {"ReplaceDoesNotOverlap", [] { return ReplaceAll("aaaaa", "aa", "X"); }, "XXa"},
    {"ReplaceDoesNotRescanItsOutput", [] { return ReplaceAll("aba", "a", "aa"); }, "aabaa"},
    {"ReplaceEmptyOldKeepsText", [] { return ReplaceAll("abc", "", "X"); }, "abc"},
    {"ReplaceInEmptyText", [] { return ReplaceAll("", "a", "X"); }, ""},
    {"Reverse", [] { return Reverse("abcd"); }, "dcba"},
};

INSTANTIATE_TEST_SUITE_P(Operations, TextOpTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ContainsNoCaseTest, FoldsOnlyAsciiLetters) {
  EXPECT_TRUE(ContainsNoCase("HTTP://Example.COM", "example.com"));
  EXPECT_FALSE(ContainsNoCase("\xC3\x89", "\xC3\xA9"));  // É is not é in ASCII folding
  EXPECT_FALSE(ContainsNoCase("", "a"));
}

}  // namespace
}  // namespace reelcatch::textops
