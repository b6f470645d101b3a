// The list, its commands and its rebuilds, through the in-memory grid.
#include <gtest/gtest.h>

#include "list/add_download_url.h"
#include "list/status_cell.h"
#include "support/fake_ports.h"

namespace reelcatch {
namespace {

std::string Url(size_t n) { return "http://www.youtube.com/watch?v=" + std::to_string(n); }

class ListTest : public ::testing::Test {
 protected:
  ListTest() { display.SetYieldSlice(std::chrono::microseconds(0)); }

  // A new list of one item per status ("": the default), shown in the grid.
  void Show(const std::vector<std::string>& statuses) {
    while (!list.IsListEmpty()) list.DeleteItem(1);
    for (size_t n = 1; n <= statuses.size(); ++n) list.AddItem(Url(n), "f", statuses[n - 1], "");
    display.FillDownloadList();
  }
  // The items' numbers in list order; checks on the way that IDs are
  // positions + 1 and that the grid shows the list.
  std::vector<int> Order() {
    std::vector<int> order;
    EXPECT_EQ(grid.RowCount(), list.Count());
    EXPECT_EQ(display.GridFormatted(), !list.IsListEmpty());
    for (const DownloadItem& item : list.Items()) {
      int row = static_cast<int>(order.size());
      EXPECT_EQ(grid.CellText(row, kColId) + grid.CellText(row, kColVideoUrl) +
                    grid.CellText(row, kColStatus),
                std::to_string(item.ID) + item.Video_URL + item.Status);
      EXPECT_EQ(item.ID, row + 1);
      order.push_back(std::stoi(item.Video_URL.substr(31)));
    }
    return order;
  }

