#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "support/fakes.h"

namespace reelcatch {
namespace {

std::string Url(int n) { return "http://www.youtube.com/watch?v=" + std::to_string(n); }

class ListCommandsTest : public ::testing::Test {
 protected:
  ListCommandsTest() { display.SetYieldSlice(std::chrono::microseconds(0)); }

  // Items 1..count with the given statuses (empty: "Waiting"), shown in the grid.
  void Show(int count, const std::vector<std::string>& statuses = {}) {
    for (int n = 1; n <= count; ++n) {
      std::string status = n <= static_cast<int>(statuses.size()) ? statuses[n - 1] : "";
      list.AddItem(Url(n), "file" + std::to_string(n), status, "");
    }
    display.FillDownloadList();
  }

  // The original numbers of the items in list order; every ID must equal
  // its position + 1 and the grid must show the list.
  std::vector<int> Order() {
    std::vector<int> order;
    for (int p = 0; p < list.Count(); ++p) {
      EXPECT_EQ(list.At(p).ID, p + 1);
      const std::string& url = list.At(p).Video_URL;
      order.push_back(std::stoi(url.substr(url.rfind('=') + 1)));
    }
    EXPECT_EQ(grid.RowCount(), list.Count());
    for (int row = 0; row < std::min(grid.RowCount(), list.Count()); ++row) {
      EXPECT_EQ(grid.CellText(row, kColVideoUrl), list.At(row).Video_URL);
      EXPECT_EQ(grid.CellText(row, kColId), std::to_string(row + 1));
    }
    return order;
  }

