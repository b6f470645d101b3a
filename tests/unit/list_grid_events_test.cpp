#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>

#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "support/fakes.h"

namespace reelcatch {
namespace {

// Passes the grid's events on to the display, counting them and cutting a
// runaway loop short so that a test fails instead of overflowing the stack.
class CountingEvents : public GridEvents {
 public:
  explicit CountingEvents(GridEvents& target) : target_(target) {}
  void InitializeLayout() override { target_.InitializeLayout(); }
  void BeforeCellUpdate(GridCellRef cell, const std::string& value, bool& cancel) override {
    ++before;
    if (Enter()) target_.BeforeCellUpdate(cell, value, cancel);
    --depth_;
  }
  void AfterCellUpdate(GridCellRef cell) override {
    ++after;
    if (Enter()) target_.AfterCellUpdate(cell);
    --depth_;
  }
  int before = 0;
  int after = 0;
  bool runaway = false;

 private:
  bool Enter() {
    if (++depth_ > 4) runaway = true;
    return !runaway;
  }
  GridEvents& target_;
  int depth_ = 0;
};

// A shown list of three items, under a grid that does or does not report
// program writes as edits.
struct Scene {
  explicit Scene(bool eventsOnWrites) {
    grid.SetRaiseEventsOnProgramWrites(eventsOnWrites);
    list.AddItem("http://www.youtube.com/watch?v=1", "first.flv", "", "");
    list.AddItem("http://www.youtube.com/watch?v=2", "old.flv", "Complete", "1.5 MB");
    list.AddItem("http://www.youtube.com/watch?v=3", "third.flv", "", "");
    display.FillDownloadList();
    grid.SetEvents(&events);
  }

  DownloadList list;
  MemoryGrid grid;
  CountingEventLoop loop;
  RecordingDialogs dialogs;
  ListDisplay display{list, grid, loop, dialogs};
  CountingEvents events{display};
};

struct RenameCase {
  const char* name;
  const char* typed;
  const char* expected;  // nullptr: the edit is refused
};
void PrintTo(const RenameCase& c, std::ostream* os) { *os << c.name; }

class GridEventsTest : public ::testing::TestWithParam<bool> {
 protected:
  Scene scene{GetParam()};
  MemoryGrid& grid = scene.grid;
  DownloadList& list = scene.list;
};

// Each rename case under both kinds of grid.
class RenameCases : public ::testing::TestWithParam<std::tuple<RenameCase, bool>> {};

TEST_P(RenameCases, StoreTheCleanedNameOrRefuse) {
  auto [c, eventsOnWrites] = GetParam();
  Scene scene(eventsOnWrites);
  auto& [list, grid, loop, dialogs, display, events] = scene;

  bool stored = grid.EditCell(1, kColFileName, c.typed);

  std::string expected = c.expected ? c.expected : "old.flv";
  EXPECT_EQ(stored, c.expected != nullptr);
  EXPECT_EQ(grid.CellText(1, kColFileName), expected);
  EXPECT_EQ(list.At(1).FileName, expected);
  EXPECT_EQ(list.At(0).FileName, "first.flv");
  EXPECT_EQ(list.At(1).Status, "Complete") << "only the name changes";
  EXPECT_EQ(list.At(1).FileSize, "1.5 MB");
  EXPECT_FALSE(events.runaway);
  EXPECT_LE(events.before, eventsOnWrites ? 2 : 1);
  EXPECT_TRUE(dialogs.Messages().empty()) << "a refusal is silent";
}

INSTANTIATE_TEST_SUITE_P(
    Names, RenameCases,
    ::testing::Combine(::testing::Values(RenameCase{"Plain", "holiday.flv", "holiday.flv"},
                                         RenameCase{"ColonAndSlash", "a:b/c.flv", "abc.flv"},
                                         RenameCase{"AllForbidden", "a<b>c|d\"e?f*g\\h&.flv",
                                                    "abcdefgh.flv"},
                                         RenameCase{"NothingLeft", ":/\\*", nullptr},
                                         RenameCase{"EnterFileName", "Enter File Name", nullptr},
                                         RenameCase{"Empty", "", nullptr}),
                       ::testing::Bool()),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) +
             (std::get<1>(info.param) ? "_EventsOnWrites" : "_QuietWrites");
    });

TEST_P(GridEventsTest, OtherColumnsCannotBeEdited) {
  for (int column : {kColId, kColVideoUrl, kColStatus, kColFileSize}) {
    std::string before = grid.CellText(0, column);
    EXPECT_FALSE(grid.EditCell(0, column, "9")) << "column " << column;
    EXPECT_EQ(grid.CellText(0, column), before);
  }
  EXPECT_EQ(scene.events.before, 0);
  EXPECT_EQ(list.At(0).Video_URL, "http://www.youtube.com/watch?v=1");
}

TEST_P(GridEventsTest, RenameReachesTheItemTheRowShows) {
  ASSERT_TRUE(grid.EditCell(2, kColFileName, "x:y.flv"));
  EXPECT_EQ(scene.display.PendingFileName(), "xy.flv");
  EXPECT_EQ(list.At(2).FileName, "xy.flv");
  EXPECT_EQ(list.At(1).FileName, "old.flv");

  // A refused edit keeps the last accepted name pending.
  EXPECT_FALSE(grid.EditCell(0, kColFileName, "???"));
  EXPECT_EQ(scene.display.PendingFileName(), "xy.flv");
  EXPECT_EQ(list.At(0).FileName, "first.flv");
}

INSTANTIATE_TEST_SUITE_P(Grids, GridEventsTest, ::testing::Bool(), [](const auto& info) {
  return info.param ? "EventsOnWrites" : "QuietWrites";
});

}  // namespace
}  // namespace reelcatch
