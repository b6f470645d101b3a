#include "list/list_display.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>

#include "platform/memory_grid.h"
#include "support/fakes.h"

namespace reelcatch {
namespace {

class ListDisplayTest : public ::testing::Test {
 protected:
  ListDisplayTest() { display.SetYieldSlice(std::chrono::microseconds(0)); }

  void Add(int count) {
    for (int i = 0; i < count; ++i) {
      int n = list.Count() + 1;
      list.AddItem("http://www.youtube.com/watch?v=" + std::to_string(n),
                   "name" + std::to_string(n), "", "");
    }
  }

  // Runs the action once, at the given turn of the event loop.
  void AtTurn(int turn, std::function<void()> action) {
    loop.OnEvents([this, turn, action] {
      if (loop.Count() == turn) action();
    });
  }

  void ExpectGridShowsList() {
    ASSERT_EQ(grid.RowCount(), list.Count());
    for (int row = 0; row < grid.RowCount(); ++row) {
      const DownloadItem& item = list.At(row);
      EXPECT_EQ(grid.CellText(row, kColId), std::to_string(row + 1));
      EXPECT_EQ(grid.CellText(row, kColVideoUrl), item.Video_URL);
      EXPECT_EQ(grid.CellText(row, kColFileName), item.FileName);
      EXPECT_EQ(grid.CellText(row, kColStatus), item.Status);
      EXPECT_EQ(grid.CellText(row, kColFileSize), item.FileSize);
    }
  }

