// The refill of a long list writes over the copy the grid let go of instead
// of allocating every row's texts again; counted here by the allocations a
// refill makes, which is what made a flood of adds crawl.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "list/list_display.h"
#include "platform/memory_grid.h"
#include "support/fakes.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

}  // namespace

// GCC sees the replaced operator new inline and takes the free below for a
// mismatch; both sides are malloc and free.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace reelcatch {
namespace {

class RefillMemoryTest : public ::testing::Test {
 protected:
  RefillMemoryTest() { display.SetYieldSlice(std::chrono::microseconds(0)); }

  // Texts too long to live inside the string objects themselves.
  void Add(int count) {
    for (int i = 0; i < count; ++i) {
      std::string n = std::to_string(list.Count() + 1);
      list.AddItem("http://www.youtube.com/watch?v=refill-" + n, "A rather long file name " + n,
                   "Waiting for its turn", "????");
    }
  }

  long AllocationsOfRefill() {
    allocations = 0;
    counting = true;
    display.FillDownloadList();
    counting = false;
    return allocations;
  }

  void ExpectCopyShowsList() {
    ASSERT_EQ(grid.RowCount(), list.Count());
    for (int row = 0; row < list.Count(); ++row) {
      const DownloadItem& item = list.At(row);
      EXPECT_EQ(grid.CellText(row, kColId), std::to_string(item.ID));
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

TEST_F(RefillMemoryTest, RefillOfAnUnchangedListAllocatesNoRowTexts) {
  Add(1000);
  display.FillDownloadList();
  display.FillDownloadList();
  EXPECT_LT(AllocationsOfRefill(), 20);
  ExpectCopyShowsList();
}

TEST_F(RefillMemoryTest, ListGrowingByOneItemPerRefillAllocatesOnlyForTheNewRows) {
  long total = 0;
  for (int i = 0; i < 300; ++i) {
    Add(1);
    total += AllocationsOfRefill();
  }
  // The new row's texts in each of the two copies, and now and then a
  // larger row table; a fresh copy per refill makes well over 100,000.
  EXPECT_LT(total, 300 * 8);
  ExpectCopyShowsList();
}

TEST_F(RefillMemoryTest, ReusedCopyHoldsNothingOfItsOldRows) {
  Add(6);
  display.FillDownloadList();
  display.FillDownloadList();
  list.At(1).Status = "Complete";
  list.At(4).FileName = "x";
  ASSERT_TRUE(list.DeleteItem(3));
  ASSERT_TRUE(list.DeleteItem(1));
  display.FillDownloadList();
  ExpectCopyShowsList();
  Add(3);
  list.At(0).FileSize = "12.5 MB";
  display.FillDownloadList();
  ExpectCopyShowsList();
}

TEST_F(RefillMemoryTest, CopyStillHeldElsewhereIsNeverWrittenOver) {
  Add(3);
  display.FillDownloadList();
  std::shared_ptr<const DisplayCopy> kept = display.Copy();
  display.FillDownloadList();
  list.At(0).Status = "Complete";
  display.FillDownloadList();
  display.FillDownloadList();
  ASSERT_EQ(kept->size(), 3u);
  EXPECT_EQ((*kept)[0].Status, "Waiting for its turn");
  ExpectCopyShowsList();
}

}  // namespace
}  // namespace reelcatch