  DownloadList list;
  MemoryGrid grid;
  CountingEventLoop loop;
  RecordingDialogs dialogs;
  ListDisplay display{list, grid, loop, dialogs};
};

struct ClearCase {
  const char* name;
  std::vector<std::string> statuses;
  std::vector<int> expected;
};
void PrintTo(const ClearCase& c, std::ostream* os) { *os << c.name; }

class ClearCompletedTest : public ListCommandsTest,
                           public ::testing::WithParamInterface<ClearCase> {};

TEST_P(ClearCompletedTest, RemovesExactlyTheCompleteItems) {
  const ClearCase& c = GetParam();
  Show(static_cast<int>(c.statuses.size()), c.statuses);
  grid.SelectCell({0, kColFileName});  // selection plays no part
  display.ClearCompleted();
  EXPECT_EQ(Order(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, ClearCompletedTest,
    ::testing::Values(
        ClearCase{"SecondAndFourth", {"Waiting", "Complete", "ERROR", "Complete", "42"}, {1, 3, 5}},
        ClearCase{"OnlyExactText",
                  {"complete", "Complete ", " Complete", "COMPLETE", "Complete"},
                  {1, 2, 3, 4}},
        ClearCase{"NoneComplete", {"Cancelled", "Waiting"}, {1, 2}},
        ClearCase{"LastOnly", {"Waiting", "Waiting", "Complete"}, {1, 2}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListCommandsTest, ClearingEveryItemUnbindsAndUnformats) {
  Show(2, {"Complete", "Complete"});
  ASSERT_TRUE(display.GridFormatted());
  display.ClearCompleted();
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_FALSE(display.GridFormatted());
  EXPECT_EQ(grid.DataSource(), nullptr);
}

struct RemoveCase {
  const char* name;
  std::vector<GridCellRef> cells;
  std::vector<int> rows;  // rows whose selected flag is set
  std::vector<int> expected;
};
void PrintTo(const RemoveCase& c, std::ostream* os) { *os << c.name; }

class RemoveSelectedTest : public ListCommandsTest,
                           public ::testing::WithParamInterface<RemoveCase> {};

TEST_P(RemoveSelectedTest, RemovesItemsOfSelectedCellsAndRows) {
  const RemoveCase& c = GetParam();
  Show(5);
  for (GridCellRef cell : c.cells) grid.SelectCell(cell);
  for (int row : c.rows) grid.SetRowSelected(row, true);
  display.RemoveSelected();
  EXPECT_EQ(Order(), c.expected);
  EXPECT_TRUE(grid.SelectedCells().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Selections, RemoveSelectedTest,
    ::testing::Values(
        RemoveCase{"CellsInRowsTwoAndFour", {{1, kColStatus}, {3, kColId}}, {}, {1, 3, 5}},
        RemoveCase{"SeveralCellsPerRow",
                   {{3, kColFileSize}, {1, kColVideoUrl}, {3, kColFileName}, {1, kColId}},
                   {},
                   {1, 3, 5}},
        RemoveCase{"RowsAndCells", {{2, kColFileName}}, {0, 4}, {2, 4}},
        RemoveCase{"FirstAndLast", {{0, kColStatus}, {4, kColStatus}}, {}, {2, 3, 4}},
        RemoveCase{"NothingSelected", {}, {}, {1, 2, 3, 4, 5}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListCommandsTest, SelectAllThenRemoveEmptiesTheList) {
  Show(3);
  display.SelectAllItems();
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(grid.IsRowSelected(row));
  EXPECT_EQ(grid.RowCount(), 3) << "selecting rebuilds nothing";
  display.RemoveSelected();
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_FALSE(display.GridFormatted());
  EXPECT_EQ(grid.DataSource(), nullptr);
}

struct MoveCase {
  const char* name;
  int count;
  std::vector<GridCellRef> cells;
  std::vector<int> rows;
  bool up;
  std::vector<int> expected;
};
void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }

class MoveSelectedTest : public ListCommandsTest, public ::testing::WithParamInterface<MoveCase> {};

TEST_P(MoveSelectedTest, MovesOnlyTheFirstSelectedCellsItem) {
  const MoveCase& c = GetParam();
  Show(c.count);
  for (GridCellRef cell : c.cells) grid.SelectCell(cell);
  for (int row : c.rows) grid.SetRowSelected(row, true);
  int binds = grid.BindCount();
  if (c.up) {
    display.MoveSelectedUp();
  } else {
    display.MoveSelectedDown();
  }
  EXPECT_EQ(Order(), c.expected);
  EXPECT_EQ(grid.BindCount(), binds + 1) << "the list is refilled even when nothing moved";
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveSelectedTest,
    ::testing::Values(MoveCase{"ThirdUp", 5, {{2, kColStatus}}, {}, true, {1, 3, 2, 4, 5}},
                      MoveCase{"ThirdDown", 5, {{2, kColFileName}}, {}, false, {1, 2, 4, 3, 5}},
                      MoveCase{"FirstUp", 5, {{0, kColId}}, {}, true, {1, 2, 3, 4, 5}},
                      MoveCase{"LastDown", 5, {{4, kColId}}, {}, false, {1, 2, 3, 4, 5}},
                      MoveCase{"FirstCellOfSeveralRows",
                               5,
                               {{3, kColStatus}, {1, kColStatus}},
                               {},
                               true,
                               {1, 2, 4, 3, 5}},
                      MoveCase{"OnlyRowsSelected", 5, {}, {1, 2}, true, {1, 2, 3, 4, 5}},
                      MoveCase{"SingleItemUp", 1, {{0, kColFileName}}, {}, true, {1}},
                      MoveCase{"SingleItemDown", 1, {{0, kColFileName}}, {}, false, {1}}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListCommandsTest, EmptyGridCommandsDoNothingButMovesStillRefill) {
  display.FormatDownloadGrid(true);
  int binds = grid.BindCount();
  display.SelectAllItems();
  display.RemoveSelected();
  display.ClearCompleted();
  EXPECT_EQ(grid.BindCount(), binds);
  EXPECT_EQ(loop.Count(), 0);

  display.MoveSelectedUp();
  display.MoveSelectedDown();
  EXPECT_EQ(grid.BindCount(), binds + 2) << "each move refills (and so unbinds) the empty list";
}

// The grid can show rows older than the list while a refill is under way;
// a command must still touch the item its row shows.
TEST_F(ListCommandsTest, StaleRowsStillNameTheirOwnItems) {
  Show(5);
  list.DeleteItem(1);                // the grid still shows item 1 and the old IDs
  grid.SelectCell({3, kColStatus});  // shows item 4, whose ID is now 3
  display.RemoveSelected();
  EXPECT_EQ(Order(), (std::vector<int>{2, 3, 5}));

  list.DeleteItem(1);  // stale again: the grid shows 2, 3, 5 as IDs 1, 2, 3
  grid.SelectCell({2, kColStatus});
  display.MoveSelectedUp();
  EXPECT_EQ(Order(), (std::vector<int>{5, 3}));

  list.DeleteItem(1);  // item 5 is gone; its row still shows ID 1, now item 3's
  grid.SelectCell({0, kColStatus});
  display.RemoveSelected();
  EXPECT_EQ(Order(), (std::vector<int>{3}));
}

}  // namespace
}  // namespace reelcatch