  DownloadList list;
  MemoryGrid grid;
  CountingEventLoop loop;
  RecordingDialogs dialogs;
  ListDisplay display{list, grid, loop, dialogs};
};

void ExpectFullyFormatted(const MemoryGrid& grid) {
  EXPECT_EQ(grid.Caption(), "");
  const MemoryGrid::ColumnLayout expected[] = {
      {" ", 300, ColumnEdit::Disabled},
      {"Video URL", 3800, ColumnEdit::Disabled},
      {"Local File Name", 1800, ColumnEdit::Editable},
      {"Download Status", 1700, ColumnEdit::Disabled},
      {"File Size", 750, ColumnEdit::Disabled},
  };
  for (int column = 0; column < kGridColumnCount; ++column) {
    EXPECT_EQ(grid.Column(column), expected[column]) << "column " << column;
  }
  EXPECT_EQ(grid.Rules(), (MemoryGrid::ColumnRules{false, false, true}));
  const GridColors& colors = grid.Colors();
  EXPECT_EQ(colors.area, (Rgb{234, 233, 232}));
  EXPECT_EQ(colors.border, (Rgb{39, 104, 146}));
  EXPECT_EQ(colors.selectedRowBack, (Rgb{61, 211, 124}));
  EXPECT_EQ(colors.activeRowBack, (Rgb{61, 211, 124}));
  EXPECT_EQ(colors.activeRowFore, (Rgb{255, 255, 255}));
  EXPECT_EQ(colors.rowBack, (Rgb{255, 255, 255}));
  EXPECT_EQ(colors.headerBack, (Rgb{84, 137, 93}));
  EXPECT_EQ(colors.headerFore, (Rgb{255, 255, 255}));
  EXPECT_FALSE(grid.RowSelectors());
  EXPECT_TRUE(grid.ExtendedCellSelection());
}

TEST_F(ListDisplayTest, FillShowsEveryItemWithLongTextsKeptWhole) {
  Add(3);
  std::string longUrl = "http://www.youtube.com/watch?v=" + std::string(400, 'x');
  list.AddItem(longUrl, std::string(150, 'n'), std::string(200, 's'), "123456789012345");
  EXPECT_TRUE(display.FillDownloadList());
  EXPECT_FALSE(display.FillBusy());
  ExpectGridShowsList();
  EXPECT_EQ(grid.DataSource(), display.Copy());
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(ListDisplayTest, EmptyListUnbindsWithoutFormattingOrYielding) {
  Add(2);
  display.FillDownloadList();
  grid.SetCaption("kept");
  list.DeleteItem(1);
  list.DeleteItem(1);
  int yields = loop.Count();

  EXPECT_FALSE(display.FillDownloadList());
  EXPECT_EQ(grid.DataSource(), nullptr);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_EQ(grid.Caption(), "kept");
  EXPECT_EQ(loop.Count(), yields);
  EXPECT_FALSE(display.FillBusy());
}

TEST_F(ListDisplayTest, RefillStartedDuringRefillReturnsAtOnceAndChangesNothing) {
  Add(3);
  display.FillDownloadList();
  auto oldCopy = grid.DataSource();
  int binds = grid.BindCount();
  std::optional<bool> nestedResult;
  AtTurn(loop.Count() + 1, [&] {
    EXPECT_TRUE(display.FillBusy());
    nestedResult = display.FillDownloadList();
    EXPECT_EQ(grid.DataSource(), oldCopy) << "the nested call must not rebind";
    EXPECT_EQ(grid.BindCount(), binds);
  });

  EXPECT_TRUE(display.FillDownloadList());
  ASSERT_TRUE(nestedResult.has_value());
  EXPECT_FALSE(*nestedResult);
  EXPECT_FALSE(display.FillBusy());
  ExpectGridShowsList();
}

struct MidFillCase {
  const char* name;
  // What the window does while the rebuild of 40 items yields.
  std::function<void(DownloadList&, ListDisplay&, MemoryGrid&)> action;
};
void PrintTo(const MidFillCase& c, std::ostream* os) { *os << c.name; }

class ListDisplayMidFill : public ListDisplayTest,
                           public ::testing::WithParamInterface<MidFillCase> {};

TEST_P(ListDisplayMidFill, GridShowsTheListAsItIsAfterward) {
  Add(40);
  display.FillDownloadList();
  AtTurn(loop.Count() + 2, [&] { GetParam().action(list, display, grid); });
  int before = loop.Count();

  EXPECT_TRUE(display.FillDownloadList());
  ASSERT_GE(loop.Count(), before + 2) << "the rebuild must yield in its middle";
  EXPECT_FALSE(display.FillBusy());
  ExpectGridShowsList();
}

INSTANTIATE_TEST_SUITE_P(
    Actions, ListDisplayMidFill,
    ::testing::Values(MidFillCase{"TailRemovedWithoutRefill",
                                  [](DownloadList& list, ListDisplay&, MemoryGrid&) {
                                    while (list.Count() > 30)
                                      list.DeleteItem(static_cast<int16_t>(list.Count()));
                                  }},
                      MidFillCase{"FrontRemovedByCommand",
                                  [](DownloadList&, ListDisplay& display, MemoryGrid& grid) {
                                    grid.SelectCell({0, kColStatus});
                                    grid.SelectCell({1, kColFileName});
                                    display.RemoveSelected();
                                  }},
                      MidFillCase{"MovedByCommand",
                                  [](DownloadList&, ListDisplay& display, MemoryGrid& grid) {
                                    grid.SelectCell({0, kColStatus});
                                    display.MoveSelectedDown();
                                  }},
                      MidFillCase{"AddedAndRefilled",
                                  [](DownloadList& list, ListDisplay& display, MemoryGrid&) {
                                    list.AddItem("http://video.google.com/new", "n", "", "");
                                    display.FillDownloadList();
                                  }}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListDisplayTest, RemovingEverythingDuringRefillLeavesTheGridUnboundAndUnformatted) {
  Add(40);
  display.FillDownloadList();
  AtTurn(loop.Count() + 2, [&] {
    display.SelectAllItems();
    display.RemoveSelected();
  });
  display.FillDownloadList();
  EXPECT_TRUE(list.IsListEmpty());
  EXPECT_EQ(grid.DataSource(), nullptr);
  EXPECT_FALSE(display.GridFormatted());

  Add(1);
  display.FillDownloadList();
  ExpectFullyFormatted(grid);
}

struct FillErrorCase {
  const char* name;
  std::function<void()> thrower;
  const char* text;
};
void PrintTo(const FillErrorCase& c, std::ostream* os) { *os << c.name; }

class ListDisplayFillError : public ListDisplayTest,
                             public ::testing::WithParamInterface<FillErrorCase> {};

TEST_P(ListDisplayFillError, ReportsAndKeepsTheOldRows) {
  Add(2);
  display.FillDownloadList();
  auto oldCopy = grid.DataSource();
  Add(1);
  AtTurn(loop.Count() + 1, GetParam().thrower);

  EXPECT_FALSE(display.FillDownloadList());
  EXPECT_FALSE(display.FillBusy());
  EXPECT_EQ(grid.DataSource(), oldCopy);
  EXPECT_EQ(grid.RowCount(), 2);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  const ShownMessage& message = dialogs.Messages()[0];
  EXPECT_EQ(message.text,
            std::string("An error occured while filling the Download list\r") + GetParam().text);
  EXPECT_EQ(message.icon, MessageIcon::Critical);
  EXPECT_EQ(message.buttons, MessageButtons::Ok);
  EXPECT_EQ(message.title, "Reelcatch");

  loop.OnEvents({});
  EXPECT_TRUE(display.FillDownloadList()) << "a failure must not leave the refill blocked";
  ExpectGridShowsList();
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ListDisplayFillError,
    ::testing::Values(
        FillErrorCase{"OutOfMemory", [] { throw std::bad_alloc(); }, "7:Out of memory"},
        FillErrorCase{"Described", [] { throw std::runtime_error("disk gone"); }, "5:disk gone"},
        FillErrorCase{"Unknown", [] { throw 42; }, "51:Internal error"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ListDisplayTest, FormatsInFullAtStartFirstFillAndAfterEmptying) {
  EXPECT_TRUE(display.FormatDownloadGrid(true));
  EXPECT_FALSE(display.GridFormatted()) << "start-up leaves the full formatting to the first fill";
  ExpectFullyFormatted(grid);

  Add(1);
  display.FillDownloadList();
  EXPECT_TRUE(display.GridFormatted());
  ExpectFullyFormatted(grid);

  // Later fills only hand the rows over and leave the layout alone.
  grid.SetColumnWidth(kColVideoUrl, 999);
  Add(1);
  display.FillDownloadList();
  EXPECT_EQ(grid.Column(kColVideoUrl).width, 999);
  EXPECT_EQ(grid.RowCount(), 2);

  display.SelectAllItems();
  display.RemoveSelected();
  EXPECT_FALSE(display.GridFormatted());
  EXPECT_EQ(grid.DataSource(), nullptr);

  Add(1);
  display.FillDownloadList();
  EXPECT_TRUE(display.GridFormatted());
  ExpectFullyFormatted(grid);
}

struct LocateCase {
  const char* name;
  int items;
  // The item looked for, by position; outside the list: a key never given.
  int position;
  std::optional<int> row;
};
void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

class ListDisplayLocate : public ListDisplayTest,
                          public ::testing::WithParamInterface<LocateCase> {};

TEST_P(ListDisplayLocate, FindsTheRowShowingTheItem) {
  Add(GetParam().items);
  display.FillDownloadList();
  int position = GetParam().position;
  display.LocateCurrentRow(list.Exists(position) ? list.At(position).Key : 999);
  EXPECT_EQ(display.CurrentRow(), GetParam().row);

  display.WriteCurrentRowStatus("42");
  for (int row = 0; row < grid.RowCount(); ++row) {
    EXPECT_EQ(grid.CellText(row, kColStatus) == "42", GetParam().row == row) << "row " << row;
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ListDisplayLocate,
                         ::testing::Values(LocateCase{"First", 3, 0, 0},
                                           LocateCase{"Last", 3, 2, 2},
                                           LocateCase{"UnknownKey", 3, 3, std::nullopt},
                                           LocateCase{"EmptyGrid", 0, 0, std::nullopt}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ListDisplayTest, CurrentRowFollowsItsItemAcrossRebuilds) {
  Add(4);
  display.FillDownloadList();
  display.LocateCurrentRow(list.At(2).Key);

  grid.SelectCell({0, kColVideoUrl});
  display.RemoveSelected();
  EXPECT_EQ(display.CurrentRow(), 1);
  display.WriteCurrentRowStatus("10");
  EXPECT_EQ(grid.CellText(1, kColVideoUrl), list.At(1).Video_URL);
  EXPECT_EQ(grid.CellText(1, kColStatus), "10");

  // Once its item is gone, nothing else gets its statuses.
  grid.SelectCell({1, kColVideoUrl});
  display.RemoveSelected();
  EXPECT_EQ(display.CurrentRow(), std::nullopt);
  display.WriteCurrentRowStatus("20");
  for (int row = 0; row < grid.RowCount(); ++row) EXPECT_NE(grid.CellText(row, kColStatus), "20");
}

}  // namespace
}  // namespace reelcatch
