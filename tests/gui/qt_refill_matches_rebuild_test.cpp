// After any edit, a refill leaves the grid showing exactly what a rebuild
// from scratch shows: random edit sequences, through the in-memory grid and
// through the real Qt grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <random>

#include "list/list_display.h"
#include "platform/qt/qt_grid.h"
#include "support/fake_ports.h"

namespace reelcatch {
namespace {

std::vector<std::string> Rows(const Grid& grid) {
  std::vector<std::string> rows(static_cast<size_t>(grid.RowCount()));
  for (size_t row = 0; row < rows.size(); ++row) {
    for (int column = 0; column < kGridColumnCount; ++column)
      rows[row] += grid.CellText(static_cast<int>(row), column) + "|";
  }
  return rows;
}

EventLog events;
FakeEventLoop loop;
FakeDialogs dialogs{events};

std::vector<std::string> Rebuilt(DownloadList& list) {
  MemoryGrid grid;
  ListDisplay(list, grid, loop, dialogs).FillDownloadList();
  return Rows(grid);
}

// One edit of a kind a user or a run makes, then the program's refill.
void EditAndRefill(std::mt19937& random, DownloadList& list, ListDisplay& display, Grid& grid,
                   uint64_t& runningKey, int step) {
  auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
  const int position = list.Count() > 0 ? pick(list.Count()) : 0;
  const auto id = static_cast<int16_t>(position + 1);
  const std::string n = std::to_string(step);
  switch (list.Count() == 0 ? 0 : pick(9)) {
    case 0:
      list.AddItem("http://angryalien.com/" + n, "", "", "");
      break;
    case 1:
      list.DeleteItem(id);
      break;
    case 2:
      list.MoveItemUp(id);
      break;
    case 3:
      list.UpdateItem(id, "", "name" + n, step % 3 ? "Complete" : "", "");
      break;
    case 4:
      list.Edit(position).FileSize = n + " KB";
      break;
    case 5:
      display.LocateCurrentRow(runningKey = list.At(position).Key, position);
      display.WriteCurrentRowStatus("Downloading (50%)");
      break;
    case 6:
      return display.ClearCompleted();
    case 7:
      if (grid.RowCount() > 0) grid.SelectCell({pick(grid.RowCount()), kColFileName});
      return display.MoveSelectedDown();
    default:
      if (step % 5 == 0) display.SelectAllItems();
      return display.RemoveSelected();
  }
  display.FillDownloadList();
}

void ExpectRefillsMatchRebuilds(Grid& grid) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    DownloadList list;
    ListDisplay display(list, grid, loop, dialogs);
    uint64_t runningKey = 0;
    for (int step = 0; step < 300; ++step) {
      EditAndRefill(random, list, display, grid, runningKey, step);
      ASSERT_EQ(Rows(grid), Rebuilt(list)) << "seed " << seed << ", step " << step;
      if (std::optional<int> row = display.CurrentRow()) {
        ASSERT_EQ(grid.CellText(*row, kColId), std::to_string(list.PositionOfKey(runningKey) + 1));
      }
    }
  }
}

TEST(RefillMatchesRebuild, InMemoryGrid) {
  MemoryGrid grid;
  ExpectRefillsMatchRebuilds(grid);
}

TEST(RefillMatchesRebuild, QtGrid) {
  int argc = 1;
  char* argv[] = {const_cast<char*>("refill-test"), nullptr};
  QApplication app(argc, argv);  // offscreen: set for every test program
  QWidget window;
  QtGrid grid(&window);
  ExpectRefillsMatchRebuilds(grid);
}

}  // namespace
}  // namespace reelcatch
