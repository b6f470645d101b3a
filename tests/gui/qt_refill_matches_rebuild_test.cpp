// After any edit, a refill leaves the grid showing exactly what a rebuild
// from scratch shows: random edit sequences, through the in-memory grid and
// through the real Qt grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <memory>
#include <random>

#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "platform/qt/qt_grid.h"

namespace reelcatch {
namespace {

struct QuietLoop : EventLoop {
  void DoEvents() override {}
};

struct NoDialogs : Dialogs {
  MessageAnswer ShowMessage(const std::string&, MessageButtons, MessageIcon,
                            const std::string&) override {
    return MessageAnswer::Ok;
  }
  std::string PickFolder(const std::string&) override { return {}; }
};

std::vector<std::string> Rows(const Grid& grid) {
  std::vector<std::string> rows;
  for (int row = 0; row < grid.RowCount(); ++row) {
    std::string text;
    for (int column = 0; column < kGridColumnCount; ++column) text += grid.CellText(row, column) + "|";
    rows.push_back(text);
  }
  return rows;
}

std::vector<std::string> Rebuilt(DownloadList& list) {
  MemoryGrid grid;
  QuietLoop loop;
  NoDialogs dialogs;
  ListDisplay display(list, grid, loop, dialogs);
  display.FillDownloadList();
  return Rows(grid);
}

// One random edit of the kinds a user or a run makes, then the refill the
// program makes after it.
void EditAndRefill(std::mt19937& random, DownloadList& list, ListDisplay& display, Grid& grid,
                   uint64_t& runningKey, int step) {
  auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
  const int count = list.Count();
  const int position = count > 0 ? pick(count) : 0;
  const auto id = static_cast<int16_t>(position + 1);
  switch (count == 0 ? 0 : pick(10)) {
    case 0: list.AddItem("http://angryalien.com/" + std::to_string(step), "", "", ""); break;
    case 1: list.DeleteItem(id); break;
    case 2: list.MoveItemUp(id); break;
    case 3: list.UpdateItem(id, "", "name" + std::to_string(step), "", ""); break;
    case 4: list.UpdateItem(id, "", "", step % 3 ? "Complete" : "Preperaing (5%)", ""); break;
    case 5: list.Edit(position).FileSize = std::to_string(step) + " KB"; break;
    case 6:
      runningKey = list.At(position).Key;
      display.LocateCurrentRow(runningKey, position);
      display.WriteCurrentRowStatus("Downloading (50%)");
      break;
    case 7: display.ClearCompleted(); return;
    case 8:
      if (grid.RowCount() > 0) grid.SelectCell({pick(grid.RowCount()), kColFileName});
      display.MoveSelectedDown();
      return;
    default:
      if (step % 7 == 0) {
        display.SelectAllItems();
        display.RemoveSelected();
        return;
      }
  }
  display.FillDownloadList();
}

void ExpectRefillsMatchRebuilds(Grid& grid) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    DownloadList list;
    QuietLoop loop;
    NoDialogs dialogs;
    ListDisplay display(list, grid, loop, dialogs);
    uint64_t runningKey = 0;
    for (int step = 0; step < 300; ++step) {
      EditAndRefill(random, list, display, grid, runningKey, step);
      ASSERT_EQ(Rows(grid), Rebuilt(list)) << "after step " << step;
      if (std::optional<int> row = display.CurrentRow()) {
        int position = list.PositionOfKey(runningKey);
        ASSERT_EQ(grid.CellText(*row, kColId), std::to_string(position + 1)) << "step " << step;
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
  char name[] = "refill-test";
  char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QWidget window;
  QtGrid grid(&window);
  ExpectRefillsMatchRebuilds(grid);
}

}  // namespace
}  // namespace reelcatch