  EventLog log;
  DownloadList list;
  MemoryGrid grid;
  FakeEventLoop loop;
  FakeDialogs dialogs{log};
  ListDisplay display{list, grid, loop, dialogs};
};

using Command = void (ListDisplay::*)();
constexpr Command kAll = &ListDisplay::SelectAllItems, kRemove = &ListDisplay::RemoveSelected,
                  kUp = &ListDisplay::MoveSelectedUp, kDown = &ListDisplay::MoveSelectedDown,
                  kClear = &ListDisplay::ClearCompleted;

TEST_F(ListTest, CommandsTouchTheItemsTheirRowsShow) {
  // The commands, the cells and whole rows selected, an ID removed behind the
  // grid's back (so that its rows are old), and the items' order after.
  using Case = std::tuple<std::vector<Command>, std::vector<GridCellRef>, std::vector<int>, int16_t,
                          std::vector<int>>;
  // clang-format off
  const Case cases[] = {
      {{kClear}, {}, {}, 0, {1, 3, 4, 5}}, {{kRemove}, {{1, 3}, {3, 0}, {1, 2}}, {}, 0, {1, 3, 5}},
      {{kRemove}, {{2, 2}}, {0, 4}, 0, {2, 4}}, {{kRemove}, {}, {}, 0, {1, 2, 3, 4, 5}},
      {{kAll, kRemove}, {}, {}, 0, {}}, {{kUp}, {{3, 3}, {1, 3}}, {}, 0, {1, 2, 4, 3, 5}},
      {{kDown}, {{2, 2}}, {}, 0, {1, 2, 4, 3, 5}}, {{kUp}, {{0, 0}}, {}, 0, {1, 2, 3, 4, 5}},
      {{kDown}, {{4, 0}}, {}, 0, {1, 2, 3, 4, 5}}, {{kUp}, {}, {1, 2}, 0, {1, 2, 3, 4, 5}},
      {{kRemove}, {{3, 3}}, {}, 1, {2, 3, 5}}, {{kUp}, {{2, 3}}, {}, 1, {3, 2, 4, 5}},
      {{kRemove}, {{0, 3}}, {}, 1, {2, 3, 4, 5}}};
  // clang-format on
  for (const auto& [commands, cells, rows, stale, expected] : cases) {
    SCOPED_TRACE(::testing::PrintToString(expected));
    Show({"Waiting", "Complete", "complete", "Complete ", "42"});
    grid.ClearSelection();
    for (GridCellRef cell : cells) grid.SelectCell(cell);
    for (int row : rows) grid.SetRowSelected(row, true);
    if (stale != 0) list.DeleteItem(stale);
    for (Command command : commands) (display.*command)();
    EXPECT_EQ(Order(), expected);
    EXPECT_TRUE(grid.SelectedCells().empty());
  }
}

TEST_F(ListTest, EditsDuringARefillShowOnceItEnds) {
  // clang-format off
  const std::function<void()> edits[] = {
      [&] { list.DeleteItem(40), list.DeleteItem(39); },
      [&] { grid.SelectCell({0, kColStatus}), display.RemoveSelected(); },
      [&] { grid.SelectCell({0, kColStatus}), display.MoveSelectedDown(); },
      [&] { list.AddItem(Url(41), "", "", ""), display.FillDownloadList(); },
      [&] { display.SelectAllItems(), display.RemoveSelected(); }};
  // clang-format on
  for (const auto& edit : edits) {
    Show(std::vector<std::string>(40, ""));
    loop.SetHook([&, turn = loop.Turns() + 2] {
      if (loop.Turns() == turn) edit();
    });
    EXPECT_TRUE(display.FillDownloadList() || list.IsListEmpty());
    Order();
  }
}

TEST_F(ListTest, FailedRefillIsReportedAndKeepsTheOldRows) {
  Show({""});
  list.AddItem(Url(2), "", "", "");
  loop.SetHook([] { throw std::bad_alloc(); });
  EXPECT_FALSE(display.FillDownloadList());
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(
      log.back(),
      "Dialogs.ShowMessage An error occured while filling the Download list\r7:Out of memory");
  loop.SetHook({});
  EXPECT_TRUE(display.FillDownloadList()) << "a failure must not leave the refill blocked";
}

TEST_F(ListTest, RetryFailedLetsFailedItemsWaitWithTheNamesTheyWereGiven) {
  Show({"ERROR", "ERROR", "Complete", "Cancelled", "ERROR"});
  list.Edit(0).FileName = texts::kProcessFailed;
  list.Edit(4).FileName = texts::kUnsupportedLink;
  for (int p = 0; p < 5; ++p) list.Edit(p).FileSize = "1 MB";
  display.RetryFailed();
  std::string got;
  for (const DownloadItem& item : list.Items()) {
    got += item.Status + "," + item.FileName + "," + item.FileSize + "|";
  }
  EXPECT_EQ(got,
            "Waiting,Waiting (Auto Detect),????|Waiting,f,????|Complete,f,1 MB|Cancelled,f,1 MB|"
            "Waiting,Waiting (Auto Detect),????|");
  Order();
}

TEST_F(ListTest, EachAddedLineIsTrimmedAndClassified) {
  const std::string wait = " Waiting (Auto Detect) Waiting", blip = "http://blip.tv/";
  // What is entered, whether other sites are tried, and what is added.
  const std::tuple<std::string, bool, std::string> cases[] = {
      {" \t" + Url(1) + " \r\n\r\n x.com\n" + blip + "a b", false,
       Url(1) + wait + "|x.com ERROR Link is not supported|" + blip + "a b" + wait},
      {Url(1) + "\nHTTP://YOUTUBE.COM/watch?v=1", false, "HTTP://YOUTUBE.COM/watch?v=1" + wait},
      {" \t\r\n \n", false, ""},
      {"http://x.org/v", false, "http://x.org/v ERROR Link is not supported"},
      {"HTTPS://y.org/v\nftp://y.org/v.mp4\ny.org/v", true,
       "HTTPS://y.org/v" + wait + "|ftp://y.org/v.mp4 ERROR Link is not supported|y.org/v ERROR " +
           "Link is not supported"}};
  RunState state;
  for (const auto& [entered, anySite, added] : cases) {
    int before = list.Count();
    AddDownloadURL(entered, list, display, state, anySite);
    std::string got;
    for (int p = before; p < list.Count(); ++p) {
      const DownloadItem& item = list.At(p);
      got += (got.empty() ? "" : "|") + item.Video_URL + " " + item.FileName + " " + item.Status;
    }
    EXPECT_EQ(got, added) << entered;
    EXPECT_EQ(grid.RowCount(), list.Count());
  }
}

TEST(StatusCell, NumbersBecomeABarAndOtherTextsStayText) {
  const StatusCellColors colors{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}};
  // The value, then the percentage and the bar's right end; -1: drawn as text.
  // clang-format off
  const std::tuple<const char*, int, int> cases[] = {
      {"45", 45, 100}, {"250", 100, 211}, {"-3", 0, 10}, {"12.5", 12, 34}, {"13.5", 14, 38},
      {"12.51", 13, 36}, {" 7\t", 7, 24}, {"4.5e1", 45, 100}, {"1e400", 100, 211}, {"50", 50, 110},
      {"-1e99999", 0, 10}, {"0.5e-400", 0, 10}, {"Waiting", -1, 0}, {"", -1, 0}, {"1e", -1, 0},
      {"0x10", -1, 0}, {"nan", -1, 0}, {"+-1", -1, 0}, {"12%", -1, 0}};
  // clang-format on
  for (auto [value, percent, right] : cases) {
    for (bool selected : {false, true}) {
      // 201 pixels wide: half a pixel rounds to the even one.
      StatusCellLayout layout = LayoutStatusCell(value, {10, 5, 211, 25}, selected, colors);
      ASSERT_EQ(layout.custom, percent >= 0) << value;
      if (!layout.custom) continue;
      EXPECT_EQ(layout.text, std::to_string(percent) + "%") << value;
      EXPECT_EQ(layout.bar, (CellRect{10, 5, selected ? 10 : right, 25})) << value;
      EXPECT_EQ(layout.back, selected ? colors.selectedBack : colors.highlightText) << value;
    }
  }
}

}  // namespace
}  // namespace reelcatch
