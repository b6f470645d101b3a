#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "resolve/file_naming.h"

namespace reelcatch {
namespace {

struct SizeCase {
  const char* name;
  float bytes;
  const char* expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class FormatFileSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(FormatFileSizeTest, WritesSizeWithUnit) {
  EXPECT_EQ(FormatFileSize(GetParam().bytes), GetParam().expected);
}

const SizeCase kSizeCases[] = {
    {"Zero", 0.0f, "0 Bytes"},
    {"NegativeZero", -0.0f, "0 Bytes"},
    {"Bytes", 512.0f, "512 Bytes"},
    {"MinusOne", -1.0f, "-1 Bytes"},
    {"FractionOfAByte", 0.5f, "0.5 Bytes"},
    {"LastBytes", 1023.0f, "1023 Bytes"},
    {"OneKilo", 1024.0f, "1 KB"},
    {"HalfKilo", 1536.0f, "1.5 KB"},
    {"HalfwayRoundsDownToEven", 1280.0f, "1.2 KB"},
    {"HalfwayRoundsUpToEven", 2816.0f, "2.8 KB"},
    {"JustAboveHalfwayRoundsUp", 1281.0f, "1.3 KB"},
    {"LastKiloRoundsUpWithoutChangingUnit", 1048575.0f, "1024 KB"},
    {"OneMega", 1048576.0f, "1 MB"},
    {"MegaHalfwayToEven", 1048576.0f * 3.25f, "3.2 MB"},
    {"OneGiga", 1073741824.0f, "1 GB"},
    {"ManyGiga", 1073741824.0f * 1000.5f, "1000.5 GB"},
    {"LastGiga", 1099511562240.0f, "1024 GB"},  // the largest float below 2^40
    {"Tera", 1099511627776.0f, ""},
    {"Infinity", std::numeric_limits<float>::infinity(), ""},
    {"NegativeInfinity", -std::numeric_limits<float>::infinity(), "-inf Bytes"},
    {"NotANumber", std::numeric_limits<float>::quiet_NaN(), "nan Bytes"},
};

INSTANTIATE_TEST_SUITE_P(Sizes, FormatFileSizeTest, testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CleanCase {
  const char* name;
  std::string input;
  std::string expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const CleanCase& c, std::ostream* os) { *os << c.name; }

class CleanFileNameTest : public testing::TestWithParam<CleanCase> {};

TEST_P(CleanFileNameTest, RemovesForbiddenCharacters) {
  EXPECT_EQ(CleanFileName(GetParam().input), GetParam().expected);
}

const CleanCase kCleanCases[] = {
    {"AllTenRemoved", "a\\b/c:d*e?f\"g<h>i|j&k", "abcdefghijk"},
    {"OthersKept", " a=b%c#d\te\xC3\xA9.flv ", " a=b%c#d\te\xC3\xA9.flv "},
    {"OnlyRemovedCharacters", "???", "Enter File Name"},
    {"Empty", "", "Enter File Name"},
    {"Dot", ".", "Enter File Name"},
    {"DotDot", "..", "Enter File Name"},
    {"DotDotAfterCleaning", "../", "Enter File Name"},
    {"ThreeDotsAreAName", "...", "..."},
    {"ZeroByteRemoved", std::string("a\0b.flv", 7), "ab.flv"},
};

INSTANTIATE_TEST_SUITE_P(Names, CleanFileNameTest, testing::ValuesIn(kCleanCases),
                         [](const auto& info) { return std::string(info.param.name); });

// "é" is two bytes, "€" three, "𝄞" four; "\xFF" and a lone "\xC3" are no characters.
const std::string kMixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E\xFF\xC3z";

struct Utf8Case {
  const char* name;
  std::string result;
  std::string expected;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const Utf8Case& c, std::ostream* os) { *os << c.name; }

class Utf8CutTest : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8CutTest, CutsOnCharacterBoundaries) {
  EXPECT_EQ(GetParam().result, GetParam().expected);
}

const Utf8Case kUtf8Cases[] = {
    {"LengthCountsCharacters", std::to_string(Utf8Length(kMixed)), "7"},
    {"LengthOfBadSequences",
     std::to_string(Utf8Length("\xE2\x82"
                               "a\xED\xA0\x80\xC0\xAF\xF4\x90\x80\x80")),
     "12"},
    {"LeftTakesWholeCharacters", Utf8Left(kMixed, 3), "a\xC3\xA9\xE2\x82\xAC"},
    {"LeftBeyondLength", Utf8Left(kMixed, 50), kMixed},
    {"RightTakesWholeCharacters", Utf8Right(kMixed, 4), "\xF0\x9D\x84\x9E\xFF\xC3z"},
    {"RightBeyondLength", Utf8Right(kMixed, 7), kMixed},
    {"RightNothing", Utf8Right(kMixed, 0), ""},
    {"ShortNameNotCut", CutFileName("abc.flv", 7, 4), "abc.flv"},
    {"LongNameKeepsExtension", CutFileName("abcdefgh.flv", 8, 4), "abcd.flv"},
    {"CutCountsCharactersNotBytes",
     CutFileName("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9.flv", 7, 4),
     "\xC3\xA9\xC3\xA9\xC3\xA9.flv"},
    {"CutKeepsMultiByteTail", CutFileName("abcdefg\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 6, 2),
     "abcd\xE2\x82\xAC\xE2\x82\xAC"},
    {"YouTubeCut", CutFileName(std::string(40, 'y') + ".flv", 35, 4),
     std::string(31, 'y') + ".flv"},
    {"ServerNameCut", CutFileName(std::string(116, 'n') + ".avi", 100, 4),
     std::string(96, 'n') + ".avi"},
    {"NumberBeforeTheExtension", NumberedFileName("clip.flv.flv", 2, 250), "clip.flv (2).flv"},
    {"NumberWithoutExtension", NumberedFileName("notes", 13, 250), "notes (13)"},
    {"LeadingDotIsNoExtension", NumberedFileName(".bashrc", 2, 250), ".bashrc (2)"},
    {"NumberedNameCutOnACharacter",
     NumberedFileName("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC.flv", 2, 13), "\xE2\x82\xAC (2).flv"},
    {"ExtensionWithoutRoomIsCutLikeTheRest", NumberedFileName("a." + std::string(20, 'x'), 2, 12),
     "a.xxxxxx (2)"},
};

INSTANTIATE_TEST_SUITE_P(Cuts, Utf8CutTest, testing::ValuesIn(kUtf8Cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace reelcatch
