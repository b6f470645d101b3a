// How the list refill scales: time per row for a short and a full list, and
// against a plain copy of the same items.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "list/list_display.h"
#include "platform/memory_grid.h"

namespace {

using reelcatch::DownloadItem;
using reelcatch::DownloadList;
using Clock = std::chrono::steady_clock;

class IdleLoop : public reelcatch::EventLoop {
 public:
  void DoEvents() override {}
};

class SilentDialogs : public reelcatch::Dialogs {
 public:
  reelcatch::MessageAnswer ShowMessage(const std::string&, reelcatch::MessageButtons,
                                       reelcatch::MessageIcon, const std::string&) override {
    return reelcatch::MessageAnswer::Ok;
  }
  std::string PickFolder(const std::string&) override { return {}; }
};

void FillList(DownloadList& list, int count) {
  for (int n = 0; n < count; ++n) {
    std::string id = std::to_string(n);
    list.AddItem("http://www.youtube.com/watch?v=bench" + id, "Some video title " + id + ".flv",
                 "Waiting", "12.5 MB");
  }
}

// Best of several runs, in nanoseconds per row.
template <typename Work>
double NanosPerRow(int rows, int runs, Work work) {
  double best = 1e300;
  for (int run = 0; run < runs; ++run) {
    auto start = Clock::now();
    work();
    std::chrono::duration<double, std::nano> elapsed = Clock::now() - start;
    best = std::min(best, elapsed.count() / rows);
  }
  return best;
}

struct Timing {
  double fill;
  double copy;
};

Timing Measure(int count, int runs) {
  DownloadList list;
  FillList(list, count);
  reelcatch::MemoryGrid grid;
  IdleLoop loop;
  SilentDialogs dialogs;
  reelcatch::ListDisplay display(list, grid, loop, dialogs);
  display.FillDownloadList();  // the first one formats the grid

  Timing timing{};
  timing.fill = NanosPerRow(count, runs, [&] { display.FillDownloadList(); });
  // Like the refill, each copy replaces (and frees) the previous one.
  std::vector<DownloadItem> copy = list.Items();
  timing.copy = NanosPerRow(count, runs, [&] { copy = std::vector<DownloadItem>(list.Items()); });
  return timing;
}

void Report(const char* name, double value, double target) {
  std::printf("%s %.2f (target <= %.1f) %s\n", name, value, target,
              value <= target ? "ok" : "MISSED");
}

}  // namespace

int main() {
  Timing small = Measure(1000, 200);
  Timing full = Measure(reelcatch::DownloadList::kMaxItems, 15);
  std::printf("list.fill_ns_per_row_1000 %.1f\n", small.fill);
  std::printf("list.fill_ns_per_row_32767 %.1f\n", full.fill);
  std::printf("list.copy_ns_per_row_1000 %.1f\n", small.copy);
  std::printf("list.copy_ns_per_row_32767 %.1f\n", full.copy);
  Report("list.fill_per_row_ratio", full.fill / small.fill, 1.5);
  Report("list.fill_vs_copy_ratio_1000", small.fill / small.copy, 3.0);
  Report("list.fill_vs_copy_ratio_32767", full.fill / full.copy, 3.0);
  return 0;
}
