#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "list/status_cell.h"

namespace reelcatch {
namespace {

const StatusCellColors kColors{
    {0, 120, 215},    // highlight: the bar
    {255, 255, 255},  // highlight text: the background
    {61, 211, 124},   // selected back
    {10, 20, 30},     // selected fore
};

struct LayoutCase {
  const char* name;
  const char* value;
  CellRect cell;
  bool selected;
  std::optional<int> percent;  // none: drawn by the grid as text
  int barRight = 0;
};
void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class StatusCellTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(StatusCellTest, Layout) {
  const LayoutCase& c = GetParam();
  StatusCellLayout layout = LayoutStatusCell(c.value, c.cell, c.selected, kColors);
  ASSERT_EQ(layout.custom, c.percent.has_value());
  if (!c.percent) return;
  EXPECT_EQ(layout.percent, *c.percent);
  EXPECT_EQ(layout.text, std::to_string(*c.percent) + "%");
  EXPECT_EQ(layout.cell, c.cell);
  EXPECT_EQ(layout.bar, (CellRect{c.cell.left, c.cell.top, c.barRight, c.cell.bottom}));
  if (c.selected) {
    EXPECT_EQ(layout.back, kColors.selectedBack);
    EXPECT_EQ(layout.fore, kColors.selectedFore);
  } else {
    EXPECT_EQ(layout.back, kColors.highlightText);
    EXPECT_EQ(layout.fore, kColors.highlight);
  }
}

constexpr CellRect k200{10, 5, 210, 25};

INSTANTIATE_TEST_SUITE_P(
    Values, StatusCellTest,
    ::testing::Values(LayoutCase{"FortyFive", "45", k200, false, 45, 100},
                      LayoutCase{"Zero", "0", k200, false, 0, 10},
                      LayoutCase{"Hundred", "100", k200, false, 100, 210},
                      LayoutCase{"AboveHundred", "250", k200, false, 100, 210},
                      LayoutCase{"Negative", "-3", k200, false, 0, 10},
                      LayoutCase{"HalfDownToEven", "12.5", k200, false, 12, 34},
                      LayoutCase{"HalfUpToEven", "13.5", k200, false, 14, 38},
                      LayoutCase{"JustAboveHalf", "12.51", k200, false, 13, 36},
                      LayoutCase{"Blanks", "  7 ", k200, false, 7, 24},
                      LayoutCase{"Exponent", "4.5e1", k200, false, 45, 100},
                      LayoutCase{"Huge", "1e400", k200, false, 100, 210},
                      LayoutCase{"HugeNegative", "-99999999999999999999", k200, false, 0, 10},
                      LayoutCase{"Tiny", "0.5e-400", k200, false, 0, 10},
                      // 50% of 201 pixels is 100.5, which rounds to the even 100.
                      LayoutCase{"BarHalfPixel", "50", {0, 0, 201, 20}, false, 50, 100},
                      LayoutCase{"SelectedHasNoBar", "45", k200, true, 45, 10},
                      LayoutCase{"Waiting", "Waiting", k200, false, std::nullopt},
                      LayoutCase{"Complete", "Complete", k200, false, std::nullopt},
                      LayoutCase{"SoFar", "1.5 MBso far..", k200, false, std::nullopt},
                      LayoutCase{"Preparing", "Preperaing (45%)", k200, false, std::nullopt},
                      LayoutCase{"Empty", "", k200, false, std::nullopt}),
    [](const auto& info) { return info.param.name; });

struct NumberCase {
  const char* text;
  bool number;
  double value;
};

class ReadsAsNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ReadsAsNumberTest, Reads) {
  double value = -1;
  EXPECT_EQ(ReadsAsNumber(GetParam().text, &value), GetParam().number) << GetParam().text;
  if (GetParam().number) {
    EXPECT_DOUBLE_EQ(value, GetParam().value) << GetParam().text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadsAsNumberTest,
    ::testing::Values(
        NumberCase{"42", true, 42}, NumberCase{"+42", true, 42}, NumberCase{"-0.25", true, -0.25},
        NumberCase{".5", true, 0.5}, NumberCase{"5.", true, 5}, NumberCase{"1E2", true, 100},
        NumberCase{"1e+2", true, 100}, NumberCase{"\t3 ", true, 3}, NumberCase{"", false, 0},
        NumberCase{" ", false, 0}, NumberCase{".", false, 0}, NumberCase{"-", false, 0},
        NumberCase{"1e", false, 0}, NumberCase{"1 2", false, 0}, NumberCase{"+-1", false, 0},
        NumberCase{"0x10", false, 0}, NumberCase{"nan", false, 0}, NumberCase{"inf", false, 0},
        NumberCase{"12%", false, 0}, NumberCase{"-1 Bytes", false, 0}));

}  // namespace
}  // namespace reelcatch
