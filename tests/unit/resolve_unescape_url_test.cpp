#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "resolve/unescape_url.h"

namespace reelcatch {
namespace {

struct UnescapeCase {
  const char* name;
  std::string input;
  std::string expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const UnescapeCase& c, std::ostream* os) { *os << c.name; }

class UnescapeUrlTest : public testing::TestWithParam<UnescapeCase> {};

TEST_P(UnescapeUrlTest, Decodes) { EXPECT_EQ(UnescapeUrl(GetParam().input), GetParam().expected); }

std::string Repeat(const std::string& piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

const UnescapeCase kCases[] = {
    {"Empty", "", ""},
    {"Plain", "http://a.com/v.flv", "http://a.com/v.flv"},
    {"Address", "http%3A%2F%2Fa.com%2Fv.flv%3Fk%3D1", "http://a.com/v.flv?k=1"},
    {"LowerCaseHex", "%2f%3a%7E", "/:~"},
    {"PlusStays", "a+b%2Bc", "a+b+c"},
    {"QueryAndFragmentDecoded", "x?q=%41#%42", "x?q=A#B"},
    {"HighByte", "%C3%A9", "\xC3\xA9"},
    {"PercentAtEnd", "abc%", "abc%"},
    {"PercentWithOneDigit", "abc%4", "abc%4"},
    {"PercentNotHex", "%zz%4g", "%zz%4g"},
    {"DecodedPercentIsNotDecodedAgain", "%2541", "%41"},
    {"ZeroByteStaysEncoded", "a%00b", "a%00b"},
    {"LongestDecoded", Repeat("%41", 1023), std::string(1023, 'A')},
    {"OneTooLong", Repeat("%41", 1024), ""},
    {"PlainOneTooLong", std::string(1024, 'a'), ""},
    {"PlainLongest", std::string(1023, 'a'), std::string(1023, 'a')},
};

INSTANTIATE_TEST_SUITE_P(Texts, UnescapeUrlTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reelcatch
